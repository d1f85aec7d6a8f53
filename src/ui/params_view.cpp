// The series parameters view: its frames from rcGraph and the font, the scales of the
// diagram, then the drawing in order (background, erase of what changed, axes and ticks,
// picks, b level and marker, dotted levels, labels, bound lines, readout, Tmin entry,
// buttons). The diagram's arithmetic is 32-bit signed and wraps (Wrap32); divisions
// truncate toward zero.
#include "ui/params_view.h"

#include "model/wrapping.h"
#include "ui/subset_panel.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace mirokel {

namespace {

// The quantities the frames and buttons are placed by (pixels).
struct ViewFrame {
    std::int32_t L = 0, cw = 0;        // line height, average character width
    std::int32_t th = 0;               // text height of " OK "
    std::int32_t btnW = 0, btnH = 0;   // a button
    std::int32_t dx = 0, dy = 0;       // gaps: rcGraph's size / 170 and / 131
    std::int32_t fx0 = 0, fx1 = 0, fy0 = 0, fy1 = 0; // outer frame, inclusive
};

ViewFrame viewFrame(Canvas& canvas, const AppState& s)
{
    ViewFrame f;
    f.L = s.dwLineHeight;
    f.cw = s.dwCharWidth;
    const TextSize ok = canvas.textExtent(" OK ");
    f.btnW = std::max(canvas.textExtent(" Cancel ").cx, ok.cx) + 4 * f.cw;
    f.btnH = 2 * f.L - 1;
    f.th = ok.cy;
    const Rect& g = s.rcGraph;
    f.dx = (g.right - g.left + 1) / 170;
    f.dy = (g.bottom - g.top + 1) / 131;
    f.fx0 = g.left + f.dx;
    f.fx1 = g.right - f.dx;
    f.fy0 = g.top + f.dy;
    f.fy1 = g.bottom - 3 * f.dy - f.btnH;
    return f;
}

Rect innerFrame(const ViewFrame& f)
{
    const std::int32_t fw = f.fx1 - f.fx0 + 1;
    const std::int32_t fh = f.fy1 - f.fy0 + 1;
    return {f.fx0 + (fw >> 2), f.fy0 + (fh >> 3), f.fx1 - f.dx, f.fy1 + 1 - f.dy};
}

Rect plotRect(Canvas& canvas, const ParamsHeader& p, const ViewFrame& f)
{
    const std::int32_t bw = canvas.textExtent(formatText("%d", p.dwB)).cx;
    const Rect& i = p.rcFrame;
    return {i.left + bw + 2 * f.dx, i.top + 5 * f.dy, i.right - 5 * f.dx, i.bottom - 3 * f.th};
}

// The scales of the diagram: pulse k at x(k), position p at y(p), and for the bound lines
// the rounded halfX(u) (u half steps of the pulse index from pulse 1) and halfY(v) (v twice
// the position above a). A series of one pulse count at most (Mmax 1) or of one start
// position (b = a) has no step to divide by; it is scaled as if it had one, so that the
// view still draws.
struct PlotScale {
    explicit PlotScale(const ParamsHeader& p)
        : X0(p.rcPlot.left), Y0(p.rcPlot.bottom), W(p.rcPlot.right - p.rcPlot.left + 1),
          H(p.rcPlot.bottom - p.rcPlot.top + 1), K(std::max(Wrap32(p.dwMaxPulses) - 1, Wrap32(1))),
          B(std::max(Wrap32(p.dwB) - p.dwA, Wrap32(1))), a(p.dwA)
    {
    }

    Wrap32 x(Wrap32 k) const { return X0 + (k - 1) * W / K; }
    Wrap32 y(Wrap32 position) const { return Y0 - (position - a) * H / B; }
    Wrap32 halfX(Wrap32 u) const { return X0 + (u * W + K) / (2 * K); }
    Wrap32 halfY(Wrap32 v) const { return Y0 - (v * H + B) / (2 * B); }
    // Half a step left of pulse 1, where the lines from pulse 1 start.
    Wrap32 startX() const { return X0 - (W + K) / (2 * K); }

