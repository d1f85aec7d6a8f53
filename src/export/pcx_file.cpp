// The PCX header, the packing of a row into bits and its run-length codes.
#include "export/pcx_file.h"

#include "export/file_bytes.h"
#include "export/little_endian.h"
#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

constexpr const char* caption = "About PCX";
constexpr std::size_t headerSize = 128;
constexpr std::size_t longestRun = 63;

void putHeader(std::uint8_t* header, const PictureView& picture, Color background, std::uint16_t bpl)
{
    header[0] = 10; // manufacturer
    header[1] = 5;  // version
    header[2] = 1;  // run-length encoding
    header[3] = 1;  // bits per pixel
    put16(header + 8, static_cast<std::uint32_t>(picture.width - 1));
    put16(header + 10, static_cast<std::uint32_t>(picture.height - 1));
    put16(header + 12, 640);
    put16(header + 14, 480);
    // Palette entry 0 black, entry 1 the background.
    header[19] = background.r;
    header[20] = background.g;
    header[21] = background.b;
    header[65] = 1; // colour planes
    put16(header + 66, bpl);
    put16(header + 68, 1); // palette information
}

// Row y as one bit per byte of `bits` (8 × bpl): 1 for exactly the background and beyond
// the width; then packed in place into its first bpl bytes, leftmost pixel in the most
// significant bit (byte i is written only after bits 8i … 8i + 7 were read).
void packRow(const PictureView& picture, std::int32_t y, std::uint32_t background, std::uint8_t* bits,
             std::size_t bpl)
{
    const auto width = static_cast<std::size_t>(picture.width);
    for (std::size_t x = 0; x < 8 * bpl; ++x)
        bits[x] = x >= width || picture.rgb(static_cast<std::int32_t>(x), y) == background ? 1 : 0;
    for (std::size_t i = 0; i < bpl; ++i) {
        std::uint8_t byte = 0;
        for (std::size_t b = 0; b < 8; ++b) byte = static_cast<std::uint8_t>((byte << 1) | bits[8 * i + b]);
        bits[i] = byte;
    }
}

std::size_t emitRun(std::uint8_t value, std::size_t count, std::uint8_t* codes)
{
    std::size_t n = 0;
    if (count > 1 || value >= 0xC0) codes[n++] = static_cast<std::uint8_t>(0xC0 + count);
    codes[n++] = value;
    return n;
}

} // namespace

std::uint16_t pcxBytesPerLine(std::int32_t width)
{
    return static_cast<std::uint16_t>(((static_cast<std::uint32_t>(width) + 31) >> 5) << 2);
}

std::size_t encodePcxRow(const std::uint8_t* row, std::size_t count, std::uint8_t* codes)
{
    std::size_t written = 0;
    std::size_t run = 0;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = row[i];
        if (run == 0) {
            value = b;
            run = 1;
        } else if (b == value) {
            if (++run == longestRun) {
                written += emitRun(value, run, codes + written);
                run = 0;
            }
        } else {
            written += emitRun(value, run, codes + written);
            value = b;
            run = 1;
        }
    }
    if (run > 0) written += emitRun(value, run, codes + written);
    return written;
}

bool writePcxFile(Window& window, const std::string& fileName, const PictureView& picture, Color background)
{
    const std::size_t bpl = pcxBytesPerLine(picture.width);
    const auto rows = static_cast<std::size_t>(picture.height);
    auto* bits = static_cast<std::uint8_t*>(allocateZeroed(8 * bpl));
    if (bits == nullptr) {
        showMessage(window, "Нет памяти для буфера строки!", caption);
        return false;
    }
    // An encoded row takes up to two bytes per byte (single bytes from 0xC0 up): the code
    // line holds 2 × bpl.
    auto* codes = static_cast<std::uint8_t*>(allocateZeroed(2 * bpl));
    if (codes == nullptr) {
        showMessage(window, "Нет памяти для кодов строки!", caption);
        releaseMemory(bits);
        return false;
    }
    // The file is put together whole before it is written, so a failure leaves no part of it.
    auto* file = static_cast<std::uint8_t*>(allocateZeroed(headerSize + rows * 2 * bpl));
    if (file == nullptr) {
        showMessage(window, "Нет памяти для PCX file!", caption);
        releaseMemory(codes);
        releaseMemory(bits);
        return false;
    }
    putHeader(file, picture, background, static_cast<std::uint16_t>(bpl));
    std::size_t size = headerSize;
    const std::uint32_t backgroundRgb = background.rgb32() & 0x00FFFFFFu;
    for (std::size_t y = 0; y < rows; ++y) {
        packRow(picture, static_cast<std::int32_t>(y), backgroundRgb, bits, bpl);
        const std::size_t n = encodePcxRow(bits, bpl, codes);
        std::copy(codes, codes + n, file + size);
        size += n;
    }
    const bool written = writeFileBytes(window, fileName, {reinterpret_cast<const char*>(file), size}, caption,
                                        "ERROR while writing PCX codes!");
    releaseMemory(file);
    releaseMemory(codes);
    releaseMemory(bits);
    return written;
}

} // namespace mirokel
