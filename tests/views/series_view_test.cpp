// The series view: its derived values and layout, the restoration error and the measure of
// the true configuration on small hand-made records, and the whole view drawn after real
// runs of the headless application, checked by the text runs it records, where they
// stand, and a few pixels.
#include "views/series_view.h"

#include "app/application.h"
#include "app/command_ids.h"
#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"
#include "views/graph_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace mirokel {
namespace {

constexpr Rect area{10, 10, 1115, 949}; // W 1106, H 940
constexpr std::int32_t fh = 15;
constexpr std::int32_t gx = 23;         // 10 + (12 × 1106) / 1000
constexpr std::int32_t gw = 884;        // (800 × 1106) / 1000
constexpr std::int32_t gh = 222;        // (670 × 330) / 1000 = 221, raised to even
constexpr std::int32_t p1y = 71;        // 10 + 4 × 15 + 1
constexpr std::int32_t p3y = p1y + 2 * (gh + fh);
constexpr std::int32_t textTop = 789;   // p3y + gh + 15 + 7
constexpr std::int32_t tableX = gx + 100;

char letter(std::int32_t etalon) { return static_cast<char>(etalon + 96); }

// ---- hand-made records ------------------------------------------------------------------

// A series of 10 samples with two pulses of 3-sample etalons at 1 and 6, and a chains
// record whose pretender 0 is the same two pulses, all in local storage.
struct HandRecords {
    HandRecords()
    {
        for (std::size_t e = 0; e < shapes.size(); ++e) {
            shapes[e] = PulseHeader{3, 3, static_cast<std::uint16_t>(e + 1), shapeData[e].data()};
            shapeList[e] = &shapes[e];
        }
        SeriesHeader& s = series;
        s.dwMaxSeriesSize = 10;
        s.dwSeriesSize = 10;
        s.wTmin = 2;
        s.wTmax = 5;
        s.lpPureData = pure.data();
        s.lpNoisyData = noisy.data();
        s.wImpulseSize = 3;
        s.wImpulseQuantity = 2;
        s.wMinPulses = 1;
        s.wMaxPulses = 3;
        s.wNoiseLevel = 20;
        s.wAmplitude = 128;
        s.lpPositions = positions.data();
        s.lpEtalonNumbers = etalons.data();
        s.lpFirstSamples = first.data();
        s.lpLastSamples = last.data();
        s.lpDetPositions = detPositions.data();
        s.lpDetEtalonNumbers = detEtalons.data();
        s.lpDetFirstSamples = detFirst.data();
        s.lpDetLastSamples = detLast.data();
        s.wPulsesListSize = 2;
        s.wPulsesCapacity = 2;
        s.lpPulsesList = shapeList.data();

        ChainsHeader& c = chains;
        c.wMaxSize = 1;
        c.wPretenders = 1;
        c.wMaxPulses = 2;
        c.wSeekingPulsesQuantity = 2;
        c.distance = &distance;
        c.lpChainSizes = &chainSize;
        c.pulsesList = &chainRows[0];
        c.lpChainPositions = &chainRows[1];
        c.lpChainCutStart = &chainRows[2];
        c.lpChainCutEnd = &chainRows[3];
        for (std::size_t r = 0; r < chainRows.size(); ++r)
            chainRows[r] = chainData[r].data();
    }

    std::array<std::vector<std::int16_t>, 2> shapeData{{{10, 20, 30}, {-5, 5, -5}}};
    std::array<PulseHeader, 2> shapes{};
    std::array<const PulseHeader*, 2> shapeList{};
    std::vector<std::int16_t> pure{3, 10, 20, 30, 0, 0, -5, 5, -5, 0};
    std::vector<std::int16_t> noisy{0, 10, 20, 30, 0, 0, 1, 2, 3, 0};
    std::vector<std::int16_t> positions{1, 6}, etalons{1, 2}, first{0, 1}, last{2, 1};
    std::vector<std::int16_t> detPositions{0, 0}, detEtalons{0, 0}, detFirst{0, 0}, detLast{0, 0};
    SeriesHeader series;

