// The statistics view; see statistics_view.h. Coordinates are 32-bit signed, divisions
// truncate toward zero, sums and products wrap as 32-bit registers do.
#include "views/statistics_view.h"

#include "model/wrapping.h"
#include "platform/allocation.h"
#include "views/graph_helpers.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace mirokel {

namespace {

constexpr std::uint16_t tupleRecognitionMode = 40;
constexpr const char* symbolFace = "Symbol"; // Latin letters drawn as Greek ones

bool isTupleSeries(std::uint16_t type) { return type == 36 || type == 40; }

// A tuple run compares pattern subsets: its figures come from their members.
bool isTupleRun(const RestErrorHeader& r)
{
    return isTupleSeries(r.wSeriesType) && r.wProcessingMode == tupleRecognitionMode;
}

// ---- etalon figures ------------------------------------------------------------------

// The first L samples of a shape; samples the shape does not have are 0.
using Samples = std::vector<std::int16_t>;

Samples samplesOf(const PulseHeader* shape, std::int32_t length)
{
    Samples samples(static_cast<std::size_t>(std::max(length, 0)), 0);
    if (shape != nullptr && shape->lpData != nullptr)
        std::copy_n(shape->lpData, std::min<std::int32_t>(shape->wLength, length), samples.begin());
    return samples;
}

std::int32_t energyOf(const Samples& h)
{
    std::int32_t sum = 0;
    for (std::int16_t x : h) sum = wrapAdd(sum, wrapMul(x, x));
    return sum;
}

// The samples of etalon `number`, or of the first etalon when the series has no such one.
Samples shapeOrFirst(const SeriesHeader& s, std::int32_t number)
{
    const PulseHeader* shape = etalonShape(s, number);
    return samplesOf(shape != nullptr ? shape : s.lpFirstEtalon, s.wImpulseSize);
}

struct Extremes {
    std::int32_t low = 0; // never positive
    std::int32_t high = 0; // never negative
};

// Widens the extremes by the correlations of a and b at every shift −L … L.
void correlate(Extremes& e, const Samples& a, const Samples& b)
{
    const auto length = static_cast<std::int32_t>(a.size());
    for (std::int32_t s = -length; s <= length; ++s) {
        const std::int32_t c = crossCorrelation(a.data(), b.data(), length, s);
        e.low = std::min(e.low, c);
        e.high = std::max(e.high, c);
    }
}

// The members of every pattern subset: the largest energy, and the extremes over the pairs
// of members of two different subsets.
void tupleFigures(EtalonFigures& f, const SeriesHeader& s)
{
    std::vector<std::vector<Samples>> subsets(s.wSubsetsCount);
    std::int32_t energy = 0;
    for (std::int32_t k = 0; k < s.wSubsetsCount; ++k) {
        for (std::int32_t j = 0; j < s.selectedSubsetSize[k]; ++j) {
            subsets[k].push_back(shapeOrFirst(s, s.selectedSubsetList[k][j]));
            energy = std::max(energy, energyOf(subsets[k].back()));
        }
    }
    Extremes e;
    for (std::size_t k1 = 0; k1 < subsets.size(); ++k1)
        for (std::size_t k2 = k1 + 1; k2 < subsets.size(); ++k2)
            for (const Samples& a : subsets[k1])
                for (const Samples& b : subsets[k2]) correlate(e, a, b);
    f.energy = energy;
    f.rmin = e.low;
    f.rmax = e.high;
}

// ---- parameter lines -----------------------------------------------------------------

const char* caseTitle(std::int32_t statView)
{
    using namespace stat_view;
    switch (statView) {
    case restoringComponentwise: return " restored error, componentwise case";
    case restoringSummary: return " restored error, agregate form";
    case detectionComponentwise: return " detection error, componentwise case";
    case detectionSummary: return " detection error, agregate form";
    case recognitionComponentwise:
    case recognitionComponentwiseBounds: return " recognition error, componentwise case";
    case recognitionSummary:
    case recognitionSummaryBounds: return " recognition error, agregate form";
    default: return "";
    }
}

// Up to three pulse counts in full, else the first two and the last; then the range,
// written over the last character (the trailing comma or blank).
std::string pulseCountsLine(const RestErrorHeader& r, const SeriesHeader& s)
{
    const std::int32_t points = r.wVariousPulses;
    std::string line = " involves ";
    if (points <= 3) {
        for (std::int32_t v = 0; v < points; ++v) line += formatText(" %d,", r.wPulseValues[v]);
    } else {
        line += formatText(" %d,", r.wPulseValues[0]);
        line += formatText(" %d,", r.wPulseValues[1]);
        line += formatText("..., %d ", r.wPulseValues[points - 1]);
    }
    line.pop_back();
    line += formatText(" pulses from [%d-%d],", s.wMinPulses, s.wMaxPulses);
    return line;
}

// Noise level of step l as a 16-bit signed value; a step the run does not have reads 0.
std::int32_t noiseLevelAt(const RestErrorHeader& r, std::int32_t l)
{
    if (l < 0 || l >= r.wNoiseLevels) return 0;
    return static_cast<std::int16_t>(r.lpNoiseLevels[l]);
}

std::vector<std::string> parameterLines(const RestErrorHeader& r, const SeriesHeader& s, std::int16_t amplitude,
                                        std::int32_t statView)
{
    const std::int32_t levels = r.wNoiseLevels;
    // Labels a record does not carry print as empty texts.
    const char* task = r.lpTaskName != nullptr ? r.lpTaskName : "";
    const char* seriesName = r.lpSeriesName != nullptr ? r.lpSeriesName : "";
    return {
        formatText(" statistical simulation for %s in series with %s ", task, seriesName),
        formatText(" series length %d, ", s.dwSeriesSize),
        pulseCountsLine(r, s),
        formatText(" with length %d", s.wImpulseSize) + formatText(", amplitude %d", amplitude),
        formatText(" Tmin=%d, Tmax=%d,", s.wTmin, s.wTmax),
        formatText(" number of %d noise levels", levels),
        formatText(" from %d to %d with step %d", noiseLevelAt(r, 0), noiseLevelAt(r, levels - 1),
                   noiseLevelAt(r, 1) - noiseLevelAt(r, 0)),
        caseTitle(statView),
        formatText(" for volume of % d repeats", r.repeats),
    };
}

// "h:mm:ss" with the minutes and seconds digit by digit.
std::string elapsedLine(std::int64_t elapsed)
{
    const std::int64_t minutes = (elapsed / 60) % 60;
    const std::int64_t seconds = elapsed % 60;
    return formatText("elapsed time %lld:%lld%lld:%lld%lld", static_cast<long long>(elapsed / 3600),
                      static_cast<long long>(minutes / 10), static_cast<long long>(minutes % 10),
                      static_cast<long long>(seconds / 10), static_cast<long long>(seconds % 10));
}

// ---- the working arrays --------------------------------------------------------------

// The two normaliser arrays of V entries, every entry 1, released with the object.
class Normalisers {
public:
    explicit Normalisers(std::uint16_t points)
        : restoring(allocateArray<std::uint32_t>(points)), detection(allocateArray<std::uint32_t>(points))
    {
        if (!allocated()) return;
        std::fill_n(restoring, points, 1u);
        std::fill_n(detection, points, 1u);
    }
    ~Normalisers()
    {
        releaseMemory(restoring);
        releaseMemory(detection);
    }
    Normalisers(const Normalisers&) = delete;
    Normalisers& operator=(const Normalisers&) = delete;

