// Drawing routines shared by the result views; see graph_helpers.h. All coordinates are
// 32-bit signed; products wrap as 32-bit registers do and divisions truncate toward zero.
#include "views/graph_helpers.h"

#include "model/wrapping.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mirokel {

namespace {

// The letter that shows etalon number e: code e + 96 kept in 8 bits (1 is 'a').
char etalonLetter(std::int32_t number)
{
    return static_cast<char>(static_cast<unsigned char>(number + 96));
}

const PulseHeader& shapeOf(const SeriesHeader& series, std::int32_t number)
{
    return *series.lpPulsesList[number - 1];
}

// The mapping of sample indexes and values into a graph rectangle.
struct GraphMapping {
    GraphMapping(const Rect& graph, std::int32_t samples, std::int32_t amplitude)
        : left(graph.left), top(graph.top), bottom(graph.bottom), w(graph.right - graph.left),
          h(graph.bottom - graph.top), ym(graph.top + h / 2), span(samples - 1), amplitude(amplitude)
    {
    }

    // x positions need N − 1 > 0, y values need A ≠ 0.
    bool alongX() const { return span > 0; }
    bool alongY() const { return amplitude != 0; }

    // Column of sample index i relative to left.
    std::int32_t dx(std::int32_t i) const { return wrapMul(i, w) / span; }
    std::int32_t x(std::int32_t i) const { return left + dx(i); }
    // Row of value v relative to top.
    std::int32_t dy(std::int32_t v) const { return h - wrapMul(v + amplitude, h) / (2 * amplitude); }
    std::int32_t y(std::int32_t v) const { return top + dy(v); }