    std::int32_t distance = -1000;
    std::int32_t chainSize = 2;
    // Rows of pretender 0: etalons, positions, first and last matched samples.
    std::array<std::array<std::int16_t, 2>, 4> chainData{{{1, 2}, {1, 6}, {0, 1}, {2, 1}}};
    std::array<std::int16_t*, 4> chainRows{};
    ChainsHeader chains;
};

TEST(SeriesViewValues, ShownAmplitudeAndPanelScale)
{
    struct Case {
        const char* what;
        std::int16_t amplitude, noise;
        std::int16_t s, ys;
    };
    const Case cases[] = {
        {"no amplitude: 128 doubled twice past the noise", 0, 300, 512, 900},
        {"no amplitude, noise equal to 128: not below, no doubling", 0, 128, 128, 383},
        {"no amplitude, no noise", 0, 0, 128, 144},
        {"the amplitude above 8/3 of the noise", 128, 20, 128, 144},
        {"8/3 of the noise above the amplitude", 128, 50, 128, 149},
    };
    for (const Case& c : cases) {
        HandRecords r;
        r.series.wAmplitude = c.amplitude;
        r.series.wNoiseLevel = c.noise;
        const SeriesViewValues v = seriesViewValues(nullptr, r.series);
        EXPECT_EQ(v.amplitude, c.s) << c.what;
        EXPECT_EQ(v.panelScale, c.ys) << c.what;
    }
}

TEST(SeriesViewValues, NamesFollowTheDetectedEtalonUntilARunLabelsTheRecord)
{
    struct Case {
        const char* what;
        std::int16_t detectedEtalon;
        std::uint16_t processed, mode;
        bool names;
    };
    const Case cases[] = {
        {"not labelled, detected etalon known", 3, 0, 0, true},
        {"not labelled, no detected etalon", 0, 0, 0, false},
        {"labelled detection hides names", 3, 2, 1, false},
        {"labelled recognition shows them", 0, 2, 2, true},
        {"labelled joint detection shows them", 0, 2, 4, true},
    };
    for (const Case& c : cases) {
        HandRecords r;
        r.detEtalons[0] = c.detectedEtalon;
        r.chains.wProcessed = c.processed;
        r.chains.wProcessingMode = c.mode;
        EXPECT_EQ(seriesViewValues(&r.chains, r.series).showNames, c.names) << c.what;
    }
}

TEST(SeriesViewValues, EnergiesOfTheSeriesTheNoiseAndTheNoiseUnderThePulses)
{
    HandRecords r;
    const SeriesViewValues v = seriesViewValues(nullptr, r.series);
    EXPECT_EQ(v.pureEnergy, 9 + 100 + 400 + 900 + 3 * 25);
    EXPECT_EQ(v.noiseEnergy, 9 + 36 + 9 + 64);
    EXPECT_EQ(v.pulseNoise, 36 + 9 + 64) << "samples 6 … 8 under the second pulse; sample 0 lies outside";
}

TEST(SeriesViewLayout, GraphsFollowTheAreaOrTheSpecialSize)
{
    struct Case {
        const char* what;
        Rect area;
        bool special;
        SeriesViewLayout expected;
    };
    const Case cases[] = {
        {"221 raised to 222", area, false, {gw, 222, gx, 71, 308, 545, 789}},
        {"220 stays", {10, 10, 1115, 948}, false, {gw, 220, gx, 71, 306, 541, 783}},
        {"201 raised to 202", {10, 10, 1115, 889}, false, {gw, 202, gx, 71, 288, 505, 729}},
        {"special size whatever the area", area, true, {618, 112, gx, 71, 198, 325, 459}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(seriesViewLayout(c.area, fh, c.special, 20), c.expected) << c.what;
}

TEST(SeriesViewRestoreError, SumsSquaredDifferencesFromTheEstimateOfChainZero)
{
    struct Case {
        const char* what;
        std::int16_t firstCutStart;
        std::uint16_t pretenders;
        std::int32_t expected;
    };
    // Estimate with whole first pulse: 0 10 20 30 0 0 0 5 0 0 (the second pulse keeps sample 1).
    const Case cases[] = {
        {"kept samples of both pulses", 0, 1, 9 + 25 + 25},
        {"a cut first sample leaves 10 unexplained", 1, 1, 9 + 100 + 25 + 25},
        {"no pretender: the estimate is empty", 0, 0, 9 + 100 + 400 + 900 + 3 * 25},
    };
    for (const Case& c : cases) {
        HandRecords r;
        r.chainData[2][0] = c.firstCutStart;
        r.chains.wPretenders = c.pretenders;
        EXPECT_EQ(restoreError(r.chains, r.series), c.expected) << c.what;
    }
}

TEST(SeriesViewTrueMeasure, EnergyMinusTwiceTheCorrelationOverTheKeptSamples)
{
    struct Case {
        const char* what;
        std::int16_t secondFirst, secondLast;
        std::int32_t expected;
    };
    // First pulse 10 20 30 over 10 20 30: (10 − 20)·10 + (20 − 40)·20 + (30 − 60)·30 = −1400.
    const Case cases[] = {
        {"second pulse kept at sample 1 only", 1, 1, -1400 + (5 - 4) * 5},
        {"second pulse whole", 0, 2, -1400 + (-5 - 2) * -5 + (5 - 4) * 5 + (-5 - 6) * -5},
    };
    for (const Case& c : cases) {
        HandRecords r;
        r.first[1] = c.secondFirst;
        r.last[1] = c.secondLast;
        EXPECT_EQ(trueMeasure(r.series), c.expected) << c.what;
    }
}

// ---- the view drawn after real runs --------------------------------------------------

// The headless application after the given commands, laid out as a paint would, and a
// white surface with recorded texts to draw the view on.
class ViewBench {
public:
    explicit ViewBench(std::initializer_list<std::uint16_t> commands)
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        prepareSubsetPanel(scripted.window(), state);
        for (std::uint16_t id : commands)
            onCommand(app, id);
        state.rcGraph = area;
        state.dwLineHeight = fh;
    }
    ~ViewBench() { shutDownApplication(scripted.window(), state); }
    ViewBench(const ViewBench&) = delete;
    ViewBench& operator=(const ViewBench&) = delete;

    void reserve(std::vector<std::int32_t> members)
    {
        std::copy(members.begin(), members.end(), state.selectedSubset);
        state.dwSubsetSize = static_cast<std::int32_t>(members.size());
        state.dwReservedCount = reserveSubset(state.selectedSubset, state.dwSubsetSize, state.selectedSubsetArraySize,
                                              state.lpReservedSubsets, state.dwReservedCount,
                                              state.dwReservedCapacity);
        state.dwCurrentReserved = state.dwReservedCount;
    }

    // The settings the paint dispatcher copies from the state.
    SeriesViewSettings settings() const
    {
        return {state.rcGraph,
                state.dwLineHeight,
                state.dwHighlightDetectedPulses != 0,
                state.dwShadedOriginalPulses != 0,
                state.dwFrameGraphFields != 0,
                state.dwSpecialGraphSize != 0,
                state.wTupleHighlight,
                state.dwCurrentReserved,
                state.lpReservedListRect,
                state.dwReservedCapacity};
    }

    std::int32_t draw()
    {
        text.runs.clear();
        surface.fill({0, 0, surface.width(), surface.height()}, colors::white);
        return drawSeriesView(scripted.window(), canvas, state.wRequiredCount, state.lpRequiredList,
                              state.lpChainsHeader, state.lpSeriesHeader, settings());
    }

    // The one text drawn at (x, y), "<none>" or "<several>" otherwise.
    std::string textAt(std::int32_t x, std::int32_t y) const
    {
        std::vector<std::string> found;
        for (const TextRun& run : text.runs)
            if (run.x == x && run.y == y)
                found.push_back(run.text);
        if (found.size() != 1)
            return found.empty() ? "<none>" : "<several>";
        return found[0];
    }
    std::size_t runsAt(std::int32_t x, std::int32_t fromY, std::int32_t toY) const
    {
        return std::count_if(text.runs.begin(), text.runs.end(),
                             [&](const TextRun& r) { return r.x == x && r.y >= fromY && r.y < toY; });
    }
    bool hasText(const std::string& s) const
    {
        return std::any_of(text.runs.begin(), text.runs.end(), [&](const TextRun& r) { return r.text == s; });
    }
    Color at(std::int32_t x, std::int32_t y) const
    {
        return Color::fromRgb32(surface.pixels()[y * surface.width() + x]);
    }

    SeriesHeader& series() { return *state.lpSeriesHeader; }
    ChainsHeader& chains() { return *state.lpChainsHeader; }

    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    bool started = false;
    Surface surface{1280, 1024};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
};

// Joint detection of an unknown number of cut-off pulses: labelled, mode 4, type 8.
ViewBench cutOffJointRun()
{
    return ViewBench({command::jointDetection, command::unfixedCutOff, command::processingNextData});
}

// What the view prints for a pulse of a cut-off series with names: the placed pulses in
// the top line, the detected ones in the result line and the chains in the table.
std::string topPulse(const SeriesHeader& s, std::int32_t k)
{
    return formatText(" %d%c[%d..%d] ", s.lpPositions[k], letter(s.lpEtalonNumbers[k]), s.lpFirstSamples[k],
                      s.lpLastSamples[k]);
}
std::string detectedPulse(const SeriesHeader& s, std::int32_t k)
{
    return formatText(" %d%c[%d..%d]", s.lpDetPositions[k], letter(s.lpDetEtalonNumbers[k]), s.lpDetFirstSamples[k],
                      s.lpDetLastSamples[k]);
}
std::string tablePulse(std::int16_t position, std::int16_t etalon, std::int16_t first, std::int16_t last)
{
    return formatText("  %d%c [%d..%d] ", position, letter(etalon), first, last);
}

TEST(SeriesView, TopLinesOfALabelledCutOffRun)
{
    ViewBench b = cutOffJointRun();
    ASSERT_TRUE(b.started);
    const SeriesHeader& s = b.series();
    const ChainsHeader& c = b.chains();
    ASSERT_EQ(c.wProcessed, 2);
    EXPECT_EQ(b.draw(), 1);

    std::int32_t pure = 0, noise = 0, pulseNoise = 0;
    for (std::int32_t i = 0; i < s.dwSeriesSize; ++i) {
        pure += s.lpPureData[i] * s.lpPureData[i];
        noise += (s.lpNoisyData[i] - s.lpPureData[i]) * (s.lpNoisyData[i] - s.lpPureData[i]);
    }
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k)
        for (std::int32_t q = s.lpPositions[k]; q < s.lpPositions[k] + s.wImpulseSize; ++q)
            pulseNoise += (s.lpNoisyData[q] - s.lpPureData[q]) * (s.lpNoisyData[q] - s.lpPureData[q]);
    ASSERT_GT(pure, 0);
    ASSERT_LT(s.wImpulseQuantity, 19);

    EXPECT_EQ(b.textAt(gx, 3), " joint detection and identification for series with unknown number of cut-off pulses ")
        << "first line half a line above the area";
    EXPECT_EQ(b.textAt(gx, 19), formatText(" series length %d, Tmin=%d, Tmax=%d,  amplitude 128, noise level %d, "
                                           "allN/S %.3g,  N/S %.3g",
                                           s.dwSeriesSize, s.wTmin, s.wTmax, s.wNoiseLevel,
                                           static_cast<double>(noise) / pure, static_cast<double>(pulseNoise) / pure))
        << "one pixel more below the title";
    EXPECT_EQ(b.textAt(gx, 34), formatText(" pulses number %d [%d-%d], length 20, saved energy level for "
                                           "making/processing %d/%d",
                                           s.wImpulseQuantity, s.wMinPulses, s.wMaxPulses, c.wMakeEnergy,
                                           c.wProcEnergy));
    std::string pulses = " pulses:";
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k)
        pulses += topPulse(s, k);
    EXPECT_EQ(b.textAt(gx, 49), pulses);
}

