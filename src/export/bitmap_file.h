// The Windows bitmap of a snapshot: the information header block (40 bytes and a colour
// table of 4-byte entries below 16 bits per pixel) and the file of the full-colour picture.
#pragma once

#include "export/picture.h"
#include "platform/window.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace mirokel {

// The depth of the header for planes × bits per pixel: raised to 1, 4, 8, 16, 24 or 32.
std::uint16_t bitmapDepth(std::uint16_t planes, std::uint16_t bitsPerPixel);

// The header block of a capture of width × height pixels, zero-filled where not set;
// released with releaseMemory. Null after the message "Нет памяти для BITMAPINFO".
std::uint8_t* makeBitmapInfo(Window& window, std::int32_t width, std::int32_t height, std::uint16_t planes,
                             std::uint16_t bitsPerPixel);

// Bytes of the block: 40 and its colour table.
std::size_t bitmapInfoSize(const std::uint8_t* info);

// Writes `fileName`: the 14-byte file header, the block, then the block's image size of
// pixel bytes, the rows bottom-up, 4 bytes per pixel (blue, green, red, 0). The capture
// must be of 32 bits per pixel as the block declares it. True when written; otherwise its
// message was shown (caption "About Bitmap") and the path is as it was.
bool writeBmpFile(Window& window, const std::string& fileName, const std::uint8_t* info, const PictureView& capture);

} // namespace mirokel
