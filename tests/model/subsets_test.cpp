// The required list and the subsets stored in the series record.
#include "model/subsets.h"

#include "model/series_builder.h"
#include "model_fixture.h"
#include "platform/allocation.h"

#include <gtest/gtest.h>

#include <vector>

namespace mirokel {
namespace {

// A built default series (N 1200, 18 pulses of etalon 1) to store subsets into.
class SubsetBench : public test::AlphabetBench {
public:
    SubsetBench() : sequence(30, 1) { build(); }
    ~SubsetBench() { freeSeriesHeader(series); }

    void build(std::int32_t length = 1200, std::uint16_t pulses = 18)
    {
        series = getCutOffSeries(window(), 20, slots, 20, 40, 181, length, pulses, sequence, 128, 100, series, streams);
    }

    std::vector<std::int16_t> selected() const
    {
        return {series->lpSelectedSubset, series->lpSelectedSubset + series->wSelectedSubsetSize};
    }

    std::vector<std::uint16_t> sequence;
    SeriesHeader* series = nullptr;
};

// Pattern subsets as the subset panel hands them over.
struct Patterns {
    std::vector<std::vector<std::int32_t>> rows;

    std::vector<std::int32_t> sizes() const
    {
        std::vector<std::int32_t> s;
        for (const auto& row : rows) s.push_back(static_cast<std::int32_t>(row.size()));
        return s;
    }
    std::vector<const std::int32_t*> pointers() const
    {
        std::vector<const std::int32_t*> p;
        for (const auto& row : rows) p.push_back(row.data());
        return p;
    }
};

std::int32_t addPatterns(SubsetBench& bench, const Patterns& patterns, std::int32_t current,
                         std::int32_t rowsCapacity = 10, std::int32_t rowCapacity = 10)
{
    const auto sizes = patterns.sizes();
    const auto rows = patterns.pointers();
    return addSomeSelectedSubsetToSeriesHeader(bench.window(), sizes.data(), rows.data(),
                                               static_cast<std::int32_t>(rows.size()), rowsCapacity, rowCapacity,
                                               current, 3, 2, bench.series);
}

TEST(RequiredList, CountsFromOneAndReleasesTheOldList)
{
    ScriptedWindow scripted;
    const std::int64_t live = liveAllocations();
    std::uint16_t* list = getRequiredList(scripted.window(), 5, nullptr);
    list = getRequiredList(scripted.window(), 20, list);
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(list[i], i + 1);
    EXPECT_EQ(liveAllocations(), live + 1);

    failAllocationAt(1);
    list = getRequiredList(scripted.window(), 20, list);
    failAllocationAt(0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(liveAllocations(), live);
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(scripted.messages()[0], (RecordedMessage{"Нет памяти для newList!", " getRequiredList ", MessageIcon::none}));
}

TEST(SelectedSubset, StoresLowBitsAndCopiesAtMostMaxPulsesEntries)
{
    SubsetBench bench;
    const std::int32_t members[] = {0x10003, 4, 5};
    EXPECT_EQ(setSelectedSubset(bench.window(), members, 3, 5, 2, bench.series), 1);
    EXPECT_EQ(bench.selected(), (std::vector<std::int16_t>{3, 4, 5}));
    EXPECT_EQ(bench.series->wSubsetEmployment, 5);
    EXPECT_EQ(bench.series->wSubsetInitPosition, 2);

    bench.build(200, 3); // wMaxPulses 5
    std::vector<std::int32_t> longer(8, 9);
    setSelectedSubset(bench.window(), longer.data(), 8, 4, 1, bench.series);
    EXPECT_EQ(bench.series->wSelectedSubsetSize, 8);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(bench.series->lpSelectedSubset[i], 9);
    EXPECT_EQ(bench.series->lpSelectedSubset[5], 0) << "the copy stops at wMaxPulses";

    EXPECT_EQ(setSelectedSubset(bench.window(), members, 3, 5, 2, nullptr), 1);
}

TEST(SelectedSubset, BuildsPlaceTheStoredSubset)
{
    SubsetBench bench;
    const std::int32_t members[] = {7, 8};
    setSelectedSubset(bench.window(), members, 2, 4, 1, bench.series);
    bench.build();
    for (int k = 0; k < 18; ++k) EXPECT_EQ(bench.series->lpEtalonNumbers[k], k % 2 == 0 ? 7 : 8);
}

TEST(PatternSubsets, StoresEveryRowAndSelectsTheCurrentOne)
{
    struct Case {
        const char* what;
        std::int32_t current;
        std::vector<std::int16_t> selected;
    };
    const Case cases[] = {
        {"current 2", 2, {5, 6, 7}},
        {"current 1", 1, {1, 2}},
        {"current 0 means the last", 0, {9}},
        {"current above the count means the last", 4, {9}},
    };
    const Patterns patterns{{{1, 2}, {5, 6, 7}, {9}}};
    for (const Case& c : cases) {
        SubsetBench bench;
        ASSERT_EQ(addPatterns(bench, patterns, c.current), 1) << c.what;
        const SeriesHeader& s = *bench.series;
        EXPECT_EQ(bench.selected(), c.selected) << c.what;
        EXPECT_EQ(s.wSubsetEmployment, 3);
        EXPECT_EQ(s.wSubsetInitPosition, 2);
        EXPECT_EQ(s.wSubsetsCount, 3);
        EXPECT_EQ(s.wSubsetsCapacity, 10);
        EXPECT_EQ(s.wSubsetCapacity, 10);
        // Sizes first, then rows of wSubsetCapacity entries in the same block.
        EXPECT_EQ(s.selectedSubsetList[0], s.selectedSubsetSize + 10);
        EXPECT_EQ(s.selectedSubsetList[2], s.selectedSubsetSize + 30);
        EXPECT_EQ(s.selectedSubsetSize[1], 3);
        EXPECT_EQ(s.selectedSubsetList[1][2], 7);
    }
}

TEST(PatternSubsets, StorageIsReusedWhileLargeEnoughAndNoCountChangesNothing)
{
    SubsetBench bench;
    addPatterns(bench, Patterns{{{1, 2}, {3}}}, 1);
    const std::int16_t* block = bench.series->selectedSubsetSize;
    const std::int64_t attempts = allocationAttempts();
    addPatterns(bench, Patterns{{{4}}}, 1, 5, 5);
    EXPECT_EQ(allocationAttempts(), attempts);
    EXPECT_EQ(bench.series->selectedSubsetSize, block);
    EXPECT_EQ(bench.series->wSubsetsCount, 1);

    addPatterns(bench, Patterns{{{4}}}, 1, 12, 10);
    EXPECT_EQ(bench.series->wSubsetsCapacity, 12);

    EXPECT_EQ(addPatterns(bench, Patterns{}, 1), 0);
    EXPECT_EQ(bench.series->wSubsetsCount, 1);
    EXPECT_EQ(bench.selected(), (std::vector<std::int16_t>{4}));
}

TEST(PatternSubsets, RowsBeyondTheAskedCapacityStillFit)
{
    SubsetBench bench;
    const Patterns patterns{{{1, 2, 3, 4}, {5}, {6}}};
    ASSERT_EQ(addPatterns(bench, patterns, 1, 2, 2), 1);
    EXPECT_GE(bench.series->wSubsetsCapacity, 3);
    EXPECT_GE(bench.series->wSubsetCapacity, 4);
    EXPECT_EQ(bench.series->selectedSubsetList[0][3], 4);
    EXPECT_EQ(bench.series->selectedSubsetList[2][0], 6);
}

TEST(PatternSubsets, NullSeriesAcceptsAndFailedAllocationsReportAndLeakNothing)
{
    const Patterns patterns{{{1, 2}, {3}}};
    const auto sizes = patterns.sizes();
    const auto rows = patterns.pointers();
    ScriptedWindow scripted;
    EXPECT_EQ(addSomeSelectedSubsetToSeriesHeader(scripted.window(), sizes.data(), rows.data(), 2, 10, 10, 1, 4, 1,
                                                  nullptr),
              1);

    const char* expected[] = {"Нет памяти для lpSeriesHeader->selectedSubsetSize!",
                              "Нет памяти для lpSeriesHeader->selectedSubsetList!"};
    for (int k = 1; k <= 2; ++k) {
        SubsetBench bench;
        const std::int64_t live = liveAllocations();
        failAllocationAt(k);
        EXPECT_EQ(addPatterns(bench, patterns, 1), 0);
        failAllocationAt(0);
        ASSERT_EQ(bench.scripted.messages().size(), 1u);
        EXPECT_EQ(bench.scripted.messages()[0],
                  (RecordedMessage{expected[k - 1], " addSomeSelectedSubsetToSeriesHeader ", MessageIcon::none}));
        EXPECT_EQ(liveAllocations(), live);
        EXPECT_EQ(bench.series->wSubsetsCount, 0);
        EXPECT_EQ(addPatterns(bench, patterns, 1), 1) << "works again once memory is there";
    }
}

} // namespace
} // namespace mirokel
