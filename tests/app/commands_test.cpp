// The application driven as a user drives it, headless: menu and internal command ids,
// dialog answers by control id, OK and Cancel; checked through the state, the series,
// the chains record, the recorded message boxes, repaint requests and menu checks.
#include "app/application.h"

#include "app/command_ids.h"
#include "app/main_menu.h"
#include "app/parameter_dialogs.h"
#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "engine/chains_header.h"
#include "engine/rest_error_header.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

namespace mirokel {
namespace {

namespace id = dialog_id;

// A started application on the headless window; shutdown must release everything.
class AppBench {
public:
    AppBench()
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        prepareSubsetPanel(scripted.window(), state);
    }
    ~AppBench()
    {
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(liveAllocations(), live) << "shutdown releases every owned object";
    }

    void command(std::uint16_t commandId) { onCommand(app, commandId); }

    void answer(std::map<std::int32_t, std::string> texts, bool ok = true, std::vector<std::int32_t> clicks = {})
    {
        scripted.dialogs.answers.push_back({std::move(clicks), std::move(texts), ok});
    }

    void composeSubset(std::vector<std::int32_t> members)
    {
        std::copy(members.begin(), members.end(), state.selectedSubset);
        state.dwSubsetSize = static_cast<std::int32_t>(members.size());
    }

    void reserve(std::vector<std::int32_t> members)
    {
        composeSubset(members);
        state.dwReservedCount = reserveSubset(state.selectedSubset, state.dwSubsetSize, state.selectedSubsetArraySize,
                                              state.lpReservedSubsets, state.dwReservedCount,
                                              state.dwReservedCapacity);
        state.dwCurrentReserved = state.dwReservedCount;
    }

    std::vector<std::int16_t> etalons() const
    {
        const SeriesHeader& s = *state.lpSeriesHeader;
        return {s.lpEtalonNumbers, s.lpEtalonNumbers + s.wImpulseQuantity};
    }