    std::int32_t left, top, bottom, w, h, ym, span, amplitude;
};

// One list of pulses of a series: the placed or the detected ones.
struct PulseList {
    std::int32_t count;
    const std::int16_t* positions;
    const std::int16_t* etalons;
    const std::int16_t* firstSamples;
    const std::int16_t* lastSamples;
};

PulseList placedPulses(const SeriesHeader& s)
{
    return {s.wImpulseQuantity, s.lpPositions, s.lpEtalonNumbers, s.lpFirstSamples, s.lpLastSamples};
}

PulseList detectedPulses(const SeriesHeader& s)
{
    return {s.wDetPulses, s.lpDetPositions, s.lpDetEtalonNumbers, s.lpDetFirstSamples, s.lpDetLastSamples};
}

// A shape from the middle line through samples first … last at position p and back.
void drawExcursion(Canvas& canvas, const GraphMapping& m, std::int32_t p, const std::int16_t* s, std::int32_t first,
                   std::int32_t last)
{
    canvas.moveTo(m.x(p + first), m.ym);
    for (std::int32_t j = first; j <= last; ++j)
        canvas.lineTo(m.x(p + j), m.y(s[j]));
    canvas.lineTo(m.x(p + last), m.ym);
}

// Dotted vertical ticks at columns xa and xb from the middle line up and down, one dot
// every 2 rows while t < hh; returns the rows reached above and below.
struct DottedRows {
    std::int32_t up;
    std::int32_t down;
};

DottedRows drawDottedTicks(Canvas& canvas, const GraphMapping& m, std::int32_t xa, std::int32_t xb,
                           std::int32_t hh)
{
    std::int32_t yu = m.ym;
    std::int32_t yd = m.ym;
    for (std::int32_t t = 0; t < hh; t += 2) {
        canvas.setPixel(m.left + xa, yu, colors::black);
        canvas.setPixel(m.left + xa, yd, colors::black);
        canvas.setPixel(m.left + xb, yu, colors::black);
        canvas.setPixel(m.left + xb, yd, colors::black);
        yu -= 2;
        yd += 2;
    }
    return {yu, yd};
}

// A dotted bracket: ticks at xs and xe, then dotted horizontal lines joining their ends.
void drawDottedBox(Canvas& canvas, const GraphMapping& m, std::int32_t xs, std::int32_t xe, std::int32_t hh)
{
    const DottedRows rows = drawDottedTicks(canvas, m, xs, xe, hh);
    for (std::int32_t x = xs; x <= xe; x += 2) {
        canvas.setPixel(m.left + x, rows.up, colors::black);
        canvas.setPixel(m.left + x, rows.down, colors::black);
    }
}

// Columns (relative to left) of detected tuple t, widened by up to 2 pixels each side
// while they stay within 0 … w − 1.
struct TupleColumns {
    std::int32_t xs;
    std::int32_t xe;
};

TupleColumns tupleColumns(const GraphMapping& m, const SeriesHeader& s, std::int32_t t)
{
    const std::int32_t f = s.lpTupleFirst[t];
    const std::int32_t g = s.lpTupleLast[t];
    std::int32_t xs = m.dx(s.lpDetPositions[f - 1]);
    std::int32_t xe = m.dx(s.lpDetPositions[g - 1] + s.wImpulseSize - 1);
    for (int step = 0; step < 2 && xs > 0; ++step)
        --xs;
    for (int step = 0; step < 2 && xe < m.w - 1; ++step)
        ++xe;
    return {xs, xe};
}

// Hatching of one column c (relative to left) from the middle row hm toward row yc.
void hatchColumn(Canvas& canvas, const GraphMapping& m, std::int32_t c, std::int32_t hm, std::int32_t yc,
                 std::int32_t phase)
{
    if (yc > hm) {
        for (std::int32_t l = hm + phase; l < yc; l += 2)
            canvas.setPixel(m.left + c, m.top + l, colors::black);
    } else {
        for (std::int32_t l = hm - phase; l > yc; l -= 2)
            canvas.setPixel(m.left + c, m.top + l, colors::black);
    }
}

// The hatching under the kept sample j of one pulse; phase carries over between calls.
void hatchSample(Canvas& canvas, const GraphMapping& m, std::int32_t p, const PulseHeader& shape,
                 std::int32_t j, std::int32_t b, std::int32_t& phase)
{
    const std::int32_t n = shape.wLength;
    const std::int16_t* s = shape.lpData;
    const std::int32_t hm = m.h / 2;
    const std::int32_t yj = m.dy(s[j]);
    const std::int32_t x0 = m.dx(j + p);
    const std::int32_t x1 = j < b ? m.dx(p + j + 1) : x0;
    const std::int32_t next = j + 1 < n ? s[j + 1] : 0;
    const std::int32_t yn = m.dy(next);
    const std::int32_t dy = yn - yj;
    const std::int32_t dx = x1 - x0;
    std::int32_t yc = yj;
    for (std::int32_t c = x0; c < x1; ++c) {
        hatchColumn(canvas, m, c, hm, yc, phase);
        phase = 1 - phase;
        if (dx > 0)
            yc = wrapAdd(wrapMul(yc, dx), dy) / dx;
    }
}

std::string pulseLabel(std::int32_t seriesType, bool showNames, const PulseList& list, std::int32_t k)
{
    std::string text = std::to_string(list.positions[k]);
    if (showNames)
        text += etalonLetter(list.etalons[k]);
    if (seriesType == 2 || seriesType == 8)
        text += formatText("[%d..%d] ", list.firstSamples[k], list.lastSamples[k]);
    return text;
}

// The axes of a cell's shape area: its left edge and the middle line, 5 pixels longer.
void drawCellAxes(Canvas& canvas, std::int32_t l, std::int32_t y0, std::int32_t w, std::int32_t h,
                  std::int32_t hm)
{
    canvas.moveTo(l, y0);
    canvas.lineTo(l, y0 + h);
    canvas.moveTo(l, y0 + hm);
    canvas.lineTo(l + w + 5, y0 + hm);
}

// The shape of a cell from the middle line and back, shifted by (sx, sy).
void drawCellCurve(Canvas& canvas, const PulseHeader& pulse, std::int32_t amplitude, std::int32_t l,
                   std::int32_t y0, std::int32_t w, std::int32_t h, std::int32_t sx, std::int32_t sy)
{
    const std::int32_t n = pulse.wLength;
    const std::int32_t hm = h / 2;
    canvas.moveTo(l + sx, y0 + hm + sy);
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t xi = wrapMul(i, w) / (n - 1);
        const std::int32_t yi = h - wrapMul(pulse.lpData[i] + amplitude, h) / (2 * amplitude);
        canvas.lineTo(l + xi + sx, y0 + yi + sy);
    }
    canvas.lineTo(l + w + sx, y0 + hm + sy);
}

