// The series view; see series_view.h. All coordinates and sums are 32-bit signed, sums
// wrap as 32-bit registers do and divisions truncate toward zero.
#include "views/series_view.h"

#include "model/wrapping.h"
#include "views/graph_helpers.h"

#include <algorithm>
#include <string>

namespace mirokel {

namespace {

constexpr std::uint16_t modeDetection = 1;       // one known etalon: names say nothing
constexpr std::uint16_t modeRecognition = 2;     // the series etalon is recognised
constexpr std::uint16_t modeJointDetection = 4;  // detection with identification of every pulse
constexpr std::uint16_t modeTupleDetection = 36;
constexpr std::uint16_t modeTupleRecognition = 40;

constexpr std::uint16_t tupleHighlightFrames = 1; // wTupleHighlight: dotted frames around detected tuples
constexpr std::uint16_t tupleHighlightBands = 2;  // wTupleHighlight: coloured bands behind them

constexpr std::int32_t specialGraphWidth = 618;
constexpr std::int32_t specialGraphHeight = 112;
constexpr std::int32_t topPulsesListed = 19;     // placed pulses in the top line and in a table row
constexpr std::int32_t detectedPulsesListed = 9; // detected pulses in the result line
constexpr std::int32_t lastListedTupleStart = 18; // a tuple starting beyond this pulse is cut off
constexpr std::int32_t chainRowsShown = 6;       // pretenders in the chain table
constexpr std::int32_t tableColumnOffset = 100;  // left of the positions column from gx
constexpr std::int32_t alphabetRowsForBottom = 8; // fewer rows: the pattern tuple box sits at the bottom

// The letter that shows etalon number e: code e + 96 kept in 8 bits (1 is 'a').
char etalonLetter(std::int32_t number)
{
    return static_cast<char>(static_cast<unsigned char>(number + 96));
}

bool isCutOffType(std::uint16_t type) { return type == 2 || type == 8; }
// Tuple processing modes and tuple series types share the codes 36 and 40.
bool isTupleCode(std::uint16_t code) { return code == modeTupleDetection || code == modeTupleRecognition; }

std::int32_t square(std::int32_t v) { return wrapMul(v, v); }

// What the drawing steps read from the chains record; zero when there is none.
struct RunLabels {
    bool labelled = false;   // the record carries the labels of a finished run
    std::uint16_t mode = 0;  // wProcessingMode
    std::uint16_t type = 0;  // wSeriesType
};

RunLabels runLabels(const ChainsHeader* chains)
{
    if (chains == nullptr)
        return {};
    return {chains->wProcessed > 1, chains->wProcessingMode, chains->wSeriesType};
}

// ---- Drawing steps, in the order they run ----

struct ViewContext {
    Canvas& canvas;
    const SeriesHeader& series;
    const ChainsHeader* chains;
    const SeriesViewSettings& settings;
    const SeriesViewValues& values;
    const SeriesViewLayout& layout;
    RunLabels run;
    std::int32_t fh;
};

std::string seriesLine(const ViewContext& v)
{
    const SeriesHeader& s = v.series;
    double all = 0.0;
    double pulses = 0.0;
    if (v.values.pureEnergy > 0) {
        all = static_cast<double>(v.values.noiseEnergy) / v.values.pureEnergy;
        pulses = static_cast<double>(v.values.pulseNoise) / v.values.pureEnergy;
    }
    std::string line;
    line += formatText(" series length %d, ", s.dwSeriesSize);
    line += formatText("Tmin=%d, Tmax=%d, ", s.wTmin, s.wTmax);
    line += formatText(" amplitude %d, noise level %d, allN/S %.3g,  N/S %.3g", v.values.amplitude, s.wNoiseLevel,
                       all, pulses);
    return line;
}

std::string pulsesNumberLine(const ViewContext& v)
{
    const SeriesHeader& s = v.series;
    std::string line;
    line += formatText(" pulses number %d [%d-%d], length %d", s.wImpulseQuantity, s.wMinPulses, s.wMaxPulses,
                       s.wImpulseSize);
    if (v.run.labelled && isCutOffType(v.run.type))
        line += formatText(", saved energy level for making/processing %d/%d", v.chains->wMakeEnergy,
                           v.chains->wProcEnergy);
    return line;
}

std::string placedPulsesLine(const ViewContext& v)
{
    const SeriesHeader& s = v.series;
    std::string line;
    line += " pulses:";
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k) {
        if (k == topPulsesListed) {
            line += "...";
            break;
        }
        line += formatText(" %d", s.lpPositions[k]);
        if (v.values.showNames)
            line += etalonLetter(s.lpEtalonNumbers[k]);
        if (isCutOffType(v.run.type))
            line += formatText("[%d..%d] ", s.lpFirstSamples[k], s.lpLastSamples[k]);
    }
    return line;
}

void drawTopLines(const ViewContext& v)
{
    const std::int32_t x = v.layout.gx;
    std::int32_t y = v.settings.graphArea.top - (v.fh >> 1);
    if (v.run.labelled) {
        // Labels a record does not carry print as empty texts.
        const char* task = v.chains->lpTaskName != nullptr ? v.chains->lpTaskName : "";
        const char* seriesName = v.chains->lpSeriesName != nullptr ? v.chains->lpSeriesName : "";
        v.canvas.textOut(x, y, formatText(" %s for series with %s ", task, seriesName));
        y += v.fh + 1;
    }
    v.canvas.textOut(x, y, seriesLine(v));
    y += v.fh;
    v.canvas.textOut(x, y, pulsesNumberLine(v));
    y += v.fh;
    v.canvas.textOut(x, y, placedPulsesLine(v));
}

// Steps shared by the three graphs before their curves: labels, field, tuple highlight and
// marks of the detected pulses.
void drawGraphBackground(const ViewContext& v, const Rect& graph, std::int32_t panel, bool tupleHighlight)
{
    Canvas& canvas = v.canvas;
    drawPulseLabels(canvas, graph, v.run.type, panel, v.values.showNames, v.series);
    if (v.settings.frameGraphFields && !v.settings.specialGraphSize)
        canvas.rectangle(graph.left, graph.top, graph.right + 1, graph.bottom + 1);
    if (tupleHighlight) {
        if (v.settings.tupleHighlight == tupleHighlightFrames)
            drawTupleFrames(canvas, graph, v.series);
        else if (v.settings.tupleHighlight == tupleHighlightBands)
            drawTupleBackgrounds(canvas, graph, v.series);
    }
    if (v.settings.highlightDetectedPulses)
        drawDetectedMarks(canvas, graph, v.series);
}

Rect graphRect(const SeriesViewLayout& layout, std::int32_t top)
{
    return {layout.gx, top, layout.gx + layout.gw, top + layout.gh};
}

void drawPlacedGraph(const ViewContext& v)
{
    const Rect graph = graphRect(v.layout, v.layout.p1y);
    drawGraphBackground(v, graph, 0, isTupleCode(v.run.mode));
    drawAxisCross(v.canvas, graph);
    drawPlacedPulses(v.canvas, graph, v.values.panelScale, v.series, PulseSelector::whole);
    drawPlacedPulses(v.canvas, graph, v.values.panelScale, v.series, PulseSelector::kept);
    if (v.settings.shadedOriginalPulses)
        drawKeptShading(v.canvas, graph, v.values.panelScale, v.series);
}

// A tuple series processed in a tuple mode: only then are the detected tuples highlighted
// on graphs 2 and 3 and listed tuple by tuple.
bool tupleSeriesInTupleMode(const RunLabels& run) { return isTupleCode(run.mode) && isTupleCode(run.type); }

void drawNoisyGraph(const ViewContext& v)
{
    const Rect graph = graphRect(v.layout, v.layout.p2y);
    drawGraphBackground(v, graph, 1, tupleSeriesInTupleMode(v.run));
    drawAxisCross(v.canvas, graph);
    drawSeriesCurve(v.canvas, graph, v.values.panelScale, v.series);
}

// Graph 3 is left out entirely when a detected pulse has no etalon (nothing to draw it with).
void drawDetectedGraph(const ViewContext& v)
{
    const SeriesHeader& s = v.series;
    for (std::int32_t k = 0; k < s.wDetPulses; ++k)
        if (s.lpDetEtalonNumbers[k] == 0)
            return;
    const Rect graph = graphRect(v.layout, v.layout.p3y);
    drawGraphBackground(v, graph, 2, tupleSeriesInTupleMode(v.run));
    drawAxisCross(v.canvas, graph);
    drawPlacedPulses(v.canvas, graph, v.values.panelScale, v.series, PulseSelector::detected);
}

// In recognition the etalon of the best chain is shown grey in the box; all else plain.
AlphabetBoxLayout drawEtalonsInUse(const ViewContext& v, std::uint16_t count, const std::uint16_t* list)
{
    std::int32_t recognised = -1;
    if (v.run.mode == modeRecognition && v.chains->pulsesList != nullptr && v.chains->wMaxSize > 0 &&
        v.chains->wMaxPulses > 0)
        recognised = v.chains->pulsesList[0][0];
    const CellModeRule rule = [list, recognised](std::int32_t i) {
        return list[i] == recognised ? cellGrey : cellPlain;
    };
    // Without a list there are no items to draw.
    const std::uint16_t items = list != nullptr ? count : 0;
    return drawAlphabetBox(v.canvas, v.settings.graphArea, items, list, v.series, v.values.amplitude, rule, v.fh);
}

// One detected pulse: its position, its letter when names are shown, its kept range in a
// cut-off series.
void addDetectedPulse(const ViewContext& v, std::string& line, std::int32_t k)
{
    const SeriesHeader& s = v.series;
    line += formatText("%d", s.lpDetPositions[k]);
    if (v.values.showNames)
        line += etalonLetter(s.lpDetEtalonNumbers[k]);
    if (isCutOffType(v.run.type))
        line += formatText("[%d..%d]", s.lpDetFirstSamples[k], s.lpDetLastSamples[k]);
}

void addDetectedTuples(const ViewContext& v, std::string& line)
{
    const SeriesHeader& s = v.series;
    for (std::int32_t t = 0; t < s.wDetTuples; ++t) {
        const std::int32_t f = s.lpTupleFirst[t] - 1;
        const std::int32_t g = s.lpTupleLast[t];
        if (f > lastListedTupleStart) {
            line += " ... ";
            break;
        }
        line += " {";
        for (std::int32_t j = f; j < g; ++j) {
            addDetectedPulse(v, line, j);
            line += " ";
        }
        line.pop_back(); // the trailing blank (or the brace of an empty tuple) becomes the closing brace
        line += "} ";
    }
}

std::string detectedLine(const ViewContext& v)
{
    const SeriesHeader& s = v.series;
    std::string line;
    line += formatText("Detected %d", s.wDetPulses);
    if (s.wDetPulses != s.wImpulseQuantity)
        line += formatText(" (%d)", s.wImpulseQuantity);
    line += s.wDetPulses == 1 ? " pulse" : " pulses";
    line += ": ";
    if (tupleSeriesInTupleMode(v.run)) {
        addDetectedTuples(v, line);
    } else {
        for (std::int32_t k = 0; k < s.wDetPulses; ++k) {
            if (k == detectedPulsesListed) {
                line += " ... ";
                break;
            }
            line += " ";
            addDetectedPulse(v, line, k);
        }
    }
    return line;
}

// Whether the table's positions carry etalon letters: in joint detection, or before any
// run when the detected pulses have names.
bool tableNames(const ViewContext& v)
{
    return (v.run.labelled && v.run.mode == modeJointDetection) || (!v.run.labelled && v.values.showNames);
}

bool tableEtalonColumn(const ViewContext& v) { return v.run.labelled && v.run.mode == modeRecognition; }

// One row of the table: number and measure at gx, positions at gx + 100.
struct TableRow {
    std::int32_t number;
    std::int32_t firstEtalon;
    std::int32_t measure;
    std::int32_t pulses;
    const std::int16_t* positions;
    const std::int16_t* etalons;
    const std::int16_t* firstSamples;
    const std::int16_t* lastSamples;
};

void drawTableRow(const ViewContext& v, const TableRow& row, std::int32_t y)
{
    std::string left;
    left += formatText("%2d. ", row.number);
    if (tableEtalonColumn(v))
        left += formatText(" %c ", etalonLetter(row.firstEtalon));
    left += formatText("  %7d", row.measure);
    v.canvas.textOut(v.layout.gx, y, left);

    std::string right;
    for (std::int32_t j = 0; j < row.pulses; ++j) {
        if (j == topPulsesListed) {
            right += " ... ";
            break;
        }
        right += formatText("  %d", row.positions[j]);
        if (tableNames(v))
            right += etalonLetter(row.etalons[j]);
        if (isCutOffType(v.run.type))
            right += formatText(" [%d..%d] ", row.firstSamples[j], row.lastSamples[j]);
    }
    v.canvas.textOut(v.layout.gx + tableColumnOffset, y, right);
}

// The headings and one row per pretender, at most six. Returns the advanced dy.
std::int32_t drawChainTable(const ViewContext& v, std::int32_t y0, std::int32_t dy)
{
    const ChainsHeader& c = *v.chains;
    std::string heading;
    heading += " n ";
    if (tableEtalonColumn(v))
        heading += "et ";
    heading += " measure ";
    v.canvas.textOut(v.layout.gx, y0 + dy, heading);
    std::string columns;
    columns += "  positions";
    if (tableNames(v))
        columns += " and names";
    columns += " of etalons in series";
    v.canvas.textOut(v.layout.gx + tableColumnOffset, y0 + dy, columns);
    dy += v.fh + 1;

    const std::int32_t rows = std::min<std::int32_t>({c.wPretenders, chainRowsShown, c.wMaxSize});
    for (std::int32_t i = 0; i < rows; ++i) {
        // A chain never holds more pulses than its row has room for.
        const std::int32_t pulses = std::min<std::int32_t>(c.lpChainSizes[i], c.wMaxPulses);
        const TableRow row{i + 1,
                           c.pulsesList[i][0],
                           c.distance[i],
                           pulses,
                           c.lpChainPositions[i],
                           c.pulsesList[i],
                           c.lpChainCutStart[i],
                           c.lpChainCutEnd[i]};
        drawTableRow(v, row, y0 + dy);
        dy += v.fh;
    }
    return dy;
}

void drawTrueRow(const ViewContext& v, std::int32_t y)
{
    const SeriesHeader& s = v.series;
    const std::int32_t firstEtalon = s.wPulsesCapacity > 0 ? s.lpEtalonNumbers[0] : 0;
    const TableRow row{0,
                       firstEtalon,
                       trueMeasure(s),
                       s.wImpulseQuantity,
                       s.lpPositions,
                       s.lpEtalonNumbers,
                       s.lpFirstSamples,
                       s.lpLastSamples};
    drawTableRow(v, row, y);
}

void drawResultBlock(const ViewContext& v)
{
    const std::int32_t y0 = v.layout.textTop;
    std::int32_t dy = 0;
    v.canvas.textOut(v.layout.gx, y0 + dy, detectedLine(v));
    dy += v.fh;
    if (v.chains != nullptr) {
        v.canvas.textOut(v.layout.gx, y0 + dy, formatText("Restore Error %d. ", restoreError(*v.chains, v.series)));
        dy += v.fh;
        dy = drawChainTable(v, y0, dy);
    }
    dy += (v.fh + 3) >> 2;
    drawTrueRow(v, y0 + dy);
}

// The pattern tuple (modes other than 40) or every pattern subset (mode 40) of a tuple series.
void drawPatternBoxes(const ViewContext& v, const AlphabetBoxLayout& alphabet)
{
    const SeriesHeader& s = v.series;
    const Rect& area = v.settings.graphArea;
    Canvas& canvas = v.canvas;
    if (v.run.mode != modeTupleRecognition && s.wSelectedSubsetSize > 0) {
        const PatternBoxLayout box = patternTupleBoxLayout(canvas, alphabet, s, v.layout.gw, v.fh);
        const std::int32_t bx = v.layout.gx + v.layout.gw - box.bw + 1;
        const std::int32_t by = alphabet.rows < alphabetRowsForBottom ? area.bottom - box.bh - alphabet.th
                                                                      : alphabet.ay + alphabet.ah + 1 - box.bh;
        drawPatternTupleBox(canvas, box, bx, by, s, v.values.amplitude, v.fh);
    } else if (v.run.mode == modeTupleRecognition && s.wSubsetsCount > 0) {
        const PatternBoxLayout box =
            patternTuplesBoxLayout(canvas, alphabet, s, area.right - v.layout.gx - alphabet.mx - 1, v.fh);
        const std::int32_t bx = area.right - alphabet.mx - box.bw;
        const std::int32_t by = area.bottom - box.bh - box.py;
        const std::int32_t recognisedRow = s.wDetSubset - 1;
        const std::int32_t currentRow = v.settings.currentReserved - 1;
        const CellModeRule rowMode = [recognisedRow, currentRow](std::int32_t k) {
            if (k == recognisedRow)
                return cellGrey;
            return k == currentRow ? cellRed : cellPlain;
        };
        drawPatternTuplesBoxKeepingRows(canvas, box, bx, by, s, v.values.amplitude, rowMode,
                                        {v.settings.reservedListRect, v.settings.reservedListCapacity}, v.fh);
    }
}

} // namespace