TEST(SeriesView, TopLinesCutThePulsesAtNineteenAndShowNoRatiosWithoutSignal)
{
    ViewBench b = cutOffJointRun();
    SeriesHeader& s = b.series();
    const std::int32_t placed = s.wImpulseQuantity;
    ASSERT_GE(s.wPulsesCapacity, 25);
    for (std::int32_t k = placed; k < 25; ++k) { // more pulses, copies of the placed ones
        s.lpPositions[k] = s.lpPositions[k % placed];
        s.lpEtalonNumbers[k] = s.lpEtalonNumbers[k % placed];
        s.lpFirstSamples[k] = s.lpFirstSamples[k % placed];
        s.lpLastSamples[k] = s.lpLastSamples[k % placed];
    }
    s.wImpulseQuantity = 25;
    std::fill(s.lpPureData, s.lpPureData + s.dwSeriesSize, std::int16_t{0});
    b.draw();

    std::string pulses = " pulses:";
    for (std::int32_t k = 0; k < 19; ++k)
        pulses += topPulse(s, k);
    EXPECT_EQ(b.textAt(gx, 49), pulses + "...");
    const std::string line = b.textAt(gx, 19);
    EXPECT_EQ(line.substr(line.find("allN/S")), "allN/S 0,  N/S 0") << "no noiseless energy";
}

