// Presses of the left button and keys, headless: a started application is painted on a
// 1280 × 960 surface and clicked inside the rectangles that paint stored; the effects are
// checked through the state, the repaint requests and whether the next data was built.
#include "ui/mouse.h"

#include "app/command_ids.h"
#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "model/random_streams.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"
#include "ui/paint.h"
#include "ui/subset_panel_clicks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <ostream>
#include <vector>

namespace mirokel {

static void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

static void PrintTo(const RecordedInvalidation& i, std::ostream* os)
{
    PrintTo(i.area, os);
    *os << (i.erase ? " erase" : " keep");
}

namespace {

constexpr std::int32_t surfaceWidth = 1280;
constexpr std::int32_t surfaceHeight = 960;
constexpr std::int32_t alphabetView = 5, resultView = 6, subsetPanelView = 9, paramsView = 10;
constexpr RecordedInvalidation wholeWindow{{0, 0, -1, -1}, true};

std::vector<std::int32_t> etalonsUpTo(std::int32_t count)
{
    std::vector<std::int32_t> numbers(static_cast<std::size_t>(count));
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}

// A started application with the panel's storage, painted once; shutdown must release
// everything.
class MouseBench {
public:
    MouseBench()
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        prepareSubsetPanel(scripted.window(), state);
        paint();
    }
    ~MouseBench()
    {
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(liveAllocations(), live) << "shutdown releases every owned object";
    }

    void paint()
    {
        onPaint(scripted.window(), state, canvas, clock, surfaceWidth, surfaceHeight);
    }

    // Paints as the window does after a press: only what the press invalidated (nothing is
    // drawn when it invalidated nothing; the layout is stored anyway).
    void paintInvalidated() { scripted.services.paintInvalidated(canvas, [this] { paint(); }); }

    void command(std::uint16_t id) { onCommand(app, id); }

    // Menu task and series types, as the user chooses them.
    void configure(std::uint16_t taskCommand, std::uint16_t seriesCommand)
    {
        command(seriesCommand);
        command(taskCommand);
        deriveProcessingMode(state);
    }

    // Enters a view the way the program does, then paints it.
    void enterView(std::int32_t view)
    {
        if (view == subsetPanelView) {
            command(command::selectSetOfPulses);
        } else if (view == paramsView) {
            command(command::viewSeriesParameters);
        } else {
            state.dwViewMode = view;
        }
        paint();
    }

    void useEtalons(std::int32_t count)
    {
        state.awEtalonInUse.fill(0);
        std::fill_n(state.awEtalonInUse.begin(), count, std::uint16_t{1});
        setListFromInUseFlags(state);
    }

    void compose(const std::vector<std::int32_t>& members, const std::vector<std::int32_t>& marks = {})
    {
        std::fill_n(state.selectedSubset, 2 * state.dwSubsetCapacity, 0);
        std::copy(members.begin(), members.end(), state.selectedSubset);
        std::copy(marks.begin(), marks.end(), state.adwSubsetMarks);
        state.dwSubsetSize = static_cast<std::int32_t>(members.size());
    }

    void reserve(const std::vector<std::int32_t>& members)
    {
        compose(members);
        state.dwReservedCount = reserveSubset(state.selectedSubset, state.dwSubsetSize, state.selectedSubsetArraySize,
                                              state.lpReservedSubsets, state.dwReservedCount,
                                              state.dwReservedCapacity);
        state.dwCurrentReserved = state.dwReservedCount;
    }