    bool allocated() const { return restoring != nullptr && detection != nullptr; }

    std::uint32_t* restoring;
    std::uint32_t* detection;
};

// ---- drawing steps, in the order they run ----------------------------------------------

struct ViewContext {
    Canvas& canvas;
    Clock& clock;
    const RestErrorHeader& results;
    const SeriesHeader& series;
    const StatisticsViewSettings& settings;
    std::int32_t fh;
    std::int32_t statView;
};

void drawParameterLines(const ViewContext& v, std::int16_t amplitude)
{
    const Rect& area = v.settings.graphArea;
    std::int32_t y = area.top - (v.fh >> 1);
    for (const std::string& line : parameterLines(v.results, v.series, amplitude, v.statView)) {
        v.canvas.textOut(area.left + 10, y, line);
        y += v.fh + 1;
    }
}

// The figures and the run's times below the parameters; returns the top of the box area.
std::int32_t drawFiguresAndTimes(const ViewContext& v, const AlphabetBoxLayout& alphabet,
                                 const EtalonFigures& figures)
{
    const Rect& area = v.settings.graphArea;
    const std::int32_t x = area.left + alphabet.mx;
    const std::int32_t line = v.fh + 1;
    std::int32_t y = area.top + 10 * v.fh + 1;
    v.canvas.textOut(x, y, formatText("etEnergy=%d, Rmin=%d, Rmax=%d", figures.energy, figures.rmin, figures.rmax));
    y += 3 * line;
    v.canvas.textOut(x, y, v.clock.localTimeText(v.settings.simStartTime));
    y += line;
    v.canvas.textOut(x, y, v.clock.localTimeText(v.settings.simEndTime));
    y += 2 * line;
    const std::int64_t elapsed = v.settings.simEndTime - v.settings.simStartTime;
    if (v.settings.simElapsed != nullptr) *v.settings.simElapsed = elapsed;
    v.canvas.textOut(x, y, elapsedLine(elapsed));
    y += 3 * line;
    return y;
}

// The pattern subsets (tuple recognition) or the pattern tuple (other tuple runs) at the
// left under the times; returns the top of what follows.
std::int32_t drawPatternBoxes(const ViewContext& v, const AlphabetBoxLayout& alphabet, const StatisticsViewLayout& l,
                              std::int16_t cellScale, std::int32_t ty)
{
    const SeriesHeader& s = v.series;
    if (!isTupleSeries(v.results.wSeriesType)) return ty;
    const std::int32_t bx = v.settings.graphArea.left + alphabet.mx;
    if (v.results.wProcessingMode == tupleRecognitionMode && s.wSubsetsCount > 0) {
        const PatternBoxLayout box = patternTuplesBoxLayout(v.canvas, alphabet, s, std::nullopt, v.fh);
        drawPatternTuplesBoxKeepingRows(v.canvas, box, bx, ty, s, cellScale, {}, v.settings.reservedRows, v.fh);
        return ty + box.bh + 2 * alphabet.my;
    }
    if (v.results.wProcessingMode != tupleRecognitionMode && s.wSelectedSubsetSize > 0) {
        const std::int32_t px = patternTupleBoxLayout(v.canvas, alphabet, s, std::nullopt, v.fh).px;
        const PatternBoxLayout box = patternTupleBoxLayout(v.canvas, alphabet, s, l.graph.gx - 2 * px - bx, v.fh);
        drawPatternTupleBox(v.canvas, box, bx, ty, s, cellScale, v.fh);
        return ty + box.bh + 2 * alphabet.my;
    }
    return ty;
}

const char* formulaOf(std::int32_t statView)
{
    using namespace stat_view;
    if (statView == restoringComponentwise || statView == restoringSummary) return "e(s)=E||C-<C>||2/||C||2";
    if (statView == detectionComponentwise || statView == detectionSummary) return "e(s)=E||h-<h>||2/||h||2";
    return nullptr;
}

std::int32_t lineHeightOf(const TextMetrics& m) { return m.height + m.externalLeading - 1; }

// Font A with the formula of the measure; font B with its requested and given heights.
// Font B stays selected for the graph; the window font is returned. The fonts' weight 408
// is drawn as the regular weight, the nearest the platform's font has.
FontSpec drawFormulaLines(const ViewContext& v, const AlphabetBoxLayout& alphabet, const StatisticsViewLayout& l,
                          std::int32_t ty, TextMetrics& fontB)
{
    const std::int32_t x = v.settings.graphArea.left + alphabet.mx;
    const FontSpec windowFont = v.canvas.selectFont(FontSpec{symbolFace, l.formulaFont});
    const std::int32_t formulaLine = lineHeightOf(v.canvas.textMetrics());
    if (const char* formula = formulaOf(v.statView)) v.canvas.textOut(x, ty, formula);
    ty += formulaLine + 1;
    v.canvas.selectFont(windowFont);

    v.canvas.selectFont(FontSpec{symbolFace, l.fontH});
    fontB = v.canvas.textMetrics();
    v.canvas.textOut(x, ty, formatText(" %d -> %d", l.fontH, fontB.height));
    return windowFont;
}

} // namespace

