// Tests of the application state: its defaults, the static initialisation, the derivations
// shared by start-up and the commands (pulse-count bounds, midpoint and clamp, processing
// mode, whole-pulse levels, in-use flags and required list), and the start-up and shutdown
// sequences run on the headless window.
#include "app/app_state.h"

#include "app/startup.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace mirokel {
namespace {

using Numbers = std::vector<std::uint16_t>;

// ---------------------------------------------------------------------------------------
// Defaults and static initialisation

TEST(AppStateTest, DefaultsBeforeStartUp)
{
    const AppState s;
    EXPECT_EQ(s.dwSeriesLengthIndex, 3);
    EXPECT_EQ(s.dwNoiseLevelIndex, 1);
    EXPECT_EQ(s.dwLostDataIndex, 2);
    EXPECT_EQ(s.wImpulseSize, 20);
    EXPECT_EQ(s.wAmplitude, 128);
    EXPECT_EQ(s.wTmin, 40);
    EXPECT_EQ(s.wTmax, 181);
    EXPECT_EQ(s.wPulsesNumberInput, 40);
    EXPECT_EQ(s.wAlphabetSize, 20);
    EXPECT_EQ(s.dwAlphabetReady, 1);
    EXPECT_EQ(s.wRequiredCapacity, 20);
    EXPECT_EQ(s.wRequiredCount, 20);
    EXPECT_EQ(s.dwDefaultEtalon, 1);
    EXPECT_EQ(s.dwViewMode, 5);
    EXPECT_EQ(s.wResultKind, 1);
    EXPECT_EQ(s.dwStatView, 2);
    EXPECT_EQ(s.dUpperBound, 0.25);
    EXPECT_EQ(s.wTupleHighlight, 2);
    EXPECT_EQ(s.wRepeats, 100);
    EXPECT_EQ(s.wNoiseSteps, 29);
    EXPECT_EQ(s.wNoiseIncrement, 5);
    EXPECT_EQ(s.wSubsetEmployment, 4);
    EXPECT_EQ(s.wSubsetInitPosition, 1);
    EXPECT_EQ(s.wSubsetProceeding, 1);
    EXPECT_EQ(s.wChainsDepth, 10);
    EXPECT_TRUE(std::all_of(s.awEtalonInUse.begin(), s.awEtalonInUse.end(), [](std::uint16_t f) { return f == 0; }));
    EXPECT_EQ(s.lpSeriesHeader, nullptr);
    EXPECT_EQ(s.lpRequiredList, nullptr);
}

TEST(AppStateTest, StaticInitialisationTakesTheIndexedTableValues)
{
    struct Case {
        const char* what;
        std::int32_t lengthIndex, noiseIndex, lostIndex, defaultEtalon;
        std::int32_t length;
        std::int16_t noise, lost, energy;
    };
    const Case cases[] = {
        {"default indexes", 3, 1, 2, 1, 1200, 20, 25, 75},
        {"first choices", 1, 1, 1, 1, 200, 20, 0, 100},
        {"last choices and another etalon", 2, 3, 3, 7, 600, 50, 50, 50},
    };
    for (const Case& c : cases) {
        AppState s;
        s.dwSeriesLengthIndex = c.lengthIndex;
        s.dwNoiseLevelIndex = c.noiseIndex;
        s.dwLostDataIndex = c.lostIndex;
        s.dwDefaultEtalon = c.defaultEtalon;
        initialiseStaticState(s);
        EXPECT_EQ(s.dwSeriesLengthSetting, c.length) << c.what;
        EXPECT_EQ(s.dwSeriesLength, c.length) << c.what;
        EXPECT_EQ(s.wNoiseSetting, c.noise) << c.what;
        EXPECT_EQ(s.wNoiseLevel, c.noise) << c.what;
        EXPECT_EQ(s.wLostDataSetting, c.lost) << c.what;
        EXPECT_EQ(s.wLostDataLevel, c.lost) << c.what;
        EXPECT_EQ(s.wMakeEnergyDefault, c.energy) << c.what;
        EXPECT_EQ(s.wMakeEnergyLevel, c.energy) << c.what;
        EXPECT_EQ(s.wProcEnergyDefault, c.energy) << c.what;
        EXPECT_EQ(s.wProcEnergyLevel, c.energy) << c.what;
        EXPECT_EQ(s.dwSelectedEtalon, c.defaultEtalon) << c.what;
    }
}

// ---------------------------------------------------------------------------------------
// Derivations

TEST(AppStateTest, PulseCountBoundsUseUnsignedDivisionKeptIn16Bits)
{
    struct Case {
        const char* what;
        std::int32_t length;
        std::uint16_t impulseSize, tmin, tmax;
        std::uint16_t minPulses, maxPulses;
    };
    const Case cases[] = {
        {"defaults", 1200, 20, 40, 181, 6, 30},
        {"length 600", 600, 20, 40, 181, 3, 15},
        {"length 200", 200, 20, 40, 181, 1, 5},
        {"tmax beyond the series: the least count stays 0", 100, 20, 40, 200, 0, 3},
        // 10 − 60 + 40 wraps to 4294967286; / 40 = 107374182, whose low 16 bits are 26214.
        {"series shorter than the pulse", 10, 60, 40, 181, 0, 26214},
    };
    for (const Case& c : cases) {
        AppState s;
        s.dwSeriesLength = c.length;
        s.wImpulseSize = c.impulseSize;
        s.wTmin = c.tmin;
        s.wTmax = c.tmax;
        derivePulseCountBounds(s);
        EXPECT_EQ(s.wMinPulses, c.minPulses) << c.what;
        EXPECT_EQ(s.wMaxPulses, c.maxPulses) << c.what;
    }
}

TEST(AppStateTest, ImpulseQuantityIsClampedToTheMidpointOutsideTheBounds)
{
    struct Case {
        const char* what;
        std::uint16_t minPulses, maxPulses, pulsesNumber;
        std::uint16_t midpoint, quantity;
    };
    const Case cases[] = {
        {"inside", 6, 30, 12, 18, 12},
        {"at the least count", 6, 30, 6, 18, 6},
        {"at the greatest count", 6, 30, 30, 18, 30},
        {"below", 6, 30, 5, 18, 18},
        {"above", 6, 30, 31, 18, 18},
        {"odd sum truncates", 1, 5, 0, 3, 3},
        {"odd sum of small bounds", 0, 1, 2, 0, 0},
        {"large bounds do not overflow 16 bits", 40000, 60000, 0, 50000, 50000},
    };
    for (const Case& c : cases) {
        AppState s;
        s.wMinPulses = c.minPulses;
        s.wMaxPulses = c.maxPulses;
        s.wPulsesNumber = c.pulsesNumber;
        EXPECT_EQ(pulsesNumberMidpoint(s), c.midpoint) << c.what;
        clampImpulseQuantity(s);
        EXPECT_EQ(s.wImpulseQuantity, c.quantity) << c.what;
        EXPECT_EQ(s.wPulsesNumber, c.pulsesNumber) << c.what << ": the asked count is kept";
    }
}

TEST(AppStateTest, ProcessingModeFollowsTheTaskExceptForTupleSeries)
{
    // Tuple series turn detection into tuple detection (36) and recognition into tuple
    // recognition (40); every other pair keeps the task type.
    const std::map<std::pair<std::uint16_t, std::uint16_t>, std::uint16_t> tupleModes{
        {{1, 36}, 36}, {{1, 40}, 36}, {{2, 36}, 40}, {{2, 40}, 40}};
    for (const std::uint16_t task : {1, 2, 4, 64}) {
        for (const std::uint16_t type : {1, 2, 4, 8, 16, 32, 36, 40}) {
            const auto found = tupleModes.find({task, type});
            const std::uint16_t expected = found != tupleModes.end() ? found->second : task;
            EXPECT_EQ(processingModeFor(task, type), expected) << "task " << task << ", series type " << type;
        }
    }

    AppState s;
    s.wTaskType = task_type::recognition;
    s.wSeriesType = series_type::unfixedTuples;
    deriveProcessingMode(s);
    EXPECT_EQ(s.wProcessingMode, 40);
    s.wSeriesType = series_type::fixedCutOff;
    deriveProcessingMode(s);
    EXPECT_EQ(s.wProcessingMode, 2);
}

TEST(AppStateTest, OnlyTypes4And8And40DrawTheirPulseCount)
{
    for (const std::uint16_t type : {1, 2, 4, 8, 16, 32, 36, 40}) {
        const bool unfixed = type == 4 || type == 8 || type == 40;
        EXPECT_EQ(isUnfixedSeriesType(type), unfixed) << "series type " << type;
    }
}

TEST(AppStateTest, WholePulseLevelResetClearsLostDataAndRestoresFullEnergy)
{
    AppState s;
    s.dwLostDataIndex = 3;
    s.wLostDataSetting = s.wLostDataLevel = 50;
    s.wMakeEnergyDefault = s.wMakeEnergyInput = s.wMakeEnergyLevel = 50;
    s.wProcEnergyDefault = s.wProcEnergyInput = s.wProcEnergyLevel = 37;
    resetWholePulseLevels(s);
    EXPECT_EQ(s.dwLostDataIndex, 1);
    EXPECT_EQ(s.wLostDataSetting, 0);
    EXPECT_EQ(s.wLostDataLevel, 0);
    for (const std::int16_t level : {s.wMakeEnergyDefault, s.wMakeEnergyInput, s.wMakeEnergyLevel,
                                     s.wProcEnergyDefault, s.wProcEnergyInput, s.wProcEnergyLevel})
        EXPECT_EQ(level, 100);
}

// ---------------------------------------------------------------------------------------
// In-use flags and the required list

class InUseTest : public ::testing::Test {
protected:
    InUseTest() { state.lpRequiredList = list.data(); }

