// The simulation result store: a new header's sizes and block layout, which blocks a later
// request keeps or rebuilds and which part it clears, the out-of-memory paths, the grid
// set up for a run with its checks, the labels of a run, and release.
#include "engine/rest_error_header.h"

#include "engine/chains_header.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace mirokel {
namespace {

constexpr std::size_t tableKinds = 3; // lpErrors, lpDetErrors, lpRecErrors

std::int32_t** tableRows(const RestErrorHeader& h, std::size_t t)
{
    std::int32_t** const tables[tableKinds] = {h.lpErrors, h.lpDetErrors, h.lpRecErrors};
    return tables[t];
}

// The row arrays lie rowLevels pointers apart; table t, row i < tableLevels starts at value
// (t × tableLevels + i) × tablePoints of the table block; the pulse values follow the
// wReservedLevels noise levels in the 16-bit block.
void expectLayout(const RestErrorHeader& h, std::size_t rowLevels, std::size_t tableLevels, std::size_t tablePoints)
{
    ASSERT_NE(h.lpNoiseLevels, nullptr);
    ASSERT_NE(h.lpErrors, nullptr);
    ASSERT_NE(h.lpTableBlock, nullptr);
    EXPECT_EQ(h.wPulseValues, h.lpNoiseLevels + h.wReservedLevels);
    EXPECT_EQ(h.lpDetErrors, h.lpErrors + rowLevels);
    EXPECT_EQ(h.lpRecErrors, h.lpErrors + 2 * rowLevels);
    for (std::size_t t = 0; t < tableKinds; ++t)
        for (std::size_t i = 0; i < tableLevels; ++i)
            EXPECT_EQ(tableRows(h, t)[i], h.lpTableBlock + (t * tableLevels + i) * tablePoints)
                << "table " << t << " row " << i;
}

std::vector<std::uint16_t> levelBlock(const RestErrorHeader& h, std::size_t size)
{
    return {h.lpNoiseLevels, h.lpNoiseLevels + size};
}

std::vector<std::int32_t> tableBlock(const RestErrorHeader& h, std::size_t size)
{
    return {h.lpTableBlock, h.lpTableBlock + size};
}

// Every scalar and pointer of the record, to see that a failed call changed nothing.
auto fieldsOf(const RestErrorHeader& h)
{
    return std::tuple(h.wReservedPulses, h.wVariousPulses, h.wReservedLevels, h.wNoiseLevels, h.repeats,
                      h.wPulseValues, h.lpNoiseLevels, h.lpErrors, h.lpDetErrors, h.lpRecErrors, h.wProcessed,
                      h.wSeriesType, h.wProcessingMode, h.lpTaskName, h.lpSeriesName, h.wMakeEnergy,
                      h.wProcEnergy, h.ifComplete, h.lpTableBlock);
}

class RestErrorHeaderTest : public ::testing::Test {
protected:
    ~RestErrorHeaderTest() override
    {
        failAllocationAt(0);
        freeRestErrHeader(scripted.window(), header);
        EXPECT_EQ(liveAllocations(), liveBefore);
    }

    RestErrorHeader& make(std::uint16_t pulsePoints, std::uint16_t noiseLevels, std::int32_t repeats = 100)
    {
        header = getRestErrHeader(scripted.window(), pulsePoints, noiseLevels, repeats, nullptr);
        EXPECT_NE(header, nullptr);
        return *header;
    }

    void release()
    {
        freeRestErrHeader(scripted.window(), header);
        header = nullptr;
    }