SeriesViewValues seriesViewValues(const ChainsHeader* chains, const SeriesHeader& series)
{
    const SeriesHeader& s = series;
    SeriesViewValues v;
    for (std::int32_t i = 0; i < s.dwSeriesSize; ++i) {
        v.pureEnergy = wrapAdd(v.pureEnergy, square(s.lpPureData[i]));
        v.noiseEnergy = wrapAdd(v.noiseEnergy, square(s.lpNoisyData[i] - s.lpPureData[i]));
    }
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k) {
        for (std::int32_t j = 0; j < s.wImpulseSize; ++j) {
            const std::int32_t q = s.lpPositions[k] + j;
            if (q < 0 || q >= s.dwSeriesSize) // a pulse never reaches beyond the series
                continue;
            v.pulseNoise = wrapAdd(v.pulseNoise, square(s.lpNoisyData[q] - s.lpPureData[q]));
        }
    }
    v.amplitude = cellAmplitude(s.wAmplitude, s.wNoiseLevel);
    const std::int32_t noiseScale = (8 * static_cast<std::int32_t>(s.wNoiseLevel)) / 3;
    const auto m = static_cast<std::int16_t>(std::max<std::int32_t>(v.amplitude, noiseScale));
    v.panelScale = static_cast<std::int16_t>(m + (m >> 3));

    const RunLabels run = runLabels(chains);
    v.showNames = s.lpDetEtalonNumbers != nullptr && s.wPulsesCapacity > 0 && s.lpDetEtalonNumbers[0] != 0;
    if (run.labelled)
        v.showNames = run.mode != modeDetection;
    return v;
}

