// The main window's paint, headless: the layout members it stores for several client sizes
// and alphabets, the faces of each view and processing mode, the value selectors and the
// alphabet panel, checked through the stored rectangles, the recorded text runs and the
// pixels of an offscreen surface.
#include "ui/paint.h"

#include "app/application.h"
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "app/startup.h"
#include "block_text_engine.h"
#include "engine/chains_header.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"
#include "ui/button_faces.h"
#include "ui/layout.h"
#include "ui/selectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace mirokel {

static void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

static void PrintTo(const Color& c, std::ostream* os)
{
    *os << "RGB(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

namespace {

constexpr std::int32_t surfaceWidth = 1280;
constexpr std::int32_t surfaceHeight = 960;
constexpr Rect untouched{-7, -7, -7, -7}; // a layout member the paint must leave alone

constexpr std::uint16_t recognitionMode = 2; // a processing mode with a select face

const std::set<std::string> faceCaptions{"Next", "Exit", "Restart", "Select All", "Unselect All"};

// A started application painted on a 1280 × 960 surface with a text engine of 7 × 16
// characters (line height 15); shutdown must release everything.
class PaintBench {
public:
    PaintBench()
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        builtAlphabetSize = state.wAlphabetSize;
    }
    ~PaintBench()
    {
        state.wAlphabetSize = builtAlphabetSize;
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(liveAllocations(), live) << "shutdown releases every owned object";
    }

    void paint(std::int32_t width = surfaceWidth, std::int32_t height = surfaceHeight)
    {
        text.runs.clear();
        onPaint(scripted.window(), state, canvas, clock, width, height);
    }

    void useEtalons(std::int32_t count)
    {
        state.awEtalonInUse.fill(0);
        std::fill_n(state.awEtalonInUse.begin(), count, std::uint16_t{1});
    }

    // The texts drawn with their top-left corner inside `area` (inclusive).
    std::vector<std::string> textsIn(const Rect& area) const
    {
        std::vector<std::string> found;
        for (const TextRun& run : text.runs)
            if (run.x >= area.left && run.x <= area.right && run.y >= area.top && run.y <= area.bottom)
                found.push_back(run.text);
        return found;
    }

    bool drew(std::string_view wanted) const
    {
        return std::any_of(text.runs.begin(), text.runs.end(), [&](const TextRun& run) { return run.text == wanted; });
    }

    std::multiset<std::string> facesDrawn() const
    {
        std::multiset<std::string> found;
        for (const TextRun& run : text.runs)
            if (faceCaptions.contains(run.text)) found.insert(run.text);
        return found;
    }

    Color pixel(std::int32_t x, std::int32_t y) const { return canvas.getPixel(x, y); }

    const std::int64_t live = liveAllocations();
    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    bool started = false;
    std::uint16_t builtAlphabetSize = 0;
    Surface surface{surfaceWidth, surfaceHeight};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
};

// ---- Layout ----

TEST(Layout, GridShapeIsTheSmallestOfIRowsAndIPlusOneColumns)
{
    const struct {
        std::uint16_t etalons;
        std::int32_t columns, rows;
    } cases[] = {{0, 2, 1}, {1, 2, 1}, {2, 2, 1}, {3, 3, 2}, {6, 3, 2}, {7, 4, 3}, {12, 4, 3}, {13, 5, 4}, {20, 5, 4}};
    for (const auto& c : cases) {
        const AlphabetGridShape shape = alphabetGridShape(c.etalons);
        EXPECT_EQ(shape.columns, c.columns) << c.etalons << " etalons";
        EXPECT_EQ(shape.rows, c.rows) << c.etalons << " etalons";
    }
}

TEST(Layout, GraphAreaAndCellsForClientSizesAndAlphabets)
{
    const struct {
        const char* what;
        std::int32_t width, height;
        std::uint16_t etalons;
        std::uint16_t cellWidth, cellHeight;
        Rect graph;
        Rect lastCell;
    } cases[] = {
        {"20 etalons, 5 x 4", 1280, 960, 20, 209, 222, {10, 10, 1114, 947}, {896, 716, 1104, 937}},
        {"7 etalons, 4 x 3", 1024, 768, 7, 200, 236, {10, 10, 859, 757}, {440, 266, 639, 501}},
        {"6 etalons, 3 x 2", 800, 600, 6, 195, 275, {10, 10, 634, 589}, {430, 305, 624, 579}},
        {"2 etalons, 2 x 1", 640, 480, 2, 218, 441, {10, 10, 475, 470}, {248, 20, 465, 460}},
        {"1 etalon, 2 x 1", 640, 480, 1, 218, 441, {10, 10, 475, 470}, {20, 20, 237, 460}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PaintBench bench;
        ASSERT_TRUE(bench.started);
        bench.state.wAlphabetSize = c.etalons;
        bench.state.arcAlphabetCells.fill(untouched);
        bench.paint(c.width, c.height);

        const AppState& s = bench.state;
        EXPECT_EQ(s.wCellWidth, c.cellWidth);
        EXPECT_EQ(s.wCellHeight, c.cellHeight);
        EXPECT_EQ(s.wCellInnerWidth, c.cellWidth - 10);
        EXPECT_EQ(s.wCellInnerHeight, c.cellHeight - 10);
        EXPECT_EQ(s.rcGraph, c.graph);
        EXPECT_EQ(s.arcAlphabetCells[0], (Rect{20, 20, 20 + c.cellWidth - 1, 20 + c.cellHeight - 1}));
        EXPECT_EQ(s.arcAlphabetCells[c.etalons - 1], c.lastCell);
        if (c.etalons < alphabetSlots) {
            EXPECT_EQ(s.arcAlphabetCells[c.etalons], untouched) << "cells beyond the alphabet keep their value";
        }
    }
}

TEST(Layout, EmptyAlphabetKeepsATwoByOneGridWithoutCells)
{
    PaintBench bench;
    ASSERT_TRUE(bench.started);
    bench.state.wAlphabetSize = 0;
    bench.state.wProcessingMode = recognitionMode;
    bench.state.dwViewMode = 5; // the alphabet panel
    bench.state.arcAlphabetCells.fill(untouched);
    bench.paint(640, 480);

    EXPECT_EQ(bench.state.rcGraph, (Rect{10, 10, 475, 470}));
    EXPECT_EQ(bench.state.arcAlphabetCells[0], untouched);
    EXPECT_TRUE(bench.textsIn(bench.state.rcGraph).empty()) << "no cell is drawn";
    EXPECT_EQ(bench.state.dwSelectAllShown, 1);
    EXPECT_EQ(bench.textsIn(bench.state.rcSelectAllButton), std::vector<std::string>{"Select All"});
}

TEST(Layout, LineHeightAndCharacterWidthComeFromTheWindowFont)
{
    PaintBench bench;
    bench.text.externalLeading = 2;
    bench.canvas.selectFont(FontSpec{"Symbol", 20});
    bench.paint();

    EXPECT_EQ(bench.state.dwLineHeight, 16 + 2 - 1);
    EXPECT_EQ(bench.state.dwCharWidth, 7);
    ASSERT_FALSE(bench.text.runs.empty());
    for (const TextRun& run : bench.text.runs) EXPECT_EQ(run.font, (FontSpec{"", 0})) << run.text;
    EXPECT_EQ(bench.canvas.selectFont(FontSpec{}), (FontSpec{"Symbol", 20})) << "the previous font is put back";
}

TEST(Layout, RestartMovesDownWhereTheModeHasNoSelectFace)
{
    const struct {
        std::uint16_t processingMode;
        bool selectFace;
    } cases[] = {{1, false}, {36, false}, {40, false}, {2, true}, {4, true}, {64, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "processing mode " << c.processingMode);
        PaintBench bench;
        AppState& s = bench.state;
        s.dwViewMode = 6;
        s.wProcessingMode = c.processingMode;
        s.rcSelectAllButton = s.rcUnselectAllButton = untouched;
        bench.paint();

        EXPECT_EQ(s.rcExitButton, (Rect{1126, 918, 1269, 949}));
        EXPECT_EQ(s.rcNextButton, (Rect{1126, 876, 1269, 907}));
        const Rect selectRow{1126, 834, 1269, 865};
        if (c.selectFace) {
            EXPECT_EQ(s.rcSelectAllButton, selectRow);
            EXPECT_EQ(s.rcUnselectAllButton, selectRow);
            EXPECT_EQ(s.rcRestartButton, (Rect{1126, 792, 1269, 823}));
            EXPECT_EQ(s.rcButtonColumn, (Rect{1126, 750, 1269, 865}));
            EXPECT_EQ(bench.facesDrawn().count("Select All") + bench.facesDrawn().count("Unselect All"), 1u);
        } else {
            EXPECT_EQ(s.rcSelectAllButton, untouched);
            EXPECT_EQ(s.rcUnselectAllButton, untouched);
            EXPECT_EQ(s.rcRestartButton, selectRow);
            EXPECT_EQ(s.rcButtonColumn, (Rect{1126, 792, 1269, 865}));
            EXPECT_EQ(bench.facesDrawn(), (std::multiset<std::string>{"Restart", "Next", "Exit"}));
        }
        EXPECT_EQ(bench.textsIn(s.rcRestartButton), std::vector<std::string>{"Restart"});
    }
}

// ---- Faces per view mode ----

TEST(Paint, FacesOfEachViewModeAndSelectorsInEvery)
{
    using Faces = std::multiset<std::string>;
    const Faces lower{"Next", "Exit", "Select All"};
    const struct {
        std::int32_t viewMode;
        Faces faces;
    } cases[] = {{5, lower},      {6, {"Restart", "Next", "Exit", "Select All"}},
                 {9, lower},      {10, lower},
                 {7, {}},         {8, {}},
                 {0, {}},         {11, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "view mode " << c.viewMode);
        PaintBench bench;
        bench.state.dwViewMode = c.viewMode;
        bench.state.wProcessingMode = recognitionMode;
        bench.useEtalons(3);
        bench.paint();

        EXPECT_EQ(bench.facesDrawn(), c.faces);
        EXPECT_TRUE(bench.drew(" series length: "));
        EXPECT_TRUE(bench.drew(" noise level: "));
        const Rect& exit = bench.state.rcExitButton;
        const Color expectedFace = c.faces.empty() ? colors::white : Color{192, 192, 192};
        EXPECT_EQ(bench.pixel(exit.left + 5, exit.top + 5), expectedFace);
    }
}

TEST(Paint, ResultViewClearsTypeMoreDetailsOnlyOutsideTheStatisticsView)
{
    const struct {
        const char* what;
        std::int32_t viewMode;
        std::uint16_t resultKind, processingMode, seriesType;
        std::int32_t typeMoreDetails;
    } cases[] = {
        {"series view", 6, 1, 40, 36, 0},
        {"series processing of a plain type", 6, 1, 64, 2, 0},
        {"series processing of a tuple type: no view", 6, 1, 64, 36, 0},
        {"statistics view", 6, 2, 40, 36, 1},
        {"alphabet", 5, 1, 40, 36, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PaintBench bench;
        AppState& s = bench.state;
        s.dwViewMode = c.viewMode;
        s.wResultKind = c.resultKind;
        s.wProcessingMode = c.processingMode;
        s.wSeriesType = c.seriesType;
        s.dwTypeMoreDetails = 1;
        bench.paint();
        EXPECT_EQ(s.dwTypeMoreDetails, c.typeMoreDetails);
    }
}

TEST(Paint, StatisticsResultDrawsTheViewOfTheLastSimulation)
{
    PaintBench bench;
    AppState& s = bench.state;
    Application app{bench.scripted.window(), s, bench.clock};
    onCommand(app, command::unfixedWhole);
    onCommand(app, command::detection);
    auto answer = [&](std::map<std::int32_t, std::string> texts, std::vector<std::int32_t> clicks = {}) {
        bench.scripted.dialogs.answers.push_back({std::move(clicks), std::move(texts), true});
    };
    answer({{dialog_id::seriesLength, "300"}});
    answer({{dialog_id::pulsesFrom, "2"}, {dialog_id::pulsesTo, "3"}, {dialog_id::noiseSteps, "2"},
            {dialog_id::repeats, "1"}});
    answer({}, {dialog_id::detectionError, dialog_id::summaryView});
    onCommand(app, command::statisticalSimulation);
    ASSERT_EQ(s.wResultKind, 2);
    ASSERT_EQ(s.dwViewMode, 6);
    ASSERT_EQ(s.dwStatView, 3);
    s.dwSimElapsed = -1;
    bench.paint();

    EXPECT_TRUE(bench.drew(" statistical simulation for detection in series with unknown number of whole pulses "));
    EXPECT_TRUE(bench.drew(" detection error, agregate form"));
    EXPECT_TRUE(bench.drew("e(s)=E||h-<h>||2/||h||2"));
    EXPECT_EQ(s.dwSimElapsed, s.dwSimEndTime - s.dwSimStartTime);
    EXPECT_EQ(bench.facesDrawn(), (std::multiset<std::string>{"Restart", "Next", "Exit"}))
        << "detection has no select face";
}

TEST(Paint, SelectFaceFollowsTheShareOfEtalonsInUse)
{
    const struct {
        std::uint16_t alphabet;
        std::int32_t inUse;
        const char* caption;
    } cases[] = {{20, 0, "Select All"},  {20, 10, "Select All"}, {20, 11, "Unselect All"},
                 {20, 20, "Unselect All"}, {6, 3, "Select All"},  {6, 4, "Unselect All"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inUse << " of " << c.alphabet << " in use");
        PaintBench bench;
        bench.state.wAlphabetSize = c.alphabet;
        bench.state.wProcessingMode = recognitionMode;
        bench.useEtalons(c.inUse);
        bench.paint();

        EXPECT_EQ(bench.state.dwSelectAllShown, std::string_view(c.caption) == "Select All" ? 1 : 0);
        EXPECT_EQ(bench.textsIn(bench.state.rcSelectAllButton), std::vector<std::string>{c.caption});
    }
}

TEST(Paint, ButtonFaceIsAGreyButtonWithItsCaptionCentred)
{
    const struct {
        std::uint16_t resource;
        const char* caption;
    } cases[] = {{101, "Next"}, {102, "Exit"}, {103, "Restart"}, {108, "Unselect All"}, {109, "Select All"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        Surface surface{400, 100};
        RecordingTextEngine text;
        Canvas canvas{surface, text};
        canvas.selectFont(FontSpec{"", 0});
        const std::int32_t left = 50, top = 20;
        ASSERT_TRUE(drawButtonFace(canvas, c.resource, left, top));

        ASSERT_EQ(text.runs.size(), 1u);
        const TextRun& run = text.runs[0];
        const auto width = static_cast<std::int32_t>(7 * std::string_view(c.caption).size());
        EXPECT_EQ(run.text, c.caption);
        EXPECT_EQ(run.x, left + (144 - width) / 2);
        EXPECT_EQ(run.y, top + (32 - 16) / 2);
        EXPECT_EQ(run.color, colors::black);
        EXPECT_EQ(run.mode, BackgroundMode::transparent) << "the caption lies on the grey face";

        EXPECT_EQ(canvas.getPixel(left, top), (Color{64, 64, 64})) << "dark frame";
        EXPECT_EQ(canvas.getPixel(left + 143, top + 31), (Color{64, 64, 64}));
        EXPECT_EQ(canvas.getPixel(left + 5, top + 5), (Color{192, 192, 192})) << "grey face";
        EXPECT_EQ(canvas.getPixel(left + 144, top + 16), colors::white) << "144 pixels wide";
        EXPECT_EQ(canvas.getPixel(left + 72, top + 32), colors::white) << "32 pixels high";
        EXPECT_EQ(canvas.setBackgroundMode(BackgroundMode::opaque), BackgroundMode::opaque) << "text mode put back";
        EXPECT_EQ(canvas.selectPen(colors::red), colors::black) << "pen put back";
    }
}

TEST(Paint, ButtonFaceOfAnUnknownResourceDrawsNothing)
{
    Surface surface{200, 60};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
    EXPECT_FALSE(drawButtonFace(canvas, 104, 10, 10));
    EXPECT_TRUE(text.runs.empty());
    EXPECT_EQ(canvas.getPixel(10, 10), colors::white);
}

// ---- Selectors ----

constexpr Color grey{163, 163, 163}; // the dot of a value not yet in force

// Centre of the dot of a choice rectangle, line height 15.
Color dotCentre(const PaintBench& bench, const Rect& option)
{
    return bench.pixel(option.left + 7, option.top + 7);
}

// ---- Repaint of what was invalidated ----

// A run of joint detection whose first chain is as long as the table shows (19 pulses, far
// wider than the graph area), painted whole; then the graph and the select face are
// repainted (command 213, as after a press on the alphabet). Only those two rectangles
// may change: the other faces and the selectors between them keep their pixels, although
// the table's text runs past the graph area's right edge across them.
TEST(Repaint, OnlyTheInvalidatedRectanglesChangeNotTheirBoundingBox)
{
    ScriptedWindow scripted;
    AppState state;
    initialiseStaticState(state);
    ASSERT_TRUE(startApplication(scripted.window(), state));
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    for (const std::uint16_t id : {command::jointDetection, command::unfixedCutOff, command::processingNextData})
        onCommand(app, id);
    ASSERT_EQ(state.dwViewMode, 6);
    ASSERT_NE(state.lpChainsHeader, nullptr);
    ASSERT_GE(state.lpChainsHeader->wMaxPulses, 19);
    state.lpChainsHeader->lpChainSizes[0] = 19;

    Surface surface{surfaceWidth, surfaceHeight};
    test::BlockTextEngine text;
    Canvas canvas{surface, text};
    const auto paint = [&] { onPaint(scripted.window(), state, canvas, clock, surfaceWidth, surfaceHeight); };
    paint();
    scripted.services.invalidations.clear();

    constexpr Color kept{1, 2, 3}; // a colour no view draws
    surface.fill({0, 0, surfaceWidth, surfaceHeight}, kept);
    onCommand(app, command::repaintGraphAndButtons);
    const std::vector<RecordedInvalidation> invalid = scripted.services.invalidations;
    ASSERT_EQ(invalid.size(), 2u) << "the graph and the select face";
    const auto isInvalid = [&](std::int32_t x, std::int32_t y) {
        return std::any_of(invalid.begin(), invalid.end(), [&](const RecordedInvalidation& i) {
            return x >= i.area.left && x < i.area.right && y >= i.area.top && y < i.area.bottom;
        });
    };
    text.recorder.runs.clear();
    scripted.services.paintInvalidated(canvas, paint);

    const std::vector<TextRun>& runs = text.recorder.runs;
    const bool textCrossesValidPixels = std::any_of(runs.begin(), runs.end(), [&](const TextRun& run) {
        const std::int32_t right = run.x + text.extent(run.font, run.text).cx;
        return run.x < state.rcGraph.right && right > state.rcSelectAllButton.right &&
               !isInvalid(state.rcGraph.right + 20, run.y);
    });
    EXPECT_TRUE(textCrossesValidPixels) << "a chain row runs out of the graph area beside pixels that stay valid";
    std::int64_t changedOutside = 0, changedInside = 0;
    for (std::int32_t y = 0; y < surfaceHeight; ++y) {
        for (std::int32_t x = 0; x < surfaceWidth; ++x) {
            if (canvas.getPixel(x, y) == kept) continue;
            ++(isInvalid(x, y) ? changedInside : changedOutside);
        }
    }
    EXPECT_EQ(changedOutside, 0) << "pixels changed outside the invalidated rectangles";
    EXPECT_GT(changedInside, 0);
    shutDownApplication(scripted.window(), state);
}

TEST(Selector, BoxesChoicesAndCaptionsOfTheSeriesLengthSelector)
{
    PaintBench bench;
    bench.state.dwViewMode = 7;
    bench.paint();
    const AppState& s = bench.state;

    EXPECT_EQ(s.rcSeriesLengthBox, (Rect{1124, 10, 1270, 100}));
    EXPECT_EQ(s.rcNoiseBox, (Rect{1124, 115, 1270, 205}));
    EXPECT_EQ(s.arcSeriesLengthOptions[0], (Rect{1134, 32, 1261, 53}));
    EXPECT_EQ(s.arcSeriesLengthOptions[1], (Rect{1134, 54, 1261, 75}));
    EXPECT_EQ(s.arcSeriesLengthOptions[2], (Rect{1134, 76, 1261, 97}));
    EXPECT_EQ(s.arcNoiseOptions[0], (Rect{1134, 137, 1261, 158}));

    EXPECT_EQ(bench.textsIn({1129, 3, 1129, 3}), std::vector<std::string>{" series length: "});
    EXPECT_EQ(bench.textsIn({1164, 32, 1164, 32}), std::vector<std::string>{"   200 "});
    EXPECT_EQ(bench.textsIn({1164, 76, 1164, 76}), std::vector<std::string>{"  1200 "});

    // The frame closes one pixel right of and below the box.
    EXPECT_EQ(bench.pixel(1124, 50), colors::black);
    EXPECT_EQ(bench.pixel(1271, 101), colors::black);
    EXPECT_EQ(bench.pixel(1200, 101), colors::black);
    EXPECT_EQ(bench.pixel(1272, 50), colors::white);
    // Empty circles around the choices not chosen.
    EXPECT_EQ(bench.pixel(1134, 54 + 7), colors::black);
    EXPECT_EQ(dotCentre(bench, s.arcSeriesLengthOptions[0]), colors::white);
}

TEST(Selector, DotIsBlackWhenTheChosenValueIsInForceElseGrey)
{
    const struct {
        const char* what;
        std::int32_t index, lengthInForce;
        std::int32_t dotOn;
        Color dot;
    } cases[] = {
        {"600 chosen and in force", 2, 600, 1, colors::black},
        {"600 chosen, 1200 in force", 2, 1200, 1, grey},
        {"1200 chosen and in force", 3, 1200, 2, colors::black},
        {"index 0 chooses the first", 0, 200, 0, colors::black},
        {"index above the count chooses the first", 4, 200, 0, colors::black},
        {"negative index chooses the first", -1, 600, 0, grey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PaintBench bench;
        bench.state.dwViewMode = 7;
        bench.state.dwSeriesLengthIndex = c.index;
        bench.state.dwSeriesLength = c.lengthInForce;
        bench.paint();
        for (std::int32_t i = 0; i < 3; ++i)
            EXPECT_EQ(dotCentre(bench, bench.state.arcSeriesLengthOptions[i]), i == c.dotOn ? c.dot : colors::white)
                << "choice " << i;
    }
}

TEST(Selector, NoiseAndLostDataCompareWithTheirLevelsInForce)
{
    PaintBench bench;
    AppState& s = bench.state;
    s.dwViewMode = 7;
    s.wSeriesType = series_type::fixedCutOff;
    s.dwNoiseLevelIndex = 2;
    s.wNoiseLevel = 35;
    s.dwLostDataIndex = 3;
    s.wLostDataLevel = 25;
    bench.paint();
    EXPECT_EQ(dotCentre(bench, s.arcNoiseOptions[1]), colors::black);
    EXPECT_EQ(dotCentre(bench, s.arcLostDataOptions[2]), grey);
}

TEST(Selector, LostDataSelectorOnlyForCutOffSeries)
{
    const std::uint16_t types[] = {1, 2, 4, 8, 16, 32, 36, 40};
    for (const std::uint16_t type : types) {
        SCOPED_TRACE(testing::Message() << "series type " << type);
        const bool shown = type == 2 || type == 8;
        PaintBench bench;
        AppState& s = bench.state;
        s.wSeriesType = type;
        s.rcLostDataBox = untouched;
        s.arcLostDataOptions.fill(untouched);
        bench.paint();

        EXPECT_EQ(bench.drew(" lost data level: "), shown);
        EXPECT_EQ(s.rcLostDataBox, shown ? Rect({1124, 220, 1270, 310}) : untouched);
        EXPECT_EQ(s.arcLostDataOptions[0], shown ? Rect({1134, 242, 1261, 263}) : untouched);
    }
}

TEST(Selector, WithoutChoicesOnlyTheFrameAndCaptionAreDrawn)
{
    Surface surface{200, 200};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
    std::array<Rect, 3> options;
    options.fill(untouched);
    const std::int32_t values[] = {1, 2, 3};
    EXPECT_EQ(drawSelector(canvas, 15, {20, 20, 150, 110}, options, " none: ", 0, values, 1, 1), 1);
    EXPECT_EQ(options[0], untouched);
    ASSERT_EQ(text.runs.size(), 1u);
    EXPECT_EQ(text.runs[0].text, " none: ");
    EXPECT_EQ(canvas.getPixel(20 + 10 + 7, 20 + 22 + 7), colors::white) << "no dot";
}

// ---- Alphabet panel ----

TEST(AlphabetPanel, EtalonsInUseHaveABrightCurveAndAThreePixelGreyFrame)
{
    PaintBench bench;
    AppState& s = bench.state;
    s.dwViewMode = 5;
    bench.useEtalons(1); // etalon 1 in use, etalon 2 not
    bench.paint();

    const std::int32_t L = s.dwLineHeight;
    const std::int32_t H = s.wCellHeight;
    for (std::int32_t i = 0; i < 2; ++i) {
        const bool inUse = i == 0;
        SCOPED_TRACE(inUse ? "in use" : "not in use");
        const Rect& cell = s.arcAlphabetCells[i];
        const std::int32_t midY = cell.top + H / 2;
        const Color frame = inUse ? Color{163, 163, 163} : Color{127, 127, 127};
        const Color ring = inUse ? frame : colors::white; // the outlines either side of the cell's own
        EXPECT_EQ(bench.pixel(cell.left - 1, midY), ring);
        EXPECT_EQ(bench.pixel(cell.left, midY), frame);
        EXPECT_EQ(bench.pixel(cell.left + 1, midY), ring);
        EXPECT_EQ(bench.pixel(cell.left + s.wCellWidth, midY), frame);

        // A sample in the middle of the curve.
        const PulseHeader& pulse = s.aEtalons[i];
        const std::int32_t n = pulse.wLength, j = n / 2;
        const std::int32_t x = cell.left + 5, y = cell.top + 5 + L;
        const std::int32_t w = s.wCellInnerWidth, h = s.wCellInnerHeight - L, A = s.wAmplitude;
        const std::int32_t px = x + (w - 6) * j / (n - 1);
        const std::int32_t py = y + h - (pulse.lpData[j] + A) * h / (2 * A);
        const Color curve = inUse ? Color{0, 0, 255} : Color{0, 0, 127};
        EXPECT_EQ(bench.pixel(px, py), curve);
        EXPECT_EQ(bench.pixel(px + 1, py), curve) << "the pass shifted right";
        EXPECT_EQ(bench.pixel(px, py - 1), curve) << "the pass shifted up";

        std::int32_t energy = 0;
        for (std::int32_t k = 0; k < n; ++k) energy += pulse.lpData[k] * pulse.lpData[k];
        EXPECT_EQ(bench.textsIn({x, cell.top + 5, x, cell.top + 5}),
                  std::vector<std::string>{" pulse " + std::to_string(i + 1) + " [" + std::to_string(energy) + "]"});
    }
}

TEST(AlphabetPanel, FramesTheGraphAreaAndDrawsEveryCell)
{
    PaintBench bench;
    AppState& s = bench.state;
    s.dwViewMode = 5;
    bench.paint();

    const Rect& g = s.rcGraph;
    EXPECT_EQ(bench.pixel(g.left, g.top + 100), colors::black);
    EXPECT_EQ(bench.pixel(g.right + 1, g.bottom + 1), colors::black) << "the frame closes one pixel outside";
    EXPECT_EQ(bench.pixel(g.left + 100, g.bottom + 1), colors::black);
    std::int32_t cellsCaptioned = 0;
    for (const TextRun& run : bench.text.runs) cellsCaptioned += run.text.starts_with(" pulse ") ? 1 : 0;
    EXPECT_EQ(cellsCaptioned, s.wAlphabetSize);
    // The horizontal axis of the last cell, right of the curve.
    const Rect& last = s.arcAlphabetCells[19];
    const std::int32_t axisY = last.top + 5 + s.dwLineHeight + (s.wCellInnerHeight - s.dwLineHeight) / 2;
    EXPECT_EQ(bench.pixel(last.left + 5 + s.wCellInnerWidth - 2, axisY), colors::black);
}

} // namespace
} // namespace mirokel
