// The alphabet panel: the graph frame, then for each etalon its caption, axes, curve and
// cell frame.
#include "ui/alphabet_panel.h"

#include "platform/window.h"
#include "ui/outline.h"

namespace mirokel {

namespace {

// The plot area of one cell: left edge x, top y (below the caption), width w, height h.
struct PlotArea {
    std::int32_t x, y, w, h;
};

// Σ s[j]² in 32-bit arithmetic, wrapping as it does.
std::int32_t pulseEnergy(const PulseHeader& pulse)
{
    std::uint32_t energy = 0;
    for (std::uint16_t j = 0; j < pulse.wLength && pulse.lpData != nullptr; ++j) {
        const std::int32_t sample = pulse.lpData[j];
        energy += static_cast<std::uint32_t>(sample * sample);
    }
    return static_cast<std::int32_t>(energy);
}

void drawAxes(Canvas& canvas, const PlotArea& a)
{
    canvas.moveTo(a.x, a.y);
    canvas.lineTo(a.x, a.y + a.h);
    canvas.moveTo(a.x, a.y + a.h / 2);
    canvas.lineTo(a.x + a.w - 1, a.y + a.h / 2);
}

// One pass of the curve with its origin at (x, y): from the middle line through every
// sample and back to the middle line. A single sample stands at offset 0 (there is no
// step to divide), and a zero amplitude puts every sample on the middle line.
void drawCurvePass(Canvas& canvas, const PulseHeader& pulse, std::int16_t amplitude, const PlotArea& a,
                   std::int32_t x, std::int32_t y)
{
    const std::int32_t n = pulse.lpData != nullptr ? pulse.wLength : 0;
    const std::int32_t steps = n > 1 ? n - 1 : 1;
    const std::int64_t A = amplitude;
    std::int32_t lastOffset = 0;
    canvas.moveTo(x, y + a.h / 2);
    for (std::int32_t j = 0; j < n; ++j) {
        lastOffset = (a.w - 6) * j / steps;
        const std::int64_t lift = A != 0 ? (pulse.lpData[j] + A) * a.h / (2 * A) : a.h / 2;
        canvas.lineTo(x + lastOffset, y + a.h - static_cast<std::int32_t>(lift));
    }
    canvas.lineTo(x + lastOffset, y + a.h / 2);
}

// Three passes, shifted right and up by one pixel, give a bold curve.
void drawCurve(Canvas& canvas, const PulseHeader& pulse, std::int16_t amplitude, const PlotArea& a, bool inUse)
{
    PenScope pen(canvas, inUse ? inUseCurveColor : unusedCurveColor);
    drawCurvePass(canvas, pulse, amplitude, a, a.x, a.y);
    drawCurvePass(canvas, pulse, amplitude, a, a.x + 1, a.y);
    drawCurvePass(canvas, pulse, amplitude, a, a.x, a.y - 1);
}

void drawCellFrame(Canvas& canvas, const Rect& cell, std::int32_t width, std::int32_t height, bool inUse)
{
    if (!inUse) {
        PenScope pen(canvas, unusedFrameColor);
        drawOutline(canvas, cell.left, cell.top, width, height);
        return;
    }
    PenScope pen(canvas, inUseFrameColor);
    drawOutline(canvas, cell.left, cell.top, width, height);
    drawOutline(canvas, cell.left + 1, cell.top + 1, width - 2, height - 2);
    drawOutline(canvas, cell.left - 1, cell.top - 1, width + 2, height + 2);
}

void drawEtalonCell(Canvas& canvas, const AppState& s, std::int32_t i)
{
    const PulseHeader& pulse = s.aEtalons[i];
    const Rect& cell = s.arcAlphabetCells[i];
    const bool inUse = s.awEtalonInUse[i] == 1;
    PlotArea area{cell.left + 5, cell.top + 5, s.wCellInnerWidth, s.wCellInnerHeight - s.dwLineHeight};

    canvas.textOut(area.x, area.y, formatText(" pulse %d [%d]", pulse.wNumber, pulseEnergy(pulse)));
    area.y += s.dwLineHeight;
    drawAxes(canvas, area);
    drawCurve(canvas, pulse, s.wAmplitude, area, inUse);
    drawCellFrame(canvas, cell, s.wCellWidth, s.wCellHeight, inUse);
}

} // namespace

void drawAlphabetPanel(Canvas& canvas, const AppState& s)
{
    const Rect& g = s.rcGraph;
    drawOutline(canvas, g.left, g.top, g.right - g.left + 1, g.bottom - g.top + 1);
    for (std::int32_t i = 0; i < s.wAlphabetSize && i < static_cast<std::int32_t>(s.aEtalons.size()); ++i)
        drawEtalonCell(canvas, s, i);
}

} // namespace mirokel