    const std::int64_t live = liveAllocations();
    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    bool started = false;
};

TEST(Startup, LoadsFacesChecksMenusAndBuildsTheFirstSeries)
{
    AppBench bench;
    ASSERT_TRUE(bench.started);
    const RecordingWindowServices& services = bench.scripted.services;
    EXPECT_EQ(services.loadedImages, (std::vector<std::uint16_t>{103, 102, 101, 109, 108}));
    const std::map<std::uint16_t, bool> checks{{40008, false}, {40009, false}, {40010, false}, {40011, false},
                                               {40028, true},  {40032, false}, {40005, false}, {40006, true},
                                               {40007, false}, {40027, false}};
    EXPECT_EQ(services.menuChecks, checks);
    EXPECT_TRUE(services.tminEditCreated);
    ASSERT_NE(bench.state.lpChainsHeader, nullptr);
    EXPECT_EQ(bench.state.lpChainsHeader->wMaxSize, 10);
    EXPECT_EQ(bench.state.lpChainsHeader->wMaxPulses, 30);
    EXPECT_EQ(bench.state.dwViewMode, 9);
    EXPECT_EQ(bench.etalons(), std::vector<std::int16_t>(18, 1));
    EXPECT_TRUE(bench.scripted.messages().empty());
}

TEST(Startup, MissingButtonFaceFailsWithItsName)
{
    ScriptedWindow scripted;
    scripted.services.missingImages = {109};
    AppState state;
    initialiseStaticState(state);
    EXPECT_FALSE(startApplication(scripted.window(), state));
    EXPECT_EQ(scripted.services.loadedImages, (std::vector<std::uint16_t>{103, 102, 101}));
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(scripted.messages()[0], (RecordedMessage{"No Bitmap <IDB_BITMAP5>", "Fatal Error", MessageIcon::none}));
    shutDownApplication(scripted.window(), state);
}

// Repaint commands and the ids that do nothing.
TEST(Dispatcher, RepaintRequestsAndIdsWithoutEffect)
{
    struct Case {
        std::uint16_t id;
        std::vector<RecordedInvalidation> expected;
    };
    AppBench bench;
    AppState& s = bench.state;
    s.rcGraph = {10, 50, 500, 400};
    s.rcSubsetStrip = {20, 300, 480, 340};
    s.rcSelectAllButton = {600, 10, 700, 40};
    s.arcAlphabetCells[0] = {100, 100, 140, 140};
    const Case cases[] = {
        {206, {{{0, 0, -1, -1}, true}}},
        {222, {{{10, 40, 500, 400}, true}}},
        {223, {{{10, 40, 500, 400}, false}}},
        {221, {{{20, 300, 480, 340}, true}}},
        {212, {{{99, 99, 143, 143}, true}, {{600, 10, 700, 40}, true}}},
        {213, {{{10, 40, 500, 400}, true}, {{600, 10, 700, 40}, true}}},
        {40014, {}}, {207, {}}, {217, {}}, {219, {}}, {220, {}}, {12345, {}},
    };
    for (const Case& c : cases) {
        bench.scripted.services.invalidations.clear();
        bench.command(c.id);
        EXPECT_EQ(bench.scripted.services.invalidations, c.expected) << "command " << c.id;
    }
    bench.command(command::exit);
    EXPECT_TRUE(bench.scripted.services.closeRequested);
}

TEST(Dispatcher, TaskTypeDetectionKeepsOnlyTheSelectedEtalon)
{
    AppBench bench;
    AppState& s = bench.state;
    bench.command(command::fixedWhole);
    s.dwSelectedEtalon = 7;
    bench.command(command::detection);
    EXPECT_EQ(s.wProcessingMode, 1);
    EXPECT_EQ(s.wRequiredCount, 1);
    EXPECT_EQ(s.lpRequiredList[0], 7);
    EXPECT_TRUE(bench.scripted.services.menuChecks[40005]);
    EXPECT_FALSE(bench.scripted.services.menuChecks[40006]);
    bench.command(command::recognition);
    EXPECT_EQ(s.wProcessingMode, 2);
    EXPECT_EQ(s.wRequiredCount, 1) << "recognition keeps the single etalon";

    bench.command(command::fixedTuples);
    bench.command(command::detection);
    EXPECT_EQ(s.wProcessingMode, 36);
}

// The items of a menu, popups included, in order.
void collectItems(const std::vector<MenuEntry>& entries, std::vector<const MenuEntry*>& items)
{
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntry::Kind::item) items.push_back(&entry);
        if (entry.kind == MenuEntry::Kind::popup) collectItems(entry.entries, items);
    }
}

// A menu item shows a check box exactly when start-up or some command checks or unchecks
// it: every menu item and internal id is run once and the menu checks they set are kept.
TEST(MainMenu, ItemsAreCheckableExactlyWhereCommandsPutChecks)
{
    std::vector<const MenuEntry*> items;
    collectItems(mainMenu(), items);
    ASSERT_EQ(items.size(), 33u) << "menu ids 40001 … 40034 but 40013";
    std::set<std::uint16_t> checkable;
    for (const MenuEntry* item : items)
        if (item->checkable) checkable.insert(item->id);

    AppBench bench;
    for (const MenuEntry* item : items) bench.command(item->id);
    for (std::uint16_t id = command::exitRequest; id <= command::repaintReservedRows; ++id) bench.command(id);
    std::set<std::uint16_t> checked;
    for (const auto& [id, mark] : bench.scripted.services.menuChecks) checked.insert(id);

    EXPECT_EQ(checkable, checked);
    const auto find = [&](std::string_view text) {
        const auto found = std::find_if(items.begin(), items.end(), [&](const MenuEntry* e) { return e->text == text; });
        return found == items.end() ? nullptr : *found;
    };
    for (const char* plain : {" Exit", " Save image as...", " Save results as...", " Subset settings ...",
                              " Processing Next Data "}) {
        ASSERT_NE(find(plain), nullptr) << plain;
        EXPECT_FALSE(find(plain)->checkable) << plain;
    }
    for (const char* toggled : {" Detection", " Fixed Number of Whole Pulses Tuples "}) {
        ASSERT_NE(find(toggled), nullptr) << toggled;
        EXPECT_TRUE(find(toggled)->checkable) << toggled;
    }
}