StatisticsViewLayout statisticsViewLayout(const Rect& area, std::int32_t lineHeight, std::uint16_t count,
                                          std::uint16_t noiseLevels)
{
    const std::int32_t fh = lineHeight;
    const std::int32_t H = area.bottom - area.top + 1;
    const AlphabetBoxLayout a = alphabetBoxLayout(area, count, fh);
    StatisticsViewLayout l;
    l.fontH = (H + 11) / 22;
    if (l.fontH < fh + 1) l.fontH = fh + 2;
    l.formulaFont = (H + 12) / 25;
    if (l.formulaFont < fh + 1) l.formulaFont = fh + 2;

    const std::int32_t gh0 = H - a.my - (a.my >> 1) - 2 * l.fontH;
    const std::int32_t gw0 = std::min((a.ax - 2 * a.mx) >> 1, (2 * gh0) / 3);
    ErrorGraphFrame& g = l.graph;
    g.ystep = (((gh0 / 10) + 2) >> 2) << 2;
    if (noiseLevels >= 2) {
        g.xstep = (2 * gw0) / (2 * (noiseLevels - 1));
        g.xstep = ((g.xstep + 1) >> 1) << 1;
        std::int32_t t = (g.ystep + 2) / 5;
        t = ((t + 1) >> 1) << 1;
        if (t < g.xstep) g.xstep = t;
    }
    g.gw = (noiseLevels >= 1 ? noiseLevels - 1 : 0) * g.xstep;
    g.gh = 10 * g.ystep;
    g.gx = a.ax - g.gw - 6 * a.mx + 1;
    const std::int32_t tm = std::max(fh + 1, a.my) + l.fontH;
    g.gy = area.top + (tm >> 1);
    return l;
}

