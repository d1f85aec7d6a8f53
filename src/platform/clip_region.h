// The clip of a paint: the union of the rectangles that were invalidated, exactly (never
// their bounding box).
#pragma once

#include "platform/rect.h"

#include <cstdint>
#include <vector>

namespace mirokel {

// A set of pixels given as rectangles, right and bottom exclusive. The rectangles kept
// never overlap: a rectangle added is cut into the parts not yet covered. So a primitive
// drawn once per rectangle draws each pixel of the region at most once.
class ClipRegion {
public:
    ClipRegion() = default; // empty: nothing is inside
    // One rectangle is a region too, so that callers with a single rectangle pass it as is.
    ClipRegion(const Rect& area);

    void add(const Rect& area);
    ClipRegion intersected(const Rect& area) const;
    bool contains(std::int32_t x, std::int32_t y) const;
    bool empty() const { return parts.empty(); }
    const std::vector<Rect>& rects() const { return parts; }

    // The same rectangles in the same order (equal sets of pixels may compare unequal).
    friend bool operator==(const ClipRegion&, const ClipRegion&) = default;

private:
    std::vector<Rect> parts; // non-empty, pairwise disjoint
};

} // namespace mirokel
