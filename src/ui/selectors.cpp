// The value selectors of the main window.
#include "ui/selectors.h"

#include "platform/window.h"
#include "ui/outline.h"

#include <algorithm>

namespace mirokel {

std::int32_t drawSelector(Canvas& canvas, std::int32_t lineHeight, const Rect& box, std::span<Rect> options,
                          std::string_view caption, std::int32_t count, std::span<const std::int32_t> values,
                          std::int32_t chosenIndex, std::int32_t valueInForce)
{
    const std::int32_t L = lineHeight;
    std::int32_t x = box.left;
    std::int32_t y = box.top;
    const std::int32_t w = box.right - box.left + 1;
    const std::int32_t h = box.bottom - box.top + 1;
    drawOutline(canvas, x, y, w, h);

    x += 10;
    const std::int32_t dotInset = std::max((L + 1) >> 3, 1);
    // The opaque caption interrupts the top edge of the frame, like a group caption.
    canvas.textOut(x - 5, y - (L >> 1), caption);
    const std::int32_t rowStep = L + (L >> 1);
    y += rowStep;

    const std::int32_t choices = std::clamp<std::int32_t>(
        count, 0, static_cast<std::int32_t>(std::min(options.size(), values.size())));
    for (std::int32_t i = 0; i < choices; ++i) {
        canvas.ellipse(x, y, x + L, y + L);
        canvas.textOut(x + 2 * L, y, formatText(" %5d ", values[i]));
        options[i] = {x, y, x + w - 20, y + rowStep - 1};
        y += rowStep;
    }
    if (choices == 0) return 1;

    std::int32_t k = chosenIndex - 1;
    if (k < 0 || k >= choices) k = 0;
    const std::int32_t left = options[k].left;
    const std::int32_t top = options[k].top;
    PenScope pen(canvas, colors::black);
    BrushScope brush(canvas, Brush{values[k] == valueInForce ? colors::black : pendingChoiceColor});
    canvas.ellipse(left + dotInset, top + dotInset, left + L - dotInset, top + L - dotInset);
    return 1;
}

} // namespace mirokel