TEST(Dispatcher, SeriesTypeResetsLevelsOnlyForWholePulses)
{
    AppBench bench;
    AppState& s = bench.state;
    s.dwLostDataIndex = 3;
    bench.command(command::applySelectors);
    bench.command(command::refreshSettings); // the levels come into force with a run
    EXPECT_EQ(s.wLostDataSetting, 50);
    bench.command(command::unfixedCutOff);
    EXPECT_EQ(s.wLostDataSetting, 50);
    EXPECT_EQ(s.wMakeEnergyLevel, 50);
    bench.command(command::fixedWhole);
    EXPECT_EQ(s.wLostDataSetting, 0);
    EXPECT_EQ(s.wMakeEnergyLevel, 100);
    EXPECT_EQ(s.dwLostDataIndex, 1);
}

TEST(Processing, NextDataDrawsOneEtalonForDetectionAndOnePerPulseForJointDetection)
{
    AppBench bench;
    bench.command(command::fixedWhole);
    bench.command(command::jointDetection);
    bench.command(command::processingNextData);
    std::set<std::int16_t> distinct;
    for (std::int16_t e : bench.etalons()) distinct.insert(e);
    EXPECT_GT(distinct.size(), 3u);
    EXPECT_EQ(bench.state.dwViewMode, 6);
    EXPECT_STREQ(bench.state.lpChainsHeader->lpTaskName, "joint detection and identification");

    bench.command(command::detection);
    bench.command(command::processingNextData);
    const std::vector<std::int16_t> etalons = bench.etalons();
    EXPECT_EQ(std::set<std::int16_t>(etalons.begin(), etalons.end()).size(), 1u);
    EXPECT_EQ(bench.state.lpSeriesHeader->wDetPulses, bench.state.lpSeriesHeader->wImpulseQuantity);
}

TEST(Processing, SameDataGivesTheSameResultTwice)
{
    AppBench bench;
    bench.command(command::unfixedCutOff);
    bench.command(command::jointDetection);
    bench.command(command::processingNextData);
    auto snapshot = [&] {
        const ChainsHeader& h = *bench.state.lpChainsHeader;
        const SeriesHeader& s = *bench.state.lpSeriesHeader;
        std::vector<std::int32_t> v(h.distance, h.distance + h.wMaxSize);
        v.insert(v.end(), s.lpDetPositions, s.lpDetPositions + s.wDetPulses);
        return v;
    };
    const auto first = snapshot();
    const RandomStreams streams = bench.state.streams;
    bench.command(command::processingSameData);
    EXPECT_EQ(snapshot(), first);
    EXPECT_EQ(bench.state.streams, streams) << "processing draws nothing";
}

TEST(Processing, TupleModesWithoutSubsetsShowThePanel)
{
    {   // Mode 36: a new noised series, then the panel, and no processing.
        AppBench bench;
        bench.command(command::detection); // tuples: mode 36
        const std::uint16_t noiseBefore = bench.state.streams.wNoiseSeed;
        bench.command(command::processingNextData);
        EXPECT_NE(bench.state.streams.wNoiseSeed, noiseBefore);
        EXPECT_EQ(bench.state.dwViewMode, 9);
        EXPECT_EQ(bench.state.lpChainsHeader->wProcessed, 0) << "no labels";
    }
    {   // Mode 40: no routine, the record relabelled, the result view.
        AppBench bench;
        bench.command(command::processingNextData);
        EXPECT_EQ(bench.state.lpChainsHeader->wProcessed, 2);
        EXPECT_EQ(bench.state.lpChainsHeader->wPretenders, 0);
        EXPECT_EQ(bench.state.dwViewMode, 6);
    }
    {   // Mode 40 with reserved subsets: the tuple the series repeats is recognised.
        AppBench bench;
        bench.reserve({2, 4});
        bench.reserve({5, 6, 7});
        ASSERT_TRUE(commitSubsetPanel(bench.scripted.window(), bench.state));
        bench.command(command::processingNextData);
        EXPECT_EQ(bench.state.lpSeriesHeader->wDetSubset, 2);
        EXPECT_EQ(bench.etalons()[0], 5);
    }
}

