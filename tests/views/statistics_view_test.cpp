// The statistics view and its error graph, drawn after small statistical simulations run
// through the application's own commands and dialogs: the parameter lines, the figures and
// times, the fonts, the geometry, the axis scale and labels, and the curves of every
// selector checked pixel by pixel against the formulas over the stored tables.
#include "views/statistics_view.h"

#include "app/application.h"
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"
#include "views/error_graph.h"
#include "views/graph_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace mirokel {
namespace {

namespace id = dialog_id;

constexpr Rect area{10, 10, 1115, 949}; // W 1106, H 940
constexpr std::int32_t fh = 15;

// The grid of a simulation as typed into " Location Parameters".
struct Grid {
    std::int32_t length = 300;
    std::int32_t pulsesFrom = 2, pulsesTo = 6, pulsesIncrement = 2;
    std::int32_t noiseInitial = 0, noiseSteps = 4, noiseIncrement = 20;
    std::int32_t repeats = 3;
};

// The headless application after a completed simulation, and a white surface with recorded
// texts to draw the view on.
class StatsBench {
public:
    // `setup`: task and series type commands; `statsClicks`: the choice in the statistics dialog.
    StatsBench(std::initializer_list<std::uint16_t> setup, const Grid& grid, std::vector<std::int32_t> statsClicks = {},
               const std::vector<std::vector<std::int32_t>>& subsets = {})
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        prepareSubsetPanel(scripted.window(), state);
        for (std::uint16_t c : setup)
            onCommand(app, c);
        for (const auto& members : subsets)
            reserve(members);
        if (!subsets.empty())
            committed = commitSubsetPanel(scripted.window(), state);
        answer({{id::seriesLength, std::to_string(grid.length)}});
        answer({{id::pulsesFrom, std::to_string(grid.pulsesFrom)},
                {id::pulsesTo, std::to_string(grid.pulsesTo)},
                {id::pulsesIncrement, std::to_string(grid.pulsesIncrement)},
                {id::noiseInitial, std::to_string(grid.noiseInitial)},
                {id::noiseSteps, std::to_string(grid.noiseSteps)},
                {id::noiseIncrement, std::to_string(grid.noiseIncrement)},
                {id::repeats, std::to_string(grid.repeats)}});
        answer({}, std::move(statsClicks));
        onCommand(app, command::statisticalSimulation);
        state.rcGraph = area;
        state.dwLineHeight = fh;
    }
    ~StatsBench() { shutDownApplication(scripted.window(), state); }
    StatsBench(const StatsBench&) = delete;
    StatsBench& operator=(const StatsBench&) = delete;

    void answer(std::map<std::int32_t, std::string> texts, std::vector<std::int32_t> clicks = {})
    {
        scripted.dialogs.answers.push_back({std::move(clicks), std::move(texts), true});
    }

    void reserve(const std::vector<std::int32_t>& members)
    {
        std::copy(members.begin(), members.end(), state.selectedSubset);
        state.dwSubsetSize = static_cast<std::int32_t>(members.size());
        state.dwReservedCount = reserveSubset(state.selectedSubset, state.dwSubsetSize, state.selectedSubsetArraySize,
                                              state.lpReservedSubsets, state.dwReservedCount,
                                              state.dwReservedCapacity);
    }

    StatisticsViewSettings settings()
    {
        return {state.rcGraph,      state.dwLineHeight, state.dwFixedUpperBound != 0,
                state.dUpperBound,  state.dwSimStartTime, state.dwSimEndTime,
                &state.dwSimElapsed, {state.lpReservedListRect, state.dwReservedCapacity}};
    }

    std::int32_t draw()
    {
        text.runs.clear();
        surface.fill({0, 0, surface.width(), surface.height()}, colors::white);
        return DrawDetectionArrayZ(scripted.window(), canvas, clock, state.wAmplitude, state.dwStatView,
                                   state.wRequiredCount, state.lpRequiredList, state.lpRestErrorHeader,
                                   state.lpSeriesHeader, settings());
    }

    // The texts drawn at (x, y), in drawing order.
    std::vector<std::string> textsAt(std::int32_t x, std::int32_t y) const
    {
        std::vector<std::string> found;
        for (const TextRun& run : text.runs)
            if (run.x == x && run.y == y)
                found.push_back(run.text);
        return found;
    }
    const TextRun* run(const std::string& s) const
    {
        const auto it = std::find_if(text.runs.begin(), text.runs.end(), [&](const TextRun& r) { return r.text == s; });
        return it == text.runs.end() ? nullptr : &*it;
    }
    Color at(std::int32_t x, std::int32_t y) const
    {
        return Color::fromRgb32(surface.pixels()[y * surface.width() + x]);
    }

    RestErrorHeader& results() { return *state.lpRestErrorHeader; }
    SeriesHeader& series() { return *state.lpSeriesHeader; }

    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    bool started = false;
    bool committed = false;
    Surface surface{1280, 1024};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
};

