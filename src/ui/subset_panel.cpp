// The subset selection panel: its geometry from rcGraph and the font, then the drawing in
// order (background, pulse cells, strip and members, buttons, reserved rows).
#include "ui/subset_panel.h"

#include "app/subset_panel_state.h"
#include "platform/allocation.h"
#include "views/graph_helpers.h"

#include <algorithm>

namespace mirokel {

namespace {

constexpr Color emptySlotPen{160, 160, 160};
constexpr Color reservedFramePen{215, 220, 205};
constexpr Color buttonShadow{125, 125, 125};
constexpr Color buttonInnerShadow{165, 170, 165};

constexpr std::int32_t gridColumns = 10;    // pulse cells per row
constexpr std::int32_t stripSlotsMax = 10;  // slots of the strip at most
constexpr std::int32_t plainButtonSlots = 8; // entries of ButtonsWhileSelectedSubsetRect made by the plain panel
constexpr std::int32_t tupleButtonSlots = 6; // … and by the tuple panel

// The quantities every part of the panel is placed by (pixels).
struct PanelGeometry {
    std::int32_t dx = 0, dy = 0;   // horizontal and vertical gaps: rcGraph's size / 170 and / 131
    std::int32_t L = 0;            // line height
    std::int32_t cw = 0;           // average character width
    std::int32_t fx0 = 0, fx1 = 0; // cell area, left and right edges (inclusive)
    std::int32_t fw = 0;           // cell area width
    std::int32_t fy0 = 0, fh = 0;  // cell area top and height
    std::int32_t cellW = 0, cellH = 0; // a pulse cell, also a strip slot
    std::int32_t btnW = 0, btnH = 0;   // a button
};

// Etalon count of the cells (wPulsesListCapacity) and slot count S (wMaxPulses); 0 without a series.
std::int32_t etalonSlots(const AppState& s) { return s.lpSeriesHeader ? s.lpSeriesHeader->wPulsesListCapacity : 0; }
std::int32_t seriesMaxPulses(const AppState& s) { return s.lpSeriesHeader ? s.lpSeriesHeader->wMaxPulses : 0; }

PanelGeometry panelGeometry(Canvas& canvas, const AppState& s, std::int32_t buttons)
{
    const Rect& g = s.rcGraph;
    const std::int32_t gw = g.right - g.left + 1;
    const std::int32_t gh = g.bottom - g.top + 1;
    PanelGeometry p;
    p.dx = gw / 170;
    p.dy = gh / 131;
    p.L = s.dwLineHeight;
    p.cw = s.dwCharWidth;
    p.fx0 = g.left + p.dx;
    p.fx1 = g.right - p.dx;
    p.fw = p.fx1 - p.fx0 + 1;
    p.fy0 = g.top + p.dy;
    p.fh = (gh - 3 * p.dy) / 4;
    // (E − 1) / 10 truncates toward zero, so no etalon still gives one row.
    const std::int32_t rows = (etalonSlots(s) - 1) / gridColumns + 1;
    p.cellW = (p.fw - 11 * p.dx) / gridColumns;
    p.cellH = (p.fh - (rows + 1) * p.dy) / rows;
    std::int32_t widest = 0;
    for (std::int32_t i = 0; i < buttons; ++i) widest = std::max(widest, canvas.textExtent(apszSubsetButtons[i]).cx);
    p.btnW = widest + 4 * p.cw;
    p.btnH = 2 * p.L - 1;
    return p;
}

// The cells of the E etalons, ten to a row, row-major.
void layOutCells(AppState& s, const PanelGeometry& p)
{
    const std::int32_t count = std::min<std::int32_t>(etalonSlots(s), alphabetSlots);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t x = p.fx0 + p.dx + (k % gridColumns) * (p.cellW + p.dx);
        const std::int32_t y = p.fy0 + p.dy + (k / gridColumns) * (p.cellH + p.dy);
        s.arcSubsetCells[k] = {x, y, x + p.cellW, y + p.cellH};
    }
}

// The strip's slots: min(S, 10) as the series allows, widened to dwSubsetSize when more
// members than that were composed (S is smaller than the capacity), so that every member
// is shown in a slot the clicks can mark and delete. Returns the slot count.
std::int32_t layOutStrip(AppState& s, const PanelGeometry& p)
{
    const std::int32_t top = p.fy0 + p.fh + p.dy + p.L;
    s.rcSubsetStrip = {p.fx0, top, p.fx1, top + p.cellH + 2 * p.dy};
    const std::int32_t shown = std::min({seriesMaxPulses(s), stripSlotsMax, s.dwSubsetCapacity});
    const std::int32_t slots = std::max(shown, std::min(s.dwSubsetSize, s.dwSubsetCapacity));
    for (std::int32_t j = 0; j < slots; ++j) {
        const std::int32_t x = s.rcSubsetStrip.left + p.dx + j * (p.cellW + p.dx);
        const std::int32_t y = s.rcSubsetStrip.top + p.dy;
        s.possibleSubsetRect[j] = {x, y, x + p.cellW, y + p.cellH};
    }
    return slots;
}

// The buttons in label order below the strip, each step btnW + 2 character widths. The
// tuple panel puts " Cancel " and " OK " at the strip's right end and " Accept ",
// " Clear All " after " Delete ".
void layOutButtons(AppState& s, const PanelGeometry& p, std::int32_t buttons)
{
    const std::int32_t y = s.rcSubsetStrip.bottom + p.L / 2;
    const std::int32_t step = p.btnW + 2 * p.cw;
    std::int32_t x = s.rcSubsetStrip.left;
    for (std::int32_t i = 0; i < buttons; ++i) {
        if (buttons > subset_button::plainCount) {
            if (i == subset_button::cancel) x = s.rcSubsetStrip.right - 2 * (p.btnW + p.cw);
            if (i == subset_button::accept)
                x = s.ButtonsWhileSelectedSubsetRect[subset_button::deleteMarked].right + 2 * p.cw;
        }
        s.ButtonsWhileSelectedSubsetRect[i] = {x, y, x + p.btnW, y + p.btnH};
        x += step;
    }
}

// The shape of etalon `number` from the series in `cell`; nothing for a number the series
// does not hold.
void drawEtalonGlyph(Canvas& canvas, const AppState& s, std::int32_t number, std::int32_t mode, const Rect& cell)
{
    const SeriesHeader* series = s.lpSeriesHeader;
    if (series == nullptr || series->lpPulsesList == nullptr || number < 1 || number > series->wPulsesListSize)
        return;
    const PulseHeader* pulse = series->lpPulsesList[number - 1];
    if (pulse == nullptr) return;
    drawPulseCell(canvas, *pulse, s.wAmplitude, mode, cell, s.dwLineHeight);
}

// The glyph area of a cell or slot: inset by dx on the left, 2·dx on the right, and
// 2·dy + L above the bottom.
Rect glyphArea(const Rect& cell, const PanelGeometry& p)
{
    return {cell.left + p.dx, cell.top, cell.right - 2 * p.dx, cell.bottom - 2 * p.dy - p.L};
}

std::int32_t createButtonRects(Window& window, AppState& s, std::int32_t entries)
{
    if (s.ButtonsWhileSelectedSubsetRect != nullptr) return 1;
    s.ButtonsWhileSelectedSubsetRect = allocateArray<Rect>(static_cast<std::size_t>(entries));
    if (s.ButtonsWhileSelectedSubsetRect != nullptr) return 1;
    releaseSubsetPanel(s);
    showMessage(window, "Нет памяти для ButtonsWhileSelectedSubsetRect!", "");
    return 0;
}

void drawBackground(Canvas& canvas, const Rect& g)
{
    BrushScope brush(canvas, Brush{subsetPanelColor});
    canvas.rectangle(g.left, g.top, g.right + 1, g.bottom + 1);
}

void drawPulseCells(Canvas& canvas, const AppState& s, const PanelGeometry& p)
{
    canvas.rectangle(p.fx0, p.fy0, p.fx1 + 1, p.fy0 + p.fh + 1);
    const std::int32_t count =
        s.lpRequiredList ? std::min({std::int32_t{s.wRequiredCount}, etalonSlots(s), std::int32_t{alphabetSlots}}) : 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const Rect& cell = s.arcSubsetCells[i];
        canvas.rectangle(cell.left, cell.top, cell.right, cell.bottom);
        drawEtalonGlyph(canvas, s, s.lpRequiredList[i], cellPlain, glyphArea(cell, p));
    }
}