TEST(CreateSeries, CommitsBothDialogsAndFollowsTheUserSequence)
{
    AppBench bench;
    AppState& s = bench.state;
    bench.command(command::fixedWhole);
    bench.answer({{id::seriesLength, "600"}, {id::minInterval, "30"}, {id::maxInterval, "90"}, {id::etalonNumber, "3"}});
    bench.answer({{id::pulsesNumber, "10"}, {id::sequence, "3,4,5"}, {id::noiseLevel, "0"}});
    bench.command(command::createSeries);
    EXPECT_EQ(s.dwSeriesLengthSetting, 600);
    EXPECT_EQ(s.wTmin, 30);
    EXPECT_EQ(s.wTmax, 90);
    EXPECT_EQ(s.wSeriesType, series_type::fixedGivenSequence);
    EXPECT_EQ(s.wPulsesNumber, 10);
    ASSERT_NE(s.lpSeriesHeader, nullptr);
    EXPECT_EQ(s.lpSeriesHeader->wImpulseQuantity, 10);
    EXPECT_EQ(bench.etalons()[0], 3);
    EXPECT_EQ(bench.etalons()[2], 5);
    EXPECT_EQ(s.lpSeriesHeader->wNoiseLevel, 0);
    EXPECT_EQ(s.dwViewMode, 6);
}

TEST(CreateSeries, CancelOfTheSecondDialogRestoresThePulseCountOnly)
{
    AppBench bench;
    AppState& s = bench.state;
    const std::uint16_t pulses = s.wPulsesNumber;
    const std::uint16_t tmin = s.wTmin;
    const SeriesHeader* series = s.lpSeriesHeader;
    bench.answer({{id::seriesLength, "600"}, {id::minInterval, "30"}});
    bench.answer({}, false);
    bench.command(command::createSeries);
    EXPECT_EQ(s.wPulsesNumber, pulses);
    EXPECT_EQ(s.wTmin, tmin);
    EXPECT_EQ(s.dwSeriesLengthSetting, 1200);
    EXPECT_EQ(s.lpSeriesHeader, series);
    EXPECT_EQ(bench.scripted.dialogs.titles.size(), 2u);
}

// Typed input the system cannot use is refused with a message and changes nothing.
TEST(CreateSeries, UnusableInputIsRefused)
{
    const std::vector<std::map<std::int32_t, std::string>> first = {
        {{id::minInterval, "0"}},
        {{id::minInterval, "200"}},
        {{id::maxInterval, "10"}, {id::minInterval, "5"}},
        {{id::seriesLength, "40000"}},
        {{id::seriesLength, "10"}},
        {{id::etalonNumber, "21"}},
    };
    for (const auto& texts : first) {
        AppBench bench;
        const std::uint16_t tmin = bench.state.wTmin;
        bench.answer(texts);
        bench.command(command::createSeries);
        EXPECT_EQ(bench.scripted.messages().size(), 1u);
        EXPECT_EQ(bench.state.wTmin, tmin);
        EXPECT_EQ(bench.state.dwSeriesLengthSetting, 1200);
        EXPECT_EQ(bench.scripted.dialogs.titles.size(), 1u) << "the command stops after the refusal";
    }
    AppBench bench;
    bench.answer({});
    bench.answer({{id::noiseLevel, "20000"}});
    bench.command(command::createSeries);
    EXPECT_EQ(bench.scripted.messages().size(), 1u);
    EXPECT_EQ(bench.state.wNoiseSetting, 20);
}