TEST(SeriesView, ResultBlockAndChainTableOfALabelledCutOffRun)
{
    ViewBench b = cutOffJointRun();
    const SeriesHeader& s = b.series();
    const ChainsHeader& c = b.chains();
    ASSERT_EQ(s.wDetPulses, s.wImpulseQuantity);
    ASSERT_GT(s.wDetPulses, 9);
    ASSERT_GT(c.wPretenders, 6);
    b.draw();

    std::string detected = formatText("Detected %d pulses: ", s.wDetPulses);
    for (std::int32_t k = 0; k < 9; ++k)
        detected += detectedPulse(s, k);
    EXPECT_EQ(b.textAt(gx, textTop), detected + " ... ") << "nine detected pulses, then the cut";
    EXPECT_EQ(b.textAt(gx, textTop + 15), formatText("Restore Error %d. ", restoreError(c, s)));
    EXPECT_EQ(b.textAt(gx, textTop + 30), " n  measure ");
    EXPECT_EQ(b.textAt(tableX, textTop + 30), "  positions and names of etalons in series");

    const std::int32_t firstRow = textTop + 46;
    for (std::int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(b.textAt(gx, firstRow + 15 * i), formatText("%2d.   %7d", i + 1, c.distance[i])) << "row " << i;
        std::string positions;
        for (std::int32_t j = 0; j < c.lpChainSizes[i]; ++j)
            positions += tablePulse(c.lpChainPositions[i][j], c.pulsesList[i][j], c.lpChainCutStart[i][j],
                                    c.lpChainCutEnd[i][j]);
        EXPECT_EQ(b.textAt(tableX, firstRow + 15 * i), positions) << "row " << i;
    }
    const std::int32_t trueRow = firstRow + 6 * 15 + 4;
    EXPECT_EQ(b.runsAt(gx, firstRow, trueRow), 6u) << "six of the pretenders";
    EXPECT_EQ(b.textAt(gx, trueRow), formatText(" 0.   %7d", trueMeasure(s)));
    std::string truth;
    for (std::int32_t j = 0; j < s.wImpulseQuantity; ++j)
        truth += tablePulse(s.lpPositions[j], s.lpEtalonNumbers[j], s.lpFirstSamples[j], s.lpLastSamples[j]);
    EXPECT_EQ(b.textAt(tableX, trueRow), truth);
}

