// Tests of the series parameters record: the head fields derived from the series, the
// copies kept for incremental repaints, reuse of the record and of its area array, and the
// out-of-memory paths.
#include "model/params_header.h"

#include "platform/allocation.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace mirokel {
namespace {

// A series record carrying only the geometry that the params record reads.
SeriesHeader seriesOfGeometry(std::int32_t length, std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                              std::uint16_t pulses)
{
    SeriesHeader series;
    series.dwSeriesSize = length;
    series.wImpulseSize = impulseSize;
    series.wTmin = tmin;
    series.wTmax = tmax;
    series.wImpulseQuantity = pulses;
    return series;
}

const SeriesHeader defaultSeries = seriesOfGeometry(1200, 20, 40, 181, 18);

class ParamsHeaderTest : public ::testing::Test {
protected:
    ~ParamsHeaderTest() override
    {
        failAllocationAt(0);
        freeParamsHeader(params);
        EXPECT_EQ(liveAllocations(), liveBefore);
    }

    const std::int64_t liveBefore = liveAllocations();
    ScriptedWindow scripted;
    ParamsHeader* params = nullptr;
};

TEST_F(ParamsHeaderTest, DefaultSeriesGivesTheHeadFields)
{
    params = getParamsHeader(scripted.window(), &defaultSeries, nullptr);
    ASSERT_NE(params, nullptr);
    const ParamsHeader& p = *params;
    EXPECT_EQ(p.dwSeriesSizeAtAlloc, 1200);
    EXPECT_EQ(p.dwSeriesSize, 1200);
    EXPECT_EQ(p.dwTmin, 40);
    EXPECT_EQ(p.dwTmax, 181);
    EXPECT_EQ(p.dwImpulseSize, 20);
    EXPECT_EQ(p.dwPulses, 18);
    EXPECT_EQ(p.dwMinPulses, 6);
    EXPECT_EQ(p.dwMaxPulses, 30);
    EXPECT_EQ(p.dwA, 0);
    EXPECT_EQ(p.dwAPlus, 161);
    EXPECT_EQ(p.dwBMinus, 1019);
    EXPECT_EQ(p.dwB, 1180);
    EXPECT_EQ(p.dwAreasCapacity, 25);
    EXPECT_EQ(p.dwAreasCount, 25);
    ASSERT_NE(p.pulsesSelectedAreas, nullptr);
    for (std::int32_t i = 0; i < 25; ++i) EXPECT_EQ(p.pulsesSelectedAreas[i], Rect{}) << i;
    EXPECT_EQ(scripted.services.tminEditTyped, "40");
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(ParamsHeaderTest, PrevFieldsCopyTheValuesJustSet)
{
    const SeriesHeader series = seriesOfGeometry(600, 20, 50, 150, 7);
    params = getParamsHeader(scripted.window(), &series, nullptr);
    ASSERT_NE(params, nullptr);
    const ParamsHeader& p = *params;
    // (600 + 19) / 150 = 4, (600 − 20 + 50) / 50 = 12, a+ 130, b− 450.
    EXPECT_EQ(p.dwPrevPulses, 7);
    EXPECT_EQ(p.dwPrevAPlus, 130);
    EXPECT_EQ(p.dwPrevBMinus, 450);
    EXPECT_EQ(p.dwPrevTmin, 50);
    EXPECT_EQ(p.dwPrevTmax, 150);
    EXPECT_EQ(p.dwPrevMaxPulses, 12);
    EXPECT_EQ(p.dwPrevMinPulses, 4);
    EXPECT_EQ(scripted.services.tminEditTyped, "50");
}

TEST_F(ParamsHeaderTest, ShorterSeriesReusesTheRecordAndItsAreas)
{
    params = getParamsHeader(scripted.window(), &defaultSeries, nullptr);
    ASSERT_NE(params, nullptr);
    const Rect* areas = params->pulsesSelectedAreas;
    for (std::int32_t i = 0; i < params->dwAreasCapacity; ++i) params->pulsesSelectedAreas[i] = Rect{1, 2, 3, 4};
    // Working fields of the view and stale Prev values from a paint.
    params->rcFrame = Rect{10, 20, 30, 40};
    params->dwRedraw = 1;
    params->dwDragTmin = 1;
    params->dwPrevPulses = 99;
    const std::int64_t attempts = allocationAttempts();

    // 600 samples: (619) / 181 = 3, (620) / 40 = 15, 13 areas.
    const SeriesHeader shorter = seriesOfGeometry(600, 20, 40, 181, 9);
    EXPECT_EQ(getParamsHeader(scripted.window(), &shorter, params), params);
    EXPECT_EQ(allocationAttempts(), attempts) << "nothing is allocated";
    EXPECT_EQ(params->pulsesSelectedAreas, areas);
    EXPECT_EQ(params->dwAreasCapacity, 25);
    EXPECT_EQ(params->dwAreasCount, 13);
    EXPECT_EQ(params->dwSeriesSizeAtAlloc, 1200) << "the area array was not reallocated";
    EXPECT_EQ(params->dwSeriesSize, 600);
    EXPECT_EQ(params->dwMinPulses, 3);
    EXPECT_EQ(params->dwMaxPulses, 15);
    EXPECT_EQ(params->dwPrevPulses, 9);
    for (std::int32_t i = 0; i < 13; ++i) EXPECT_EQ(params->pulsesSelectedAreas[i], Rect{}) << i;
    for (std::int32_t i = 13; i < 25; ++i) EXPECT_EQ(params->pulsesSelectedAreas[i], (Rect{1, 2, 3, 4})) << i;
    EXPECT_EQ(params->rcFrame, (Rect{10, 20, 30, 40}));
    EXPECT_EQ(params->dwRedraw, 1);
    EXPECT_EQ(params->dwDragTmin, 1);
}

TEST_F(ParamsHeaderTest, LongerSeriesReallocatesTheAreas)
{
    const SeriesHeader shorter = seriesOfGeometry(600, 20, 40, 181, 9);
    params = getParamsHeader(scripted.window(), &shorter, nullptr);
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params->dwAreasCapacity, 13);
    ParamsHeader* const record = params;

    EXPECT_EQ(getParamsHeader(scripted.window(), &defaultSeries, params), record);
    EXPECT_EQ(params->dwAreasCapacity, 25);
    EXPECT_EQ(params->dwAreasCount, 25);
    EXPECT_EQ(params->dwSeriesSizeAtAlloc, 1200);
    for (std::int32_t i = 0; i < 25; ++i) EXPECT_EQ(params->pulsesSelectedAreas[i], Rect{}) << i;
}

TEST_F(ParamsHeaderTest, NullSeriesReturnsTheRecordUnchanged)
{
    EXPECT_EQ(getParamsHeader(scripted.window(), nullptr, nullptr), nullptr);
    params = getParamsHeader(scripted.window(), &defaultSeries, nullptr);
    ASSERT_NE(params, nullptr);
    params->dwSeriesSize = 12345;
    scripted.services.tminEditTyped = "untouched";
    const std::int64_t attempts = allocationAttempts();
    EXPECT_EQ(getParamsHeader(scripted.window(), nullptr, params), params);
    EXPECT_EQ(params->dwSeriesSize, 12345);
    EXPECT_EQ(scripted.services.tminEditTyped, "untouched");
    EXPECT_EQ(allocationAttempts(), attempts);
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(ParamsHeaderTest, OutOfMemoryShowsItsMessageAndLeaksNothing)
{
    const std::vector<RecordedMessage> expectedMessages{
        {"Нет памяти для newParamsHeader!", " getParamsHeader ", MessageIcon::none},
        {"Нет памяти для newParamsHeader->pulsesSelectedAreas!", " getParamsHeader ", MessageIcon::none},
    };
    for (std::size_t k = 1; k <= expectedMessages.size(); ++k) {
        scripted.clearMessages();
        failAllocationAt(static_cast<std::int64_t>(k));
        EXPECT_EQ(getParamsHeader(scripted.window(), &defaultSeries, nullptr), nullptr) << "failing allocation " << k;
        failAllocationAt(0);
        EXPECT_EQ(scripted.messages(), std::vector<RecordedMessage>{expectedMessages[k - 1]})
            << "failing allocation " << k;
        EXPECT_EQ(liveAllocations(), liveBefore) << "failing allocation " << k;
    }
    // With two allocations to spare the call succeeds.
    scripted.clearMessages();
    failAllocationAt(3);
    params = getParamsHeader(scripted.window(), &defaultSeries, nullptr);
    failAllocationAt(0);
    EXPECT_NE(params, nullptr);
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(ParamsHeaderTest, FailedGrowthOfAReusedRecordReleasesIt)
{
    const SeriesHeader shorter = seriesOfGeometry(600, 20, 40, 181, 9);
    ParamsHeader* record = getParamsHeader(scripted.window(), &shorter, nullptr);
    ASSERT_NE(record, nullptr);
    failAllocationAt(1);
    EXPECT_EQ(getParamsHeader(scripted.window(), &defaultSeries, record), nullptr);
    failAllocationAt(0);
    EXPECT_EQ(scripted.messages(),
              (std::vector<RecordedMessage>{
                  {"Нет памяти для newParamsHeader->pulsesSelectedAreas!", " getParamsHeader ", MessageIcon::none}}));
    // The caller stores the null result; the destructor then checks nothing stayed allocated.
}

} // namespace
} // namespace mirokel