TEST(Simulation, SummaryOfTheDefaultsAndCancelKeepThePreviousResults)
{
    AppBench bench;
    std::atomic<bool> cancel{true};
    bench.app.simulation.cancel = &cancel;
    bench.answer({});
    bench.answer({});
    bench.command(command::statisticalSimulation);
    ASSERT_FALSE(bench.scripted.messages().empty());
    const RecordedMessage& summary = bench.scripted.messages()[0];
    EXPECT_EQ(summary.caption, "getPulseEstAsRepeats");
    EXPECT_EQ(summary.text, "Create series parameters:\n"
                            "длина серии: 1200\n"
                            "wTmin: 40\n"
                            "wTmax: 181\n"
                            "длина эталона: 20\n"
                            "MinPulses: 6 -> 6\n"
                            "MaxPulses: 30 -> 30\n"
                            "\n"
                            "pulses: 25, from 6 to 30 incr 1 \n"
                            "noise level: from 0 to 29 incr 5\n"
                            "number of repeats: 100\n");
    EXPECT_EQ(bench.state.lpRestErrorHeader, nullptr) << "a cancelled run stores nothing";

    // A small simulation completes and is shown; a cancelled one after it keeps it.
    cancel = false;
    bench.command(command::unfixedWhole);
    bench.command(command::detection);
    bench.answer({{id::seriesLength, "600"}});
    bench.answer({{id::pulsesFrom, "4"}, {id::pulsesTo, "6"}, {id::noiseSteps, "2"}, {id::repeats, "2"},
                  {id::pulsesIncrement, "0"}});
    bench.answer({});
    bench.command(command::statisticalSimulation);
    const RestErrorHeader* results = bench.state.lpRestErrorHeader;
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->ifComplete, 1);
    EXPECT_EQ(bench.state.wPulsesIncrement, 1) << "an increment of 0 is stored as 1";
    EXPECT_EQ(results->wVariousPulses, 3);
    EXPECT_EQ(bench.state.wResultKind, 2);
    EXPECT_EQ(bench.state.dwViewMode, 6);
    cancel = true;
    bench.answer({});
    bench.answer({});
    bench.command(command::statisticalSimulation);
    EXPECT_EQ(bench.state.lpRestErrorHeader, results);
}

TEST(Simulation, ShowBeforeAnySimulationDoesNothingAndGridRefusals)
{
    AppBench bench;
    bench.command(command::showStatisticalSimulation);
    EXPECT_TRUE(bench.scripted.dialogs.titles.empty());
    EXPECT_EQ(bench.state.wResultKind, 1);

    const std::vector<std::map<std::int32_t, std::string>> grids = {
        {{id::noiseSteps, "1"}}, {{id::repeats, "0"}}, {{id::noiseIncrement, "1000"}},
        {{id::pulsesFrom, "2"}}, {{id::pulsesTo, "40"}},
    };
    for (const auto& grid : grids) {
        bench.scripted.clearMessages();
        bench.answer({});
        bench.answer(grid);
        bench.command(command::statisticalSimulation);
        EXPECT_EQ(bench.scripted.messages().size(), 1u) << "the refusal only, no summary";
        EXPECT_EQ(bench.state.wRepeats, 100);
        EXPECT_EQ(bench.state.wNoiseSteps, 29);
    }
}

// A small simulation of joint detection of cut-off pulses through its three dialogs.
void simulateSmall(AppBench& bench)
{
    bench.answer({{id::seriesLength, "600"}});
    bench.answer({{id::pulsesFrom, "4"}, {id::pulsesTo, "6"}, {id::noiseSteps, "3"}, {id::repeats, "4"}});
    bench.answer({});
    bench.command(command::statisticalSimulation);
}

void prepareJointDetection(AppBench& bench)
{
    bench.command(command::unfixedCutOff);
    bench.command(command::jointDetection);
    bench.command(command::processingNextData);
}

// The series record as the views and the next commands see it.
std::vector<std::int64_t> seriesRecord(const AppState& s)
{
    const SeriesHeader& h = *s.lpSeriesHeader;
    std::vector<std::int64_t> v{h.dwSeriesSize, h.wImpulseQuantity, h.wDetPulses, h.wTmin, h.wNoiseLevel};
    v.insert(v.end(), h.lpNoisyData, h.lpNoisyData + h.dwSeriesSize);
    v.insert(v.end(), h.lpPositions, h.lpPositions + h.wImpulseQuantity);
    v.insert(v.end(), h.lpDetPositions, h.lpDetPositions + h.wDetPulses);
    v.insert(v.end(), h.lpDetEtalonNumbers, h.lpDetEtalonNumbers + h.wDetPulses);
    return v;
}

