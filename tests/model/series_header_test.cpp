// The series record: pulse-count bounds, layout of the shared block, growth-only reuse,
// the subset carried over a reallocation, refused geometry and out-of-memory paths.
#include "model/series_header.h"

#include "model_fixture.h"
#include "platform/allocation.h"

#include <gtest/gtest.h>

namespace mirokel {
namespace {

using test::AlphabetBench;

constexpr std::uint16_t L = 20;

SeriesHeader* getDefault(Window& window, std::uint32_t length, SeriesHeader* series, std::uint16_t tmin = 40,
                         std::uint16_t tmax = 181)
{
    return getCutOffSeriesHeader(window, 20, L, tmin, tmax, length, series);
}

TEST(SeriesHeader, DefaultSizesGiveBoundsAndOneSharedBlock)
{
    ScriptedWindow scripted;
    SeriesHeader* s = getDefault(scripted.window(), 1200, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->wMinPulses, 6);
    EXPECT_EQ(s->wMaxPulses, 30);
    EXPECT_EQ(s->wPulsesCapacity, 30);
    EXPECT_EQ(s->dwMaxSeriesSize, 1200u);
    EXPECT_EQ(s->dwSeriesSize, 1200);
    EXPECT_EQ(s->wPulsesListSize, 20);
    EXPECT_EQ(s->wPulsesListCapacity, 20);
    // 2 × 1200 sample words, then 13 arrays of 30 entries in their order: 2790 words.
    EXPECT_EQ(s->lpNoisyData, s->lpPureData + 1200);
    EXPECT_EQ(s->lpEtalonNumbers, s->lpPureData + 2400);
    EXPECT_EQ(s->lpPositions, s->lpEtalonNumbers + 60);
    EXPECT_EQ(s->lpSelectedSubset, s->lpEtalonNumbers + 10 * 30);
    EXPECT_EQ(s->lpTupleLast + 30, s->lpPureData + 2790);
    for (int i = 0; i < 2790; ++i) ASSERT_EQ(s->lpPureData[i], 0);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(s->lpPulsesList[i], nullptr);
    EXPECT_TRUE(scripted.messages().empty());
    freeSeriesHeader(s);
}

TEST(SeriesHeader, BoundsRaiseZeroMinimumAndUseUnsignedDivision)
{
    struct Case {
        const char* what;
        std::uint32_t n;
        std::uint16_t tmin, tmax;
        std::uint16_t minP, maxP;
    };
    const Case cases[] = {
        {"short series", 200, 40, 181, 1, 5},
        {"tmax beyond N + L - 1 gives 0, stored as 1", 100, 40, 200, 1, 3},
        {"tmin equal to tmax", 1200, 100, 100, 12, 12},
        {"largest length", 32767, 20, 20, 1639, 1638},
    };
    for (const Case& c : cases) {
        const PulseCountBounds b = seriesPulseCountBounds(c.n, L, c.tmin, c.tmax);
        EXPECT_EQ(b.minPulses, c.minP) << c.what;
        EXPECT_EQ(b.maxPulses, c.maxP) << c.what;
    }
}

TEST(SeriesHeader, SameOrSmallerSizesReuseWithoutAllocating)
{
    ScriptedWindow scripted;
    SeriesHeader* s = getDefault(scripted.window(), 1200, nullptr);
    s->lpPureData[5] = 77; // contents survive until the builder overwrites them
    const std::int16_t* block = s->lpPureData;
    const std::int64_t attempts = allocationAttempts();
    EXPECT_EQ(getDefault(scripted.window(), 1200, s), s);
    EXPECT_EQ(getDefault(scripted.window(), 600, s), s);
    EXPECT_EQ(allocationAttempts(), attempts);
    EXPECT_EQ(s->lpPureData, block);
    EXPECT_EQ(s->lpPureData[5], 77);
    EXPECT_EQ(s->dwSeriesSize, 600);
    EXPECT_EQ(s->dwMaxSeriesSize, 1200u);
    EXPECT_EQ(s->wMaxPulses, 15);
    freeSeriesHeader(s);
}

TEST(SeriesHeader, GrowingKeepsSubsetThatFitsAndZeroesTheRest)
{
    ScriptedWindow scripted;
    SeriesHeader* s = getDefault(scripted.window(), 600, nullptr);
    s->lpPureData[5] = 77;
    s->lpSelectedSubset[0] = 3;
    s->lpSelectedSubset[1] = 9;
    s->lpSelectedSubset[2] = 4;
    s->wSelectedSubsetSize = 3;
    s->wSubsetEmployment = 5;
    s->wSubsetInitPosition = 2;
    s = getDefault(scripted.window(), 1200, s);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->dwMaxSeriesSize, 1200u);
    EXPECT_EQ(s->wPulsesCapacity, 30);
    EXPECT_EQ(s->lpPureData[5], 0);
    EXPECT_EQ(s->wSelectedSubsetSize, 3);
    EXPECT_EQ(s->lpSelectedSubset[0], 3);
    EXPECT_EQ(s->lpSelectedSubset[1], 9);
    EXPECT_EQ(s->lpSelectedSubset[2], 4);
    EXPECT_EQ(s->lpSelectedSubset[3], 0);
    EXPECT_EQ(s->wSubsetEmployment, 5);
    EXPECT_EQ(s->wSubsetInitPosition, 2);
    freeSeriesHeader(s);
}

TEST(SeriesHeader, SubsetLongerThanNewMaximumKeepsItsSizeOverZeroEntries)
{
    ScriptedWindow scripted;
    SeriesHeader* s = getDefault(scripted.window(), 1200, nullptr);
    for (int i = 0; i < 12; ++i) s->lpSelectedSubset[i] = 7;
    s->wSelectedSubsetSize = 12;
    // A much longer tmin shrinks maxP to 4 while the longer series forces a new block.
    s = getDefault(scripted.window(), 2000, s, 600, 700);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->wMaxPulses, 4);
    EXPECT_EQ(s->wSelectedSubsetSize, 12);
    for (int i = 0; i < s->wPulsesCapacity; ++i) EXPECT_EQ(s->lpSelectedSubset[i], 0);
    freeSeriesHeader(s);
}

