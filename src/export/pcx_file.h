// The two-colour PCX (version 5, run-length codes) of a snapshot: a pixel of exactly the
// background colour is a 1 bit, any other a 0 bit.
#pragma once

#include "export/picture.h"
#include "platform/canvas.h"
#include "platform/window.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace mirokel {

// Bytes per line: the row of `width` bits rounded up to a multiple of 4 bytes, in 16 bits.
std::uint16_t pcxBytesPerLine(std::int32_t width);

// The run-length codes of one packed row of `count` bytes: runs of at most 63 equal bytes
// as 0xC0 + n and the byte, a single byte below 0xC0 as itself. `codes` holds at least
// 2 × count bytes; returns the number written.
std::size_t encodePcxRow(const std::uint8_t* row, std::size_t count, std::uint8_t* codes);

// Writes `fileName`: the 128-byte header, then the codes of every row, top row first.
// True when written; otherwise its message was shown (caption "About PCX") and the path is
// as it was.
bool writePcxFile(Window& window, const std::string& fileName, const PictureView& picture, Color background);

} // namespace mirokel
