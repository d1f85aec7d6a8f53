// Drawing routines shared by the result views: sample curves and etalon shapes mapped into
// a graph rectangle, hatching and dotted marks around pulses and tuples, the cell of one
// etalon, the box of the etalons in use and the boxes of the pattern tuples.
//
// Every routine maps samples to pixels with the same 32-bit integer arithmetic (truncating
// divisions, products before divisions), draws with the canvas's current pen and brush
// unless it says otherwise, and puts back any pen or brush it selects before returning.
#pragma once

#include "model/alphabet.h"
#include "model/series_header.h"
#include "platform/canvas.h"
#include "platform/rect.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace mirokel {

// Which pulses drawPlacedPulses draws, and how much of each.
enum class PulseSelector {
    whole,    // placed pulses, full etalon shapes
    kept,     // placed pulses, kept fragments only
    detected, // detected pulses, full etalon shapes
};

// Modes of drawPulseCell: plain uses the current pen, red and grey draw a coloured block
// with the shape in white (any mode other than 0 and 2 is grey).
constexpr std::int32_t cellPlain = 0;
constexpr std::int32_t cellGrey = 1;
constexpr std::int32_t cellRed = 2;

// Background colour of the bands behind detected tuples.
constexpr Color tupleBackgroundColor{192, 191, 178};

// The outer frame of a view around its area (edges inclusive): a closed polyline from
// (L, T) through (L, T + H), (L + W, T + H) and (L + W, T), W and H being the area's width
// and height, so the right and bottom edges lie one pixel beyond the area.
void drawViewFrame(Canvas& canvas, const Rect& area);

// The shape of etalon number e (1-based), or null when the series has no such etalon.
const PulseHeader* etalonShape(const SeriesHeader& series, std::int32_t number);

// The scale of the etalon cells: `amplitude`, or when it is 0, 128 doubled in 16 bits while
// below the noise level (both unsigned). Doubling stops at 32768, where one more would wrap
// to 0 and never end.
std::int16_t cellAmplitude(std::int16_t amplitude, std::int16_t noiseLevel);

// Arguments shared by the graph routines:
//   graph:     the graph rectangle; w = right − left, h = bottom − top, middle line
//              ym = top + h / 2
//   amplitude: vertical scale A, sign-extended; values −A and +A fall on the bottom and
//              top edges. A of 0 draws no samples (the mapping would divide by zero).
//   series:    the record read; counts are trusted. A series of fewer than 2 samples
//              draws nothing that is placed along x (the mapping divides by N − 1).

// The vertical line at the left edge and the middle line across the graph.
void drawAxisCross(Canvas& canvas, const Rect& graph);

// The noisy samples in blue, starting from the middle line at the left edge.
void drawSeriesCurve(Canvas& canvas, const Rect& graph, std::int16_t amplitude, const SeriesHeader& series);

// The etalon shapes at the positions of the placed or detected pulses, each starting and
// ending on the middle line; an empty etalon shape draws nothing (whole, detected).
void drawPlacedPulses(Canvas& canvas, const Rect& graph, std::int16_t amplitude, const SeriesHeader& series,
                      PulseSelector selector);

// Every second pixel of each column between the middle line and the kept fragments of the
// placed pulses, the phase alternating from column to column across the whole call.
void drawKeptShading(Canvas& canvas, const Rect& graph, std::int16_t amplitude, const SeriesHeader& series);

// Position labels just under the graph.
//   seriesType: 2 and 8 (cut-off pulses) add the kept range "[a..b] "
//   panel:      0 the placed pulses, any other value (1, 2) the detected pulses
//   showNames:  adds the etalon letter after the position
void drawPulseLabels(Canvas& canvas, const Rect& graph, std::int32_t seriesType, std::int32_t panel,
                     bool showNames, const SeriesHeader& series);

// Dotted boxes over the length of each detected pulse with dotted ticks at the ends of the
// detected fragment, in black pixels.
void drawDetectedMarks(Canvas& canvas, const Rect& graph, const SeriesHeader& series);

// Dotted brackets around each detected tuple, in black pixels.
void drawTupleFrames(Canvas& canvas, const Rect& graph, const SeriesHeader& series);

// Bands of tupleBackgroundColor behind the detected tuples.
void drawTupleBackgrounds(Canvas& canvas, const Rect& graph, const SeriesHeader& series);

// The letter and the shape of one etalon in a cell.
//   amplitude: vertical scale of the shape; 0 leaves the shape out
//   mode:      cellPlain, cellRed, anything else grey
//   cell:      (l, t, r, b); the shape area is r − l wide and b − t high, below the letter
//   lineHeight: the window font's line height fh
// A shape of fewer than 2 samples is left out; the letter, axes and block are still drawn.
void drawPulseCell(Canvas& canvas, const PulseHeader& pulse, std::int16_t amplitude, std::int32_t mode,
                   const Rect& cell, std::int32_t lineHeight);