    Wrap32 X0, Y0, W, H, K, B, a;
};

enum BoundLine { tmaxLine, tminLine, lowerTminLine, lowerTmaxLine };

ParamsLine lineOf(Wrap32 x0, Wrap32 y0, Wrap32 x1, Wrap32 y1) { return {x0.value(), y0.value(), x1.value(), y1.value()}; }

// Where two partner lines meet, in half steps: (2t − 1) / D − 1 with D = Tmax − Tmin when
// Tmax > Tmin, else one beyond the last pulse (2M + 1); at least 1.
Wrap32 meetingStep(const ParamsHeader& p, Wrap32 t)
{
    const Wrap32 M = p.dwPulses;
    const Wrap32 j = p.dwTmax > p.dwTmin ? (2 * t - 1) / (Wrap32(p.dwTmax) - p.dwTmin) - 1 : 2 * M + 1;
    return std::max(j, Wrap32(1));
}

// The four bound lines, each from half a step before its anchor pulse to half a step
// beyond the pulse where it meets its partner.
std::array<ParamsLine, 4> boundLines(const ParamsHeader& p, const PlotScale& m)
{
    const Wrap32 M = p.dwPulses, Tmin = p.dwTmin, Tmax = p.dwTmax, a = p.dwA, aPlus = p.dwAPlus,
                 bMinus = p.dwBMinus, b = p.dwB;
    const Wrap32 span = b - a; // B of the values; m.B is the divisor
    const Wrap32 D = Tmax - Tmin;
    const Wrap32 j1 = meetingStep(p, b - M * Tmin - aPlus + Tmax + D);
    const Wrap32 j2 = std::max(j1 - 1, Wrap32(1));
    const Wrap32 j3 = std::min(meetingStep(p, a + M * Tmax - Tmin - bMinus + D), 2 * M + 1);
    const Wrap32 j4 = j3 - 1;
    std::array<ParamsLine, 4> lines;
    lines[tmaxLine] = lineOf(m.startX(), m.halfY(2 * (aPlus - a) - Tmax), m.halfX(j1 - 2),
                             m.halfY(j1 * Tmax + 2 * (aPlus - a - Tmax)));
    lines[tminLine] = lineOf(m.halfX(j2 - 2), m.halfY((j2 - 2 * M) * Tmin + 2 * span), m.halfX(2 * M - 1),
                             m.halfY(2 * span + Tmin));
    lines[lowerTminLine] = lineOf(m.startX(), m.Y0 + (Tmin * m.H + m.B) / (2 * m.B), m.halfX(j3 - 2),
                                  m.halfY((j3 - 2) * Tmin));
    lines[lowerTmaxLine] = lineOf(m.halfX(j4 - 2), m.halfY(j4 * Tmax + 2 * (bMinus - M * Tmax - a)),
                                  m.halfX(2 * M - 1), m.halfY(Tmax + 2 * (bMinus - a)));
    return lines;
}

void drawLine(Canvas& canvas, Wrap32 x0, Wrap32 y0, Wrap32 x1, Wrap32 y1)
{
    canvas.moveTo(x0.value(), y0.value());
    canvas.lineTo(x1.value(), y1.value());
}

void drawLine(Canvas& canvas, const ParamsLine& line) { drawLine(canvas, line.x0, line.y0, line.x1, line.y1); }

// The x of the dots of a dotted level, xs, xs + 2, … below xe, from `from` on; only those
// left of the surface's right edge are visited, and the first visited lies at or right of
// 0, as nothing outside the surface is drawn.
template <typename Visit>
void forEachDot(std::int64_t xs, std::int64_t xe, std::int64_t from, std::int32_t surfaceWidth, Visit visit)
{
    std::int64_t x = xs;
    const std::int64_t first = std::max<std::int64_t>(from, 0);
    if (x < first) x += (first - x + 1) / 2 * 2;
    for (; x < xe && x < surfaceWidth; x += 2) visit(static_cast<std::int32_t>(x));
}

// A number "%d" right-aligned at `anchor`.
void drawRightAligned(Canvas& canvas, Wrap32 anchor, std::int32_t y, std::int32_t number)
{
    const std::string text = formatText("%d", number);
    canvas.textOut((anchor - canvas.textExtent(text).cx).value(), y, text);
}

// ---- Background ----

void drawBackground(Canvas& canvas, const Rect& g, const ViewFrame& f, const Rect& inner)
{
    {
        BrushScope brush(canvas, Brush{subsetPanelColor});
        canvas.rectangle(g.left, g.top, g.right + 1, g.bottom + 1);
    }
    canvas.rectangle(f.fx0, f.fy0, f.fx1 + 1, f.fy1 + 2);
    canvas.rectangle(inner.left, inner.top, inner.right + 1, inner.bottom + 1);
}

// ---- Incremental erase ----

// The old dots of a level, from `from` on, and its old label when the level changed.
void eraseLevel(Canvas& canvas, const ParamsLine& dots, const Rect& label, bool unchanged, Wrap32 newEnd)
{
    const std::int64_t from = unchanged ? newEnd.value() : dots.x0;
    forEachDot(dots.x0, dots.x1, from, canvas.surface().width(),
               [&](std::int32_t x) { canvas.setPixel(x, dots.y0, paramsEraseColor); });
    if (unchanged) return;
    BrushScope brush(canvas, Brush{colors::white});
    canvas.rectangle(label.left, label.top, label.right, label.bottom);
}

// The numbers of the pulses above a decreased pulse count, under the axis: white boxes
// where their texts stood (the axis labels are drawn again afterwards).
void clearPulseNumbers(Canvas& canvas, const PlotScale& m, const ViewFrame& f, std::int32_t from, std::int32_t to)
{
    PenScope pen(canvas, colors::white);
    BrushScope brush(canvas, Brush{colors::white});
    const Wrap32 xl = m.X0 + (f.cw >> 1);
    const std::int32_t yl = (m.Y0 + (f.th >> 1)).value();
    for (std::int32_t n = from; n <= to; ++n) {
        const TextSize size = canvas.textExtent(formatText("%d", n));
        const Wrap32 right = xl + (Wrap32(n) - 1) * m.W / m.K;
        canvas.rectangle((right - size.cx).value(), yl, right.value(), yl + size.cy);
    }
}

// What changed since the last paint, drawn again in near-white at its old place.
void eraseChanges(Canvas& canvas, const ParamsHeader& p, const PlotScale& m, const ViewFrame& f,
                  const std::array<ParamsLine, 4>& lines)
{
    PenScope pen(canvas, paramsEraseColor);
    const Wrap32 xM = m.x(p.dwPulses);
    if (p.dwPrevPulses != p.dwPulses)
        drawLine(canvas, p.ptPulsesMarkBottom.x, p.ptPulsesMarkBottom.y, p.ptPulsesMarkBottom.x, p.ptPulsesMarkTop.y);
    if (p.dwPrevPulses > p.dwPulses) drawLine(canvas, xM, p.ptBLevelEnd.y, p.ptBLevelEnd.x, p.ptBLevelEnd.y);
    eraseLevel(canvas, p.lnAPlusDots, p.rcAPlusLabel, p.dwPrevAPlus == p.dwAPlus, xM + f.dx);
    eraseLevel(canvas, p.lnBMinusDots, p.rcBMinusLabel, p.dwPrevBMinus == p.dwBMinus, xM + f.dx);
    for (std::int32_t k = p.dwPulses; k < p.dwPrevPulses; ++k) {
        const Wrap32 x = m.X0 + Wrap32(k) * m.W / m.K;
        drawLine(canvas, x, m.Y0, x, m.Y0 - 2);
    }
    if (p.dwPulses < p.dwPrevPulses) clearPulseNumbers(canvas, m, f, std::max(p.dwPulses + 1, 1), p.dwPrevPulses);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (p.alnDrawn[i] != lines[i]) drawLine(canvas, p.alnDrawn[i]);
}

// ---- The diagram ----

// The axes, the upward ticks of the pulses 1 … M and the downward ticks of the counts Mmin … Mmax.
void drawAxes(Canvas& canvas, const ParamsHeader& p, const PlotScale& m, const ViewFrame& f)
{
    drawLine(canvas, m.X0, m.Y0, m.X0, m.Y0 - m.H);
    drawLine(canvas, m.X0, m.Y0, m.X0 + m.W + f.dx, m.Y0);
    for (std::int32_t k = 0; k < p.dwPulses; ++k) {
        const Wrap32 x = m.X0 + Wrap32(k) * m.W / m.K;
        drawLine(canvas, x, m.Y0, x, m.Y0 - 2);
    }
    for (std::int32_t k = p.dwMinPulses; k <= p.dwMaxPulses; ++k) drawLine(canvas, m.x(k), m.Y0, m.x(k), m.Y0 + 2);
}

void storePickAreas(ParamsHeader& p, const PlotScale& m, const ViewFrame& f)
{
    if (p.pulsesSelectedAreas == nullptr) return;
    const Wrap32 hw = (m.W / m.K) >> 1;
    const Wrap32 top = m.Y0 - (f.th >> 1), bottom = m.Y0 + (f.th >> 1);
    const std::int32_t count = std::min(p.dwMaxPulses - p.dwMinPulses + 1, p.dwAreasCapacity);
    for (std::int32_t i = 0; i < count; ++i) {
        const Wrap32 x = m.x(p.dwMinPulses + i);
        p.pulsesSelectedAreas[i] = {(x - hw).value(), top.value(), (x + hw).value(), bottom.value()};
    }
}

// The b level up to pulse M and the marker of the pulse count.
void drawBLevelAndMarker(Canvas& canvas, ParamsHeader& p, const PlotScale& m)
{
    const Wrap32 xM = m.x(p.dwPulses), top = m.Y0 - m.H;
    drawLine(canvas, m.X0, top, xM, top);
    p.ptBLevelEnd = {xM.value(), top.value()};
    drawLine(canvas, xM, m.Y0, xM, top);
    p.ptPulsesMarkBottom = {xM.value(), m.Y0.value()};
    p.ptPulsesMarkTop = {xM.value(), top.value()};
}

// A dotted level at `level` from half a gap left of the axis to a gap beyond pulse M, with
// its drag rectangle.
void drawDottedLevel(Canvas& canvas, const ParamsHeader& p, const PlotScale& m, const ViewFrame& f,
                     std::int32_t level, ParamsLine& dots, Rect& handle)
{
    const Wrap32 xs = m.X0 - (f.dx >> 1), xe = m.x(p.dwPulses) + f.dx, y = m.y(level);
    const Wrap32 hy = (f.dy >> 1) + 1;
    forEachDot(xs.value(), xe.value(), xs.value(), canvas.surface().width(),
               [&](std::int32_t x) { canvas.setPixel(x, y.value(), colors::black); });
    dots = lineOf(xs, y, xe, y);
    handle = {xs.value(), (y - hy).value(), xe.value(), (y + hy).value()};
}

// Under the axis: the pulse numbers 1 … M, and below them the counts Mmin … Mmax.
void drawAxisLabels(Canvas& canvas, const ParamsHeader& p, const PlotScale& m, const ViewFrame& f)
{
    const Wrap32 xl = m.X0 + (f.cw >> 1);
    const std::int32_t yl = (m.Y0 + (f.th >> 1)).value();
    for (std::int32_t k = 0; k < p.dwPulses; ++k) drawRightAligned(canvas, xl + Wrap32(k) * m.W / m.K, yl, k + 1);
    for (std::int32_t k = p.dwMinPulses; k <= p.dwMaxPulses; ++k)
        drawRightAligned(canvas, xl + (Wrap32(k) - 1) * m.W / m.K, yl + f.th, k);
}

// A position label left of the axis, drawn at height `y`; its rectangle (one pixel wider
// and higher than the text, up to the axis) is returned.
Rect drawPositionLabel(Canvas& canvas, const PlotScale& m, const ViewFrame& f, Wrap32 y, std::int32_t value)
{
    const std::string text = formatText("%d", value);
    const TextSize size = canvas.textExtent(text);
    const Wrap32 x = m.X0 - (f.dx + size.cx);
    canvas.textOut(x.value(), y.value(), text);
    return {x.value(), y.value(), (m.X0 + 1).value(), (y + f.th + 1).value()};
}

void drawPositionLabels(Canvas& canvas, ParamsHeader& p, const PlotScale& m, const ViewFrame& f)
{
    const Wrap32 half = f.th >> 1;
    const auto levelY = [&](std::int32_t level) { return m.Y0 - ((Wrap32(level) - p.dwA) * m.H / m.B + half); };
    drawPositionLabel(canvas, m, f, m.Y0 - half, p.dwA);
    p.rcAPlusLabel = drawPositionLabel(canvas, m, f, levelY(p.dwAPlus), p.dwAPlus);
    p.rcBMinusLabel = drawPositionLabel(canvas, m, f, levelY(p.dwBMinus), p.dwBMinus);
    drawPositionLabel(canvas, m, f, m.Y0 - (m.H + half), p.dwB);
}

void drawBoundLines(Canvas& canvas, ParamsHeader& p, const std::array<ParamsLine, 4>& lines, const ViewFrame& f)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        drawLine(canvas, lines[i]);
        p.alnDrawn[i] = lines[i];
    }
    const std::int32_t h = (f.dy >> 1) + 1;
    const ParamsLine& tmax = lines[tmaxLine];
    const ParamsLine& tmin = lines[tminLine];
    p.lnTmax = {tmax.x0, tmax.y0, tmax.x1, tmax.y1, h};
    p.lnTmin = {tmin.x0, tmin.y0, tmin.x1, tmin.y1, h};
}