// Text of the alphabet box's title: the long one names the count with "item" in the
// singular for 1; the short one, for narrow boxes, keeps only the number.
std::string alphabetTitle(std::int32_t count, std::int32_t boxWidth)
{
    constexpr std::int32_t narrowBox = 100;
    if (boxWidth < narrowBox)
        return " Alph: " + std::to_string(count) + " ";
    return " Alphabet, " + std::to_string(count) + (count == 1 ? " item " : " items ");
}

// Shrinks a pattern box to the available width, cells narrowing to fit `columns` of them.
void fitPatternBox(PatternBoxLayout& box, std::int32_t columns, std::optional<std::int32_t> available)
{
    // No columns means no cells to narrow (and the division would be by zero).
    if (available && *available < box.bw && columns > 0) {
        box.bw = *available;
        box.pcw = (box.bw - box.px - 1) / columns - box.px;
        box.bw = wrapMul(box.pcw + box.px, columns) + box.px + 1;
    }
    box.bw = std::max(box.bw, box.caption.cx + 20);
}

// One pattern cell at row origin (x, y).
void drawPatternCell(Canvas& canvas, const PatternBoxLayout& box, std::int32_t x, std::int32_t y,
                     const PulseHeader& shape, std::int16_t amplitude, std::int32_t mode, std::int32_t fh)
{
    const Rect cell{x + box.px, y - box.py - 1, x + box.pcw - 2 * box.px, y + box.pch - 2 * box.py - fh};
    drawPulseCell(canvas, shape, amplitude, mode, cell, fh);
}

void drawPatternFrame(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                      std::int32_t fh)
{
    canvas.rectangle(bx, by - (fh >> 2) + 1, bx + box.bw, by + box.bh);
}

// The caption above the box's right end.
void drawPatternCaption(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                        const char* caption)
{
    const TextSize& c = box.caption;
    canvas.textOut(bx + box.bw - (c.cx + 10), by - ((c.cy >> 1) + (c.cy >> 2)), caption);
}

constexpr const char* patternTupleCaption = " pattern tuple ";
constexpr const char* patternTuplesCaption = " pattern tuples ";

} // namespace

void drawViewFrame(Canvas& canvas, const Rect& area)
{
    const std::int32_t w = area.right - area.left + 1;
    const std::int32_t h = area.bottom - area.top + 1;
    canvas.moveTo(area.left, area.top);
    canvas.lineTo(area.left, area.top + h);
    canvas.lineTo(area.left + w, area.top + h);
    canvas.lineTo(area.left + w, area.top);
    canvas.lineTo(area.left, area.top);
}

const PulseHeader* etalonShape(const SeriesHeader& series, std::int32_t number)
{
    if (series.lpPulsesList == nullptr || number < 1 || number > series.wPulsesListSize)
        return nullptr;
    return series.lpPulsesList[number - 1];
}

std::int16_t cellAmplitude(std::int16_t amplitude, std::int16_t noiseLevel)
{
    constexpr std::uint16_t defaultAmplitude = 128;
    if (amplitude != 0)
        return amplitude;
    const auto noise = static_cast<std::uint16_t>(noiseLevel);
    std::uint16_t s = defaultAmplitude;
    while (s < noise && s < 0x8000u)
        s = static_cast<std::uint16_t>(s * 2u);
    return static_cast<std::int16_t>(s);
}

void drawAxisCross(Canvas& canvas, const Rect& graph)
{
    const GraphMapping m(graph, 0, 0);
    canvas.moveTo(m.left, m.top);
    canvas.lineTo(m.left, m.top + m.h);
    canvas.moveTo(m.left, m.ym);
    canvas.lineTo(m.left + m.w, m.ym);
}

void drawSeriesCurve(Canvas& canvas, const Rect& graph, std::int16_t amplitude, const SeriesHeader& series)
{
    const GraphMapping m(graph, series.dwSeriesSize, amplitude);
    if (!m.alongX() || !m.alongY())
        return;
    PenScope pen(canvas, colors::blue);
    canvas.moveTo(m.left, m.ym);
    for (std::int32_t i = 0; i < series.dwSeriesSize; ++i)
        canvas.lineTo(m.x(i), m.y(series.lpNoisyData[i]));
}