TEST(SeriesView, DetectedLineCountsAndCuts)
{
    struct Case {
        const char* what;
        std::uint16_t detected, placed;
        const char* head;
        std::int32_t listed;
        const char* tail;
    };
    const Case cases[] = {
        {"one of many: the placed count, singular", 1, 14, "Detected 1 (14) pulse: ", 1, ""},
        {"three of four", 3, 4, "Detected 3 (4) pulses: ", 3, ""},
        {"nine: all of them", 9, 9, "Detected 9 pulses: ", 9, ""},
        {"ten: nine, then the cut", 10, 10, "Detected 10 pulses: ", 9, " ... "},
        {"none", 0, 14, "Detected 0 (14) pulses: ", 0, ""},
    };
    for (const Case& c : cases) {
        ViewBench b = cutOffJointRun();
        SeriesHeader& s = b.series();
        ASSERT_GE(s.wImpulseQuantity, c.placed);
        s.wDetPulses = c.detected;
        s.wImpulseQuantity = c.placed;
        b.draw();
        std::string expected = c.head;
        for (std::int32_t k = 0; k < c.listed; ++k)
            expected += detectedPulse(s, k);
        EXPECT_EQ(b.textAt(gx, textTop), expected + c.tail) << c.what;
    }
}

TEST(SeriesView, ChainOfMoreThanNineteenPulsesIsCut)
{
    ViewBench b = cutOffJointRun();
    ChainsHeader& c = b.chains();
    ASSERT_GE(c.wMaxPulses, 25);
    c.lpChainSizes[0] = 25;
    b.draw();
    std::string positions;
    for (std::int32_t j = 0; j < 19; ++j)
        positions += tablePulse(c.lpChainPositions[0][j], c.pulsesList[0][j], c.lpChainCutStart[0][j],
                                c.lpChainCutEnd[0][j]);
    EXPECT_EQ(b.textAt(tableX, textTop + 46), positions + " ... ");
}