// ---- Readout, entry, buttons ----

// The hit line of the Tmin line and the plot, then the values, each label ending where
// " pulses = " ends; the trailing blanks of the values cover longer numbers of an earlier
// paint. In brackets: the Tmin of the last paint, the fewest pulses that span from a+ to
// b− with steps of Tmax and the most with steps of Tmin.
void drawReadout(Canvas& canvas, const ParamsHeader& p, const PlotScale& m, const ViewFrame& f)
{
    const std::int32_t x = f.fx0 + f.dx;
    std::int32_t y = f.fy0 + 3 * f.dy;
    const auto line = [&](const std::string& text) {
        canvas.textOut(x, y, text);
        y += f.L;
    };
    const ParamsHitLine& t = p.lnTmin;
    const Rect& r = p.rcPlot;
    line(formatText(" (%d,%d) - (%d,%d) ", t.x0, t.y0, t.x1, t.y1));
    line(formatText(" h = %d", t.h));
    line(formatText(" (%d,%d) - (%d,%d) ", r.left, r.top, r.right, r.bottom));
    line(formatText(" w %d, h %d", m.W.value(), m.H.value()));
    y += f.L;

    const std::int32_t wr = canvas.textExtent(" pulses = ").cx;
    const auto value = [&](std::string_view label, const std::string& text) {
        canvas.textOut(x + wr - canvas.textExtent(label).cx, y, label);
        canvas.textOut(x + wr, y, text);
        y += f.L;
    };
    const Wrap32 tmax = p.dwTmax, tmin = p.dwTmin;
    const Wrap32 fewest = tmax > 0 ? (Wrap32(p.dwBMinus) - p.dwAPlus - 1 + tmax) / tmax + 1 : Wrap32(p.dwMinPulses);
    const Wrap32 most = tmin > 0 ? (Wrap32(p.dwB) - p.dwA) / tmin + 1 : Wrap32(p.dwMaxPulses);
    value(" a   = ", formatText("%d     ", p.dwA));
    value(" a+ = ", formatText("%d     ", p.dwAPlus));
    value(" b-  = ", formatText("%d     ", p.dwBMinus));
    value(" b   = ", formatText("%d     ", p.dwB));
    y += f.L;
    value(" Tmin = ", formatText("%d [%d]    ", p.dwTmin, p.dwPrevTmin));
    value(" Tmax = ", formatText("%d     ", p.dwTmax));
    value(" pulses = ", formatText("%d     ", p.dwPulses));
    value(" Mmin = ", formatText("%d [%d]     ", p.dwMinPulses, fewest.value()));
    value(" Mmax = ", formatText("%d [%d]     ", p.dwMaxPulses, most.value()));
}