// ---- the runs the tests look at -----------------------------------------------------

// Detection of an unknown number of whole pulses: points 2, 4, 6 (or 2 … 6 with
// increment 1), noise 0, 40 … 160, three repeats; series of 300 samples.
StatsBench detectionRun(std::int32_t pulsesIncrement = 2)
{
    Grid grid;
    grid.pulsesIncrement = pulsesIncrement;
    grid.noiseSteps = 5;
    grid.noiseIncrement = 40;
    return StatsBench({command::unfixedWhole, command::detection}, grid);
}

// Tuple recognition over two pattern subsets, with bounds: points 4 and 6, five noise
// levels from `noiseInitial` in steps of 60, eight repeats.
StatsBench recognitionRun(std::int32_t noiseInitial = 0)
{
    Grid grid;
    grid.pulsesFrom = 4;
    grid.noiseInitial = noiseInitial;
    grid.noiseSteps = 5;
    grid.noiseIncrement = 60;
    grid.repeats = 8;
    return StatsBench({}, grid, {id::recognitionError}, {{2, 4}, {5, 6, 7}});
}

// 29 noise levels from 5 in steps of 5, one point, one repeat.
StatsBench twentyNineStepsRun()
{
    Grid grid;
    grid.pulsesFrom = grid.pulsesTo = 4;
    grid.noiseInitial = 5;
    grid.noiseSteps = 29;
    grid.noiseIncrement = 5;
    grid.repeats = 1;
    return StatsBench({command::unfixedWhole, command::detection}, grid);
}

// Where the texts below the parameters stand (x = L0 + mx, mx = 13 for this area).
constexpr std::int32_t figuresX = 23;
constexpr std::int32_t figuresY = 10 + 10 * fh + 1;
constexpr std::int32_t startY = figuresY + 3 * (fh + 1);
constexpr std::int32_t endY = startY + fh + 1;
constexpr std::int32_t elapsedY = endY + 2 * (fh + 1);
constexpr std::int32_t boxTop = elapsedY + 3 * (fh + 1);

// The recording engine's font B: 7 pixels a character, lines of 16 (lh 15).
constexpr std::int32_t aw = 7, lh = 15;
constexpr std::int32_t dotR = ((lh + 1) >> 1) + 1;

EtalonFigures printedFigures(const StatsBench& b)
{
    const std::vector<std::string> line = b.textsAt(figuresX, figuresY);
    EtalonFigures f;
    if (line.size() == 1)
        std::sscanf(line[0].c_str(), "etEnergy=%d, Rmin=%d, Rmax=%d", &f.energy, &f.rmin, &f.rmax);
    return f;
}

ErrorGraphFrame frameOf(StatsBench& b)
{
    return statisticsViewLayout(area, fh, b.state.wRequiredCount, b.results().wNoiseLevels).graph;
}

// The top of the axis as its top label reads, in thousandths.
std::uint32_t printedTop(const StatsBench& b, const ErrorGraphFrame& g)
{
    const std::int32_t yl = ((lh + 1) >> 1) + 1;
    const std::vector<std::string> top = b.textsAt(g.gx - (3 * aw + (aw >> 2) + 1), g.gy + g.gh - yl - 10 * g.ystep);
    return top.size() == 1 ? static_cast<std::uint32_t>(std::lround(std::atof(top[0].c_str()) * 1000)) : 0;
}

// ---- the parameter lines, figures, times and fonts ----------------------------------------

TEST(StatisticsView, ParameterLinesOfADetectionRun)
{
    StatsBench b = detectionRun();
    ASSERT_TRUE(b.started);
    ASSERT_NE(b.state.lpRestErrorHeader, nullptr);
    ASSERT_EQ(b.state.dwStatView, 0) << "the dialog answered as it opened: restoring error, componentwise";
    ASSERT_EQ(b.draw(), 1);
    const std::vector<std::string> expected{
        " statistical simulation for detection in series with unknown number of whole pulses ",
        " series length 300, ",
        " involves  2, 4, 6 pulses from [1-8],",
        " with length 20, amplitude 128",
        " Tmin=40, Tmax=181,",
        " number of 5 noise levels",
        " from 0 to 160 with step 40",
        " restored error, componentwise case",
        " for volume of  3 repeats",
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::int32_t y = 10 - (fh >> 1) + static_cast<std::int32_t>(i) * (fh + 1);
        EXPECT_EQ(b.textsAt(20, y), std::vector<std::string>{expected[i]}) << "line " << i;
    }
    EXPECT_TRUE(b.textsAt(20, 10 - (fh >> 1) + 9 * (fh + 1)).empty()) << "an empty line follows";
}