// Layout quantities of the box of etalons in use, for the caller's further layout.
struct AlphabetBoxLayout {
    std::int32_t mx = 0;   // horizontal margin, pixels
    std::int32_t my = 0;   // vertical margin, pixels
    std::int32_t my2 = 0;  // half margin, pixels
    std::int32_t th = 0;   // text allowance below the box, pixels
    std::int32_t cw = 0;   // cell width, pixels
    std::int32_t ch = 0;   // cell (shape area) height, pixels
    std::int32_t ax = 0;   // box left
    std::int32_t ay = 0;   // box top
    std::int32_t aw = 0;   // box width; the frame spans columns ax … ax + aw
    std::int32_t ah = 0;   // box height; the frame spans rows ay … ay + ah
    std::int32_t rows = 0; // rows of cells, two columns each

    friend bool operator==(const AlphabetBoxLayout&, const AlphabetBoxLayout&) = default;
};

// The mode (cellPlain, cellGrey, cellRed) of an item or a row by its 0-based index.
// An empty rule draws everything plain.
using CellModeRule = std::function<std::int32_t(std::int32_t)>;

// The layout of the alphabet box without drawing it.
//   area:  the view's area (L, T, R, B), edges inclusive
//   count: etalons in use, 0 … 20
AlphabetBoxLayout alphabetBoxLayout(const Rect& area, std::uint16_t count, std::int32_t lineHeight);

// The box of etalons in use at the right of a view: a frame, its title and one cell per
// etalon, filled column by column.
//   list:      `count` 1-based etalon numbers (shapes come from series.lpPulsesList)
//   amplitude: scale of the cells
//   modeOf:    mode of item i
AlphabetBoxLayout drawAlphabetBox(Canvas& canvas, const Rect& area, std::uint16_t count,
                                  const std::uint16_t* list, const SeriesHeader& series, std::int16_t amplitude,
                                  const CellModeRule& modeOf, std::int32_t lineHeight);

// Sizes of a pattern tuple box, known before the caller places it.
struct PatternBoxLayout {
    std::int32_t px = 0;  // horizontal pad
    std::int32_t py = 0;  // vertical pad
    std::int32_t pcw = 0; // cell pitch less the pad
    std::int32_t pch = 0; // row height
    std::int32_t bw = 0;  // box width
    std::int32_t bh = 0;  // box height
    TextSize caption;     // extent of the caption in the current font

    friend bool operator==(const PatternBoxLayout& a, const PatternBoxLayout& b)
    {
        return a.px == b.px && a.py == b.py && a.pcw == b.pcw && a.pch == b.pch && a.bw == b.bw && a.bh == b.bh &&
               a.caption.cx == b.caption.cx && a.caption.cy == b.caption.cy;
    }
};

// Box of the one pattern tuple (`lpSelectedSubset`), captioned " pattern tuple ".
//   alphabet:  quantities mx, my, cw, ch of the same view's alphabet box
//   available: the widest the box may be; none for no limit
PatternBoxLayout patternTupleBoxLayout(Canvas& canvas, const AlphabetBoxLayout& alphabet,
                                       const SeriesHeader& series, std::optional<std::int32_t> available,
                                       std::int32_t lineHeight);
void drawPatternTupleBox(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                         const SeriesHeader& series, std::int16_t amplitude, std::int32_t lineHeight);

// Box of all pattern subsets (`selectedSubsetList`), one row each, captioned
// " pattern tuples ".
//   rowModeOf: mode of the cells of row k
//   rowRects:  `wSubsetsCount` hit rectangles set to the rows (null: not stored)
PatternBoxLayout patternTuplesBoxLayout(Canvas& canvas, const AlphabetBoxLayout& alphabet,
                                        const SeriesHeader& series, std::optional<std::int32_t> available,
                                        std::int32_t lineHeight);
void drawPatternTuplesBox(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                          const SeriesHeader& series, std::int16_t amplitude, const CellModeRule& rowModeOf,
                          Rect* rowRects, std::int32_t lineHeight);

// The row rectangles a view keeps for the clicks (lpReservedListRect): room for `capacity`
// rows at `rects` (null: none kept).
struct RowRectStore {
    Rect* rects = nullptr;
    std::int32_t capacity = 0;
};

// drawPatternTuplesBox that writes no more row rectangles than the store has room for.
void drawPatternTuplesBoxKeepingRows(Canvas& canvas, const PatternBoxLayout& box, std::int32_t bx, std::int32_t by,
                                     const SeriesHeader& series, std::int16_t amplitude,
                                     const CellModeRule& rowModeOf, RowRectStore store, std::int32_t lineHeight);

} // namespace mirokel