// The series record and the random streams: what decides the numbers of the next run.
std::vector<std::int64_t> seriesAndStreams(const AppState& s)
{
    std::vector<std::int64_t> v = seriesRecord(s);
    const RandomStreams& r = s.streams;
    v.insert(v.end(), {r.wSeedPlacement, r.wSeedCutStart, r.wSeedCutEnd, r.wSeedPulseCount, r.wNoiseSeed,
                       r.wSeedSubsetShift, r.wSeedSubsetRepeat, r.dwSequenceState});
    return v;
}

// Everything a simulation that does not complete must give back: the series record, the
// streams, the etalon sequence with its first-run flag, the view mode, the chains record.
std::vector<std::int64_t> leftBehind(const AppState& s)
{
    std::vector<std::int64_t> v = seriesAndStreams(s);
    v.insert(v.end(), {s.dwViewMode, s.dwFirstSimulation, s.wEtalonSequenceSize});
    v.insert(v.end(), s.lpEtalonSequence, s.lpEtalonSequence + s.wEtalonSequenceSize);
    const ChainsHeader& c = *s.lpChainsHeader;
    v.insert(v.end(), c.distance, c.distance + c.wPretenders);
    return v;
}

std::vector<std::int32_t> tables(const RestErrorHeader& e)
{
    std::vector<std::int32_t> v;
    for (std::int32_t k = 0; k < e.wNoiseLevels; ++k)
        for (std::int32_t j = 0; j < e.wVariousPulses; ++j)
            v.insert(v.end(), {e.lpErrors[k][j], e.lpDetErrors[k][j], e.lpRecErrors[k][j]});
    return v;
}

// Cancelled half way, the run gives back everything it changed and says how far it got;
// the same simulation run to the end afterwards gives what a run never cancelled gives.
TEST(Simulation, CancelledRunChangesNothingAndTheNextRunIsAsIfItHadNeverStarted)
{
    for (const std::uint32_t threads : {1u, 2u}) {
        SCOPED_TRACE(threads);
        AppBench never;
        never.app.simulation.threads = threads;
        prepareJointDetection(never);
        simulateSmall(never);
        ASSERT_NE(never.state.lpRestErrorHeader, nullptr);

        AppBench bench;
        bench.app.simulation.threads = threads;
        prepareJointDetection(bench);
        const std::vector<std::int64_t> before = leftBehind(bench.state);
        std::atomic<bool> cancel{false};
        bench.app.simulation.cancel = &cancel;
        std::atomic<int> built{0};
        bench.app.simulation.built = [&](std::int64_t, const SeriesHeader&) {
            if (++built == 18) cancel = true; // half of the 36 series
        };
        bench.scripted.clearMessages();
        simulateSmall(bench);
        EXPECT_EQ(bench.state.lpRestErrorHeader, nullptr);
        EXPECT_EQ(leftBehind(bench.state), before);
        EXPECT_EQ(bench.scripted.dialogs.answers.size(), 1u) << "the display dialog does not open";
        bench.scripted.dialogs.answers.clear();
        ASSERT_EQ(bench.scripted.messages().size(), 2u);
        const RecordedMessage& m = bench.scripted.messages()[1];
        EXPECT_EQ(m.caption, " Statistical Simulation ");
        EXPECT_EQ(m.text.rfind("Simulation cancelled after ", 0), 0u) << m.text;
        EXPECT_NE(m.text.find(" of 36 series."), std::string::npos) << m.text;

        cancel = false;
        bench.app.simulation.built = nullptr;
        simulateSmall(bench);
        ASSERT_NE(bench.state.lpRestErrorHeader, nullptr);
        EXPECT_EQ(tables(*bench.state.lpRestErrorHeader), tables(*never.state.lpRestErrorHeader));
        EXPECT_EQ(seriesAndStreams(bench.state), seriesAndStreams(never.state));

        // Cancelled again, the completed results stay and the message says so.
        cancel = true;
        bench.scripted.clearMessages();
        simulateSmall(bench);
        bench.scripted.dialogs.answers.clear();
        EXPECT_EQ(tables(*bench.state.lpRestErrorHeader), tables(*never.state.lpRestErrorHeader));
        ASSERT_EQ(bench.scripted.messages().size(), 2u);
        EXPECT_EQ(bench.scripted.messages()[1].text,
                  "Simulation cancelled after 0 of 36 series; the previous results are kept.");
    }
}