// The strip, its empty slots in grey, then the members in black frames, the marked ones
// grey. markAll marks every member first (the tuple panel after " Accept ").
void drawStrip(Canvas& canvas, AppState& s, const PanelGeometry& p, std::int32_t slots, bool markAll)
{
    const Rect& strip = s.rcSubsetStrip;
    canvas.rectangle(strip.left, strip.top, strip.right + 1, strip.bottom + 1);
    {
        PenScope pen(canvas, emptySlotPen);
        for (std::int32_t j = 0; j < slots; ++j) {
            const Rect& slot = s.possibleSubsetRect[j];
            canvas.rectangle(slot.left, slot.top, slot.right, slot.bottom);
        }
    }
    const std::int32_t members = std::min(s.dwSubsetSize, slots);
    for (std::int32_t j = 0; j < members; ++j) {
        if (markAll) s.adwSubsetMarks[j] = 1;
        const Rect& slot = s.possibleSubsetRect[j];
        canvas.rectangle(slot.left, slot.top, slot.right, slot.bottom);
        drawEtalonGlyph(canvas, s, s.selectedSubset[j], s.adwSubsetMarks[j] != 0 ? cellGrey : cellPlain,
                        glyphArea(slot, p));
    }
}

void drawButtons(Canvas& canvas, const AppState& s, std::int32_t buttons)
{
    BrushScope brush(canvas, Brush{subsetPanelColor});
    for (std::int32_t i = 0; i < buttons; ++i)
        drawRaisedButton(canvas, s.ButtonsWhileSelectedSubsetRect[i], apszSubsetButtons[i]);
}