TEST(StatisticsView, PulseCountsListThreeInFullAndMoreAsFirstTwoAndLast)
{
    struct Case {
        std::int32_t increment;
        const char* line;
    };
    const Case cases[] = {
        {2, " involves  2, 4, 6 pulses from [1-8],"},      // the comma after 6 gives way
        {1, " involves  2, 3,..., 6 pulses from [1-8],"},  // the blank after 6 gives way
        {4, " involves  2, 6 pulses from [1-8],"},
    };
    for (const Case& c : cases) {
        StatsBench b = detectionRun(c.increment);
        b.draw();
        EXPECT_EQ(b.textsAt(20, 10 - (fh >> 1) + 2 * (fh + 1)), std::vector<std::string>{c.line})
            << "increment " << c.increment;
    }
}

TEST(StatisticsView, CaseTitleAndFormulaFollowTheSelector)
{
    struct Case {
        std::int32_t statView;
        const char* title;
        const char* formula; // "" for none
    };
    const Case cases[] = {
        {0, " restored error, componentwise case", "e(s)=E||C-<C>||2/||C||2"},
        {1, " restored error, agregate form", "e(s)=E||C-<C>||2/||C||2"},
        {2, " detection error, componentwise case", "e(s)=E||h-<h>||2/||h||2"},
        {3, " detection error, agregate form", "e(s)=E||h-<h>||2/||h||2"},
        {4, " recognition error, componentwise case", ""},
        {5, " recognition error, agregate form", ""},
        {12, " recognition error, componentwise case", ""},
        {13, " recognition error, agregate form", ""},
        {7, "", ""},
    };
    StatsBench b = detectionRun();
    for (const Case& c : cases) {
        b.state.dwStatView = c.statView;
        b.draw();
        EXPECT_EQ(b.textsAt(20, 10 - (fh >> 1) + 7 * (fh + 1)), std::vector<std::string>{c.title}) << c.statView;
        // Without a pattern box the formula follows directly under the time lines.
        std::vector<std::string> formula;
        if (*c.formula != '\0')
            formula.push_back(c.formula);
        EXPECT_EQ(b.textsAt(figuresX, boxTop), formula) << c.statView;
    }
}

TEST(StatisticsView, TwentyNineNoiseStepsFromFiveInStepsOfFive)
{
    StatsBench b = twentyNineStepsRun();
    b.draw();
    EXPECT_EQ(b.textsAt(20, 10 - (fh >> 1) + 5 * (fh + 1)), std::vector<std::string>{" number of 29 noise levels"});
    EXPECT_EQ(b.textsAt(20, 10 - (fh >> 1) + 6 * (fh + 1)),
              std::vector<std::string>{" from 5 to 145 with step 5"});
}

TEST(StatisticsView, FiguresAndTimesThroughTheClock)
{
    struct Case {
        std::int64_t start, end;
        const char* elapsed;
    };
    const Case cases[] = {
        {1000, 1725, "elapsed time 0:12:05"},
        {50, 50 + 3600 + 59, "elapsed time 1:00:59"},
        {7, 7, "elapsed time 0:00:00"},
    };
    StatsBench b = detectionRun();
    for (const Case& c : cases) {
        b.state.dwSimStartTime = c.start;
        b.state.dwSimEndTime = c.end;
        b.draw();
        EXPECT_EQ(b.textsAt(figuresX, startY), std::vector<std::string>{b.clock.localTimeText(c.start)});
        EXPECT_EQ(b.textsAt(figuresX, endY), std::vector<std::string>{b.clock.localTimeText(c.end)});
        EXPECT_EQ(b.textsAt(figuresX, elapsedY), std::vector<std::string>{c.elapsed});
        EXPECT_EQ(b.state.dwSimElapsed, c.end - c.start);
    }
}

TEST(StatisticsView, FiguresOfOneEtalonCorrelateItWithItself)
{
    StatsBench b = detectionRun();
    b.draw();
    const SeriesHeader& s = b.series();
    ASSERT_EQ(b.state.wRequiredCount, 1);
    const PulseHeader& etalon = *s.lpPulsesList[b.state.lpRequiredList[0] - 1];
    ASSERT_EQ(s.lpFirstEtalon, &etalon);
    std::int32_t energy = 0, rmin = 0;
    for (std::int32_t i = 0; i < s.wImpulseSize; ++i)
        energy += etalon.lpData[i] * etalon.lpData[i];
    for (std::int32_t shift = -20; shift <= 20; ++shift)
        rmin = std::min(rmin, crossCorrelation(etalon.lpData, etalon.lpData, 20, shift));
    EXPECT_EQ(b.textsAt(figuresX, figuresY),
              std::vector<std::string>{formatText("etEnergy=%d, Rmin=%d, Rmax=0", energy, rmin)});
}