    void setList(const Numbers& numbers)
    {
        std::copy(numbers.begin(), numbers.end(), list.begin());
        state.wRequiredCount = static_cast<std::uint16_t>(numbers.size());
    }
    Numbers currentList() const { return Numbers(list.begin(), list.begin() + state.wRequiredCount); }
    std::vector<std::size_t> setFlags() const
    {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < state.awEtalonInUse.size(); ++i)
            if (state.awEtalonInUse[i] == 1) out.push_back(i);
        return out;
    }

    std::array<std::uint16_t, alphabetSlots> list{};
    AppState state;
};

TEST_F(InUseTest, FlagsFromTheListClearEveryOtherFlag)
{
    state.awEtalonInUse.fill(1);
    setList({3, 7, 20});
    setInUseFlagsFromList(state);
    EXPECT_EQ(setFlags(), (std::vector<std::size_t>{2, 6, 19}));
}

TEST_F(InUseTest, ListFromTheFlagsIsAscendingAndLimitedToTheAlphabet)
{
    state.awEtalonInUse[0] = state.awEtalonInUse[9] = state.awEtalonInUse[19] = 1;
    setList({5, 5, 5, 5, 5});
    setListFromInUseFlags(state);
    EXPECT_EQ(currentList(), (Numbers{1, 10, 20}));

    state.wAlphabetSize = 10;
    setListFromInUseFlags(state);
    EXPECT_EQ(currentList(), (Numbers{1, 10}));

    state.awEtalonInUse.fill(0);
    setListFromInUseFlags(state);
    EXPECT_EQ(state.wRequiredCount, 0);
}