    const std::int64_t liveBefore = liveAllocations();
    ScriptedWindow scripted;
    RestErrorHeader* header = nullptr;
};

TEST_F(RestErrorHeaderTest, NewHeaderHasTheRequestedSizesLayoutAndZeroedBlocks)
{
    struct Case {
        const char* description;
        std::uint16_t pulsePoints, noiseLevels;
    };
    const Case cases[] = {
        {"a grid of 3 points and 4 levels", 3, 4},
        {"one point, one level", 1, 1},
        {"points without levels", 5, 0},
        {"levels without points", 0, 3},
        {"an empty grid still gets its blocks", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const std::int64_t attempts = allocationAttempts();
        RestErrorHeader& h = make(c.pulsePoints, c.noiseLevels, 77);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(allocationAttempts() - attempts, 4) << "header, 16-bit block, row pointers, table block";
        EXPECT_EQ(h.wReservedPulses, c.pulsePoints);
        EXPECT_EQ(h.wVariousPulses, c.pulsePoints);
        EXPECT_EQ(h.wReservedLevels, c.noiseLevels);
        EXPECT_EQ(h.wNoiseLevels, c.noiseLevels);
        EXPECT_EQ(h.repeats, 77);
        EXPECT_EQ(h.wProcessed, 0);
        EXPECT_EQ(h.wSeriesType, 0);
        EXPECT_EQ(h.wProcessingMode, 0);
        EXPECT_EQ(h.lpTaskName, nullptr);
        EXPECT_EQ(h.lpSeriesName, nullptr);
        EXPECT_EQ(h.wMakeEnergy, 0);
        EXPECT_EQ(h.wProcEnergy, 0);
        EXPECT_EQ(h.ifComplete, 0);
        expectLayout(h, c.noiseLevels, c.noiseLevels, c.pulsePoints);
        const std::size_t levelSize = std::size_t{c.pulsePoints} + c.noiseLevels;
        const std::size_t tableSize = tableKinds * c.noiseLevels * c.pulsePoints;
        EXPECT_EQ(levelBlock(h, levelSize), std::vector<std::uint16_t>(levelSize, 0));
        EXPECT_EQ(tableBlock(h, tableSize), std::vector<std::int32_t>(tableSize, 0));
        release();
        EXPECT_EQ(liveAllocations(), liveBefore) << "four blocks released";
    }
    EXPECT_TRUE(scripted.messages().empty());
}

// From a header built for 5 points and 10 levels (product 50, sum 15): the table block is
// rebuilt when P × L exceeds 50, the 16-bit block when P + L exceeds 15, all three when L
// exceeds 10. The rows are laid out afresh for the requested grid, so that rows of a kept
// table block never overlap when P grows; a kept block is cleared only in its requested
// prefix (P + L values, 3 × L × P values); the reserved sizes follow the 16-bit block; the
// labels and the completion flag survive.
TEST_F(RestErrorHeaderTest, LaterRequestKeepsTheBlocksThatFitAndRebuildsTheOthers)
{
    constexpr std::uint16_t builtPoints = 5, builtLevels = 10;
    constexpr std::size_t builtLevelSize = builtPoints + builtLevels;
    constexpr std::size_t builtTableSize = tableKinds * builtLevels * builtPoints;
    struct Case {
        const char* description;
        std::uint16_t pulsePoints, noiseLevels;
        bool newLevels, newRows, newTables;
    };
    const Case cases[] = {
        {"same sizes", 5, 10, false, false, false},
        {"smaller grid", 2, 4, false, false, false},
        {"other shape of equal product and sum", 10, 5, false, false, false},
        {"empty grid", 0, 0, false, false, false},
        {"product grows, sum does not", 7, 8, false, false, true},
        {"sum grows, product does not", 12, 4, true, false, false},
        {"product and sum grow", 20, 3, true, false, true},
        {"more levels within product and sum", 1, 11, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        RestErrorHeader& h = make(builtPoints, builtLevels, 100);
        ASSERT_NE(header, nullptr);
        ASSERT_EQ(addInitRestErrHeader(scripted.window(), 8, 16, 70, 90, header), 1);
        h.ifComplete = 1;
        std::fill_n(h.lpNoiseLevels, builtLevelSize, std::uint16_t{7});
        std::fill_n(h.lpTableBlock, builtTableSize, 9);
        const std::uint16_t* levels = h.lpNoiseLevels;
        std::int32_t** rows = h.lpErrors;
        const std::int32_t* tables = h.lpTableBlock;
        const std::int64_t attempts = allocationAttempts();
        const std::int64_t live = liveAllocations();

        ASSERT_EQ(getRestErrHeader(scripted.window(), c.pulsePoints, c.noiseLevels, 33, header), header);
        EXPECT_EQ(allocationAttempts() - attempts, int{c.newLevels} + int{c.newRows} + int{c.newTables});
        EXPECT_EQ(liveAllocations(), live) << "every replaced block was released";
        if (!c.newLevels) {
            EXPECT_EQ(h.lpNoiseLevels, levels);
        }
        if (!c.newRows) {
            EXPECT_EQ(h.lpErrors, rows);
        }
        if (!c.newTables) {
            EXPECT_EQ(h.lpTableBlock, tables);
        }

        EXPECT_EQ(h.wVariousPulses, c.pulsePoints);
        EXPECT_EQ(h.wNoiseLevels, c.noiseLevels);
        EXPECT_EQ(h.repeats, 33);
        EXPECT_EQ(h.wReservedPulses, c.newLevels ? c.pulsePoints : builtPoints);
        EXPECT_EQ(h.wReservedLevels, c.newLevels ? c.noiseLevels : builtLevels);

        expectLayout(h, c.noiseLevels, c.noiseLevels, c.pulsePoints);

        const std::size_t levelSize = std::size_t{c.pulsePoints} + c.noiseLevels;
        const std::size_t tableSize = tableKinds * c.noiseLevels * c.pulsePoints;
        std::vector<std::uint16_t> expectedLevels(levelSize, 0);
        if (!c.newLevels) expectedLevels.resize(builtLevelSize, 7);
        EXPECT_EQ(levelBlock(h, expectedLevels.size()), expectedLevels);
        std::vector<std::int32_t> expectedTables(tableSize, 0);
        if (!c.newTables) expectedTables.resize(builtTableSize, 9);
        EXPECT_EQ(tableBlock(h, expectedTables.size()), expectedTables);

        EXPECT_EQ(h.wProcessed, 2);
        EXPECT_EQ(h.wSeriesType, 8);
        EXPECT_EQ(h.wProcessingMode, 16);
        EXPECT_STREQ(h.lpTaskName, "joint detection and estimation");
        EXPECT_STREQ(h.lpSeriesName, "unknown number of cut-off pulses");
        EXPECT_EQ(h.wMakeEnergy, 70);
        EXPECT_EQ(h.wProcEnergy, 90);
        EXPECT_EQ(h.ifComplete, 1);
        release();
    }
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(RestErrorHeaderTest, OutOfMemoryForANewHeaderShowsItsMessageAndLeaksNothing)
{
    const std::vector<std::string> expected{
        "Нет памяти для newRestErrorHeader!",
        "Нет памяти для newRestErrorHeader->lpNoiseLevel!",
        "Нет памяти для newRestErrorHeader->lpErrors!",
        "Нет памяти для newRestErrorHeader->lpErrors[]!",
    };
    for (std::size_t k = 1; k <= expected.size(); ++k) {
        SCOPED_TRACE("failing allocation " + std::to_string(k));
        scripted.clearMessages();
        failAllocationAt(static_cast<std::int64_t>(k));
        EXPECT_EQ(getRestErrHeader(scripted.window(), 3, 4, 10, nullptr), nullptr);
        failAllocationAt(0);
        EXPECT_EQ(scripted.messages(),
                  (std::vector<RecordedMessage>{{expected[k - 1], " getRestErrHeader ", MessageIcon::none}}));
        EXPECT_EQ(liveAllocations(), liveBefore);
    }
    // One allocation more to spare and the call succeeds.
    scripted.clearMessages();
    failAllocationAt(static_cast<std::int64_t>(expected.size() + 1));
    header = getRestErrHeader(scripted.window(), 3, 4, 10, nullptr);
    failAllocationAt(0);
    ASSERT_NE(header, nullptr);
    expectLayout(*header, 4, 4, 3);
    EXPECT_TRUE(scripted.messages().empty());
}

// A header passed in is released with the blocks it kept when a rebuild fails.
TEST_F(RestErrorHeaderTest, OutOfMemoryWhileResizingReleasesTheHeaderPassedIn)
{
    struct Case {
        const char* description;
        std::uint16_t fromPoints, fromLevels, toPoints, toLevels;
        std::vector<std::string> messages; // one per allocation the resize makes, in order
    };
    const Case cases[] = {
        {"all three blocks rebuilt", 2, 2, 5, 5,
         {"Нет памяти для newRestErrorHeader->lpNoiseLevel!", "Нет памяти для newRestErrorHeader->lpErrors!",
          "Нет памяти для newRestErrorHeader->lpErrors[]!"}},
        {"only the table block rebuilt", 5, 10, 7, 8, {"Нет памяти для newRestErrorHeader->lpErrors[]!"}},
        {"only the 16-bit block rebuilt", 5, 10, 12, 4, {"Нет памяти для newRestErrorHeader->lpNoiseLevel!"}},
    };
    for (const Case& c : cases) {
        for (std::size_t k = 1; k <= c.messages.size(); ++k) {
            SCOPED_TRACE(std::string(c.description) + ", failing allocation " + std::to_string(k));
            RestErrorHeader* small = getRestErrHeader(scripted.window(), c.fromPoints, c.fromLevels, 10, nullptr);
            ASSERT_NE(small, nullptr);
            scripted.clearMessages();
            failAllocationAt(static_cast<std::int64_t>(k));
            EXPECT_EQ(getRestErrHeader(scripted.window(), c.toPoints, c.toLevels, 10, small), nullptr);
            failAllocationAt(0);
            EXPECT_EQ(scripted.messages(), (std::vector<RecordedMessage>{
                                               {c.messages[k - 1], " getRestErrHeader ", MessageIcon::none}}));
            EXPECT_EQ(liveAllocations(), liveBefore);
        }
    }
}

// The grid of a run: pulse counts and noise levels from their first value and increment,
// cut to 16 bits; lpErrors cleared for the grid, the detection and recognition tables, the
// rest of lpErrors' rows and the values beyond the grid left as they were.
TEST_F(RestErrorHeaderTest, InitRestErrHeaderSetsTheGridAndClearsOnlyTheRestoringErrors)
{
    struct Case {
        const char* description;
        std::uint16_t pulsePoints, firstPulses, pulsesIncrement;
        std::uint16_t noiseLevels, firstNoise, noiseIncrement;
        std::vector<std::uint16_t> pulseValues, noiseValues;
    };
    const Case cases[] = {
        {"pulses 10, 12, 14 and levels 5 … 20", 3, 10, 2, 4, 5, 5, {10, 12, 14}, {5, 10, 15, 20}},
        {"the full capacity", 5, 1, 1, 6, 0, 5, {1, 2, 3, 4, 5}, {0, 5, 10, 15, 20, 25}},
        {"values wrap at 16 bits", 2, 65535, 1, 3, 65530, 3, {65535, 0}, {65530, 65533, 0}},
        {"an empty grid", 0, 10, 2, 0, 5, 5, {}, {}},
    };
    constexpr std::uint16_t reservedPoints = 5, reservedLevels = 6;
    constexpr std::size_t tableSize = tableKinds * reservedLevels * reservedPoints;
    RestErrorHeader& h = make(reservedPoints, reservedLevels, 100);
    ASSERT_NE(header, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        h.ifComplete = 1;
        std::fill_n(h.lpNoiseLevels, reservedPoints + reservedLevels, std::uint16_t{7});
        std::fill_n(h.lpTableBlock, tableSize, 9);

        EXPECT_EQ(initRestErrHeader(scripted.window(), c.pulsePoints, c.firstPulses, c.pulsesIncrement,
                                    c.noiseLevels, c.firstNoise, c.noiseIncrement, 250, header),
                  1);
        EXPECT_EQ(h.wVariousPulses, c.pulsePoints);
        EXPECT_EQ(h.wNoiseLevels, c.noiseLevels);
        EXPECT_EQ(h.repeats, 250);
        EXPECT_EQ(h.ifComplete, 0);
        EXPECT_EQ(h.wReservedPulses, reservedPoints);
        EXPECT_EQ(h.wReservedLevels, reservedLevels);

        std::vector<std::uint16_t> pulses = c.pulseValues, noise = c.noiseValues;
        pulses.resize(reservedPoints, 7);
        noise.resize(reservedLevels, 7);
        EXPECT_EQ(std::vector<std::uint16_t>(h.wPulseValues, h.wPulseValues + reservedPoints), pulses);
        EXPECT_EQ(std::vector<std::uint16_t>(h.lpNoiseLevels, h.lpNoiseLevels + reservedLevels), noise);

        std::vector<std::int32_t> tables(tableSize, 9);
        for (std::size_t i = 0; i < c.noiseLevels; ++i)
            std::fill_n(tables.begin() + static_cast<std::ptrdiff_t>(i * reservedPoints), c.pulsePoints, 0);
        EXPECT_EQ(tableBlock(h, tableSize), tables);
    }
    EXPECT_TRUE(scripted.messages().empty());
}

// The checks run in order (null header, then points, then levels) and compare with the
// capacity, not with the grid in use; a failed check changes nothing.
TEST_F(RestErrorHeaderTest, InitRestErrHeaderRejectsABadRequestAndLeavesTheHeaderUnchanged)
{
    RestErrorHeader& h = make(5, 10, 100);
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(getRestErrHeader(scripted.window(), 2, 4, 100, header), header);
    ASSERT_EQ(addInitRestErrHeader(scripted.window(), 1, 1, 50, 50, header), 1);
    h.ifComplete = 1;
    const std::size_t levelSize = 15, tableSize = tableKinds * 10 * 5;
    for (std::size_t i = 0; i < levelSize; ++i) h.lpNoiseLevels[i] = static_cast<std::uint16_t>(100 + i);
    for (std::size_t i = 0; i < tableSize; ++i) h.lpTableBlock[i] = static_cast<std::int32_t>(1000 + i);

    struct Case {
        const char* description;
        bool nullHeader;
        std::uint16_t pulsePoints, noiseLevels;
        const char* message;
    };
    const Case cases[] = {
        {"null header", true, 2, 4, "Не определен lpErrorHeader!"},
        {"one point more than the capacity", false, 6, 4, "Неверно задан wVariousPulsesNumber!"},
        {"one level more than the capacity", false, 2, 11, "Неверно задан wNoiseLevels!"},
        {"both too large: the points are checked first", false, 6, 11, "Неверно задан wVariousPulsesNumber!"},
    };
    const auto fields = fieldsOf(h);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        scripted.clearMessages();
        EXPECT_EQ(initRestErrHeader(scripted.window(), c.pulsePoints, 10, 2, c.noiseLevels, 5, 5, 30,
                                    c.nullHeader ? nullptr : header),
                  0);
        EXPECT_EQ(scripted.messages(),
                  (std::vector<RecordedMessage>{{c.message, " initRestErrHeader ", MessageIcon::none}}));
        EXPECT_EQ(fieldsOf(h), fields);
        for (std::size_t i = 0; i < levelSize; ++i) ASSERT_EQ(h.lpNoiseLevels[i], static_cast<std::uint16_t>(100 + i)) << "16-bit block " << i;
        for (std::size_t i = 0; i < tableSize; ++i) ASSERT_EQ(h.lpTableBlock[i], static_cast<std::int32_t>(1000 + i)) << "table block " << i;
    }

    // The whole capacity is accepted although the last request used less of it.
    scripted.clearMessages();
    EXPECT_EQ(initRestErrHeader(scripted.window(), 5, 10, 2, 10, 5, 5, 30, header), 1);
    EXPECT_EQ(h.wVariousPulses, 5);
    EXPECT_EQ(h.wNoiseLevels, 10);
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(RestErrorHeaderTest, AddInitRestErrHeaderSetsTheLabelsOfTheRun)
{
    struct SeriesCase {
        std::uint16_t seriesType;
        const char* label;
    };
    const SeriesCase seriesCases[] = {
        {1, "known number of whole pulses"},
        {2, "known number of cut-off pulses"},
        {4, "unknown number of whole pulses"},
        {8, "unknown number of cut-off pulses"},
        {36, "known number of whole pulses tuples"},
        {40, "unknown number of whole pulses tuples"},
        {16, nullptr},
        {0, nullptr},
    };
    struct ModeCase {
        std::uint16_t processingMode;
        const char* label;
    };
    const ModeCase modeCases[] = {
        {1, "detection"},
        {36, "detection"},
        {2, "recognition"},
        {40, "recognition"},
        {4, "joint detection and identification"},
        {8, "joint detection and estimation"},
        {16, "joint detection and estimation"},
        {32, "blind detection"},
        {64, nullptr},
        {0, nullptr},
    };
    RestErrorHeader& h = make(3, 4, 100);
    ASSERT_NE(header, nullptr);
    for (const SeriesCase& s : seriesCases) {
        for (const ModeCase& m : modeCases) {
            SCOPED_TRACE("series type " + std::to_string(s.seriesType) + ", mode " +
                         std::to_string(m.processingMode));
            EXPECT_EQ(addInitRestErrHeader(scripted.window(), s.seriesType, m.processingMode, 30, 100, header), 1);
            EXPECT_EQ(h.wProcessed, 2);
            EXPECT_EQ(h.wSeriesType, s.seriesType);
            EXPECT_EQ(h.wProcessingMode, m.processingMode);
            if (s.label == nullptr) EXPECT_EQ(h.lpSeriesName, nullptr);
            else EXPECT_STREQ(h.lpSeriesName, s.label);
            if (m.label == nullptr) EXPECT_EQ(h.lpTaskName, nullptr);
            else EXPECT_STREQ(h.lpTaskName, m.label);
            EXPECT_EQ(h.wMakeEnergy, 30);
            EXPECT_EQ(h.wProcEnergy, 100);
        }
    }
    // Mode 32 has a label of its own here; the chains record calls it plain detection.
    EXPECT_STREQ(chainsTaskLabel(32), "detection");
    EXPECT_EQ(h.wVariousPulses, 3);
    EXPECT_EQ(h.wNoiseLevels, 4);
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(RestErrorHeaderTest, NullHeaderIsReportedByAddAndAcceptedByFree)
{
    EXPECT_EQ(addInitRestErrHeader(scripted.window(), 1, 1, 100, 100, nullptr), 0);
    EXPECT_EQ(scripted.messages(), (std::vector<RecordedMessage>{{"Не определен lpErrorHeader!",
                                                                  " addInitRestErrHeader ", MessageIcon::none}}));
    scripted.clearMessages();
    EXPECT_EQ(freeRestErrHeader(scripted.window(), nullptr), 1);
    EXPECT_TRUE(scripted.messages().empty());
}

} // namespace
} // namespace mirokel
