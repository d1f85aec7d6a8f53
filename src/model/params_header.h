// The record of the series parameters view: the geometry of the current series (length,
// interval bounds, pulse-count bounds, the extreme starts of the first and the last
// pulse), the pick rectangles of every pulse count, and the working fields of the view.
#pragma once

#include "model/series_header.h"
#include "platform/rect.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

struct ParamsLine {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    friend bool operator==(const ParamsLine&, const ParamsLine&) = default;
};

struct ParamsHitLine {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::int32_t h = 0; // half-width of the hit band, pixels
};

struct ParamsPoint {
    std::int32_t x = 0, y = 0;
};

struct ParamsHeader {
    std::int32_t dwSeriesSizeAtAlloc = 0; // N when the area array was last (re)allocated
    std::int32_t dwSeriesSize = 0;        // series length N
    std::int32_t dwTmin = 0;              // shortest interval between pulse starts
    std::int32_t dwTmax = 0;              // longest interval between pulse starts
    std::int32_t dwImpulseSize = 0;       // pulse length L
    std::int32_t dwPulses = 0;            // pulse count M shown
    std::int32_t dwMaxPulses = 0;         // (N − L + Tmin) / Tmin
    std::int32_t dwMinPulses = 0;         // (N + L − 1) / Tmax
    std::int32_t dwA = 0;                 // earliest start of the first pulse, a (always 0)
    std::int32_t dwAPlus = 0;             // latest start of the first pulse, a+ = Tmax − L
    std::int32_t dwBMinus = 0;            // earliest start of the last pulse, b− = N − Tmax
    std::int32_t dwB = 0;                 // latest start of any pulse, b = N − L
    std::int32_t dwAreasCapacity = 0;     // entries allocated in pulsesSelectedAreas
    std::int32_t dwAreasCount = 0;        // entries used: dwMaxPulses − dwMinPulses + 1
    Rect rcFrame;                         // inner frame of the view
    Rect* pulsesSelectedAreas = nullptr;  // owned: pick rectangle of each pulse count
    Rect rcAPlusHandle;                   // drag rectangle of the a+ level
    Rect rcBMinusHandle;                  // drag rectangle of the b− level
    Rect rcPlot;                          // plot rectangle
    std::int32_t dwHoverAPlus = 0, dwHoverBMinus = 0; // pointer over the a+ / b− handle
    std::int32_t dwDragAPlus = 0, dwDragBMinus = 0;   // a+ / b− level being dragged
    std::int32_t dwRedraw = 0;            // 1: the next paint of the view is incremental
    std::int32_t dwPrevPulses = 0;        // values as of the last paint …
    std::int32_t dwPrevAPlus = 0;
    std::int32_t dwPrevBMinus = 0;
    std::int32_t dwPrevTmin = 0;
    std::int32_t dwPrevTmax = 0;
    std::int32_t dwPrevMaxPulses = 0;
    std::int32_t dwPrevMinPulses = 0;
    ParamsHitLine lnTmax;                 // hit line of the Tmax line
    std::int32_t dwHoverTmax = 0, dwDragTmax = 0;
    ParamsHitLine lnTmin;                 // hit line of the Tmin line
    std::int32_t dwHoverTmin = 0, dwDragTmin = 0;
    ParamsLine alnDrawn[4];               // bound lines as last drawn: Tmax, Tmin, lower Tmin, lower Tmax
    ParamsLine lnAPlusDots;               // dotted a+ level as last drawn
    Rect rcAPlusLabel;                    // a+ value label
    ParamsLine lnBMinusDots;              // dotted b− level as last drawn
    Rect rcBMinusLabel;                   // b− value label
    ParamsPoint ptBLevelEnd;              // right end of the b level line
    ParamsPoint ptPulsesMarkTop;          // top of the pulse-count marker
    ParamsPoint ptPulsesMarkBottom;       // bottom of the pulse-count marker
};

// Derives the head fields of the record from the series and sets the Tmin entry's text.
// Creates the record when params is null; a null series returns params unchanged.
// Returns null after a failed allocation (message shown, the record released).
ParamsHeader* getParamsHeader(Window& window, const SeriesHeader* series, ParamsHeader* params);

// Releases the record and its area array; accepts null.
void freeParamsHeader(ParamsHeader* params);

} // namespace mirokel