TEST_F(InUseTest, RoundTripSortsAndRemovesRepeats)
{
    setList({7, 3, 20, 3, 1});
    setInUseFlagsFromList(state);
    setListFromInUseFlags(state);
    EXPECT_EQ(currentList(), (Numbers{1, 3, 7, 20}));
}

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

class StartupTest : public ::testing::Test {
protected:
    StartupTest() { initialiseStaticState(state); }
    ~StartupTest() override
    {
        failAllocationAt(0);
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(liveAllocations(), liveBefore) << "shutdown releases every owned object";
    }

    const std::int64_t liveBefore = liveAllocations();
    ScriptedWindow scripted;
    AppState state;
};

TEST_F(StartupTest, StartUpValues)
{
    ASSERT_TRUE(startApplication(scripted.window(), state));
    EXPECT_TRUE(scripted.messages().empty());
    const AppState& s = state;
    EXPECT_EQ(s.dwAlphabetReady, 1);
    EXPECT_EQ(s.dwSeriesLengthIndex, 3);
    EXPECT_EQ(s.dwSeriesLengthSetting, 1200);
    EXPECT_EQ(s.dwSeriesLength, 1200);
    EXPECT_EQ(s.wMinPulses, 6);
    EXPECT_EQ(s.wMaxPulses, 30);
    EXPECT_EQ(s.wPulsesNumber, 18);
    EXPECT_EQ(s.wImpulseQuantity, 18);
    EXPECT_EQ(s.wTaskType, 2);
    EXPECT_EQ(s.wSeriesType, 36);
    EXPECT_EQ(s.wProcessingMode, 40);
    EXPECT_EQ(s.wResultKind, 1);
    EXPECT_EQ(s.dwViewMode, 9);
    EXPECT_EQ(s.dwNoiseLevelIndex, 1);
    EXPECT_EQ(s.wNoiseSetting, 20);
    EXPECT_EQ(s.wNoiseLevel, 20);
    EXPECT_EQ(s.dwLostDataIndex, 1);
    EXPECT_EQ(s.wLostDataSetting, 0);
    EXPECT_EQ(s.wLostDataLevel, 0);
    for (const std::int16_t level : {s.wMakeEnergyDefault, s.wMakeEnergyInput, s.wMakeEnergyLevel,
                                     s.wProcEnergyDefault, s.wProcEnergyInput, s.wProcEnergyLevel})
        EXPECT_EQ(level, 100);
    EXPECT_EQ(s.wChainsDepth, 10);
    EXPECT_EQ(s.wChainsLength, 30);

    EXPECT_TRUE(std::all_of(s.awEtalonInUse.begin(), s.awEtalonInUse.end(), [](std::uint16_t f) { return f == 1; }));
    ASSERT_NE(s.lpRequiredList, nullptr);
    ASSERT_EQ(s.wRequiredCount, 20);
    EXPECT_EQ(s.wRequiredCapacity, 20);
    for (std::uint16_t i = 0; i < 20; ++i) EXPECT_EQ(s.lpRequiredList[i], i + 1);

    ASSERT_NE(s.lpEtalonSequence, nullptr);
    ASSERT_NE(s.lpEtalonSequenceInput, nullptr);
    EXPECT_EQ(s.wEtalonSequenceSize, 30);
    EXPECT_EQ(s.wEtalonSequenceInputSize, 30);
    EXPECT_EQ(Numbers(s.lpEtalonSequence, s.lpEtalonSequence + 30), Numbers(30, 1));
    EXPECT_EQ(Numbers(s.lpEtalonSequenceInput, s.lpEtalonSequenceInput + 30), Numbers(30, 1));

    for (std::uint16_t i = 0; i < alphabetSlots; ++i) {
        ASSERT_NE(s.aEtalons[i].lpData, nullptr) << i;
        EXPECT_EQ(s.aEtalons[i].wLength, 20) << i;
    }
}