SeriesViewLayout seriesViewLayout(const Rect& area, std::int32_t lineHeight, bool specialGraphSize,
                                  std::uint16_t count)
{
    const std::int32_t fh = lineHeight;
    const std::int32_t W = area.right - area.left + 1;
    const std::int32_t H = area.bottom - area.top + 1;
    SeriesViewLayout l;
    l.gw = specialGraphSize ? specialGraphWidth : (800 * W) / 1000;
    l.gh = specialGraphSize ? specialGraphHeight : ((H - 18 * fh) * 330) / 1000;
    if (l.gh % 2 != 0)
        l.gh += 1;
    l.gx = area.left + alphabetBoxLayout(area, count, fh).mx;
    l.p1y = area.top + 4 * fh + 1;
    l.p2y = l.p1y + l.gh + fh;
    l.p3y = l.p2y + l.gh + fh;
    l.textTop = l.p3y + l.gh + fh + (fh >> 1);
    return l;
}

std::int32_t restoreError(const ChainsHeader& chains, const SeriesHeader& series)
{
    const SeriesHeader& s = series;
    const std::int32_t n = s.dwSeriesSize;
    const std::int32_t length = s.wImpulseSize;
    // Chain 0 exists only once a pretender was stored; its row holds at most wMaxPulses.
    const bool chain = chains.wPretenders > 0 && chains.wMaxPulses > 0;
    const std::int32_t count = chain ? std::min(chains.wSeekingPulsesQuantity, chains.wMaxPulses) : 0;

    std::int32_t k = 0;
    std::int32_t pos = n; // no pulse: nothing is ever estimated
    const PulseHeader* shape = nullptr;
    std::int32_t j = 0;
    if (count > 0) {
        pos = chains.lpChainPositions[0][0];
        shape = etalonShape(s, chains.pulsesList[0][0]);
    }
    std::int32_t sum = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        std::int32_t estimate = 0;
        if (i >= pos) {
            if (i < pos + length) {
                const bool kept = chains.lpChainCutStart[0][k] <= j && j <= chains.lpChainCutEnd[0][k];
                if (kept && shape != nullptr && j < shape->wLength)
                    estimate = shape->lpData[j];
                ++j;
            }
            if (i == pos + length - 1) {
                ++k;
                if (k < count) {
                    pos = chains.lpChainPositions[0][k];
                    shape = etalonShape(s, chains.pulsesList[0][k]);
                    j = 0;
                } else {
                    pos = n;
                }
            }
        }
        sum = wrapAdd(sum, square(s.lpPureData[i] - estimate));
    }
    return sum;
}