std::int32_t crossCorrelation(const std::int16_t* a, const std::int16_t* b, std::int32_t length,
                              std::int32_t shift)
{
    std::int32_t sum = 0;
    const std::int32_t first = std::max(0, -shift);
    const std::int32_t end = std::min(length, length - shift);
    for (std::int32_t i = first; i < end; ++i) sum = wrapAdd(sum, wrapMul(a[i + shift], b[i]));
    return sum;
}

EtalonFigures etalonFigures(const RestErrorHeader& results, const SeriesHeader& series, std::uint16_t count,
                            const std::uint16_t* list)
{
    const SeriesHeader& s = series;
    EtalonFigures f;
    const Samples h0 = samplesOf(s.lpFirstEtalon, s.wImpulseSize);
    f.energy = energyOf(h0);
    auto squared = [](std::int16_t x) { return static_cast<std::uint32_t>(wrapMul(x, x)); };
    if (!h0.empty()) {
        f.smallestSquare = squared(h0[0]);
        for (std::int16_t x : h0) f.smallestSquare = std::min(f.smallestSquare, squared(x));
    }
    if (isTupleRun(results)) {
        tupleFigures(f, s);
        return f;
    }
    const std::int32_t first = (list != nullptr && count > 0) ? list[0] : 0;
    const std::int32_t second = (list != nullptr && count > 1) ? list[1] : first;
    Extremes e;
    correlate(e, shapeOrFirst(s, first), shapeOrFirst(s, second));
    f.rmin = e.low; // Rmax stays 0 outside tuple runs
    return f;
}

std::int32_t DrawDetectionArrayZ(Window& window, Canvas& canvas, Clock& clock, std::int16_t amplitude,
                                 std::int32_t statView, std::uint16_t count, const std::uint16_t* list,
                                 const RestErrorHeader* results, const SeriesHeader* series,
                                 const StatisticsViewSettings& settings)
{
    Normalisers norms(results != nullptr ? results->wVariousPulses : 0);
    if (!norms.allocated()) {
        showMessage(window, "No memory to RestoredErrorNormalizer", " ERROR in DrawDetectionArrayZ ");
        return 0;
    }
    const Rect& area = settings.graphArea;
    drawViewFrame(canvas, area);
    if (results == nullptr || results->ifComplete == 0 || series == nullptr) // nothing to show but the area
        return 1;
    const ViewContext v{canvas, clock, *results, *series, settings, settings.lineHeight, statView};

    drawParameterLines(v, amplitude);
    const std::int16_t cellScale = cellAmplitude(amplitude, series->wNoiseLevel);
    // Without a list there are no items to draw.
    const std::uint16_t items = list != nullptr ? count : 0;
    const AlphabetBoxLayout alphabet = drawAlphabetBox(canvas, area, items, list, *series, cellScale, {}, v.fh);
    const EtalonFigures figures = etalonFigures(*results, *series, items, list);
    std::int32_t ty = drawFiguresAndTimes(v, alphabet, figures);
    const StatisticsViewLayout layout = statisticsViewLayout(area, v.fh, items, results->wNoiseLevels);
    ty = drawPatternBoxes(v, alphabet, layout, cellScale, ty);

    TextMetrics fontB;
    const FontSpec windowFont = drawFormulaLines(v, alphabet, layout, ty, fontB);
    ErrorGraphInput graph;
    graph.frame = layout.graph;
    graph.lineHeight = v.fh;
    graph.charWidth = fontB.aveCharWidth;
    graph.labelHeight = lineHeightOf(fontB);
    graph.textFont = windowFont;
    graph.figures = figures;
    graph.restoringNorm = norms.restoring;
    graph.detectionNorm = norms.detection;
    graph.statView = statView;
    graph.fixedUpperBound = settings.fixedUpperBound;
    graph.upperBound = settings.upperBound;
    drawErrorGraph(canvas, graph, *results, *series);
    canvas.selectFont(windowFont);
    return 1;
}

} // namespace mirokel