void drawPlacedPulses(Canvas& canvas, const Rect& graph, std::int16_t amplitude, const SeriesHeader& series,
                      PulseSelector selector)
{
    const GraphMapping m(graph, series.dwSeriesSize, amplitude);
    if (!m.alongX() || !m.alongY())
        return;
    const PulseList list = selector == PulseSelector::detected ? detectedPulses(series) : placedPulses(series);
    for (std::int32_t k = 0; k < list.count; ++k) {
        const PulseHeader& shape = shapeOf(series, list.etalons[k]);
        if (selector == PulseSelector::kept)
            drawExcursion(canvas, m, list.positions[k], shape.lpData, list.firstSamples[k], list.lastSamples[k]);
        else if (shape.wLength > 0)
            drawExcursion(canvas, m, list.positions[k], shape.lpData, 0, shape.wLength - 1);
    }
}

void drawKeptShading(Canvas& canvas, const Rect& graph, std::int16_t amplitude, const SeriesHeader& series)
{
    const GraphMapping m(graph, series.dwSeriesSize, amplitude);
    if (!m.alongX() || !m.alongY())
        return;
    std::int32_t phase = 0;
    for (std::int32_t k = 0; k < series.wImpulseQuantity; ++k) {
        const PulseHeader& shape = shapeOf(series, series.lpEtalonNumbers[k]);
        const std::int32_t a = series.lpFirstSamples[k];
        const std::int32_t b = series.lpLastSamples[k];
        const std::int32_t first = std::max(a, 0);
        const std::int32_t last = std::min(b, static_cast<std::int32_t>(shape.wLength) - 1);
        for (std::int32_t j = first; j <= last; ++j)
            hatchSample(canvas, m, series.lpPositions[k], shape, j, b, phase);
    }
}

void drawPulseLabels(Canvas& canvas, const Rect& graph, std::int32_t seriesType, std::int32_t panel,
                     bool showNames, const SeriesHeader& series)
{
    const GraphMapping m(graph, series.dwSeriesSize, 0);
    if (!m.alongX())
        return;
    const PulseList list = panel == 0 ? placedPulses(series) : detectedPulses(series);
    for (std::int32_t k = 0; k < list.count; ++k)
        canvas.textOut(m.x(list.positions[k]) - 5, m.bottom - 1, pulseLabel(seriesType, showNames, list, k));
}

void drawDetectedMarks(Canvas& canvas, const Rect& graph, const SeriesHeader& series)
{
    const GraphMapping m(graph, series.dwSeriesSize, 0);
    if (!m.alongX())
        return;
    const std::int32_t hh = m.h / 3;
    const std::int32_t length = series.wImpulseSize;
    for (std::int32_t k = 0; k < series.wDetPulses; ++k) {
        const std::int32_t p = series.lpDetPositions[k];
        drawDottedBox(canvas, m, m.dx(p), m.dx(p + length - 1), hh);
        drawDottedTicks(canvas, m, m.dx(p + series.lpDetFirstSamples[k]), m.dx(p + series.lpDetLastSamples[k]), hh);
    }
}

void drawTupleFrames(Canvas& canvas, const Rect& graph, const SeriesHeader& series)
{
    const GraphMapping m(graph, series.dwSeriesSize, 0);
    if (!m.alongX())
        return;
    const std::int32_t hh = (3 * m.h) / 8;
    for (std::int32_t t = 0; t < series.wDetTuples; ++t) {
        const TupleColumns c = tupleColumns(m, series, t);
        drawDottedBox(canvas, m, c.xs, c.xe, hh);
    }
}

void drawTupleBackgrounds(Canvas& canvas, const Rect& graph, const SeriesHeader& series)
{
    const GraphMapping m(graph, series.dwSeriesSize, 0);
    if (!m.alongX())
        return;
    const std::int32_t hh = (3 * m.h) / 8;
    PenScope pen(canvas, tupleBackgroundColor);
    BrushScope brush(canvas, Brush{tupleBackgroundColor});
    for (std::int32_t t = 0; t < series.wDetTuples; ++t) {
        const TupleColumns c = tupleColumns(m, series, t);
        canvas.rectangle(m.left + c.xs, m.ym - hh, m.left + c.xe, m.ym + hh);
    }
}