// Where the reserved rows go: two columns of (capacity + 1) / 2 rows below the buttons.
struct ReservedGeometry {
    std::int32_t ry0 = 0;       // top of the first row of each column
    std::int32_t perColumn = 0; // rows in the first column
    std::int32_t rowW = 0, rowH = 0;
    std::int32_t memberW = 0, memberH = 0;
};

ReservedGeometry reservedGeometry(const AppState& s, const PanelGeometry& p)
{
    ReservedGeometry r;
    r.ry0 = s.ButtonsWhileSelectedSubsetRect[0].top + p.btnH + p.L / 2;
    const std::int32_t rh = s.rcGraph.bottom - (r.ry0 + p.dy);
    r.perColumn = (s.dwReservedCapacity + 1) / 2;
    r.rowW = (p.fw - p.dx) / 2;
    r.rowH = (rh - (r.perColumn - 1) * p.dy) / r.perColumn;
    r.memberW = (r.rowW - 2 * s.dwSubsetCapacity + 1) / s.dwSubsetCapacity;
    r.memberH = r.rowH - 2;
    return r;
}

// Stores row i's member rectangles and, at index dwSubsetCapacity, its frame.
void layOutReservedRow(AppState& s, const PanelGeometry& p, const ReservedGeometry& r, std::int32_t i)
{
    const bool firstColumn = i < r.perColumn;
    const std::int32_t x = firstColumn ? p.fx0 : p.fx0 + r.rowW + p.dx;
    const std::int32_t y = r.ry0 + (firstColumn ? i : i - r.perColumn) * (r.rowH + p.dy);
    Rect* row = s.possibleSubsetArrayRect[i];
    for (std::int32_t j = 0; j < s.dwSubsetCapacity; ++j)
        row[j] = {x + j * (r.memberW + 2) + 2, y + 1 - p.dy / 2, x + (j + 1) * (r.memberW + 2) - 3,
                  y + r.memberH - (p.dy + p.L - 1)};
    row[s.dwSubsetCapacity] = {x, y, x + r.rowW + 1, y + r.rowH + 1};
}

