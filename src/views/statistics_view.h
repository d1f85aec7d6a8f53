// The statistics view: the picture of a completed statistical simulation. The run's
// parameters at the top left; the etalons in use in a box on the right; the etalon energy
// and correlation figures and the run's times below the parameters; the pattern tuple or
// subsets of a tuple run; the formula of the measure; and the error graph (error_graph.h)
// left of the etalon box. Every paint recomputes everything; nothing is cached.
#pragma once

#include "engine/rest_error_header.h"
#include "model/series_header.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/rect.h"
#include "platform/window.h"
#include "views/error_graph.h"
#include "views/graph_helpers.h"

#include <cstdint>

namespace mirokel {

// What the view reads from the application state, copied there by the paint dispatcher
// (views do not see the application state itself).
struct StatisticsViewSettings {
    Rect graphArea;                       // rcGraph: the view's area (L0, T0, R0, B0), edges inclusive
    std::int32_t lineHeight = 0;          // dwLineHeight: fh of the window font
    bool fixedUpperBound = false;         // dwFixedUpperBound
    double upperBound = 0.0;              // dUpperBound
    std::int64_t simStartTime = 0;        // dwSimStartTime, seconds
    std::int64_t simEndTime = 0;          // dwSimEndTime, seconds
    std::int64_t* simElapsed = nullptr;   // dwSimElapsed, rewritten by every paint; null: not stored
    RowRectStore reservedRows;            // lpReservedListRect: rows of the pattern subsets' box
};

// Geometry of the view: the heights of its two fonts and where the error graph stands.
struct StatisticsViewLayout {
    std::int32_t fontH = 0;       // font B, the graph's labels
    std::int32_t formulaFont = 0; // font A, the formula line
    ErrorGraphFrame graph;

    friend bool operator==(const StatisticsViewLayout&, const StatisticsViewLayout&) = default;
};

// The layout for an area (edges inclusive), line height fh, `count` etalons in use and nL
// noise levels. Fewer than 2 noise levels give the graph no columns (xstep 0).
StatisticsViewLayout statisticsViewLayout(const Rect& area, std::int32_t lineHeight, std::uint16_t count,
                                          std::uint16_t noiseLevels);

// The sum of a[i + s] × b[i] over 0 ≤ i < L with 0 ≤ i + s < L, wrapping in 32 bits.
std::int32_t crossCorrelation(const std::int16_t* a, const std::int16_t* b, std::int32_t length,
                              std::int32_t shift);

// E and e0 of the series' first etalon over L = wImpulseSize samples, and Rmin of the first
// two etalons in use (the one with itself when one is in use; an etalon the series lacks
// is replaced by the first etalon), Rmax 0. For a tuple run (series type 36 or 40 and
// processing mode 40): E the largest energy of a pattern subset member, Rmin and Rmax the
// extremes (with 0) of the correlations of members of two different subsets. A shape
// shorter than L counts as 0 beyond its end.
EtalonFigures etalonFigures(const RestErrorHeader& results, const SeriesHeader& series, std::uint16_t count,
                            const std::uint16_t* list);

// Draws the view inside settings.graphArea with the canvas in its default state.
//   amplitude:  wAmplitude, shown as it is; 0 lets the cells scale with the noise level
//   statView:   dwStatView, the measure and form of the graph
//   count, list: wRequiredCount and lpRequiredList, the 1-based etalons in use
//   results:    lpRestErrorHeader; null or not complete draws the outer frame only
//   series:     lpSeriesHeader; null draws the outer frame only
// The times are shown through the clock's local-time text. Returns 1; 0 when the working
// arrays cannot be allocated (then a message is shown and nothing drawn).
std::int32_t DrawDetectionArrayZ(Window& window, Canvas& canvas, Clock& clock, std::int16_t amplitude,
                                 std::int32_t statView, std::uint16_t count, const std::uint16_t* list,
                                 const RestErrorHeader* results, const SeriesHeader* series,
                                 const StatisticsViewSettings& settings);

} // namespace mirokel
