// PNG files of pictures through Qt's image writer.
#pragma once

#include <cstdint>
#include <string>

namespace mirokel {

// The bytes of a PNG file of width × height pixels 0x..RRGGBB (row-major, top row first);
// empty when Qt cannot write it.
std::string encodePngWithQt(const std::uint32_t* pixels, std::int32_t width, std::int32_t height);

} // namespace mirokel