void drawPulseCell(Canvas& canvas, const PulseHeader& pulse, std::int16_t amplitude, std::int32_t mode,
                   const Rect& cell, std::int32_t lineHeight)
{
    const std::int32_t l = cell.left;
    const std::int32_t t = cell.top;
    const std::int32_t w = cell.right - cell.left;
    const std::int32_t h = cell.bottom - cell.top;
    canvas.textOut(l, t + 2, std::string{' ', etalonLetter(pulse.wNumber), ' '});

    const std::int32_t y0 = t + 1 + lineHeight + (lineHeight >> 2);
    const std::int32_t hm = h / 2;
    // The curve maps over n − 1 columns and 2A rows: without them only the curve is left out.
    const bool curve = pulse.wLength >= 2 && amplitude != 0;
    if (mode == cellPlain) {
        drawCellAxes(canvas, l, y0, w, h, hm);
        if (curve)
            drawCellCurve(canvas, pulse, amplitude, l, y0, w, h, 0, 0);
        return;
    }
    const Color block = mode == cellRed ? colors::red : colors::grey;
    {
        PenScope pen(canvas, block);
        BrushScope brush(canvas, Brush{block});
        canvas.rectangle(l - 3, y0 - 1, l + w + 6, y0 + h + 1);
    }
    PenScope pen(canvas, colors::white);
    drawCellAxes(canvas, l, y0, w, h, hm);
    if (curve) {
        drawCellCurve(canvas, pulse, amplitude, l, y0, w, h, 1, 0);
        drawCellCurve(canvas, pulse, amplitude, l, y0, w, h, 0, -1);
    }
}

AlphabetBoxLayout alphabetBoxLayout(const Rect& area, std::uint16_t count, std::int32_t lineHeight)
{
    const std::int32_t fh = lineHeight;
    const std::int32_t W = area.right - area.left + 1;
    const std::int32_t H = area.bottom - area.top + 1;
    AlphabetBoxLayout a;
    a.mx = (12 * W) / 1000;
    a.my = (15 * H + 500) / 1000;
    a.my2 = (15 * H + 1000) / 2000;
    a.th = fh + (fh >> 2) - 3;
    a.rows = (2 + 2 * count) / 4;
    a.cw = (50 * W) / 1000;
    a.aw = (a.cw + 2 * a.mx) * 2 + (a.mx >> 1);
    a.ax = area.right - a.aw - a.mx + 1;
    a.ay = area.top + a.my + (fh >> 1);
    const std::int32_t avail = area.bottom - a.ay - a.th;
    a.ch = (avail - 2 * a.my) / 8 - (a.my2 + fh);
    a.ah = (a.ch + a.my2 + fh) * a.rows + 2 * a.my;
    if (a.ah > avail) {
        // Without rows (no etalons) there is no cell to fit, and the division would be by zero.
        if (a.rows > 0)
            a.ch = (avail - 2 * a.my) / a.rows - (a.my2 + fh);
        a.ah = avail;
    }
    return a;
}

AlphabetBoxLayout drawAlphabetBox(Canvas& canvas, const Rect& area, std::uint16_t count,
                                  const std::uint16_t* list, const SeriesHeader& series, std::int16_t amplitude,
                                  const CellModeRule& modeOf, std::int32_t lineHeight)
{
    const AlphabetBoxLayout a = alphabetBoxLayout(area, count, lineHeight);
    const std::int32_t fh = lineHeight;
    canvas.rectangle(a.ax, a.ay, a.ax + a.aw + 1, a.ay + a.ah + 1);
    canvas.textOut(a.ax + 7, a.ay - a.my, alphabetTitle(count, a.aw));

    constexpr std::int32_t columns = 2;
    const std::int32_t x0 = a.ax + a.mx;
    const std::int32_t y0 = a.ay + a.my;
    for (std::int32_t r = 0; r < a.rows; ++r) {
        for (std::int32_t c = 0; c < columns; ++c) {
            const std::int32_t i = c * a.rows + r; // items fill column 0 first
            if (i >= count)
                break;
            const std::int32_t left = x0 + (a.cw + 2 * a.mx) * c;
            const std::int32_t top = y0 + (a.ch + a.my2 + fh) * r;
            const std::int32_t mode = modeOf ? modeOf(i) : cellPlain;
            drawPulseCell(canvas, shapeOf(series, list[i]), amplitude, mode, Rect{left, top, left + a.cw, top + a.ch},
                          fh);
        }
    }
    return a;
}

