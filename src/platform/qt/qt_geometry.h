// Rectangles and regions between the canvas and Qt.
#pragma once

#include "platform/clip_region.h"

#include <QRect>
#include <QRegion>

namespace mirokel {

inline QRect qtRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// Qt's rectangles are inclusive; ours exclude the right column and the bottom row.
inline Rect rectOf(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

inline QRegion qtRegion(const ClipRegion& region)
{
    QRegion result;
    for (const Rect& r : region.rects()) result += qtRect(r);
    return result;
}

inline ClipRegion clipRegionOf(const QRegion& region)
{
    ClipRegion result;
    for (const QRect& r : region) result.add(rectOf(r));
    return result;
}

} // namespace mirokel
