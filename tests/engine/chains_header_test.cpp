// The chains record: creation and reuse (which part of the storage is cleared, when it is
// rebuilt), the row layout, the out-of-memory paths, the labels of a run, and the ranking
// of pretenders with its start of a run and publication into the series record.
#include "engine/chains_header.h"

#include "model/series_header.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace mirokel {
namespace {

constexpr std::size_t rowKinds = 4; // etalons, positions, cut starts, cut ends

// The 32-bit block: distance followed by lpChainSizes.
std::size_t distanceBlockSize(const ChainsHeader& h) { return 2 * std::size_t{h.wMaxSize}; }

// The 16-bit block that every row points into; pulsesList[0] is its start.
std::size_t rowBlockSize(const ChainsHeader& h) { return rowKinds * h.wMaxSize * h.wMaxPulses; }

void fillStorage(ChainsHeader& h, std::int32_t distanceValue, std::int16_t rowValue)
{
    std::fill_n(h.distance, distanceBlockSize(h), distanceValue);
    std::fill_n(h.pulsesList[0], rowBlockSize(h), rowValue);
}

// Rows lie in one block, maxPulses apart: pulsesList rows, then positions, cut starts, cut ends.
void expectRowLayout(const ChainsHeader& h)
{
    ASSERT_NE(h.distance, nullptr);
    ASSERT_NE(h.pulsesList, nullptr);
    EXPECT_EQ(h.lpChainSizes, h.distance + h.wMaxSize);
    const std::int16_t* block = h.pulsesList[0];
    for (std::size_t i = 0; i < h.wMaxSize; ++i) {
        EXPECT_EQ(h.pulsesList[i], block + i * h.wMaxPulses) << "slot " << i;
        EXPECT_EQ(h.lpChainPositions[i], block + (h.wMaxSize + i) * h.wMaxPulses) << "slot " << i;
        EXPECT_EQ(h.lpChainCutStart[i], block + (2 * h.wMaxSize + i) * h.wMaxPulses) << "slot " << i;
        EXPECT_EQ(h.lpChainCutEnd[i], block + (3 * h.wMaxSize + i) * h.wMaxPulses) << "slot " << i;
    }
}

void expectAllZero(const ChainsHeader& h)
{
    for (std::size_t i = 0; i < distanceBlockSize(h); ++i) ASSERT_EQ(h.distance[i], 0) << "distance block " << i;
    for (std::size_t i = 0; i < rowBlockSize(h); ++i) ASSERT_EQ(h.pulsesList[0][i], 0) << "row block " << i;
}

// A chain whose every entry tells which measure it was offered with, so that a pretender
// moved to another slot can be recognised with its rows.
struct OfferedChain {
    explicit OfferedChain(std::int32_t d, std::int32_t size)
    {
        for (std::int32_t k = 0; k < size; ++k) {
            etalons.push_back(static_cast<std::int16_t>(d % 7 + 1 + k));
            positions.push_back(static_cast<std::int16_t>(d * 100 + k * 10));
            cutStart.push_back(static_cast<std::int16_t>(d % 3 + k));
            cutEnd.push_back(static_cast<std::int16_t>(1000 + d + k));
        }
    }
    ChainPulses pulses() const
    {
        return {etalons.data(), positions.data(), cutStart.data(), cutEnd.data(),
                static_cast<std::int32_t>(etalons.size())};
    }
    std::vector<std::int16_t> etalons, positions, cutStart, cutEnd;
};

// Chains of different lengths, so that moving a pretender must carry its own size.
std::int32_t chainLengthFor(std::int32_t d) { return 1 + d % 7; }

std::int32_t offer(ChainsHeader& h, std::int32_t d, std::int32_t tag = -1)
{
    const OfferedChain chain(tag < 0 ? d : tag, chainLengthFor(tag < 0 ? d : tag));
    return insertPretender(h, d, chain.pulses());
}

// Pretender `slot` has measure d and the chain built from `tag`.
void expectPretender(const ChainsHeader& h, std::size_t slot, std::int32_t d, std::int32_t tag)
{
    const OfferedChain chain(tag, chainLengthFor(tag));
    EXPECT_EQ(h.distance[slot], d) << "slot " << slot;
    ASSERT_EQ(h.lpChainSizes[slot], static_cast<std::int32_t>(chain.etalons.size())) << "slot " << slot;
    for (std::size_t k = 0; k < chain.etalons.size(); ++k) {
        EXPECT_EQ(h.pulsesList[slot][k], chain.etalons[k]) << "slot " << slot << " pulse " << k;
        EXPECT_EQ(h.lpChainPositions[slot][k], chain.positions[k]) << "slot " << slot << " pulse " << k;
        EXPECT_EQ(h.lpChainCutStart[slot][k], chain.cutStart[k]) << "slot " << slot << " pulse " << k;
        EXPECT_EQ(h.lpChainCutEnd[slot][k], chain.cutEnd[k]) << "slot " << slot << " pulse " << k;
    }
}

class ChainsHeaderTest : public ::testing::Test {
protected:
    ~ChainsHeaderTest() override
    {
        failAllocationAt(0);
        freeChainsHeader(scripted.window(), header);
        EXPECT_EQ(liveAllocations(), liveBefore);
    }