TEST_F(StartupTest, FirstSeriesHas18NoiseFreeWholePulsesOfEtalon1)
{
    ASSERT_TRUE(startApplication(scripted.window(), state));
    const SeriesHeader* series = state.lpSeriesHeader;
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(series->dwSeriesSize, 1200);
    EXPECT_EQ(series->wImpulseQuantity, 18);
    EXPECT_EQ(series->wImpulseSize, 20);
    EXPECT_EQ(series->wTmin, 40);
    EXPECT_EQ(series->wTmax, 181);
    EXPECT_EQ(series->wNoiseLevel, 0);
    EXPECT_EQ(series->lpFirstEtalon, &state.aEtalons[0]);

    const std::vector<std::int16_t> pure(series->lpPureData, series->lpPureData + 1200);
    const std::vector<std::int16_t> noisy(series->lpNoisyData, series->lpNoisyData + 1200);
    EXPECT_EQ(noisy, pure);

    // Pulses at least 40 apart do not overlap: the series is the constant etalon (60)
    // copied whole at every start and zero elsewhere.
    std::vector<std::int16_t> expected(1200, 0);
    for (std::uint16_t k = 0; k < 18; ++k) {
        EXPECT_EQ(series->lpEtalonNumbers[k], 1) << "pulse " << k;
        EXPECT_EQ(series->lpFirstSamples[k], 0) << "pulse " << k;
        EXPECT_EQ(series->lpLastSamples[k], 19) << "pulse " << k;
        const std::int32_t start = series->lpPositions[k];
        ASSERT_GE(start, 0);
        ASSERT_LE(start, 1180);
        std::fill_n(expected.begin() + start, 20, std::int16_t{60});
    }
    EXPECT_EQ(pure, expected);
}

