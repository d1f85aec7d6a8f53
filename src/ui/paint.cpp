// The paint dispatch: layout, view, faces, selectors.
#include "ui/paint.h"

#include "ui/alphabet_panel.h"
#include "ui/button_faces.h"
#include "ui/layout.h"
#include "ui/params_view.h"
#include "ui/selectors.h"
#include "ui/subset_panel.h"
#include "views/series_view.h"
#include "views/statistics_view.h"

#include <span>

namespace mirokel {

namespace {

// View modes.
constexpr std::int32_t alphabetView = 5, resultView = 6, subsetPanelView = 9, paramsView = 10;
constexpr std::uint16_t statisticsResult = 2; // wResultKind of the statistics view

// Puts the drawing defaults of the window in place for one paint: black pen, white brush,
// black text on an opaque white background; the previous settings come back at the end.
class PaintDefaults {
public:
    explicit PaintDefaults(Canvas& canvas)
        : canvas(canvas), pen(canvas, colors::black), brush(canvas, Brush{colors::white}),
          textColor(canvas.setTextColor(colors::black)), background(canvas.setBackgroundColor(colors::white)),
          mode(canvas.setBackgroundMode(BackgroundMode::opaque))
    {
    }
    ~PaintDefaults()
    {
        canvas.setBackgroundMode(mode);
        canvas.setBackgroundColor(background);
        canvas.setTextColor(textColor);
    }
    PaintDefaults(const PaintDefaults&) = delete;
    PaintDefaults& operator=(const PaintDefaults&) = delete;

private:
    Canvas& canvas;
    PenScope pen;
    BrushScope brush;
    Color textColor;
    Color background;
    BackgroundMode mode;
};

void readFontMetrics(AppState& s, Canvas& canvas)
{
    const TextMetrics metrics = canvas.textMetrics();
    s.dwLineHeight = metrics.height + metrics.externalLeading - 1;
    s.dwCharWidth = metrics.aveCharWidth;
}

void drawFaceAt(Canvas& canvas, std::uint16_t resourceId, const Rect& place)
{
    drawButtonFace(canvas, resourceId, place.left, place.top);
}

// Next, Exit, then the select face where the processing mode has one.
void drawLowerFaces(Canvas& canvas, AppState& s)
{
    drawFaceAt(canvas, button_face::next, s.rcNextButton);
    drawFaceAt(canvas, button_face::exit, s.rcExitButton);
    if (hasSelectFace(s.wProcessingMode)) drawSelectFace(canvas, s);
}

// Series processing shows a series view only for the four plain series types.
bool seriesViewShown(const AppState& s)
{
    if (s.wProcessingMode != task_type::seriesProcessing) return true;
    return s.wSeriesType == series_type::fixedWhole || s.wSeriesType == series_type::fixedCutOff ||
           s.wSeriesType == series_type::unfixedWhole || s.wSeriesType == series_type::unfixedCutOff;
}

SeriesViewSettings seriesViewSettings(const AppState& s)
{
    return {s.rcGraph,
            s.dwLineHeight,
            s.dwHighlightDetectedPulses != 0,
            s.dwShadedOriginalPulses != 0,
            s.dwFrameGraphFields != 0,
            s.dwSpecialGraphSize != 0,
            s.wTupleHighlight,
            s.dwCurrentReserved,
            s.lpReservedListRect,
            s.dwReservedCapacity};
}

StatisticsViewSettings statisticsViewSettings(AppState& s)
{
    return {s.rcGraph,
            s.dwLineHeight,
            s.dwFixedUpperBound != 0,
            s.dUpperBound,
            s.dwSimStartTime,
            s.dwSimEndTime,
            &s.dwSimElapsed,
            {s.lpReservedListRect, s.dwReservedCapacity}};
}

// The statistics view leaves dwTypeMoreDetails as it is; the series view clears it.
void drawResultView(Window& window, AppState& s, Canvas& canvas, Clock& clock)
{
    if (s.wResultKind == statisticsResult) {
        DrawDetectionArrayZ(window, canvas, clock, s.wAmplitude, s.dwStatView, s.wRequiredCount, s.lpRequiredList,
                            s.lpRestErrorHeader, s.lpSeriesHeader, statisticsViewSettings(s));
        return;
    }
    if (seriesViewShown(s))
        drawSeriesView(window, canvas, s.wRequiredCount, s.lpRequiredList, s.lpChainsHeader, s.lpSeriesHeader,
                       seriesViewSettings(s));
    s.dwTypeMoreDetails = 0;
}

void drawView(Window& window, AppState& s, Canvas& canvas, Clock& clock)
{
    // The Tmin entry belongs to the series parameters view: however the view was left, it
    // does not stay over another.
    if (s.dwViewMode != paramsView) window.services.hideTminEdit();
    switch (s.dwViewMode) {
    case alphabetView:
        drawAlphabetPanel(canvas, s);
        drawLowerFaces(canvas, s);
        break;
    case resultView:
        drawResultView(window, s, canvas, clock);
        drawFaceAt(canvas, button_face::restart, s.rcRestartButton);
        drawLowerFaces(canvas, s);
        break;
    case subsetPanelView:
        // Each panel prepares the panel's storage first.
        if (s.wProcessingMode == processing_mode::tupleRecognition) {
            drawTupleSubsetPanel(window, canvas, s);
        } else {
            drawSubsetPanel(window, canvas, s);
        }
        drawLowerFaces(canvas, s);
        break;
    case paramsView:
        drawParamsView(window, canvas, s, s.lpParamsHeader);
        drawLowerFaces(canvas, s);
        break;
    default: // 7, 8 and any other mode: the empty graph area, no face
        break;
    }
}

std::span<const std::int32_t> choicesOf(const ChoiceTable& table) { return std::span(table).subspan(1); }

void drawSelectors(AppState& s, Canvas& canvas, std::int32_t clientWidth)
{
    const bool withLostData = s.wSeriesType == series_type::fixedCutOff || s.wSeriesType == series_type::unfixedCutOff;
    layOutSelectorBoxes(s, clientWidth, withLostData);
    const std::int32_t L = s.dwLineHeight;
    drawSelector(canvas, L, s.rcSeriesLengthBox, s.arcSeriesLengthOptions, " series length: ", dwSeriesLengthTable[0],
                 choicesOf(dwSeriesLengthTable), s.dwSeriesLengthIndex, s.dwSeriesLength);
    drawSelector(canvas, L, s.rcNoiseBox, s.arcNoiseOptions, " noise level: ", dwNoiseLevelTable[0],
                 choicesOf(dwNoiseLevelTable), s.dwNoiseLevelIndex, s.wNoiseLevel);
    if (!withLostData) return;
    drawSelector(canvas, L, s.rcLostDataBox, s.arcLostDataOptions, " lost data level: ", dwLostDataTable[0],
                 choicesOf(dwLostDataTable), s.dwLostDataIndex, s.wLostDataLevel);
}

} // namespace

void onPaint(Window& window, AppState& s, Canvas& canvas, Clock& clock, std::int32_t clientWidth,
             std::int32_t clientHeight)
{
    const FontSpec previousFont = canvas.selectFont(FontSpec{"", 0});
    {
        PaintDefaults defaults(canvas);
        readFontMetrics(s, canvas);
        layOutButtonColumn(s, clientWidth, clientHeight);
        layOutAlphabetGrid(s, clientWidth, clientHeight);
        drawView(window, s, canvas, clock);
        drawSelectors(s, canvas, clientWidth);
    }
    canvas.selectFont(previousFont);
}

} // namespace mirokel