TEST(StatisticsView, TupleRecognitionTakesItsFiguresFromThePatternSubsetsAndShowsThem)
{
    StatsBench b = recognitionRun();
    ASSERT_TRUE(b.committed);
    ASSERT_EQ(b.state.dwStatView, 12);
    b.draw();
    const SeriesHeader& s = b.series();
    ASSERT_EQ(s.wSubsetsCount, 2);
    std::int32_t energy = 0, rmin = 0, rmax = 0;
    auto shape = [&](std::int32_t k, std::int32_t j) { return s.lpPulsesList[s.selectedSubsetList[k][j] - 1]->lpData; };
    for (std::int32_t k = 0; k < 2; ++k)
        for (std::int32_t j = 0; j < s.selectedSubsetSize[k]; ++j) {
            std::int32_t e = 0;
            for (std::int32_t i = 0; i < 20; ++i)
                e += shape(k, j)[i] * shape(k, j)[i];
            energy = std::max(energy, e);
        }
    for (std::int32_t j1 = 0; j1 < s.selectedSubsetSize[0]; ++j1)
        for (std::int32_t j2 = 0; j2 < s.selectedSubsetSize[1]; ++j2)
            for (std::int32_t shift = -20; shift <= 20; ++shift) {
                const std::int32_t c = crossCorrelation(shape(0, j1), shape(1, j2), 20, shift);
                rmin = std::min(rmin, c);
                rmax = std::max(rmax, c);
            }
    EXPECT_EQ(printedFigures(b), (EtalonFigures{energy, 0, rmin, rmax}));

    // The subsets' box under the times, its rows stored for the clicks; font B's line
    // moves down by its height and two margins.
    const AlphabetBoxLayout a = alphabetBoxLayout(area, b.state.wRequiredCount, fh);
    const PatternBoxLayout box = patternTuplesBoxLayout(b.canvas, a, s, std::nullopt, fh);
    const std::int32_t bx = figuresX;
    ASSERT_NE(b.run(" pattern tuples "), nullptr);
    EXPECT_EQ(b.state.lpReservedListRect[1],
              (Rect{bx + box.px, boxTop + (box.py >> 1) + box.pch + box.py, bx + box.px + box.bw,
                    boxTop + (box.py >> 1) + 2 * (box.pch + box.py)}));
    const std::int32_t formulaLine = 16 - 1 + 1; // font A's line height and one pixel
    EXPECT_EQ(b.textsAt(figuresX, boxTop + box.bh + 2 * a.my + formulaLine), std::vector<std::string>{" 43 -> 16"});
}

TEST(StatisticsView, FontsFollowTheAreaHeight)
{
    struct Case {
        Rect area;
        std::int32_t fh;
        std::int32_t fontH, fontA;
    };
    const Case cases[] = {
        {{10, 10, 1115, 709}, 13, 32, 28},  // H 700
        {area, fh, 43, 38},                 // H 940
        {{10, 10, 1115, 309}, 15, 17, 17},  // H 300: both below fh + 1, raised to fh + 2
    };
    StatsBench b = detectionRun();
    for (const Case& c : cases) {
        b.state.rcGraph = c.area;
        b.state.dwLineHeight = c.fh;
        b.draw();
        const StatisticsViewLayout l = statisticsViewLayout(c.area, c.fh, 1, 4);
        EXPECT_EQ(l.fontH, c.fontH);
        EXPECT_EQ(l.formulaFont, c.fontA);
        const TextRun* formula = b.run("e(s)=E||C-<C>||2/||C||2");
        ASSERT_NE(formula, nullptr);
        EXPECT_EQ(formula->font, (FontSpec{"Symbol", c.fontA}));
        const TextRun* heights = b.run(formatText(" %d -> 16", c.fontH));
        ASSERT_NE(heights, nullptr) << "the height asked for, then the one the platform gave";
        EXPECT_EQ(heights->font, (FontSpec{"Symbol", c.fontH}));
        EXPECT_EQ(heights->y, formula->y + 16) << "font A's line height and one pixel lower";
        EXPECT_EQ(b.run(" series length 300, ")->font, FontSpec{}) << "the parameters in the window font";
        EXPECT_EQ(b.canvas.selectFont(FontSpec{}), FontSpec{}) << "the window font is back";
    }
}

// ---- geometry and axes ----------------------------------------------------------------