    ChainsHeader& make(std::uint16_t maxSize, std::uint16_t maxPulses)
    {
        header = getChainsHeader(scripted.window(), maxSize, maxPulses, nullptr);
        EXPECT_NE(header, nullptr);
        return *header;
    }

    const std::int64_t liveBefore = liveAllocations();
    ScriptedWindow scripted;
    ChainsHeader* header = nullptr;
};

TEST_F(ChainsHeaderTest, NewHeaderHasTheRequestedCapacitiesAndZeroedStorage)
{
    const std::int64_t attempts = allocationAttempts();
    ChainsHeader& h = make(10, 30);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(allocationAttempts() - attempts, 4) << "header, distance block, row pointers, row block";
    EXPECT_EQ(h.wMaxSize, 10);
    EXPECT_EQ(h.wMaxPulses, 30);
    EXPECT_EQ(h.wPretenders, 0);
    EXPECT_EQ(h.wQuanPulses, 0);
    EXPECT_EQ(h.wSeekingPulsesQuantity, 0);
    EXPECT_EQ(h.wProcessed, 0);
    EXPECT_EQ(h.wSeriesType, 0);
    EXPECT_EQ(h.wProcessingMode, 0);
    EXPECT_EQ(h.lpTaskName, nullptr);
    EXPECT_EQ(h.lpSeriesName, nullptr);
    EXPECT_EQ(h.wMakeEnergy, 0);
    EXPECT_EQ(h.wProcEnergy, 0);
    expectRowLayout(h);
    expectAllZero(h);
    EXPECT_TRUE(scripted.messages().empty());
}

// A header large enough in both dimensions keeps its storage and its larger capacities;
// only the counters, the first 2 × maxSize values of the distance block (which holds
// distance, then lpChainSizes) and the first 4 × maxSize × maxPulses values of the row
// block are cleared.
TEST_F(ChainsHeaderTest, ReuseKeepsStorageAndClearsOnlyTheRequestedPrefix)
{
    struct Case {
        const char* description;
        std::uint16_t maxSize, maxPulses;
    };
    const Case cases[] = {
        {"same sizes clear everything", 10, 20},
        {"half the pretenders, fewer pulses", 5, 8},
        {"one pretender of one pulse", 1, 1},
        {"full depth, short rows", 10, 3},
        {"zero pulses clears no row entry", 4, 0},
    };
    ChainsHeader& h = make(10, 20);
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(addToChainsHeader(scripted.window(), 8, 4, 70, 90, header), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        fillStorage(h, 7, 5);
        h.wPretenders = 3;
        h.wQuanPulses = 4;
        h.wSeekingPulsesQuantity = 6;
        const std::int32_t* distance = h.distance;
        std::int16_t** rows = h.pulsesList;
        const std::int16_t* block = h.pulsesList[0];
        const std::int64_t attempts = allocationAttempts();

        EXPECT_EQ(getChainsHeader(scripted.window(), c.maxSize, c.maxPulses, header), header);
        EXPECT_EQ(allocationAttempts(), attempts) << "nothing is allocated";
        EXPECT_EQ(h.distance, distance);
        EXPECT_EQ(h.pulsesList, rows);
        EXPECT_EQ(h.pulsesList[0], block);
        EXPECT_EQ(h.wMaxSize, 10);
        EXPECT_EQ(h.wMaxPulses, 20);
        expectRowLayout(h);
        EXPECT_EQ(h.wPretenders, 0);
        EXPECT_EQ(h.wQuanPulses, 0);
        EXPECT_EQ(h.wSeekingPulsesQuantity, 0);

        const std::size_t clearedDistance = 2 * std::size_t{c.maxSize};
        for (std::size_t i = 0; i < distanceBlockSize(h); ++i)
            ASSERT_EQ(h.distance[i], i < clearedDistance ? 0 : 7) << "distance block " << i;
        const std::size_t clearedRows = rowKinds * c.maxSize * c.maxPulses;
        for (std::size_t i = 0; i < rowBlockSize(h); ++i)
            ASSERT_EQ(h.pulsesList[0][i], i < clearedRows ? 0 : 5) << "row block " << i;

        // The labels of the last run survive.
        EXPECT_EQ(h.wProcessed, 2);
        EXPECT_EQ(h.wSeriesType, 8);
        EXPECT_EQ(h.wProcessingMode, 4);
        EXPECT_STREQ(h.lpSeriesName, "unknown number of cut-off pulses");
        EXPECT_STREQ(h.lpTaskName, "joint detection and identification");
        EXPECT_EQ(h.wMakeEnergy, 70);
        EXPECT_EQ(h.wProcEnergy, 90);
    }
    EXPECT_TRUE(scripted.messages().empty());
}

// Growing either dimension rebuilds the storage, and both capacities become the requested
// ones, even a dimension that shrinks.
TEST_F(ChainsHeaderTest, GrowingEitherDimensionRebuildsWithTheRequestedSizes)
{
    struct Case {
        const char* description;
        std::uint16_t maxSize, maxPulses;
    };
    const Case cases[] = {
        {"more pretenders, shorter rows", 12, 5},
        {"fewer pretenders, longer rows", 4, 25},
        {"both larger", 12, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        ChainsHeader* original = getChainsHeader(scripted.window(), 10, 20, nullptr);
        ASSERT_NE(original, nullptr);
        ASSERT_EQ(addToChainsHeader(scripted.window(), 1, 2, 50, 60, original), 1);
        fillStorage(*original, 7, 5);
        const std::int64_t attempts = allocationAttempts();

        header = getChainsHeader(scripted.window(), c.maxSize, c.maxPulses, original);
        ASSERT_EQ(header, original) << "the record itself is kept";
        EXPECT_EQ(allocationAttempts() - attempts, 3) << "distance block, row pointers, row block";
        EXPECT_EQ(header->wMaxSize, c.maxSize);
        EXPECT_EQ(header->wMaxPulses, c.maxPulses);
        expectRowLayout(*header);
        expectAllZero(*header);
        EXPECT_EQ(header->wProcessed, 2);
        EXPECT_STREQ(header->lpTaskName, "recognition");

        freeChainsHeader(scripted.window(), header);
        header = nullptr;
        EXPECT_EQ(liveAllocations(), liveBefore) << "the old blocks were released";
    }
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(ChainsHeaderTest, OutOfMemoryForANewHeaderShowsItsMessageAndLeaksNothing)
{
    const std::vector<std::string> expected{
        "Нет памяти для newChainsHeader!",
        "Нет памяти для newChainsHeader->distance!",
        "Нет памяти для newChainsHeader->pulsesList!",
        "Нет памяти для newChainsHeader->pulsesList[0]!",
    };
    for (std::size_t k = 1; k <= expected.size(); ++k) {
        SCOPED_TRACE("failing allocation " + std::to_string(k));
        scripted.clearMessages();
        failAllocationAt(static_cast<std::int64_t>(k));
        EXPECT_EQ(getChainsHeader(scripted.window(), 10, 30, nullptr), nullptr);
        failAllocationAt(0);
        EXPECT_EQ(scripted.messages(),
                  (std::vector<RecordedMessage>{{expected[k - 1], " getChainsHeader ", MessageIcon::none}}));
        EXPECT_EQ(liveAllocations(), liveBefore);
    }
    // One allocation more to spare and the call succeeds.
    scripted.clearMessages();
    failAllocationAt(static_cast<std::int64_t>(expected.size() + 1));
    header = getChainsHeader(scripted.window(), 10, 30, nullptr);
    failAllocationAt(0);
    ASSERT_NE(header, nullptr);
    expectRowLayout(*header);
    EXPECT_TRUE(scripted.messages().empty());
}

// A header passed in is released when its rebuild fails; the caller stores the null result.
TEST_F(ChainsHeaderTest, OutOfMemoryWhileGrowingReleasesTheHeaderPassedIn)
{
    const std::vector<std::string> expected{
        "Нет памяти для newChainsHeader->distance!",
        "Нет памяти для newChainsHeader->pulsesList!",
        "Нет памяти для newChainsHeader->pulsesList[0]!",
    };
    for (std::size_t k = 1; k <= expected.size(); ++k) {
        SCOPED_TRACE("failing allocation " + std::to_string(k));
        ChainsHeader* small = getChainsHeader(scripted.window(), 4, 4, nullptr);
        ASSERT_NE(small, nullptr);
        scripted.clearMessages();
        failAllocationAt(static_cast<std::int64_t>(k));
        EXPECT_EQ(getChainsHeader(scripted.window(), 10, 20, small), nullptr);
        failAllocationAt(0);
        EXPECT_EQ(scripted.messages(),
                  (std::vector<RecordedMessage>{{expected[k - 1], " getChainsHeader ", MessageIcon::none}}));
        EXPECT_EQ(liveAllocations(), liveBefore);
    }
}

TEST_F(ChainsHeaderTest, AddToChainsHeaderSetsTheLabelsOfTheRun)
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
        {32, nullptr},
        {0, nullptr},
    };
    struct ModeCase {
        std::uint16_t processingMode;
        const char* label;
    };
    const ModeCase modeCases[] = {
        {1, "detection"},
        {32, "detection"},
        {36, "detection"},
        {2, "recognition"},
        {40, "recognition"},
        {4, "joint detection and identification"},
        {64, nullptr},
        {8, nullptr},
    };
    ChainsHeader& h = make(3, 8);
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(offer(h, 11), 0);
    ASSERT_EQ(offer(h, 22), 1);
    h.wSeekingPulsesQuantity = 2;

    for (const SeriesCase& s : seriesCases) {
        for (const ModeCase& m : modeCases) {
            SCOPED_TRACE("series type " + std::to_string(s.seriesType) + ", mode " +
                         std::to_string(m.processingMode));
            EXPECT_EQ(addToChainsHeader(scripted.window(), s.seriesType, m.processingMode, 30, 100, header), 1);
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
    // The stored pretenders are not touched.
    EXPECT_EQ(h.wPretenders, 2);
    EXPECT_EQ(h.wSeekingPulsesQuantity, 2);
    expectPretender(h, 0, 11, 11);
    expectPretender(h, 1, 22, 22);
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(ChainsHeaderTest, NullHeaderIsReportedByAddAndAcceptedByFree)
{
    EXPECT_EQ(addToChainsHeader(scripted.window(), 1, 1, 100, 100, nullptr), 0);
    EXPECT_EQ(scripted.messages(), (std::vector<RecordedMessage>{
                                        {"Не определен lpChainsHeader!", " addToChainsHeader ", MessageIcon::none}}));
    EXPECT_EQ(freeChainsHeader(scripted.window(), nullptr), 1);
}

// Capacity 10 offered 12 distinct measures keeps the 10 lowest in ascending order, each with
// its own rows; a 13th chain worse than all of them is dropped.
TEST_F(ChainsHeaderTest, FullHeaderKeepsTheLowestMeasuresInAscendingOrder)
{
    ChainsHeader& h = make(10, 8);
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(wouldAcceptPretender(h, 1000)) << "a header with a free slot takes any measure";
    const std::vector<std::int32_t> offered{50, 20, 90, 10, 70, 110, 30, 40, 100, 60, 80, 5};
    for (std::size_t i = 0; i < offered.size(); ++i) {
        const std::int32_t slot = offer(h, offered[i]);
        EXPECT_GE(slot, 0) << "offer " << offered[i] << " is better than one stored";
        EXPECT_EQ(h.wPretenders, std::min<std::size_t>(i + 1, 10)) << "after offer " << offered[i];
    }
    const std::vector<std::int32_t> best{5, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    for (std::size_t slot = 0; slot < best.size(); ++slot) expectPretender(h, slot, best[slot], best[slot]);

    // The early check agrees with the ranking: a full header takes only what beats its worst.
    EXPECT_TRUE(wouldAcceptPretender(h, 89));
    EXPECT_FALSE(wouldAcceptPretender(h, 90));
    EXPECT_FALSE(wouldAcceptPretender(h, 95));
    EXPECT_EQ(offer(h, 95), -1);
    EXPECT_EQ(h.wPretenders, 10);
    for (std::size_t slot = 0; slot < best.size(); ++slot) expectPretender(h, slot, best[slot], best[slot]);

    // A new best goes to slot 0 and pushes the worst one out.
    EXPECT_EQ(offer(h, 1), 0);
    EXPECT_EQ(h.wPretenders, 10);
    expectPretender(h, 0, 1, 1);
    for (std::size_t slot = 1; slot < best.size(); ++slot) expectPretender(h, slot, best[slot - 1], best[slot - 1]);
}

// Equal measures keep the order in which they were offered: a new chain goes behind every
// stored one of equal measure, and into a full header only when it is strictly better.
TEST_F(ChainsHeaderTest, EqualMeasuresKeepTheOfferingOrder)
{
    ChainsHeader& h = make(4, 8);
    ASSERT_NE(header, nullptr);
    // Tags tell the chains of equal measure apart.
    EXPECT_EQ(offer(h, 5, 1), 0);
    EXPECT_EQ(offer(h, 5, 2), 1);
    EXPECT_EQ(offer(h, 3, 3), 0);
    EXPECT_EQ(offer(h, 5, 4), 3);
    ASSERT_EQ(h.wPretenders, 4);
    expectPretender(h, 0, 3, 3);
    expectPretender(h, 1, 5, 1);
    expectPretender(h, 2, 5, 2);
    expectPretender(h, 3, 5, 4);

    EXPECT_EQ(offer(h, 5, 6), -1) << "not better than the worst stored";
    EXPECT_EQ(offer(h, 3, 7), 1) << "behind the stored 3, ahead of the 5s";
    ASSERT_EQ(h.wPretenders, 4);
    expectPretender(h, 0, 3, 3);
    expectPretender(h, 1, 3, 7);
    expectPretender(h, 2, 5, 1);
    expectPretender(h, 3, 5, 2);
}

// Start of a run: counters set, every distance and the first r entries of every row of
// every slot cleared; lpChainSizes and the entries beyond r stay.
TEST_F(ChainsHeaderTest, StartingARunClearsDistancesAndRowPrefixesButNotSizes)
{
    ChainsHeader& h = make(5, 8);
    ASSERT_NE(header, nullptr);
    fillStorage(h, 9, 3);
    h.wPretenders = 5;

    startChainsRun(h, 6, 2, 3);
    EXPECT_EQ(h.wPretenders, 0);
    EXPECT_EQ(h.wQuanPulses, 6);
    EXPECT_EQ(h.wSeekingPulsesQuantity, 2);
    for (std::size_t i = 0; i < h.wMaxSize; ++i) {
        EXPECT_EQ(h.distance[i], 0) << "slot " << i;
        EXPECT_EQ(h.lpChainSizes[i], 9) << "slot " << i;
        for (std::int16_t** rows : {h.pulsesList, h.lpChainPositions, h.lpChainCutStart, h.lpChainCutEnd})
            for (std::size_t k = 0; k < h.wMaxPulses; ++k)
                EXPECT_EQ(rows[i][k], k < 3 ? 0 : 3) << "slot " << i << " entry " << k;
    }

    // The run then fills the header from scratch.
    EXPECT_EQ(offer(h, 40), 0);
    EXPECT_EQ(offer(h, 20), 0);
    EXPECT_EQ(h.wPretenders, 2);
    expectPretender(h, 0, 20, 20);
    expectPretender(h, 1, 40, 40);
}

class ChainsPublishTest : public ChainsHeaderTest {
protected:
    ChainsPublishTest()
    {
        series = getCutOffSeriesHeader(scripted.window(), 20, 20, 40, 181, 1200, nullptr);
        EXPECT_NE(series, nullptr);
        // Sentinels show which detected entries were written.
        if (series != nullptr) {
            for (std::int16_t* a : {series->lpDetPositions, series->lpDetEtalonNumbers, series->lpDetFirstSamples,
                                    series->lpDetLastSamples})
                std::fill_n(a, series->wPulsesCapacity, std::int16_t{-9});
        }
    }
    ~ChainsPublishTest() override { freeSeriesHeader(series); }

    // Detected entries 0 … count − 1 hold the pretender's pulses, the rest are untouched.
    void expectDetected(std::size_t count, std::int32_t tag)
    {
        const OfferedChain chain(tag, static_cast<std::int32_t>(count));
        EXPECT_EQ(series->wDetPulses, count);
        for (std::size_t k = 0; k < series->wPulsesCapacity; ++k) {
            const bool written = k < count;
            EXPECT_EQ(series->lpDetPositions[k], written ? chain.positions[k] : -9) << "pulse " << k;
            EXPECT_EQ(series->lpDetEtalonNumbers[k], written ? chain.etalons[k] : -9) << "pulse " << k;
            EXPECT_EQ(series->lpDetFirstSamples[k], written ? chain.cutStart[k] : -9) << "pulse " << k;
            EXPECT_EQ(series->lpDetLastSamples[k], written ? chain.cutEnd[k] : -9) << "pulse " << k;
        }
    }

    SeriesHeader* series = nullptr;
};

TEST_F(ChainsPublishTest, PretenderZeroBecomesTheDetectedPulses)
{
    ASSERT_NE(series, nullptr);
    ChainsHeader& h = make(10, series->wMaxPulses);
    ASSERT_NE(header, nullptr);
    const OfferedChain worse(30, 6), best(12, 6);
    ASSERT_EQ(insertPretender(h, 30, worse.pulses()), 0);
    ASSERT_EQ(insertPretender(h, 12, best.pulses()), 0);
    h.wSeekingPulsesQuantity = 6;

    publishPretender0(h, *series);
    expectDetected(6, 12);

    // The count published is wSeekingPulsesQuantity, not the pretender's size.
    h.wSeekingPulsesQuantity = 4;
    publishPretender0(h, *series);
    EXPECT_EQ(series->wDetPulses, 4);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(series->lpDetPositions[k], best.positions[k]) << k;
}

// Beyond what callers promise: a count larger than the rows or the series' arrays is cut
// to what both hold instead of reading or writing past them.
TEST_F(ChainsPublishTest, PublishNeverCopiesMoreThanRowsAndSeriesHold)
{
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(series->wPulsesCapacity, 30);
    ChainsHeader& h = make(2, 3);
    ASSERT_NE(header, nullptr);
    const OfferedChain chain(17, 3);
    ASSERT_EQ(insertPretender(h, 1, chain.pulses()), 0);
    h.wSeekingPulsesQuantity = 5;
    publishPretender0(h, *series);
    expectDetected(3, 17);

    ASSERT_EQ(getChainsHeader(scripted.window(), 2, 40, header), header);
    const OfferedChain longChain(23, 40);
    ASSERT_EQ(insertPretender(h, 1, longChain.pulses()), 0);
    h.wSeekingPulsesQuantity = 40;
    publishPretender0(h, *series);
    expectDetected(30, 23);
}

} // namespace
} // namespace mirokel
