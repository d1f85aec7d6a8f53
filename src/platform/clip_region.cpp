// Regions as disjoint rectangles.
#include "platform/clip_region.h"

#include <utility>

namespace mirokel {

namespace {

// Appends the parts of `a` outside `b`: the bands above and below their common part and
// the pieces left and right of it, at most four rectangles.
void appendDifference(const Rect& a, const Rect& b, std::vector<Rect>& out)
{
    const Rect common = intersection(a, b);
    if (isEmpty(common)) {
        out.push_back(a);
        return;
    }
    if (a.top < common.top) out.push_back({a.left, a.top, a.right, common.top});
    if (common.bottom < a.bottom) out.push_back({a.left, common.bottom, a.right, a.bottom});
    if (a.left < common.left) out.push_back({a.left, common.top, common.left, common.bottom});
    if (common.right < a.right) out.push_back({common.right, common.top, a.right, common.bottom});
}

} // namespace

ClipRegion::ClipRegion(const Rect& area) { add(area); }

void ClipRegion::add(const Rect& area)
{
    if (isEmpty(area)) return;
    std::vector<Rect> pieces{area};
    for (const Rect& part : parts) {
        std::vector<Rect> outside;
        for (const Rect& piece : pieces) appendDifference(piece, part, outside);
        pieces = std::move(outside);
    }
    parts.insert(parts.end(), pieces.begin(), pieces.end());
}

ClipRegion ClipRegion::intersected(const Rect& area) const
{
    ClipRegion result;
    for (const Rect& part : parts) {
        const Rect common = intersection(part, area);
        if (!isEmpty(common)) result.parts.push_back(common); // parts of disjoint parts stay disjoint
    }
    return result;
}

bool ClipRegion::contains(std::int32_t x, std::int32_t y) const
{
    for (const Rect& part : parts)
        if (x >= part.left && x < part.right && y >= part.top && y < part.bottom) return true;
    return false;
}

} // namespace mirokel