// The caption, every row frame in the panel's colours, then the kept rows in white with
// their members, the current one red.
void drawReservedRows(Canvas& canvas, AppState& s, const PanelGeometry& p)
{
    if (s.dwReservedCapacity <= 0 || s.dwSubsetCapacity <= 0) return; // no rows to divide the area into
    const ReservedGeometry r = reservedGeometry(s, p);
    canvas.textOut(s.rcSubsetStrip.left, r.ry0 + p.L, formatText(" reserved subsets %d ", s.dwReservedCapacity));
    const std::int32_t frame = s.dwSubsetCapacity;
    {
        PenScope pen(canvas, reservedFramePen);
        BrushScope brush(canvas, Brush{subsetPanelColor});
        for (std::int32_t i = 0; i < s.dwReservedCapacity; ++i) {
            layOutReservedRow(s, p, r, i);
            const Rect& f = s.possibleSubsetArrayRect[i][frame];
            canvas.rectangle(f.left, f.top, f.right, f.bottom);
        }
    }
    const std::int32_t kept = std::min(s.dwReservedCount, s.dwReservedCapacity);
    for (std::int32_t i = 0; i < kept; ++i) {
        const Rect* row = s.possibleSubsetArrayRect[i];
        canvas.rectangle(row[frame].left, row[frame].top, row[frame].right, row[frame].bottom);
        const std::int32_t mode = i == s.dwCurrentReserved - 1 ? cellRed : cellPlain;
        const std::int32_t size = std::clamp(s.selectedSubsetArraySize[i], 0, s.dwSubsetCapacity);
        for (std::int32_t j = 0; j < size; ++j) drawEtalonGlyph(canvas, s, s.lpReservedSubsets[i][j], mode, row[j]);
    }
}

// Both panels: storage, layout, then the drawing in order with a black pen and white brush.
std::int32_t drawPanel(Window& window, Canvas& canvas, AppState& s, bool tuples)
{
    if (prepareSubsetPanel(window, s) == 0) return 0;
    if (createButtonRects(window, s, tuples ? tupleButtonSlots : plainButtonSlots) == 0) return 0;
    const std::int32_t buttons = tuples ? subset_button::tupleCount : subset_button::plainCount;
    s.dwPanelButtons = buttons;

    const PanelGeometry p = panelGeometry(canvas, s, buttons);
    layOutCells(s, p);
    const std::int32_t slots = layOutStrip(s, p);
    layOutButtons(s, p, buttons);

    PenScope pen(canvas, colors::black);
    drawBackground(canvas, s.rcGraph);
    BrushScope brush(canvas, Brush{colors::white});
    drawPulseCells(canvas, s, p);
    drawStrip(canvas, s, p, slots, tuples && s.dwJustAccepted == 1);
    // Button labels and the reserved caption lie on the panel's colour.
    const BackgroundMode mode = canvas.setBackgroundMode(BackgroundMode::transparent);
    drawButtons(canvas, s, buttons);
    if (tuples) drawReservedRows(canvas, s, p);
    canvas.setBackgroundMode(mode);
    if (tuples) s.dwJustAccepted = 0;
    return 1;
}

} // namespace

std::int32_t drawSubsetPanel(Window& window, Canvas& canvas, AppState& state)
{
    return drawPanel(window, canvas, state, false);
}

std::int32_t drawTupleSubsetPanel(Window& window, Canvas& canvas, AppState& state)
{
    return drawPanel(window, canvas, state, true);
}

void drawRaisedButton(Canvas& canvas, const Rect& rect, std::string_view label)
{
    const std::int32_t l = rect.left, t = rect.top;
    const std::int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    {
        PenScope pen(canvas, colors::black);
        canvas.rectangle(l, t, l + w + 1, t + h + 1);
    }
    const auto line = [&](std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
        canvas.moveTo(x0, y0);
        canvas.lineTo(x1, y1);
    };
    {
        // Top and left edges, then the inner right and bottom edges, in dark grey.
        PenScope pen(canvas, buttonShadow);
        line(l, t, l + w + 1, t);
        line(l, t, l, t + h + 1);
        line(l + w - 1, t + 1, l + w - 1, t + h);
        line(l + 1, t + h - 1, l + w, t + h - 1);
    }
    {
        PenScope pen(canvas, buttonInnerShadow);
        line(l + w - 2, t + 2, l + w - 2, t + h - 1);
        line(l + 2, t + h - 2, l + w - 1, t + h - 2);
    }
    {
        PenScope pen(canvas, colors::white);
        line(l + 1, t + 1, l + w - 1, t + 1);
        line(l + 1, t + 1, l + 1, t + h - 1);
    }
    // The line height as the paint measures it: height + external leading − 1.
    const TextMetrics metrics = canvas.textMetrics();
    const std::int32_t lineHeight = metrics.height + metrics.externalLeading - 1;
    canvas.textOut(l + (w - canvas.textExtent(label).cx) / 2, t + (lineHeight - 2) / 2, label);
}

} // namespace mirokel