TEST(SeriesHeader, UnbuildableGeometryIsRefusedWithoutChange)
{
    struct Case {
        const char* what;
        std::uint16_t tmin, tmax;
        std::uint32_t n;
    };
    const Case cases[] = {
        {"tmin 0", 0, 181, 1200},
        {"tmin above tmax", 200, 181, 1200},
        {"tmax below the pulse length", 10, 19, 1200},
        {"series shorter than a pulse", 40, 181, 19},
        {"series longer than 32767", 40, 181, 32768},
    };
    ScriptedWindow scripted;
    SeriesHeader* s = getDefault(scripted.window(), 600, nullptr);
    const std::int64_t attempts = allocationAttempts();
    for (const Case& c : cases) {
        scripted.clearMessages();
        EXPECT_EQ(getCutOffSeriesHeader(scripted.window(), 20, L, c.tmin, c.tmax, c.n, s), s) << c.what;
        EXPECT_EQ(getCutOffSeriesHeader(scripted.window(), 20, L, c.tmin, c.tmax, c.n, nullptr), nullptr) << c.what;
        ASSERT_EQ(scripted.messages().size(), 2u) << c.what;
        EXPECT_EQ(scripted.messages()[0].caption, " getCutOffSeriesHeader ");
        EXPECT_EQ(scripted.messages()[0].icon, MessageIcon::exclamation);
    }
    EXPECT_EQ(allocationAttempts(), attempts);
    EXPECT_EQ(s->dwSeriesSize, 600);
    EXPECT_EQ(s->wTmin, 40);
    freeSeriesHeader(s);
}

// Fails each allocation of a fresh get in turn: the right message, null, nothing leaked.
TEST(SeriesHeader, EachFailedAllocationShowsItsMessageAndLeaksNothing)
{
    const RecordedMessage expected[] = {
        {"Нет памяти для newSeriesHeader!", " getCutOffSeriesHeader ", MessageIcon::none},
        {"Нет памяти для newSeriesHeader->lpPureData!", " getExtSeriesHeader ", MessageIcon::none},
        {"Нет памяти для newSeriesHeader->lpPulsesList!", " getExtSeriesHeader ", MessageIcon::none},
    };
    for (int k = 1;; ++k) {
        ScriptedWindow scripted;
        const std::int64_t live = liveAllocations();
        failAllocationAt(k);
        SeriesHeader* s = getDefault(scripted.window(), 1200, nullptr);
        failAllocationAt(0);
        if (s != nullptr) {
            EXPECT_EQ(k, 4) << "a fresh record takes three allocations";
            EXPECT_TRUE(scripted.messages().empty());
            freeSeriesHeader(s);
            break;
        }
        ASSERT_EQ(scripted.messages().size(), 1u);
        EXPECT_EQ(scripted.messages()[0], expected[k - 1]);
        EXPECT_EQ(liveAllocations(), live);
    }
}

TEST(SeriesHeader, FailedGrowthReleasesTheRecordPassedIn)
{
    for (int k = 1; k <= 2; ++k) {
        ScriptedWindow scripted;
        const std::int64_t live = liveAllocations();
        SeriesHeader* s = getCutOffSeriesHeader(scripted.window(), 10, L, 40, 181, 600, nullptr);
        // Growing needs a new sample block (k = 1) and then a longer pulses list (k = 2).
        failAllocationAt(k);
        s = getCutOffSeriesHeader(scripted.window(), 20, L, 40, 181, 1200, s);
        failAllocationAt(0);
        EXPECT_EQ(s, nullptr);
        EXPECT_EQ(scripted.messages().size(), 1u);
        EXPECT_EQ(liveAllocations(), live);
    }
}

} // namespace
} // namespace mirokel