TEST(StatisticsView, GraphGeometry)
{
    struct Case {
        const char* what;
        Rect area;
        std::uint16_t levels;
        ErrorGraphFrame graph;
    };
    // mx 13, my 14, alphabet box at 935; gh0 833, gw0 454, ystep 84.
    const Case cases[] = {
        {"4 levels: xstep from the height", area, 4, {804, 39, 54, 840, 18, 84}},
        {"29 levels: xstep from the width", area, 29, {410, 39, 448, 840, 16, 84}},
        {"one level: no columns", area, 1, {858, 39, 0, 840, 0, 84}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(statisticsViewLayout(c.area, fh, 20, c.levels).graph, c.graph) << c.what;
}

TEST(ErrorAxis, TopTickAndScale)
{
    struct Case {
        std::uint32_t u;
        bool fixed;
        double bound;
        ErrorAxis axis;
    };
    const Case cases[] = {
        {500, false, 0, {500, 100, 2}},
        {300, false, 0, {500, 100, 2}},
        {79, false, 0, {100, 20, 10}},  // 5 × 79 and 2 × 79 both exceed 100
        {240, false, 0, {250, 50, 4}},  // 1000 halved twice
        {50, false, 0, {50, 10, 20}},
        {1500, false, 0, {2000, 400, 0}}, // 10000 divided by 5: a top above 1000 scales to 0
        {500, true, 0.25, {250, 50, 4}},
        {500, true, 0.3, {300, 60, 3}}, // k truncates 3.33
        {500, true, 0.0005, {0, 0, 0}}, // no top: nothing may be scaled by it
        {79, true, 0.0, {100, 20, 10}}, // a fixed bound of 0 is not used
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorAxis(c.u, c.fixed, c.bound), c.axis) << c.u << " " << c.fixed << " " << c.bound;
}

TEST(ErrorGraph, AxisLabelsAndGridForTwentyNineSteps)
{
    StatsBench b = twentyNineStepsRun();
    b.state.dwStatView = 4; // recognition: a top of 0.50 whatever the data
    b.draw();
    const ErrorGraphFrame g = frameOf(b);
    const RestErrorHeader& r = b.results();
    const std::int32_t y = g.gy + g.gh + fh - ((fh + 1) >> 2) - ((fh + 1) >> 3);
    const std::int32_t back = aw + (aw >> 1) - 1;
    std::int32_t labels = 0;
    for (std::int32_t l = 0; l < 29; ++l) {
        const std::vector<std::string> at = b.textsAt(g.gx + l * g.xstep - back, y);
        if (l % 4 == 0) {
            EXPECT_EQ(at, std::vector<std::string>{formatText("%3d", r.lpNoiseLevels[l])}) << "step " << l;
            ++labels;
        } else {
            EXPECT_TRUE(at.empty()) << "step " << l;
        }
    }
    EXPECT_EQ(labels, 8);
    EXPECT_EQ(b.textsAt(g.gx + 32 * g.xstep - back, y - lh), std::vector<std::string>{"s"});
    EXPECT_EQ(b.run("s")->font.face, "Symbol") << "σ in the window";

    const std::int32_t yl = ((lh + 1) >> 1) + 1;
    const char* values[] = {"0.00", "0.10", "0.20", "0.30", "0.40", "0.50"};
    for (std::int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(b.textsAt(g.gx - (3 * aw + 1 + 1), g.gy + g.gh - yl - i * 2 * g.ystep),
                  std::vector<std::string>{values[i]});

    // Vertical grid lines at steps 0, 2 … 26, dots every 4 rows; none at odd steps.
    const std::int32_t row = g.gy + g.gh - 8;
    for (std::int32_t l = 0; l < 28; ++l)
        EXPECT_EQ(b.at(g.gx + l * g.xstep, row), l % 2 == 0 ? colors::black : colors::white) << "step " << l;
    EXPECT_EQ(b.at(g.gx + 2 * g.xstep, row + 2), colors::white) << "between two dots";
    // Horizontal grid lines at every tenth, dots every 4 columns.
    EXPECT_EQ(b.at(g.gx + 4, g.gy + g.gh - 3 * g.ystep), colors::black);
    EXPECT_EQ(b.at(g.gx + 6, g.gy + g.gh - 3 * g.ystep), colors::white);
}

TEST(ErrorGraph, ValueLabelsFollowTheFixedUpperBound)
{
    struct Case {
        double bound;
        std::int32_t extraWidth; // labels of three decimals stand one character further left
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {0.25, 0, {"0.00", "0.05", "0.10", "0.15", "0.20", "0.25"}},
        {0.03, aw, {"0.000", "0.006", "0.012", "0.018", "0.024", "0.030"}},
    };
    StatsBench b = detectionRun();
    b.state.dwStatView = 2;
    b.state.dwFixedUpperBound = 1;
    for (const Case& c : cases) {
        b.state.dUpperBound = c.bound;
        b.draw();
        const ErrorGraphFrame g = frameOf(b);
        const std::int32_t yl = ((lh + 1) >> 1) + 1;
        for (std::int32_t i = 0; i < 6; ++i)
            EXPECT_EQ(b.textsAt(g.gx - (3 * aw + 1 + 1 + c.extraWidth), g.gy + g.gh - yl - i * 2 * g.ystep),
                      std::vector<std::string>{c.labels[i]})
                << c.bound;
    }
}

// ---- curves -----------------------------------------------------------------------------

// What the formulas give for point v at noise step l, from the stored tables.
std::int32_t expectedY(std::int32_t view, const RestErrorHeader& r, const SeriesHeader& s, const EtalonFigures& f,
                       std::uint32_t k, std::int32_t gh, std::int32_t l, std::int32_t v)
{
    const std::uint32_t reps = static_cast<std::uint16_t>(r.repeats);
    const std::uint32_t V = r.wVariousPulses;
    const auto nrmR = static_cast<std::uint32_t>(2 * s.wMaxPulses * (f.energy - f.rmin));
    const double nrmD = static_cast<double>((s.wTmax - s.wImpulseSize) * (s.wTmax - s.wImpulseSize));
    const auto ugh = static_cast<std::uint32_t>(gh);
    double share = 0;
    std::uint32_t count = 0;
    switch (view) {
    case 0: return gh - static_cast<std::int32_t>(k * static_cast<std::uint32_t>(r.lpErrors[l][v]) * ugh / nrmR);
    case 1:
        for (std::uint32_t w = 0; w < V; ++w) share += static_cast<double>(r.lpErrors[l][w]) / nrmR;
        return gh - static_cast<std::int32_t>(k * (share / V) * gh);
    case 2: return gh - static_cast<std::int32_t>(k * std::sqrt(r.lpDetErrors[l][v] / double(reps) / nrmD) * gh);
    case 3:
        for (std::uint32_t w = 0; w < V; ++w) share += r.lpDetErrors[l][w];
        return gh - static_cast<std::int32_t>(k * std::sqrt(share / (V * nrmD * reps)) * gh);
    case 4:
    case 12: return gh - static_cast<std::int32_t>(static_cast<std::uint32_t>(r.lpRecErrors[l][v]) * k * ugh / reps);
    default:
        for (std::uint32_t w = 0; w < V; ++w) count += static_cast<std::uint32_t>(r.lpRecErrors[l][w]);
        return gh - static_cast<std::int32_t>(count * k * ugh / (reps * V));
    }
}

// The two bounds at step l ≥ 1: P1, then P2.
std::pair<std::int32_t, std::int32_t> expectedBounds(const RestErrorHeader& r, const SeriesHeader& s,
                                                     const EtalonFigures& f, std::int32_t gh, std::int32_t l)
{
    const std::int32_t d1 = (4 + 4 * (f.energy - f.rmin)) / 8;
    std::int32_t d2 = (8 + 4 * (f.energy - f.rmax)) / 16;
    if (r.wSeriesType != 36 && r.wProcessingMode != 40) {
        std::int32_t e0 = f.energy;
        for (std::int32_t i = 0; i < s.wImpulseSize; ++i)
            e0 = std::min(e0, s.lpFirstEtalon->lpData[i] * s.lpFirstEtalon->lpData[i]);
        d2 = (8 + 4 * std::max((f.energy * r.wMakeEnergy + 50) / 100, e0)) / 16;
    }
    const double sigma2 = static_cast<double>(r.lpNoiseLevels[l]) * r.lpNoiseLevels[l];
    const double p1 = 0.5 - 0.5 * std::sqrt(1 - std::exp(-(d1 * s.wMaxPulses) / sigma2));
    const double p2 = 0.5 * std::exp(-(d2 * s.wMinPulses) / sigma2);
    return {gh - 2 * static_cast<std::int32_t>(gh * p1), gh - 2 * static_cast<std::int32_t>(gh * p2)};
}

using Picture = std::vector<std::uint32_t>;

Picture pictureOf(const Surface& s) { return {s.pixels(), s.pixels() + s.width() * s.height()}; }

// The view drawn with every table entry 0, every curve then lying on the bottom edge.
Picture pictureWithoutData(StatsBench& b)
{
    RestErrorHeader& r = b.results();
    std::vector<std::int32_t> kept;
    for (std::int32_t** table : {r.lpErrors, r.lpDetErrors, r.lpRecErrors})
        for (std::int32_t l = 0; l < r.wNoiseLevels; ++l)
            for (std::int32_t v = 0; v < r.wVariousPulses; ++v) {
                kept.push_back(table[l][v]);
                table[l][v] = 0;
            }
    b.draw();
    const Picture base = pictureOf(b.surface);
    auto next = kept.begin();
    for (std::int32_t** table : {r.lpErrors, r.lpDetErrors, r.lpRecErrors})
        for (std::int32_t l = 0; l < r.wNoiseLevels; ++l)
            for (std::int32_t v = 0; v < r.wVariousPulses; ++v) table[l][v] = *next++;
    return base;
}

// Checks a curve point whose pixels the data alone decide (white without data): black at
// (x, y) and at each stroke's offset from it. Returns whether it was checked.
bool checkPoint(const StatsBench& b, const Picture& base, std::int32_t x, std::int32_t y, bool wide,
                const std::string& what)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> pixels{{x, y}, {x, y + 1}};
    if (wide)
        pixels.emplace_back(x + 1, y);
    for (const auto& [px, py] : pixels)
        if (base[py * b.surface.width() + px] != colors::white.rgb32())
            return false;
    for (const auto& [px, py] : pixels)
        EXPECT_EQ(b.at(px, py), colors::black) << what << " at " << px << ", " << py;
    return true;
}

TEST(ErrorGraph, CurvesOfEverySelectorFollowTheStoredTables)
{
    struct Case {
        std::int32_t view;
        bool recognition; // which run
        bool wide;        // a (1, 0) stroke besides (0, 0) and (0, 1)
        std::int32_t labelRaise;
        bool summary;
    };
    const Case cases[] = {
        {0, false, false, dotR, false}, {1, false, false, 0, true},  {2, false, true, dotR, false},
        {3, false, false, 0, true},     {4, true, true, 0, false},   {5, true, true, 0, true},
        {12, true, true, 0, false},     {13, true, true, 0, true},
    };
    StatsBench detection = detectionRun();
    StatsBench recognition = recognitionRun();
    for (const Case& c : cases) {
        StatsBench& b = c.recognition ? recognition : detection;
        const RestErrorHeader& r = b.results();
        const SeriesHeader& s = b.series();
        b.state.dwStatView = c.view;
        const Picture base = pictureWithoutData(b);
        b.draw();
        const ErrorGraphFrame g = frameOf(b);
        const EtalonFigures f = printedFigures(b);
        const std::uint32_t top = printedTop(b, g);
        ASSERT_GT(top, 0u) << c.view;
        const std::uint32_t k = 1000 / top;
        const std::int32_t nL = r.wNoiseLevels;
        const std::int32_t curves = c.summary ? 1 : r.wVariousPulses;
        std::int32_t checked = 0;
        for (std::int32_t v = 0; v < curves; ++v) {
            // Inner points: the last one ends the polylines and is not drawn itself.
            for (std::int32_t l = 1; l + 1 < nL; ++l)
                checked += checkPoint(b, base, g.gx + l * g.xstep, g.gy + expectedY(c.view, r, s, f, k, g.gh, l, v),
                                      c.wide, formatText("selector %d, point %d, step %d", c.view, v, l));
            // The label one step right of the last point.
            const std::int32_t x = g.gx + nL * g.xstep;
            const std::int32_t y = g.gy + expectedY(c.view, r, s, f, k, g.gh, nL - 1, v) - c.labelRaise;
            // Curves ending at the same height share the place of their labels.
            const std::vector<std::string> labels = b.textsAt(x, y);
            std::string label;
            if (c.view == 0 || c.view == 2 || c.view == 4 || c.view == 12)
                label = formatText("%d", r.wPulseValues[v]);
            if (c.view == 3)
                label = formatText("%d", r.wVariousPulses);
            if (c.view == 5 || c.view == 13)
                label = "S";
            if (label.empty())
                EXPECT_TRUE(labels.empty()) << "selector " << c.view << ": no label";
            else
                EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end())
                    << "selector " << c.view << ", point " << v;
        }
        EXPECT_GE(checked, 2) << "selector " << c.view << ": too few points away from the grid";
    }
}

TEST(ErrorGraph, BoundsFollowTheEtalonFigures)
{
    struct Case {
        const char* what;
        std::function<StatsBench()> run;
    };
    const Case cases[] = {
        {"tuple run: d2 from E − Rmax", [] { return recognitionRun(); }},
        {"recognition of whole pulses: d2 from the kept energy", [] {
             Grid grid;
             grid.noiseSteps = 5;
             grid.noiseIncrement = 60;
             return StatsBench({command::fixedWhole, command::processingNextData}, grid, {id::recognitionError});
         }},
    };
    for (const Case& c : cases) {
        StatsBench b = c.run();
        // In 12 and 13 only, drawn over the curves of 4 and 5.
        for (const auto& [with, without] : {std::pair{12, 4}, {13, 5}}) {
            b.state.dwStatView = without;
            b.draw();
            const Picture base = pictureOf(b.surface);
            b.state.dwStatView = with;
            b.draw();
            const ErrorGraphFrame g = frameOf(b);
            const EtalonFigures f = printedFigures(b);
            std::int32_t checked = 0;
            for (std::int32_t l = 1; l + 1 < b.results().wNoiseLevels; ++l) {
                const auto [p1, p2] = expectedBounds(b.results(), b.series(), f, g.gh, l);
                for (std::int32_t y : {p1, p2})
                    checked += checkPoint(b, base, g.gx + l * g.xstep, g.gy + y, true,
                                          formatText("%s: selector %d, step %d", c.what, with, l));
            }
            EXPECT_GE(checked, 2) << c.what << ": selector " << with;
        }
    }
}

TEST(ErrorGraph, BoundsStartFromTheCornerAndSkipStepZero)
{
    StatsBench b = recognitionRun(100); // noise 100 at step 0: a bound there would stand high
    b.state.dwStatView = 12;
    RestErrorHeader& r = b.results(); // without errors the recognition curves lie on the bottom edge
    for (std::int32_t l = 0; l < r.wNoiseLevels; ++l)
        for (std::int32_t v = 0; v < r.wVariousPulses; ++v) r.lpRecErrors[l][v] = 0;
    b.draw();
    const ErrorGraphFrame g = frameOf(b);
    const EtalonFigures f = printedFigures(b);
    // Step 0's point of P2, were it drawn, would rise straight from the corner in column
    // gx + 1 (the (1, 0) stroke): that column stays white up to there.
    const auto [p1, p2] = expectedBounds(r, b.series(), f, g.gh, 0);
    ASSERT_LT(std::min(p1, p2), g.gh - 150);
    for (std::int32_t y = std::min(p1, p2) + 2; y < g.gh - 100; ++y)
        EXPECT_EQ(b.at(g.gx + 1, g.gy + y), colors::white) << "row " << y;
    EXPECT_EQ(b.at(g.gx + 1, g.gy + g.gh), colors::black) << "the strokes start at the corner";
}

// ---- what cannot be scaled, and the working arrays -----------------------------------------

// Whether any pixel inside the graph lies in an odd column from gx: the grid uses only
// even ones, so such a pixel belongs to a curve.
bool curvePixels(const StatsBench& b, const ErrorGraphFrame& g)
{
    for (std::int32_t y = g.gy + 1; y < g.gy + g.gh; ++y)
        for (std::int32_t x = g.gx + 1; x < g.gx + g.gw; x += 2)
            if (b.at(x, y) != colors::white)
                return true;
    return false;
}

TEST(ErrorGraph, AMeasureThatCannotBeScaledDrawsOneLineInPlaceOfTheCurves)
{
    struct Case {
        const char* what;
        std::int32_t view;
        std::function<void(StatsBench&)> spoil;
        const char* line;
    };
    const Case cases[] = {
        {"Tmax = L", 2, [](StatsBench& b) { b.series().wTmax = b.series().wImpulseSize; },
         "(Tmax - L)^2 = 0: the detection error cannot be scaled"},
        {"an etalon without energy", 1,
         [](StatsBench& b) {
             PulseHeader& e = b.state.aEtalons[b.state.lpRequiredList[0] - 1];
             std::fill_n(e.lpData, e.wLength, std::int16_t{0});
         },
         "2 MaxPulses (E - Rmin) = 0: the restoring error cannot be scaled"},
        {"a fixed bound below 0.001", 0,
         [](StatsBench& b) {
             b.state.dwFixedUpperBound = 1;
             b.state.dUpperBound = 0.0005;
         },
         "axis top 0 (upper bound below 0.001): the error cannot be scaled"},
    };
    for (const Case& c : cases) {
        StatsBench b = detectionRun();
        b.state.dwStatView = c.view;
        b.draw();
        const ErrorGraphFrame g = frameOf(b);
        ASSERT_TRUE(curvePixels(b, g)) << c.what << ": the curves before";
        c.spoil(b);
        b.draw();
        EXPECT_FALSE(curvePixels(b, g)) << c.what;
        const TextRun* line = b.run(c.line);
        ASSERT_NE(line, nullptr) << c.what;
        EXPECT_EQ(line->font, FontSpec{}) << c.what << ": in the window font, not in Greek";
        EXPECT_EQ(line->x, g.gx + aw);
        EXPECT_EQ(line->y, g.gy + (g.gh >> 1) - fh);
        EXPECT_EQ(std::count_if(b.text.runs.begin(), b.text.runs.end(),
                                [&](const TextRun& r) { return r.x == g.gx + 5 * g.xstep; }),
                  0)
            << c.what << ": no curve label";
        EXPECT_NE(b.run(" number of 5 noise levels"), nullptr) << c.what << ": the rest of the view stays";
        EXPECT_EQ(b.at(g.gx - 1, g.gy + 5), colors::black) << c.what << ": the frame stays";
    }
}

TEST(StatisticsView, WorkingArraysThatCannotBeAllocatedStopTheView)
{
    for (std::int64_t failing : {1, 2}) {
        StatsBench b = detectionRun();
        b.scripted.clearMessages();
        const std::int64_t live = liveAllocations();
        failAllocationAt(failing);
        EXPECT_EQ(b.draw(), 0);
        failAllocationAt(0);
        EXPECT_EQ(liveAllocations(), live) << "array " << failing << ": nothing kept";
        ASSERT_EQ(b.scripted.messages().size(), 1u);
        EXPECT_EQ(b.scripted.messages()[0],
                  (RecordedMessage{"No memory to RestoredErrorNormalizer", " ERROR in DrawDetectionArrayZ "}));
        EXPECT_TRUE(b.text.runs.empty());
        EXPECT_EQ(b.at(area.left, 500), colors::white) << "not even the frame";
    }
}

TEST(StatisticsView, CrossCorrelationSumsOverTheOverlap)
{
    const std::int16_t a[] = {1, 2, 3};
    const std::int16_t b[] = {4, 5, 6};
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 32}, {1, 2 * 4 + 3 * 5}, {2, 3 * 4}, {3, 0}, {-1, 1 * 5 + 2 * 6}, {-2, 1 * 6}, {-3, 0}};
    for (const auto& [shift, sum] : cases)
        EXPECT_EQ(crossCorrelation(a, b, 3, shift), sum) << "shift " << shift;
    const std::int16_t big[] = {32767, 32767, 32767};
    EXPECT_EQ(crossCorrelation(big, big, 3, 0), static_cast<std::int32_t>(3u * 1073676289u)) << "wraps in 32 bits";
}


} // namespace
} // namespace mirokel
