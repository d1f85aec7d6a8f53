// The information header block and the bitmap file.
#include "export/bitmap_file.h"

#include "export/file_bytes.h"
#include "export/little_endian.h"
#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

constexpr const char* caption = "About Bitmap";
constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;

std::uint32_t coloursUsed(const std::uint8_t* info) { return get32(info + 32); }
std::uint32_t imageSize(const std::uint8_t* info) { return get32(info + 20); }

} // namespace

std::uint16_t bitmapDepth(std::uint16_t planes, std::uint16_t bitsPerPixel)
{
    const auto bits = static_cast<std::uint16_t>(planes * bitsPerPixel); // in 16 bits
    for (const std::uint16_t depth : {1, 4, 8, 16, 24})
        if (bits <= depth) return depth;
    return 32;
}

std::uint8_t* makeBitmapInfo(Window& window, std::int32_t width, std::int32_t height, std::uint16_t planes,
                             std::uint16_t bitsPerPixel)
{
    const std::uint16_t c = bitmapDepth(planes, bitsPerPixel);
    const std::uint32_t colours = c < 16 ? 1u << c : 0u;
    auto* info = static_cast<std::uint8_t*>(allocateZeroed(infoHeaderSize + 4 * colours));
    if (info == nullptr) {
        showMessage(window, "Нет памяти для BITMAPINFO", caption);
        return nullptr;
    }
    const auto w = static_cast<std::uint32_t>(width);
    put32(info + 0, infoHeaderSize);
    put32(info + 4, w);
    put32(info + 8, static_cast<std::uint32_t>(height));
    put16(info + 12, planes);
    put16(info + 14, bitsPerPixel);
    put32(info + 20, (w + 7) / 8 * static_cast<std::uint32_t>(height) * c); // 32-bit arithmetic
    put32(info + 32, colours);
    return info;
}

std::size_t bitmapInfoSize(const std::uint8_t* info) { return infoHeaderSize + 4 * std::size_t{coloursUsed(info)}; }

bool writeBmpFile(Window& window, const std::string& fileName, const std::uint8_t* info, const PictureView& capture)
{
    // One zero-filled buffer holds the whole file: file header, block, image size bytes.
    const std::size_t infoSize = bitmapInfoSize(info);
    const std::size_t size = fileHeaderSize + infoSize + imageSize(info);
    auto* file = static_cast<std::uint8_t*>(allocateZeroed(size));
    if (file == nullptr) {
        showMessage(window, "GlobalAlloc ERROR!", caption);
        return false;
    }
    // The capture is fetched as 32-bit rows, bottom row first; the declared image size is
    // at least their bytes at this depth, any surplus stays zero.
    const auto w = static_cast<std::size_t>(capture.width);
    const auto h = static_cast<std::size_t>(capture.height);
    const bool fetchable = get16(info + 14) == 32 && get16(info + 12) == 1 && get32(info + 4) == w &&
                           get32(info + 8) == h && 4 * w * h <= imageSize(info);
    if (!fetchable) {
        showMessage(window, "GetDIBits ERROR!", caption);
        releaseMemory(file);
        return false;
    }
    put16(file + 0, 0x4D42);
    put32(file + 2, static_cast<std::uint32_t>(size));
    put32(file + 10, static_cast<std::uint32_t>(fileHeaderSize + infoSize));
    std::copy(info, info + infoSize, file + fileHeaderSize);
    std::uint8_t* bits = file + fileHeaderSize + infoSize;
    for (std::size_t row = 0; row < h; ++row) {
        const auto y = static_cast<std::int32_t>(h - 1 - row);
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t rgb = capture.rgb(static_cast<std::int32_t>(x), y);
            std::uint8_t* at = bits + 4 * (row * w + x);
            put32(at, rgb); // blue, green, red, 0
        }
    }
    const bool written = writeFileBytes(window, fileName, {reinterpret_cast<const char*>(file), size}, caption,
                                        "ERROR while writing bitmap bits!");
    releaseMemory(file);
    return written;
}

} // namespace mirokel