std::int32_t trueMeasure(const SeriesHeader& series)
{
    const SeriesHeader& s = series;
    std::int32_t sum = 0;
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k) {
        const PulseHeader* shape = etalonShape(s, s.lpEtalonNumbers[k]);
        if (shape == nullptr)
            continue;
        const std::int32_t p = s.lpPositions[k];
        // Samples outside the shape or the series do not exist and add nothing.
        const std::int32_t a = std::max<std::int32_t>(s.lpFirstSamples[k], 0);
        const std::int32_t b =
            std::min<std::int32_t>({s.lpLastSamples[k], shape->wLength - 1, s.dwSeriesSize - 1 - p});
        for (std::int32_t j = std::max(a, -p); j <= b; ++j) {
            const std::int32_t h = shape->lpData[j];
            sum = wrapAdd(sum, wrapMul(h - 2 * s.lpNoisyData[p + j], h));
        }
    }
    return sum;
}

std::int32_t drawSeriesView(Window& /*window*/, Canvas& canvas, std::uint16_t count, const std::uint16_t* list,
                            const ChainsHeader* chains, const SeriesHeader* series,
                            const SeriesViewSettings& settings)
{
    drawViewFrame(canvas, settings.graphArea);
    if (series == nullptr) // nothing to show yet but the area
        return 1;
    const SeriesViewValues values = seriesViewValues(chains, *series);
    const SeriesViewLayout layout =
        seriesViewLayout(settings.graphArea, settings.lineHeight, settings.specialGraphSize, count);
    const ViewContext v{canvas, *series, chains, settings, values, layout, runLabels(chains), settings.lineHeight};

    drawTopLines(v);
    drawPlacedGraph(v);
    drawNoisyGraph(v);
    drawDetectedGraph(v);
    const AlphabetBoxLayout alphabet = drawEtalonsInUse(v, count, list);
    drawResultBlock(v);
    if (isTupleCode(v.run.type))
        drawPatternBoxes(v, alphabet);
    return 1;
}

} // namespace mirokel