PatternBoxLayout patternTupleBoxLayout(Canvas& canvas, const AlphabetBoxLayout& alphabet,
                                       const SeriesHeader& series, std::optional<std::int32_t> available,
                                       std::int32_t lineHeight)
{
    const std::int32_t members = series.wSelectedSubsetSize;
    PatternBoxLayout box;
    box.caption = canvas.textExtent(patternTupleCaption);
    box.py = (alphabet.my >> 2) + 1;
    box.px = (alphabet.mx >> 2) + 1;
    box.pcw = alphabet.cw + 2 * box.px;
    box.bw = (box.pcw + box.px) * members + box.px + 1;
    box.pch = alphabet.ch + 2 * box.py + lineHeight;
    box.bh = box.pch + 2 * box.py;
    fitPatternBox(box, members, available);
    return box;
}

void drawPatternTupleBox(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                         const SeriesHeader& series, std::int16_t amplitude, std::int32_t lineHeight)
{
    drawPatternFrame(canvas, box, bx, by, lineHeight);
    const std::int32_t y = by + box.py;
    std::int32_t x = bx + box.px;
    for (std::int32_t t = 0; t < series.wSelectedSubsetSize; ++t) {
        drawPatternCell(canvas, box, x, y, shapeOf(series, series.lpSelectedSubset[t]), amplitude, cellPlain,
                        lineHeight);
        x += box.pcw + box.px;
    }
    drawPatternCaption(canvas, box, bx, by, patternTupleCaption);
}

PatternBoxLayout patternTuplesBoxLayout(Canvas& canvas, const AlphabetBoxLayout& alphabet,
                                        const SeriesHeader& series, std::optional<std::int32_t> available,
                                        std::int32_t lineHeight)
{
    const std::int32_t rows = series.wSubsetsCount;
    std::int32_t widest = 0;
    for (std::int32_t k = 0; k < rows; ++k)
        widest = std::max(widest, static_cast<std::int32_t>(series.selectedSubsetSize[k]));
    PatternBoxLayout box;
    box.caption = canvas.textExtent(patternTuplesCaption);
    box.py = (alphabet.my >> 3) + 1;
    box.px = (alphabet.mx >> 3) + 1;
    box.pcw = alphabet.cw;
    box.bw = (box.pcw + box.px) * widest + box.px + 1;
    box.pch = (8 * (alphabet.ch + 2 * box.py + lineHeight) + 5) / 9;
    box.bh = (box.pch + box.py) * rows + box.py;
    fitPatternBox(box, widest, available);
    return box;
}

void drawPatternTuplesBox(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                          const SeriesHeader& series, std::int16_t amplitude, const CellModeRule& rowModeOf,
                          Rect* rowRects, std::int32_t lineHeight)
{
    drawPatternFrame(canvas, box, bx, by, lineHeight);
    std::int32_t y = by + (box.py >> 1);
    for (std::int32_t k = 0; k < series.wSubsetsCount; ++k) {
        std::int32_t x = bx + box.px;
        if (rowRects != nullptr)
            rowRects[k] = Rect{x, y, x + box.bw, y + box.pch + box.py};
        const std::int32_t mode = rowModeOf ? rowModeOf(k) : cellPlain;
        for (std::int32_t j = 0; j < series.selectedSubsetSize[k]; ++j) {
            drawPatternCell(canvas, box, x, y, shapeOf(series, series.selectedSubsetList[k][j]), amplitude, mode,
                            lineHeight);
            x += box.pcw + box.px;
        }
        y += box.pch + box.py;
    }
    drawPatternCaption(canvas, box, bx, by, patternTuplesCaption);
}

void drawPatternTuplesBoxKeepingRows(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                                     const SeriesHeader& series, std::int16_t amplitude,
                                     const CellModeRule& rowModeOf, RowRectStore store, std::int32_t lineHeight)
{
    // The rows go through a buffer so that no more than the store's rectangles are written.
    std::vector<Rect> rows(series.wSubsetsCount);
    drawPatternTuplesBox(canvas, box, bx, by, series, amplitude, rowModeOf, rows.data(), lineHeight);
    if (store.rects == nullptr)
        return;
    const auto capacity = static_cast<std::size_t>(std::max(store.capacity, 0));
    std::copy_n(rows.begin(), std::min(rows.size(), capacity), store.rects);
}

} // namespace mirokel
