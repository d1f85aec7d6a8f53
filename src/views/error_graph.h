// The error graph of the statistics view: the chosen error measure of a statistical
// simulation against the noise level, one curve per pulse-count point (componentwise) or
// one for all points (summary), on a dotted grid with numbered axes; for the recognition
// error optionally the two theoretical bound curves.
//
// Each measure is normalised to read as a fraction. The vertical axis reaches p
// thousandths: a power of ten above the data's upper value u, divided by 5 and halved
// (at most twice) while the data still fit, or the user's fixed upper bound. The
// integer formulas wrap as 32-bit unsigned arithmetic does where they are unsigned; the
// others are doubles, truncated to pixels.
#pragma once

#include "engine/rest_error_header.h"
#include "model/series_header.h"
#include "platform/canvas.h"

#include <cstdint>

namespace mirokel {

// Values of the view selector dwStatView.
namespace stat_view {
constexpr std::int32_t restoringComponentwise = 0, restoringSummary = 1;
constexpr std::int32_t detectionComponentwise = 2, detectionSummary = 3;
constexpr std::int32_t recognitionComponentwise = 4, recognitionSummary = 5;
constexpr std::int32_t recognitionComponentwiseBounds = 12, recognitionSummaryBounds = 13;
} // namespace stat_view

// Where the graph stands: X(l) = gx + l × xstep is the column of noise step l; a value y
// is a distance in pixels down from gy (0 at the top, gh at the bottom).
struct ErrorGraphFrame {
    std::int32_t gx = 0, gy = 0;
    std::int32_t gw = 0, gh = 0;       // gw = (nL − 1) × xstep, gh = 10 × ystep
    std::int32_t xstep = 0, ystep = 0; // pixels per noise step, per tenth of the height

    friend bool operator==(const ErrorGraphFrame&, const ErrorGraphFrame&) = default;
};

// Energy and correlation figures of the etalons the normalisers and bounds are formed with.
struct EtalonFigures {
    std::int32_t energy = 0;          // E
    std::uint32_t smallestSquare = 0; // e0, the smallest squared sample of the series' first etalon
    std::int32_t rmin = 0;            // Rmin, never positive
    std::int32_t rmax = 0;            // Rmax, never negative

    friend bool operator==(const EtalonFigures&, const EtalonFigures&) = default;
};

// The top of the vertical axis, in thousandths, with its tick and the scale factor of the
// curves.
struct ErrorAxis {
    std::uint32_t top = 0;  // p
    std::uint32_t tick = 0; // p / 5: the labels stand at 0, tick … 5 × tick
    std::uint32_t k = 0;    // 1000 / p as an integer quotient (0 for a top above 1000, or of 0)

    friend bool operator==(const ErrorAxis&, const ErrorAxis&) = default;
};

// The axis for the data's upper value u (thousandths), or for a fixed upper bound (used
// when set and positive; a bound beyond what 32 bits of thousandths hold is cut there).
ErrorAxis errorAxis(std::uint32_t upperValue, bool fixedUpperBound, double upperBound);

// What the statistics view hands to the graph.
struct ErrorGraphInput {
    ErrorGraphFrame frame;
    std::int32_t lineHeight = 0;      // fh of the window font
    std::int32_t charWidth = 0;       // aw of font B (selected while the graph is drawn)
    std::int32_t labelHeight = 0;     // lh of font B: tmHeight + tmExternalLeading − 1
    FontSpec textFont;                // the window font, for a line of plain text
    EtalonFigures figures;
    std::uint32_t* restoringNorm = nullptr; // nrmR: V entries, filled here for selectors 0 and 1
    std::uint32_t* detectionNorm = nullptr; // nrmD: V entries, filled here for selectors 2 and 3
    std::int32_t statView = 0;
    bool fixedUpperBound = false;     // dwFixedUpperBound
    double upperBound = 0.0;          // dUpperBound
};

// Frame, grid, both axes with their labels, the curves of the selector and, for 12 and 13,
// the bounds. Where the measure cannot be scaled (a normaliser or the axis top is 0, or the
// run has no repeats, no pulse-count point or fewer than 2 noise levels) one line of text
// in the window font says why in place of the curves; nothing is divided by zero.
void drawErrorGraph(Canvas& canvas, const ErrorGraphInput& input, const RestErrorHeader& results,
                    const SeriesHeader& series);

// The curves of selector 2: per point v, y(l) = gh − trunc(k × √((det[l][v] / reps) /
// nrmD[v]) × gh), three strokes, labelled with the point's pulse count dotR above the last
// point. reps and nrmD must not be 0.
void drawDetectionCurves(Canvas& canvas, std::uint16_t reps, std::uint16_t points, const std::uint16_t* pulseValues,
                         const std::uint32_t* detectionNorm, std::uint16_t noiseLevels,
                         const std::int32_t* const* detErrors, const ErrorGraphFrame& frame, std::int32_t dotR,
                         std::uint32_t k);

} // namespace mirokel
