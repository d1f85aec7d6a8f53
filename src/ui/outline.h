// The closed frame the window draws around boxes, cells and the graph area.
#pragma once

#include "platform/canvas.h"

#include <cstdint>

namespace mirokel {

// The closed polyline (left, top) → (left, top + height) → (left + width, top + height) →
// (left + width, top) → (left, top) with the current pen. Each segment excludes its end
// pixel, so the closing corner is drawn by the first segment.
inline void drawOutline(Canvas& canvas, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    canvas.moveTo(left, top);
    canvas.lineTo(left, top + height);
    canvas.lineTo(left + width, top + height);
    canvas.lineTo(left + width, top);
    canvas.lineTo(left, top);
}

} // namespace mirokel