// " Tmin " above the buttons, and the entry right of it, as wide as " 9999".
void placeTminEntry(Window& window, Canvas& canvas, const ViewFrame& f)
{
    const TextSize label = canvas.textExtent(" Tmin ");
    const std::int32_t y = f.fy1 + 1 - 3 * f.dy - label.cy;
    canvas.textOut(f.fx0 + f.dx, y, " Tmin ");
    const TextSize entry = canvas.textExtent(" 9999");
    window.services.showTminEdit(f.fx0 + f.dx + label.cx, y - 1, entry.cx, entry.cy + 2);
}

void drawButtons(Canvas& canvas, AppState& s, const ViewFrame& f)
{
    BrushScope brush(canvas, Brush{subsetPanelColor});
    const BackgroundMode mode = canvas.setBackgroundMode(BackgroundMode::transparent);
    const std::int32_t y = f.fy1 + 1 + f.L / 2;
    s.rcParamsCancel = {f.fx0, y, f.fx0 + f.btnW, y + f.btnH};
    const std::int32_t okLeft = f.fx0 + f.btnW + 2 * f.cw;
    s.rcParamsOk = {okLeft, y, okLeft + f.btnW, y + f.btnH};
    drawRaisedButton(canvas, s.rcParamsCancel, " Cancel ");
    drawRaisedButton(canvas, s.rcParamsOk, " OK ");
    canvas.setBackgroundMode(mode);
}