TEST(SeriesView, RecognitionAddsTheEtalonColumnAndGreysTheRecognisedEtalon)
{
    ViewBench b({command::fixedWhole, command::processingNextData}); // recognition: mode 2, type 1
    const SeriesHeader& s = b.series();
    const ChainsHeader& c = b.chains();
    ASSERT_EQ(c.wProcessingMode, 2);
    ASSERT_GT(c.wPretenders, 0);
    b.draw();

    EXPECT_EQ(b.textAt(gx, textTop + 30), " n et  measure ");
    EXPECT_EQ(b.textAt(tableX, textTop + 30), "  positions of etalons in series") << "no names in recognition";
    EXPECT_EQ(b.textAt(gx, textTop + 46), formatText(" 1.  %c   %7d", letter(c.pulsesList[0][0]), c.distance[0]));
    const std::int32_t rows = std::min<std::int32_t>(c.wPretenders, 6);
    EXPECT_EQ(b.textAt(gx, textTop + 46 + 15 * rows + 4),
              formatText(" 0.  %c   %7d", letter(s.lpEtalonNumbers[0]), trueMeasure(s)));

    // The cell of item i: column i / rows, row i % rows; its block starts 3 pixels left of it.
    const AlphabetBoxLayout a = alphabetBoxLayout(area, b.state.wRequiredCount, fh);
    auto blockPixel = [&](std::int32_t i) {
        const std::int32_t left = a.ax + a.mx + (a.cw + 2 * a.mx) * (i / a.rows);
        const std::int32_t top = a.ay + a.my + (a.ch + a.my2 + fh) * (i % a.rows);
        return b.at(left - 2, top + 1 + fh + (fh >> 2));
    };
    for (std::int32_t i = 0; i < b.state.wRequiredCount; ++i) {
        const bool recognised = b.state.lpRequiredList[i] == c.pulsesList[0][0];
        EXPECT_EQ(blockPixel(i), recognised ? colors::grey : colors::white) << "item " << i;
    }
}

TEST(SeriesView, GraphFieldsFollowTheGraphSizes)
{
    struct Case {
        const char* what;
        Rect area;
        bool special;
        std::int32_t gw, gh;
        bool fields;
    };
    const Case cases[] = {
        {"fields of 884 × 222", area, false, gw, gh, true},
        {"201 raised: the field ends one row lower", {10, 10, 1115, 889}, false, gw, 202, true},
        {"special size: no fields", area, true, 618, 112, false},
    };
    for (const Case& c : cases) {
        ViewBench b = cutOffJointRun();
        ASSERT_EQ(b.state.dwFrameGraphFields, 1);
        b.state.rcGraph = c.area;
        b.state.dwSpecialGraphSize = c.special ? 1 : 0;
        b.draw();
        const Color frame = c.fields ? colors::black : colors::white;
        EXPECT_EQ(b.at(gx + c.gw, p1y + 10), frame) << c.what << ": right edge of the field";
        EXPECT_EQ(b.at(gx + c.gw + 1, p1y + 10), colors::white) << c.what;
        EXPECT_EQ(b.at(gx + c.gw / 2, p1y), frame) << c.what << ": top edge";
        EXPECT_EQ(b.at(gx + c.gw, p1y + c.gh), frame) << c.what << ": bottom edge";
        EXPECT_EQ(b.at(gx + c.gw, p1y + c.gh + 1), colors::white) << c.what;
        EXPECT_EQ(b.at(gx, p1y + c.gh + fh), colors::black) << c.what << ": graph 2 starts a line lower";
        EXPECT_EQ(b.at(gx, p1y + 2 * (c.gh + fh)), colors::black) << c.what << ": graph 3 too";
    }
}

