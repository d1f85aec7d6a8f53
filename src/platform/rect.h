// The rectangle of the window system: four 32-bit signed edges.
#pragma once

#include <algorithm>
#include <cstdint>

namespace mirokel {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Read with right and bottom exclusive: the columns left … right − 1 and rows top … bottom − 1.
constexpr bool isEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

constexpr Rect intersection(const Rect& a, const Rect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

} // namespace mirokel