// A failure inside the run (here no tuple for processing mode 40 on a plain series, or
// memory for what the run must be able to give back) leaves everything as it was.
TEST(Simulation, RunThatFailsGivesBackTheSeriesAndSaysWhyOnce)
{
    AppBench bench;
    bench.command(command::fixedWhole); // mode 40 stays in force
    const std::vector<std::int64_t> before = leftBehind(bench.state);
    bench.scripted.clearMessages();
    simulateSmall(bench);
    bench.scripted.dialogs.answers.clear();
    EXPECT_EQ(bench.state.lpRestErrorHeader, nullptr);
    EXPECT_EQ(leftBehind(bench.state), before) << "the working series went back to the 1200-sample one";
    ASSERT_EQ(bench.scripted.messages().size(), 2u) << "the summary and the refusal only";
    EXPECT_EQ(bench.scripted.messages()[1].text, "Error: selected Subset is absence!");

    // Each allocation that keeps what the run must give back fails in turn, until the
    // run gets as far as its summary.
    std::set<std::string> shown;
    for (std::int64_t k = 1;; ++k) {
        bench.scripted.clearMessages();
        failAllocationAt(k);
        simulateSmall(bench);
        failAllocationAt(0);
        bench.scripted.dialogs.answers.clear();
        ASSERT_FALSE(bench.scripted.messages().empty());
        if (bench.scripted.messages()[0].caption == "getPulseEstAsRepeats") break;
        EXPECT_EQ(bench.scripted.messages().size(), 1u);
        shown.insert(bench.scripted.messages()[0].text);
        EXPECT_EQ(leftBehind(bench.state), before);
    }
    EXPECT_EQ(shown, (std::set<std::string>{"Нет памяти для copySeriesHeader!", "Нет памяти для lpEtalonSequence!"}));
}

// A build the builder refuses stops the run: the previous series stays whole, nothing
// is noised or processed, and the application says so to its callers.
TEST(Processing, RefusedBuildStopsTheRunAndKeepsThePreviousSeries)
{
    AppBench bench;
    bench.command(command::fixedWhole);
    bench.command(command::detection);
    bench.command(command::processingNextData);
    const std::vector<std::int64_t> before = seriesRecord(bench.state);
    const std::int32_t processed = bench.state.lpChainsHeader->wProcessed;
    bench.scripted.clearMessages();
    chooseSeriesLength(bench.state, 20);
    bench.state.wPulsesNumber = 0; // within the unraised bounds 0 … 1 of a 20-sample series
    bench.command(command::processingNextData);
    EXPECT_TRUE(bench.app.seriesRefused);
    ASSERT_EQ(bench.scripted.messages().size(), 1u);
    EXPECT_EQ(bench.scripted.messages()[0].caption, " makeExtSeries ");
    EXPECT_EQ(seriesRecord(bench.state), before) << "the record, its header too, is the previous series";
    EXPECT_EQ(bench.state.lpChainsHeader->wProcessed, processed);

    bench.state.wPulsesNumber = 1;
    bench.command(command::processingNextData);
    EXPECT_FALSE(bench.app.seriesRefused);
    EXPECT_EQ(bench.state.lpSeriesHeader->dwSeriesSize, 20);
}

TEST(Dispatcher, NewPulsesCancelStillRepairsTheList)
{
    AppBench bench;
    AppState& s = bench.state;
    s.wRequiredCount = 3;
    s.lpRequiredList[0] = 2;
    s.lpRequiredList[1] = 25;
    s.lpRequiredList[2] = 4;
    bench.answer({}, false);
    bench.command(command::newPulses);
    EXPECT_EQ(s.lpRequiredList[1], 2);
    std::vector<std::uint16_t> inUse(s.awEtalonInUse.begin(), s.awEtalonInUse.begin() + 5);
    EXPECT_EQ(inUse, (std::vector<std::uint16_t>{0, 1, 0, 1, 0}));
}

} // namespace
} // namespace mirokel