TEST(SeriesView, DetectedPulseWithoutEtalonRemovesGraphThree)
{
    ViewBench b = cutOffJointRun();
    b.draw();
    ASSERT_EQ(b.at(gx, p3y + 5), colors::black);
    std::size_t graph3Labels = 0;
    for (const TextRun& r : b.text.runs)
        graph3Labels += r.y == p3y + gh - 1;
    ASSERT_EQ(graph3Labels, b.series().wDetPulses);

    b.series().lpDetEtalonNumbers[1] = 0;
    b.draw();
    for (std::int32_t y = p3y; y <= p3y + gh; ++y)
        EXPECT_EQ(b.at(gx, y), colors::white) << "no field, no axis at row " << y;
    for (const TextRun& r : b.text.runs)
        EXPECT_NE(r.y, p3y + gh - 1) << "no label: " << r.text;
    EXPECT_EQ(b.at(gx, p1y + gh + fh + 5), colors::black) << "graph 2 stays";
}

TEST(SeriesView, TupleRecognitionListsTuplesAndStoresTheSubsetRows)
{
    ViewBench b({});
    b.reserve({2, 4});
    b.reserve({5, 6, 7});
    ASSERT_TRUE(commitSubsetPanel(b.scripted.window(), b.state));
    onCommand(b.app, command::processingNextData); // mode 40 on tuples of type 36
    const SeriesHeader& s = b.series();
    ASSERT_EQ(s.wDetSubset, 2);
    ASSERT_GT(s.wDetTuples, 0);
    b.state.dwCurrentReserved = 1;
    b.draw();

    std::string detected = formatText("Detected %d pulses: ", s.wDetPulses);
    if (s.wDetPulses != s.wImpulseQuantity)
        detected = formatText("Detected %d (%d) pulses: ", s.wDetPulses, s.wImpulseQuantity);
    for (std::int32_t t = 0; t < s.wDetTuples; ++t) {
        if (s.lpTupleFirst[t] - 1 > 18) {
            detected += " ... ";
            break;
        }
        detected += " {";
        for (std::int32_t j = s.lpTupleFirst[t] - 1; j < s.lpTupleLast[t]; ++j)
            detected += formatText("%d%c ", s.lpDetPositions[j], letter(s.lpDetEtalonNumbers[j]));
        detected.back() = '}';
        detected += " ";
    }
    EXPECT_EQ(b.textAt(gx, textTop), detected);

    // The box at the bottom right; its rows' hit rectangles are stored for the clicks.
    Surface scratch(10, 10);
    RecordingTextEngine scratchText;
    Canvas measuring(scratch, scratchText);
    const AlphabetBoxLayout a = alphabetBoxLayout(area, b.state.wRequiredCount, fh);
    const PatternBoxLayout box = patternTuplesBoxLayout(measuring, a, s, area.right - gx - a.mx - 1, fh);
    const std::int32_t bx = area.right - a.mx - box.bw;
    const std::int32_t by = area.bottom - box.bh - box.py;
    EXPECT_TRUE(b.hasText(" pattern tuples "));
    const Color modes[] = {colors::red, colors::grey}; // current reserved subset, recognised subset
    for (std::int32_t k = 0; k < 2; ++k) {
        const std::int32_t x = bx + box.px;
        const std::int32_t y = by + (box.py >> 1) + k * (box.pch + box.py);
        EXPECT_EQ(b.state.lpReservedListRect[k], (Rect{x, y, x + box.bw, y + box.pch + box.py})) << "row " << k;
        const std::int32_t cellTop = y - box.py - 1;
        EXPECT_EQ(b.at(x + box.px - 2, cellTop + 1 + fh + (fh >> 2)), modes[k]) << "row " << k;
    }
}