TEST_F(StartupTest, FailedAlphabetBuildIsRecordedAndStartUpGoesOn)
{
    failAllocationAt(1); // the first slot of the alphabet
    ASSERT_TRUE(startApplication(scripted.window(), state));
    EXPECT_EQ(state.dwAlphabetReady, 0);
    EXPECT_EQ(scripted.messages(),
              (std::vector<RecordedMessage>{{"Не могу выделить память!", "", MessageIcon::exclamation}}));
    EXPECT_EQ(state.dwViewMode, 9);
    EXPECT_NE(state.lpRequiredList, nullptr);
    ASSERT_NE(state.lpSeriesHeader, nullptr);
    EXPECT_EQ(state.lpSeriesHeader->wImpulseQuantity, 18);
    // Etalons without samples place nothing.
    const std::int16_t* pure = state.lpSeriesHeader->lpPureData;
    EXPECT_TRUE(std::all_of(pure, pure + 1200, [](std::int16_t v) { return v == 0; }));
}

TEST(StartupOutOfMemoryTest, EveryFailingAllocationIsReportedAndShutdownLeaksNothing)
{
    const std::int64_t liveBefore = liveAllocations();
    bool completed = false;
    for (std::int64_t k = 1; k <= 200 && !completed; ++k) {
        ScriptedWindow scripted;
        AppState state;
        initialiseStaticState(state);
        const std::int64_t attemptsBefore = allocationAttempts();
        failAllocationAt(k);
        const bool started = startApplication(scripted.window(), state);
        failAllocationAt(0);
        completed = allocationAttempts() - attemptsBefore < k;
        if (completed) {
            EXPECT_TRUE(started);
            EXPECT_TRUE(scripted.messages().empty());
            EXPECT_NE(state.lpSeriesHeader, nullptr);
        } else {
            EXPECT_FALSE(scripted.messages().empty()) << "failing allocation " << k << " was not reported";
        }
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(state.lpSeriesHeader, nullptr);
        EXPECT_EQ(state.lpRequiredList, nullptr);
        EXPECT_EQ(state.lpEtalonSequence, nullptr);
        EXPECT_EQ(state.lpEtalonSequenceInput, nullptr);
        EXPECT_EQ(liveAllocations(), liveBefore) << "failing allocation " << k;
    }
    EXPECT_TRUE(completed);
}

} // namespace
} // namespace mirokel