void rememberDrawnValues(ParamsHeader& p)
{
    p.dwPrevPulses = p.dwPulses;
    p.dwPrevAPlus = p.dwAPlus;
    p.dwPrevBMinus = p.dwBMinus;
    p.dwPrevTmin = p.dwTmin;
    p.dwPrevTmax = p.dwTmax;
    p.dwPrevMinPulses = p.dwMinPulses;
    p.dwPrevMaxPulses = p.dwMaxPulses;
    p.dwRedraw = 0;
}

} // namespace

void drawParamsView(Window& window, Canvas& canvas, AppState& s, ParamsHeader* params)
{
    if (params == nullptr) return;
    ParamsHeader& p = *params;
    const ViewFrame f = viewFrame(canvas, s);
    p.rcFrame = innerFrame(f);
    if (p.dwRedraw == 0) drawBackground(canvas, s.rcGraph, f, p.rcFrame);
    p.rcPlot = plotRect(canvas, p, f);
    const PlotScale m(p);
    const std::array<ParamsLine, 4> lines = boundLines(p, m);
    if (p.dwRedraw > 0) eraseChanges(canvas, p, m, f, lines);
    drawAxes(canvas, p, m, f);
    storePickAreas(p, m, f);
    drawBLevelAndMarker(canvas, p, m);
    drawDottedLevel(canvas, p, m, f, p.dwAPlus, p.lnAPlusDots, p.rcAPlusHandle);
    drawDottedLevel(canvas, p, m, f, p.dwBMinus, p.lnBMinusDots, p.rcBMinusHandle);
    drawAxisLabels(canvas, p, m, f);
    drawPositionLabels(canvas, p, m, f);
    drawBoundLines(canvas, p, lines, f);
    drawReadout(canvas, p, m, f);
    placeTminEntry(window, canvas, f);
    drawButtons(canvas, s, f);
    rememberDrawnValues(p);
}

} // namespace mirokel