TEST(SeriesView, TupleDetectionPlacesThePatternTupleUnderTheGraphsRightEdge)
{
    struct Case {
        const char* what;
        std::uint16_t etalonsInUse;
    };
    const Case cases[] = {
        {"bottom aligned with an alphabet box of 10 rows", 20},
        {"above the area's bottom beside a box of 3 rows", 5},
    };
    for (const Case& c : cases) {
        ViewBench b({command::detection}); // mode 36 on tuples of type 36
        const std::int32_t members[] = {3, 5, 8};
        std::copy(std::begin(members), std::end(members), b.state.selectedSubset);
        b.state.dwSubsetSize = 3;
        ASSERT_TRUE(commitSubsetPanel(b.scripted.window(), b.state));
        onCommand(b.app, command::processingNextData);
        ASSERT_EQ(b.chains().wProcessingMode, 36);
        b.state.wRequiredCount = c.etalonsInUse;
        b.draw();

        Surface scratch(10, 10);
        RecordingTextEngine scratchText;
        Canvas measuring(scratch, scratchText);
        const AlphabetBoxLayout a = alphabetBoxLayout(area, c.etalonsInUse, fh);
        const PatternBoxLayout box = patternTupleBoxLayout(measuring, a, b.series(), gw, fh);
        const std::int32_t by = a.rows < 8 ? area.bottom - box.bh - a.th : a.ay + a.ah + 1 - box.bh;
        const std::int32_t bx = gx + gw - box.bw + 1;
        EXPECT_EQ(b.textAt(bx + box.bw - (box.caption.cx + 10), by - 12), " pattern tuple ") << c.what;
        EXPECT_FALSE(b.hasText(" pattern tuples ")) << c.what;
    }
}

TEST(SeriesView, MissingRecordsLeaveOutWhatNeedsThem)
{
    {   // Without a chains record: no error line, no table, no pattern box; the truth row stays.
        HandRecords r;
        Surface surface(1280, 1024);
        RecordingTextEngine text;
        Canvas canvas(surface, text);
        ScriptedWindow scripted;
        const std::uint16_t list[] = {1, 2};
        SeriesViewSettings settings;
        settings.graphArea = area;
        settings.lineHeight = fh;
        EXPECT_EQ(drawSeriesView(scripted.window(), canvas, 2, list, nullptr, &r.series, settings), 1);
        std::vector<std::string> left;
        for (const TextRun& run : text.runs)
            if (run.x == gx)
                left.push_back(run.text);
        const std::vector<std::string> expected{
            " series length 10, Tmin=2, Tmax=5,  amplitude 128, noise level 20, allN/S 0.0795,  N/S 0.0735",
            " pulses number 2 [1-3], length 3",
            " pulses: 1 6",
            "Detected 0 (2) pulses: ",
            formatText(" 0.   %7d", trueMeasure(r.series)),
        };
        EXPECT_EQ(left, expected) << "not labelled, no names: the detected etalon is 0";
        bool truthRow = false;
        for (const TextRun& run : text.runs)
            truthRow |= run.x == tableX && run.y == textTop + 15 + 4 && run.text == "  1  6";
        EXPECT_TRUE(truthRow);
    }
    {   // Without a series: the outer frame only.
        Surface surface(1280, 1024);
        RecordingTextEngine text;
        Canvas canvas(surface, text);
        ScriptedWindow scripted;
        SeriesViewSettings settings;
        settings.graphArea = area;
        settings.lineHeight = fh;
        EXPECT_EQ(drawSeriesView(scripted.window(), canvas, 0, nullptr, nullptr, nullptr, settings), 1);
        EXPECT_TRUE(text.runs.empty());
        auto at = [&](std::int32_t x, std::int32_t y) { return Color::fromRgb32(surface.pixels()[y * 1280 + x]); };
        // Edges one pixel beyond the inclusive area: columns 10 and 1116, rows 10 and 950.
        for (const auto& [x, y] : {std::pair{10, 500}, {1116, 500}, {500, 10}, {500, 950}, {1116, 950}})
            EXPECT_EQ(at(x, y), colors::black) << x << ", " << y;
        for (const auto& [x, y] : {std::pair{11, 500}, {1117, 500}, {500, 951}, {500, 500}})
            EXPECT_EQ(at(x, y), colors::white) << x << ", " << y;
    }
}

} // namespace
} // namespace mirokel
