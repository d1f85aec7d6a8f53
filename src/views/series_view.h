// The series view: the current series and the result of the last processing run in one
// picture. Parameter lines at the top; three graphs stacked on the left (the placed pulses
// without noise, the series with noise, the detected pulses); the etalons in use in a box
// on the right; below the graphs the detected pulses, the restoration error, the best
// candidate chains against the true configuration and, for tuple series, the pattern
// tuple or the pattern subsets. Every paint recomputes the whole layout; nothing is cached.
#pragma once

#include "engine/chains_header.h"
#include "model/series_header.h"
#include "platform/canvas.h"
#include "platform/rect.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

// What the view reads from the application state, copied there by the paint dispatcher
// (views do not see the application state itself).
struct SeriesViewSettings {
    Rect graphArea;                        // rcGraph: the view's area (L0, T0, R0, B0), edges inclusive
    std::int32_t lineHeight = 0;           // dwLineHeight: line height fh of the window font, pixels
    bool highlightDetectedPulses = false;  // dwHighlightDetectedPulses: dotted marks around detected pulses
    bool shadedOriginalPulses = false;     // dwShadedOriginalPulses: hatching under the kept fragments
    bool frameGraphFields = false;         // dwFrameGraphFields: white fields with a black frame
    bool specialGraphSize = false;         // dwSpecialGraphSize: graphs of 618 × 112 pixels, no fields
    std::uint16_t tupleHighlight = 0;      // wTupleHighlight: 0 none, 1 dotted frames, 2 coloured bands
    std::int32_t currentReserved = 0;      // dwCurrentReserved: 1-based current reserved subset, 0 none
    Rect* reservedListRect = nullptr;      // lpReservedListRect: hit rectangles of the pattern subsets'
                                           // rows, rewritten when that box is drawn; null: not stored
    std::int32_t reservedListCapacity = 0; // rectangles reservedListRect holds; rows beyond are not stored
};

// The values every paint derives from the records before drawing (32-bit signed sums that
// wrap as 32-bit registers do).
struct SeriesViewValues {
    std::int32_t pureEnergy = 0;   // Epure: sum of the noiseless samples squared
    std::int32_t noiseEnergy = 0;  // Enoise: sum of the added noise squared over the series
    std::int32_t pulseNoise = 0;   // Epulses: the noise squared over the samples of the placed pulses
    std::int16_t amplitude = 0;    // S: scale of the etalon cells and the amplitude shown
    std::int16_t panelScale = 0;   // YS: scale of the three graphs, one eighth above the larger of S
                                   // and 8/3 of the noise level
    bool showNames = false;        // etalon letters after positions
};

// Geometry of the view inside the graph area.
struct SeriesViewLayout {
    std::int32_t gw = 0;        // graph width, pixels
    std::int32_t gh = 0;        // graph height, pixels, even
    std::int32_t gx = 0;        // left of the graphs and of the texts
    std::int32_t p1y = 0;       // top of graph 1 (placed pulses)
    std::int32_t p2y = 0;       // top of graph 2 (noisy series)
    std::int32_t p3y = 0;       // top of graph 3 (detected pulses)
    std::int32_t textTop = 0;   // top of the result block below the graphs

    friend bool operator==(const SeriesViewLayout&, const SeriesViewLayout&) = default;
};

// The derived values. chains: the last run's record, or null (then not labelled, and the
// names follow the detected etalon of pulse 0 alone).
SeriesViewValues seriesViewValues(const ChainsHeader* chains, const SeriesHeader& series);

// The layout for an area (edges inclusive), line height fh and count etalons in use.
SeriesViewLayout seriesViewLayout(const Rect& area, std::int32_t lineHeight, bool specialGraphSize,
                                  std::uint16_t count);

// The restoration error of chain 0 (the best pretender) against the noiseless series: the
// sum of squared differences, without the square root. Without a pulse in chain 0 the
// estimate is the empty series.
std::int32_t restoreError(const ChainsHeader& chains, const SeriesHeader& series);

// The measure of the true configuration (energy of each kept fragment minus twice its
// correlation with the noisy data), comparable with the chains' `distance`.
std::int32_t trueMeasure(const SeriesHeader& series);

// Draws the view inside settings.graphArea with the canvas in its default state.
//   count, list: wRequiredCount and lpRequiredList, the 1-based etalons in use
//   chains:      lpChainsHeader; null leaves out the title line, the chain table, the
//                restoration error and the pattern boxes (their labels come from it)
//   series:      lpSeriesHeader; null draws the outer frame only
// Returns 1.
std::int32_t drawSeriesView(Window& window, Canvas& canvas, std::uint16_t count, const std::uint16_t* list,
                            const ChainsHeader* chains, const SeriesHeader* series,
                            const SeriesViewSettings& settings);

} // namespace mirokel
