// A picture of the client area as the snapshot reads it: 32-bit pixels 0x00RRGGBB (the top
// byte is not read), row-major, top row first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mirokel {

struct PictureView {
    const std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;

    std::uint32_t rgb(std::int32_t x, std::int32_t y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] &
               0x00FFFFFFu;
    }
};

} // namespace mirokel
