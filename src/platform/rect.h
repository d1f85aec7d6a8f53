// The rectangle of the window system: four 32-bit signed edges.
#pragma once

#include <cstdint>

namespace mirokel {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace mirokel