    // A press at (x, y); the repaint requests and the sequence generator are read afresh.
    void click(std::int32_t x, std::int32_t y)
    {
        invalidations().clear();
        sequenceBefore = state.streams.dwSequenceState;
        onLButtonDown(app, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    }
    void clickIn(const Rect& area) { click((area.left + area.right) / 2, (area.top + area.bottom) / 2); }
    void clickButton(std::int32_t button) { clickIn(state.ButtonsWhileSelectedSubsetRect[button]); }

    // Whether the last press built new data (command 205 draws a new etalon sequence).
    bool processed() const { return state.streams.dwSequenceState != sequenceBefore; }

    std::vector<RecordedInvalidation>& invalidations() { return scripted.services.invalidations; }
    bool invalidated(const Rect& area) const
    {
        const auto& all = scripted.services.invalidations;
        return std::any_of(all.begin(), all.end(), [&](const RecordedInvalidation& i) { return i.area == area; });
    }
    bool invalidatedEnlarged(const Rect& r) const { return invalidated({r.left, r.top, r.right + 1, r.bottom + 1}); }

    // Command 221: the strip alone.
    std::vector<RecordedInvalidation> stripRepaint() const { return {{state.rcSubsetStrip, true}}; }
    // Command 224: every reserved row frame, then the strip.
    std::vector<RecordedInvalidation> rowsRepaint() const
    {
        std::vector<RecordedInvalidation> expected;
        for (std::int32_t i = 0; i < state.dwReservedCapacity; ++i)
            expected.push_back({state.possibleSubsetArrayRect[i][state.dwSubsetCapacity], true});
        expected.push_back({state.rcSubsetStrip, true});
        return expected;
    }

    std::vector<std::int32_t> members() const
    {
        return {state.selectedSubset, state.selectedSubset + state.dwSubsetSize};
    }
    std::vector<std::int32_t> marks() const
    {
        return {state.adwSubsetMarks, state.adwSubsetMarks + state.dwSubsetSize};
    }
    std::vector<std::int32_t> reservedRow(std::int32_t i) const
    {
        return {state.lpReservedSubsets[i], state.lpReservedSubsets[i] + state.selectedSubsetArraySize[i]};
    }
    std::vector<std::uint16_t> requiredList() const
    {
        return {state.lpRequiredList, state.lpRequiredList + state.wRequiredCount};
    }
    std::vector<std::int32_t> etalonsInUse() const
    {
        std::vector<std::int32_t> numbers;
        for (std::int32_t i = 0; i < state.wAlphabetSize; ++i)
            if (state.awEtalonInUse[static_cast<std::size_t>(i)] == 1) numbers.push_back(i + 1);
        return numbers;
    }

    const std::int64_t live = liveAllocations();
    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    bool started = false;
    Surface surface{surfaceWidth, surfaceHeight};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
    std::uint32_t sequenceBefore = 0;
};

// ---- The subset selection panel ----

TEST(MouseSubsetPanel, PulseCellsComposeATupleInClickOrder)
{
    MouseBench bench;
    ASSERT_TRUE(bench.started);
    ASSERT_EQ(bench.state.dwViewMode, subsetPanelView) << "tuple recognition starts on the panel";
    for (const std::int32_t cell : {3, 1, 3}) {
        bench.clickIn(bench.state.arcSubsetCells[static_cast<std::size_t>(cell)]);
        EXPECT_EQ(bench.invalidations(), bench.stripRepaint()) << "only the strip repaints";
        EXPECT_FALSE(bench.processed());
        bench.paint();
    }
    EXPECT_EQ(bench.members(), (std::vector<std::int32_t>{4, 2, 4}));
    EXPECT_EQ(bench.marks(), (std::vector<std::int32_t>{0, 0, 0}));
    EXPECT_EQ(bench.state.dwViewMode, subsetPanelView);
}

TEST(MouseSubsetPanel, MarkingDeletingAndReplacingMembers)
{
    enum class Target { slot, stripCorner, pulseCell, button };
    const struct {
        const char* what;
        std::vector<std::int32_t> members, marks;
        Target target;
        std::int32_t index;
        std::vector<std::int32_t> expectedMembers, expectedMarks;
    } cases[] = {
        {"a member's slot marks it alone", {3, 5, 7}, {1, 0, 0}, Target::slot, 2, {3, 5, 7}, {0, 0, 1}},
        {"the strip outside every member clears the marks", {3, 5, 7}, {0, 1, 1}, Target::stripCorner, 0, {3, 5, 7},
         {0, 0, 0}},
        {"a slot past the members clears the marks", {3, 5}, {1, 0}, Target::slot, 4, {3, 5}, {0, 0}},
        {"a pulse replaces the marked member at the end", {3, 5, 7}, {0, 1, 0}, Target::pulseCell, 8, {3, 7, 9},
         {0, 0, 0}},
        {"every marked member makes room", {3, 5, 7, 2}, {1, 0, 1, 0}, Target::pulseCell, 0, {5, 2, 1}, {0, 0, 0}},
        {"ten members, none marked: a pulse changes nothing", etalonsUpTo(10), {}, Target::pulseCell, 12,
         etalonsUpTo(10), std::vector<std::int32_t>(10, 0)},
        {"ten members, one marked: it is replaced", etalonsUpTo(10), {0, 0, 0, 1}, Target::pulseCell, 12,
         {1, 2, 3, 5, 6, 7, 8, 9, 10, 13}, std::vector<std::int32_t>(10, 0)},
        {"Delete removes the marked members", {3, 5, 7}, {1, 0, 1}, Target::button, 1, {5}, {0}},
        {"Delete with none marked keeps every member", {3, 5}, {0, 0}, Target::button, 1, {3, 5}, {0, 0}},
        {"Delete All empties the subset", {3, 5, 7}, {0, 1, 0}, Target::button, 0, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MouseBench bench;
        bench.compose(c.members, c.marks);
        bench.paint();
        const AppState& s = bench.state;
        switch (c.target) {
        case Target::slot: bench.clickIn(s.possibleSubsetRect[c.index]); break;
        case Target::stripCorner: bench.click(s.rcSubsetStrip.right, s.rcSubsetStrip.bottom); break;
        case Target::pulseCell: bench.clickIn(s.arcSubsetCells[static_cast<std::size_t>(c.index)]); break;
        case Target::button: bench.clickButton(c.index); break;
        }
        EXPECT_EQ(bench.members(), c.expectedMembers);
        EXPECT_EQ(bench.marks(), c.expectedMarks);
        EXPECT_EQ(bench.invalidations(), bench.stripRepaint());
        EXPECT_EQ(s.dwViewMode, subsetPanelView);
    }
}

TEST(MouseSubsetPanel, AcceptAndClearAllKeepAndDropReservedSubsets)
{
    MouseBench bench;
    AppState& s = bench.state;
    ASSERT_EQ(s.dwPanelButtons, 6) << "tuple recognition draws the tuple panel";

    bench.compose({2, 4});
    bench.clickButton(4);
    EXPECT_EQ(s.dwReservedCount, 1);
    EXPECT_EQ(bench.reservedRow(0), (std::vector<std::int32_t>{2, 4}));
    EXPECT_EQ(s.dwCurrentReserved, 1);
    EXPECT_EQ(s.dwJustAccepted, 1);
    EXPECT_EQ(bench.invalidations(), bench.rowsRepaint());

    bench.compose({});
    bench.clickButton(4);
    EXPECT_EQ(s.dwReservedCount, 2) << "an empty composed subset is kept as an empty reserved subset";
    EXPECT_TRUE(bench.reservedRow(1).empty());
    EXPECT_EQ(s.dwCurrentReserved, 2);

    while (s.dwReservedCount < s.dwReservedCapacity) bench.reserve({7});
    s.dwCurrentReserved = 3;
    bench.compose({1, 2, 3});
    bench.clickButton(4);
    EXPECT_EQ(s.dwReservedCount, 10) << "every row is taken: nothing is stored";
    EXPECT_EQ(bench.reservedRow(9), (std::vector<std::int32_t>{7}));
    EXPECT_EQ(s.dwCurrentReserved, 10) << "the last row becomes the current one";

    s.dwJustAccepted = 0;
    s.dwCurrentReserved = 4;
    bench.clickButton(5);
    EXPECT_EQ(s.dwReservedCount, 0);
    EXPECT_EQ(s.dwCurrentReserved, 4) << "Clear All leaves the current index alone";
    EXPECT_EQ(s.dwJustAccepted, 1);
    EXPECT_EQ(bench.invalidations(), bench.rowsRepaint());
    EXPECT_EQ(bench.members(), (std::vector<std::int32_t>{1, 2, 3})) << "the composed subset stays";
}

TEST(MouseSubsetPanel, AcceptAndClearAllOnlyInTheTuplePanel)
{
    MouseBench bench;
    AppState& s = bench.state;
    bench.compose({2, 4});
    const Rect accept = s.ButtonsWhileSelectedSubsetRect[4], clearAll = s.ButtonsWhileSelectedSubsetRect[5];
    bench.reserve({5});
    bench.compose({2, 4});
    s.dwPanelButtons = 4; // the plain panel was drawn last; the two rectangles are left over
    bench.clickIn(accept);
    EXPECT_EQ(s.dwReservedCount, 1);
    bench.clickIn(clearAll);
    EXPECT_EQ(s.dwReservedCount, 1);
    EXPECT_EQ(s.dwJustAccepted, 0);
    EXPECT_TRUE(bench.invalidations().empty()) << "the press falls through to nothing";
}

TEST(MouseSubsetPanel, AKeptRowFrameBecomesTheCurrentReservedSubset)
{
    MouseBench bench;
    AppState& s = bench.state;
    for (const auto& row : {std::vector{1, 2}, std::vector{3}, std::vector{4, 5, 6}}) bench.reserve(row);
    bench.paint();

    bench.clickIn(s.possibleSubsetArrayRect[1][s.dwSubsetCapacity]);
    EXPECT_EQ(s.dwCurrentReserved, 2);
    EXPECT_EQ(bench.invalidations(), bench.rowsRepaint());

    bench.clickIn(s.possibleSubsetArrayRect[6][s.dwSubsetCapacity]);
    EXPECT_EQ(s.dwCurrentReserved, 2) << "a row that keeps no subset is no target";
}

TEST(MouseSubsetPanel, OkCommitsOrKeepsThePanelAndCancelLeavesWithoutCommit)
{
    const struct {
        const char* what;
        std::uint16_t taskCommand;
        std::vector<std::int32_t> members;
        std::vector<std::vector<std::int32_t>> reserved;
        std::int32_t button;
        bool panelStays;
        std::vector<std::int32_t> membersAfter;
        bool lengthBoxRepainted; // OK clears only the lost data box's flag, Cancel all three
    } cases[] = {
        {"OK in tuple recognition without a reserved subset", command::recognition, {1, 2}, {}, 3, true, {1, 2}, false},
        {"OK in tuple detection with an empty subset", command::detection, {}, {}, 3, true, {}, false},
        {"OK in tuple recognition with a reserved subset", command::recognition, {1, 2}, {{1, 2}}, 3, false, {1, 2},
         true},
        {"OK in tuple detection with a subset", command::detection, {3, 4}, {}, 3, false, {3, 4}, true},
        {"Cancel empties the subset and keeps the reserved ones", command::recognition, {1, 2}, {{1, 2}, {3}}, 2,
         false, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MouseBench bench;
        AppState& s = bench.state;
        bench.configure(c.taskCommand, command::fixedTuples);
        for (const auto& row : c.reserved) bench.reserve(row);
        bench.compose(c.members);
        bench.enterView(subsetPanelView);
        s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = s.dwRepaintLostDataBox = 1;
        bench.clickButton(c.button);
        EXPECT_EQ(bench.members(), c.membersAfter);
        EXPECT_EQ(s.dwReservedCount, static_cast<std::int32_t>(c.reserved.size()));
        if (c.panelStays) {
            EXPECT_EQ(s.dwViewMode, subsetPanelView);
            EXPECT_FALSE(bench.processed());
            EXPECT_EQ(bench.invalidations(), bench.rowsRepaint());
        } else {
            EXPECT_TRUE(bench.processed());
            EXPECT_EQ(bench.invalidated(s.rcSeriesLengthBox), c.lengthBoxRepainted);
            EXPECT_FALSE(bench.invalidated(s.rcLostDataBox));
            if (c.button == 3) {
                EXPECT_EQ(s.dwViewMode, resultView);
            }
        }
    }
}

// ---- The button column ----

TEST(MouseButtons, NextInEachViewMode)
{
    const struct {
        const char* what;
        std::uint16_t taskCommand, seriesCommand;
        std::int32_t view;
        std::int32_t inUse;
        std::vector<std::int32_t> members;
        std::vector<std::vector<std::int32_t>> reserved;
        std::int32_t viewAfter;
        bool processes;
    } cases[] = {
        {"alphabet, no etalon in use: nothing visible", command::recognition, command::fixedWhole, alphabetView, 0, {},
         {}, alphabetView, false},
        {"alphabet, etalons in use", command::recognition, command::fixedWhole, alphabetView, 3, {}, {}, resultView,
         true},
        {"alphabet, tuple series without a subset: the panel", command::recognition, command::unfixedTuples,
         alphabetView, 20, {}, {}, subsetPanelView, false},
        {"result, type 40 without a subset: processed directly", command::recognition, command::unfixedTuples,
         resultView, 20, {}, {}, resultView, true},
        {"result, type 36 without a subset: the panel", command::recognition, command::fixedTuples, resultView, 20, {},
         {}, subsetPanelView, false},
        {"result, type 36 with a subset", command::detection, command::fixedTuples, resultView, 20, {1, 2}, {},
         resultView, true},
        {"panel, nothing to commit: the panel stays", command::recognition, command::fixedTuples, subsetPanelView, 20,
         {1}, {}, subsetPanelView, false},
        {"panel, the subset is committed", command::detection, command::fixedTuples, subsetPanelView, 20, {1, 2}, {},
         resultView, true},
        {"panel, the reserved subsets are committed", command::recognition, command::unfixedTuples, subsetPanelView,
         20, {1, 2}, {{1, 2}}, resultView, true},
        {"series parameters, tuple series without a subset: the panel", command::recognition, command::unfixedTuples,
         paramsView, 20, {}, {}, subsetPanelView, false},
        {"series parameters, plain series", command::jointDetection, command::fixedWhole, paramsView, 5, {}, {},
         resultView, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MouseBench bench;
        AppState& s = bench.state;
        bench.configure(c.taskCommand, c.seriesCommand);
        bench.useEtalons(c.inUse);
        for (const auto& row : c.reserved) bench.reserve(row);
        bench.compose(c.members);
        bench.enterView(c.view);
        s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = 1;
        bench.clickIn(s.rcNextButton);
        EXPECT_EQ(s.dwViewMode, c.viewAfter);
        EXPECT_EQ(bench.processed(), c.processes);
        if (c.processes) {
            EXPECT_TRUE(bench.invalidatedEnlarged(s.rcButtonColumn)) << "the button column follows the view";
            EXPECT_FALSE(bench.invalidated(s.rcNoiseBox)) << "the selectors keep their pictures";
        }
        if (c.viewAfter == subsetPanelView && c.view != subsetPanelView) {
            EXPECT_TRUE(bench.invalidated({s.rcGraph.left, s.rcGraph.top - 10, s.rcGraph.right, s.rcGraph.bottom}));
        }
        if (c.inUse == 0) {
            EXPECT_TRUE(bench.invalidations().empty());
        }
    }
}

TEST(MouseButtons, RestartAndExit)
{
    const struct {
        const char* what;
        std::uint16_t seriesCommand;
        std::int32_t view;
        std::int32_t viewAfterRestart;
    } cases[] = {
        {"result view, plain series", command::fixedWhole, resultView, alphabetView},
        {"result view, tuple series", command::fixedTuples, resultView, subsetPanelView},
        {"panel opened on a plain series", command::unfixedCutOff, subsetPanelView, alphabetView},
        {"panel, tuple series", command::unfixedTuples, subsetPanelView, subsetPanelView},
        {"series parameters, plain series", command::unfixedWhole, paramsView, alphabetView},
        {"series parameters, tuple series", command::fixedTuples, paramsView, subsetPanelView},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MouseBench bench;
        AppState& s = bench.state;
        bench.configure(command::recognition, c.seriesCommand);
        bench.enterView(c.view);
        bench.clickIn(s.rcRestartButton);
        EXPECT_EQ(s.dwViewMode, c.viewAfterRestart);
        EXPECT_FALSE(bench.processed());
        if (c.viewAfterRestart == alphabetView) {
            EXPECT_TRUE(bench.invalidatedEnlarged(s.rcButtonColumn));
        }
        EXPECT_FALSE(bench.scripted.services.closeRequested);

        bench.enterView(c.view);
        bench.clickIn(s.rcExitButton);
        EXPECT_TRUE(bench.scripted.services.closeRequested);
    }
    MouseBench bench;
    bench.configure(command::recognition, command::fixedWhole);
    bench.enterView(alphabetView);
    bench.clickIn(bench.state.rcExitButton);
    EXPECT_TRUE(bench.scripted.services.closeRequested) << "Exit on the alphabet panel";
}

TEST(MouseButtons, AResultListEntryBecomesTheCurrentReservedSubsetAndIsProcessed)
{
    MouseBench bench;
    AppState& s = bench.state;
    for (const auto& row : {std::vector{1, 2}, std::vector{3, 4, 5}, std::vector{6}}) bench.reserve(row);
    bench.enterView(subsetPanelView);
    bench.clickButton(3); // OK: the reserved subsets go to the series, which the result view lists
    ASSERT_EQ(s.dwViewMode, resultView);
    bench.paint();
    const Rect entry = s.lpReservedListRect[1];
    ASSERT_LT(entry.left, entry.right) << "the result view stored the list";
    bench.click(entry.left, entry.bottom);
    EXPECT_EQ(s.dwCurrentReserved, 2);
    EXPECT_TRUE(bench.processed());
    EXPECT_EQ(s.dwViewMode, resultView);
}

// ---- The alphabet panel ----

TEST(MouseAlphabet, CellClicksInDetectionAndOtherModes)
{
    const struct {
        const char* what;
        std::uint16_t taskCommand;
        std::vector<std::int32_t> inUse;
        std::int32_t selected, cell;
        std::vector<std::int32_t> inUseAfter;
    } cases[] = {
        {"detection: the clicked etalon becomes the only one in use", command::detection, {1}, 1, 4, {5}},
        {"detection: the etalon in use stays the only one", command::detection, {5}, 2, 4, {5}},
        {"recognition: a click takes an etalon out of use", command::recognition, {1, 2, 3}, 1, 1, {1, 3}},
        {"recognition: a click puts an etalon in use", command::recognition, {1, 3}, 1, 1, {1, 2, 3}},
        {"joint detection: the last etalon out of use", command::jointDetection, {7}, 7, 6, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MouseBench bench;
        AppState& s = bench.state;
        bench.configure(c.taskCommand, command::fixedWhole);
        s.awEtalonInUse.fill(0);
        for (const std::int32_t n : c.inUse) s.awEtalonInUse[static_cast<std::size_t>(n - 1)] = 1;
        setListFromInUseFlags(s);
        s.dwSelectedEtalon = c.selected;
        bench.enterView(alphabetView);
        s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = s.dwRepaintLostDataBox = 1;
        s.dwRepaintButtonColumn = 0;
        bench.clickIn(s.arcAlphabetCells[static_cast<std::size_t>(c.cell)]);

        EXPECT_EQ(bench.etalonsInUse(), c.inUseAfter);
        const std::vector<std::uint16_t> list(c.inUseAfter.begin(), c.inUseAfter.end());
        EXPECT_EQ(bench.requiredList(), list) << "the list follows the flags";
        EXPECT_EQ(s.dwSelectedEtalon, c.cell + 1);
        EXPECT_EQ(s.dwPreviousEtalon, c.selected);
        EXPECT_EQ(s.dwViewMode, alphabetView);
        EXPECT_FALSE(bench.processed());
        const Rect& cell = s.arcAlphabetCells[static_cast<std::size_t>(c.cell)];
        EXPECT_TRUE(bench.invalidated({cell.left - 1, cell.top - 1, cell.right + 3, cell.bottom + 3}));
        const bool detection = c.taskCommand == command::detection;
        EXPECT_EQ(s.dwRepaintButtonColumn, detection ? 1 : 0);
        EXPECT_EQ(s.dwRepaintSeriesLengthBox + s.dwRepaintNoiseBox + s.dwRepaintLostDataBox, detection ? 0 : 3);
    }
}

TEST(MouseAlphabet, SelectAllAndUnselectAll)
{
    MouseBench bench;
    AppState& s = bench.state;
    bench.configure(command::recognition, command::fixedWhole);
    bench.useEtalons(3);
    bench.enterView(alphabetView);
    ASSERT_EQ(s.dwSelectAllShown, 1);
    bench.clickIn(s.rcSelectAllButton);
    EXPECT_EQ(bench.etalonsInUse(), etalonsUpTo(20));
    const std::vector<std::int32_t> all = etalonsUpTo(20);
    EXPECT_EQ(bench.requiredList(), std::vector<std::uint16_t>(all.begin(), all.end()));
    EXPECT_TRUE(bench.invalidated({s.rcGraph.left, s.rcGraph.top - 10, s.rcGraph.right, s.rcGraph.bottom}));
    EXPECT_FALSE(bench.invalidatedEnlarged(s.rcButtonColumn)) << "the column stays on the alphabet panel";

    bench.paint();
    ASSERT_EQ(s.dwSelectAllShown, 0);
    bench.clickIn(s.rcUnselectAllButton);
    EXPECT_TRUE(bench.etalonsInUse().empty());
    EXPECT_EQ(s.wRequiredCount, 0);

    // From the result view the face leads back to the alphabet panel with its column.
    bench.useEtalons(2);
    bench.enterView(resultView);
    bench.clickIn(s.rcSelectAllButton);
    EXPECT_EQ(s.wRequiredCount, 20);
    EXPECT_EQ(s.dwViewMode, alphabetView);
    EXPECT_TRUE(bench.invalidatedEnlarged(s.rcButtonColumn));
    EXPECT_FALSE(bench.processed());

    // Detection has no select face: its old place is no target.
    const Rect oldFace = s.rcSelectAllButton;
    bench.configure(command::detection, command::fixedWhole);
    bench.enterView(alphabetView);
    const std::vector<std::int32_t> before = bench.etalonsInUse();
    bench.clickIn(oldFace);
    EXPECT_EQ(bench.etalonsInUse(), before);
}

// ---- The value selectors ----

TEST(MouseSelectors, ChoicesApplyAtOnceAndStartTheNextData)
{
    enum class Selector { length, noise, lostData };
    const struct {
        const char* what;
        std::uint16_t taskCommand, seriesCommand;
        std::int32_t view, inUse;
        std::vector<std::int32_t> members;
        std::vector<std::vector<std::int32_t>> reserved;
        Selector selector;
        std::int32_t option;
        bool processes, boxRepainted;
        std::int32_t viewAfter;
    } cases[] = {
        {"no etalon in use: the choice is only applied", command::recognition, command::fixedWhole, alphabetView, 0, {},
         {}, Selector::length, 0, false, false, alphabetView},
        {"a new length", command::recognition, command::fixedWhole, alphabetView, 3, {}, {}, Selector::length, 1, true,
         true, resultView},
        {"the chosen length again", command::recognition, command::fixedWhole, resultView, 3, {}, {},
         Selector::length, 2, true, false, resultView},
        {"a new noise level", command::jointDetection, command::unfixedWhole, resultView, 4, {}, {}, Selector::noise,
         2, true, true, resultView},
        {"the chosen noise level again", command::jointDetection, command::unfixedWhole, alphabetView, 4, {}, {},
         Selector::noise, 0, true, false, resultView},
        {"a new lost data level", command::recognition, command::fixedCutOff, resultView, 2, {}, {},
         Selector::lostData, 2, true, true, resultView},
        {"the chosen lost data level again", command::detection, command::unfixedCutOff, resultView, 1, {}, {},
         Selector::lostData, 0, true, false, resultView},
        {"tuple series without a subset: the panel", command::recognition, command::fixedTuples, resultView, 20, {},
         {}, Selector::noise, 1, false, false, subsetPanelView},
        {"in the panel with nothing to commit: the panel stays", command::recognition, command::fixedTuples,
         subsetPanelView, 20, {1}, {}, Selector::length, 0, false, false, subsetPanelView},
        {"in the panel with a commit", command::recognition, command::fixedTuples, subsetPanelView, 20, {1},
         {{1, 2}}, Selector::length, 0, true, true, resultView},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MouseBench bench;
        AppState& s = bench.state;
        bench.configure(c.taskCommand, c.seriesCommand);
        bench.useEtalons(c.inUse);
        for (const auto& row : c.reserved) bench.reserve(row);
        bench.compose(c.members);
        s.dwSeriesLengthIndex = 3;
        s.dwNoiseLevelIndex = 1;
        s.dwLostDataIndex = 1;
        bench.command(command::applySelectors);
        bench.enterView(c.view);
        const Rect* box = nullptr;
        const std::size_t option = static_cast<std::size_t>(c.option);
        switch (c.selector) {
        case Selector::length: bench.clickIn(s.arcSeriesLengthOptions[option]); box = &s.rcSeriesLengthBox; break;
        case Selector::noise: bench.clickIn(s.arcNoiseOptions[option]); box = &s.rcNoiseBox; break;
        case Selector::lostData: bench.clickIn(s.arcLostDataOptions[option]); box = &s.rcLostDataBox; break;
        }
        const std::int32_t chosen = c.option + 1;
        EXPECT_EQ(c.selector == Selector::length ? s.dwSeriesLengthIndex
                  : c.selector == Selector::noise ? s.dwNoiseLevelIndex
                                                  : s.dwLostDataIndex,
                  chosen);
        EXPECT_EQ(bench.processed(), c.processes);
        EXPECT_EQ(bench.invalidated(*box), c.boxRepainted);
        EXPECT_EQ(s.dwViewMode, c.viewAfter);
        if (c.inUse == 0) {
            EXPECT_EQ(bench.invalidations(), std::vector{wholeWindow}) << "command 211 alone";
        }
        if (c.processes) {
            EXPECT_EQ(bench.invalidatedEnlarged(s.rcButtonColumn), c.view != resultView);
        }

        // The choice is the setting in force for the series just built.
        switch (c.selector) {
        case Selector::length:
            EXPECT_EQ(s.dwSeriesLengthSetting, dwSeriesLengthTable[option + 1]);
            EXPECT_EQ(s.wMaxPulses, (dwSeriesLengthTable[option + 1] - s.wImpulseSize + s.wTmin) / s.wTmin);
            if (c.processes) {
                EXPECT_EQ(s.dwSeriesLength, s.dwSeriesLengthSetting);
            }
            break;
        case Selector::noise:
            EXPECT_EQ(s.wNoiseSetting, dwNoiseLevelTable[option + 1]);
            if (c.processes) {
                EXPECT_EQ(s.wNoiseLevel, s.wNoiseSetting);
            }
            break;
        case Selector::lostData:
            EXPECT_EQ(s.wLostDataSetting, dwLostDataTable[option + 1]);
            EXPECT_EQ(s.wMakeEnergyDefault, 100 - dwLostDataTable[option + 1]);
            EXPECT_EQ(s.wProcEnergyDefault, 100 - dwLostDataTable[option + 1]);
            break;
        }
    }
}

TEST(MouseSelectors, LostDataIsNoTargetOnWholePulseSeriesAndMissesDoNothing)
{
    MouseBench bench;
    AppState& s = bench.state;
    bench.configure(command::recognition, command::fixedCutOff);
    bench.useEtalons(3);
    bench.enterView(resultView);
    const Rect lostDataChoice = s.arcLostDataOptions[2];
    bench.configure(command::recognition, command::fixedWhole);
    bench.enterView(resultView);
    const std::int32_t index = s.dwLostDataIndex;
    bench.clickIn(lostDataChoice);
    EXPECT_EQ(s.dwLostDataIndex, index);
    EXPECT_FALSE(bench.processed());
    EXPECT_TRUE(bench.invalidations().empty());

    for (const std::int32_t view : {7, 8}) {
        SCOPED_TRACE(view);
        bench.enterView(view);
        bench.clickIn(s.rcNextButton);
        EXPECT_EQ(s.dwViewMode, view) << "only the selectors are targets";
        EXPECT_FALSE(bench.processed());
        bench.clickIn(s.arcNoiseOptions[1]);
        EXPECT_EQ(s.dwViewMode, resultView);
        EXPECT_TRUE(bench.processed());
        EXPECT_TRUE(bench.invalidatedEnlarged(s.rcButtonColumn));
    }
}

TEST(MouseSelectors, EdgesOfAStoredRectangleAreInside)
{
    const Rect r{10, 20, 30, 40};
    const struct {
        std::int32_t x, y;
        bool inside;
    } cases[] = {{10, 20, true}, {30, 40, true}, {10, 40, true}, {30, 20, true}, {20, 30, true},
                 {9, 30, false}, {31, 30, false}, {20, 19, false}, {20, 41, false}};
    for (const auto& c : cases) EXPECT_EQ(pointInRect(r, c.x, c.y), c.inside) << c.x << ", " << c.y;
}

// ---- Keys ----

TEST(MouseKeys, CodesZeroAndOneRepaintTheWholeWindow)
{
    const struct {
        std::int32_t key;
        bool repaints;
    } cases[] = {{0, true}, {1, true}, {2, false}, {-1, false}, {13, false}, {65, false}, {0x70, false}};
    MouseBench bench;
    for (const auto& c : cases) {
        bench.invalidations().clear();
        onKeyDown(bench.app, c.key);
        EXPECT_EQ(bench.invalidations(), c.repaints ? std::vector{wholeWindow} : std::vector<RecordedInvalidation>{})
            << "key " << c.key;
    }
}

// ---- A long random sequence of presses ----

// The rectangles the last paint stored for the current view mode, as press targets.
std::vector<Rect> storedTargets(const AppState& s)
{
    std::vector<Rect> targets{s.rcNextButton, s.rcExitButton, s.rcRestartButton, s.rcSelectAllButton};
    targets.insert(targets.end(), s.arcSeriesLengthOptions.begin(), s.arcSeriesLengthOptions.end());
    targets.insert(targets.end(), s.arcNoiseOptions.begin(), s.arcNoiseOptions.end());
    targets.insert(targets.end(), s.arcLostDataOptions.begin(), s.arcLostDataOptions.end());
    if (s.dwViewMode == alphabetView)
        targets.insert(targets.end(), s.arcAlphabetCells.begin(), s.arcAlphabetCells.begin() + s.wAlphabetSize);
    if (s.dwViewMode == subsetPanelView && s.possibleSubsetRect != nullptr) {
        targets.insert(targets.end(), s.arcSubsetCells.begin(), s.arcSubsetCells.begin() + s.wRequiredCount);
        targets.push_back(s.rcSubsetStrip);
        targets.insert(targets.end(), s.possibleSubsetRect, s.possibleSubsetRect + s.dwSubsetCapacity);
        if (s.ButtonsWhileSelectedSubsetRect != nullptr)
            targets.insert(targets.end(), s.ButtonsWhileSelectedSubsetRect,
                           s.ButtonsWhileSelectedSubsetRect + s.dwPanelButtons);
        for (std::int32_t i = 0; i < s.dwReservedCapacity; ++i)
            targets.push_back(s.possibleSubsetArrayRect[i][s.dwSubsetCapacity]);
    }
    return targets;
}

// The invariants every press keeps.
void expectInvariants(const AppState& s)
{
    EXPECT_GE(s.dwSubsetSize, 0);
    EXPECT_LE(s.dwSubsetSize, s.dwSubsetCapacity);
    EXPECT_GE(s.dwReservedCount, 0);
    EXPECT_LE(s.dwReservedCount, s.dwReservedCapacity);
    EXPECT_LE(s.wRequiredCount, s.wRequiredCapacity);
    for (std::int32_t j = 0; j < s.dwSubsetSize; ++j) {
        EXPECT_GE(s.selectedSubset[j], 1);
        EXPECT_LE(s.selectedSubset[j], s.wAlphabetSize);
    }

    // The list is what the in-use flags give.
    AppState probe;
    probe.wAlphabetSize = s.wAlphabetSize;
    probe.awEtalonInUse = s.awEtalonInUse;
    probe.wRequiredCapacity = s.wRequiredCapacity;
    std::vector<std::uint16_t> rebuilt(s.wRequiredCapacity);
    probe.lpRequiredList = rebuilt.data();
    setListFromInUseFlags(probe);
    rebuilt.resize(probe.wRequiredCount);
    EXPECT_EQ(std::vector<std::uint16_t>(s.lpRequiredList, s.lpRequiredList + s.wRequiredCount), rebuilt);
}

TEST(MouseRandomPresses, ThousandsOfPressesInEveryViewAndModeKeepTheState)
{
    const struct {
        std::uint16_t taskCommand, seriesCommand;
    } configurations[] = {
        {command::recognition, command::fixedTuples},  {command::detection, command::fixedTuples},
        {command::recognition, command::unfixedTuples}, {command::detection, command::fixedWhole},
        {command::recognition, command::fixedCutOff},  {command::jointDetection, command::unfixedCutOff},
        {command::seriesProcessing, command::unfixedWhole},
    };
    constexpr std::int32_t pressesPerBurst = 60;
    constexpr std::int32_t pressesPerVisit = 10; // most presses leave the view: it is entered again
    MouseBench bench;
    AppState& s = bench.state;
    std::uint16_t seed = 4242;
    const auto draw = [&](std::int32_t below) { return below <= 0 ? 0 : std::int32_t{next15(seed)} % below; };
    for (const auto& configuration : configurations) {
        bench.configure(configuration.taskCommand, configuration.seriesCommand);
        for (const std::int32_t view : {5, 6, 7, 8, 9, 10}) {
            for (std::int32_t press = 0; press < pressesPerBurst; ++press) {
                if (press % pressesPerVisit == 0) bench.enterView(view);
                std::int32_t x = draw(surfaceWidth), y = draw(surfaceHeight);
                if (draw(2) == 0) { // half the presses aim at something the paint stored
                    const std::vector<Rect> targets = storedTargets(s);
                    const Rect& t = targets[static_cast<std::size_t>(draw(static_cast<std::int32_t>(targets.size())))];
                    x = t.left + draw(t.right - t.left + 1);
                    y = t.top + draw(t.bottom - t.top + 1);
                }
                bench.click(x, y);
                SCOPED_TRACE(testing::Message() << "view " << view << ", press at " << x << ", " << y);
                expectInvariants(s);
                bench.paintInvalidated();
                if (HasFailure()) return;
            }
        }
    }
}

} // namespace
} // namespace mirokel
