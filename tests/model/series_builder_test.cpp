// The series builder: pulse-count bounds and their message, placement invariants over many
// seeded builds, kept fragments, the forced subset, noise, reproducibility, refusals and
// out-of-memory paths.
#include "model/series_builder.h"

#include "model_fixture.h"
#include "platform/allocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace mirokel {
namespace {

constexpr std::uint16_t L = 20;

struct Geometry {
    std::uint16_t tmin = 40;
    std::uint16_t tmax = 181;
    std::int32_t n = 1200;
};

// The start-up alphabet, a sequence of etalon numbers and the record under test.
class BuilderBench : public test::AlphabetBench {
public:
    BuilderBench() : sequence(64, 1) {}
    ~BuilderBench() { freeSeriesHeader(series); }

    SeriesHeader* build(std::uint16_t pulses, std::uint16_t energyLevel = 100, Geometry g = {})
    {
        series = getCutOffSeries(window(), 20, slots, L, g.tmin, g.tmax, g.n, pulses, sequence, 128, energyLevel,
                                 series, streams);
        return series;
    }

    SeriesHeader* buildUnfixed(Geometry g = {})
    {
        series = makeUnfixedSeries(window(), 20, slots, L, g.tmin, g.tmax, g.n, 0, sequence, 128, 100, series,
                                   streams);
        return series;
    }

    std::int32_t energy(std::int32_t etalon, std::int32_t first, std::int32_t last) const
    {
        std::int32_t sum = 0;
        for (std::int32_t t = first; t <= last; ++t) sum += slots[etalon - 1].lpData[t] * slots[etalon - 1].lpData[t];
        return sum;
    }

    std::vector<std::uint16_t> sequence;
    SeriesHeader* series = nullptr;
};

std::vector<std::int16_t> etalonNumbers(const SeriesHeader& s)
{
    return {s.lpEtalonNumbers, s.lpEtalonNumbers + s.wImpulseQuantity};
}

TEST(SeriesBuilder, PulseCountsOutsideTheBoundsAreRefusedWithTheirMessage)
{
    BuilderBench bench;
    ASSERT_NE(bench.build(6), nullptr);
    ASSERT_NE(bench.build(30), nullptr);
    EXPECT_TRUE(bench.scripted.messages().empty());
    const std::vector<std::int16_t> pure(bench.series->lpPureData, bench.series->lpPureData + 1200);

    // The bracketed values are the record's: the header step has already set the length
    // and the bounds, the pulse length is still the previous build's.
    EXPECT_EQ(bench.build(31, 100, {40, 181, 600}), bench.series);
    ASSERT_EQ(bench.scripted.messages().size(), 1u);
    const RecordedMessage& m = bench.scripted.messages()[0];
    EXPECT_EQ(m.text, "Несовместимые входные параметры!\n\n"
                      "dwSeriesSize: 600 [600]\n"
                      "wImpulseSize: 20 [20]\n"
                      "wMinPulses: 3 [3]\n"
                      "wMaxPulses: 15 [15]\n"
                      "wImpulseQuantity: 31\n\n");
    EXPECT_EQ(m.caption, " makeExtSeries ");
    EXPECT_EQ(m.icon, MessageIcon::exclamation);
    EXPECT_EQ(bench.series->wImpulseQuantity, 30);
    EXPECT_TRUE(std::equal(pure.begin(), pure.end(), bench.series->lpPureData));

    bench.scripted.clearMessages();
    bench.build(5);
    EXPECT_EQ(bench.scripted.messages().size(), 1u);
}

// Many seeded builds over several geometries and energy levels: every interval lies in
// [tmin, tmax], the train covers both ends, every start lies in its recorded range, and
// every fragment holds more than the saved share of its etalon's energy or reaches its end.
TEST(SeriesBuilder, PlacementInvariantsHoldOverManyBuilds)
{
    const Geometry geometries[] = {{40, 181, 1200}, {20, 20, 600}, {25, 60, 1000}, {100, 300, 32767}, {5, 30, 200}};
    const std::uint16_t levels[] = {0, 25, 50, 75, 100};
    BuilderBench bench;
    bench.sequence.resize(400);
    for (std::size_t i = 0; i < bench.sequence.size(); ++i) bench.sequence[i] = static_cast<std::uint16_t>(i % 20 + 1);
    std::uint16_t drawn = 7;
    for (const Geometry& g : geometries) {
        const PulseCountBounds b = seriesPulseCountBounds(static_cast<std::uint32_t>(g.n), L, g.tmin, g.tmax);
        for (int run = 0; run < 200; ++run) {
            const auto pulses = static_cast<std::uint16_t>(b.minPulses + next15(drawn) % (b.maxPulses - b.minPulses + 1));
            const std::uint16_t level = levels[run % 5];
            const SeriesHeader& s = *bench.build(pulses, level, g);
            ASSERT_EQ(s.wImpulseQuantity, pulses);
            EXPECT_LE(s.lpPositions[0], g.tmax - L);
            EXPECT_GE(s.lpPositions[pulses - 1], g.n - g.tmax);
            EXPECT_LE(s.lpPositions[pulses - 1], g.n - L);
            for (int k = 0; k < pulses; ++k) {
                ASSERT_GE(s.lpPositions[k], s.lpMinPositions[k]);
                ASSERT_LE(s.lpPositions[k], s.lpMaxPositions[k]);
                if (k > 0) {
                    ASSERT_GE(s.lpPositions[k] - s.lpPositions[k - 1], g.tmin);
                    ASSERT_LE(s.lpPositions[k] - s.lpPositions[k - 1], g.tmax);
                }
                const std::int32_t etalon = s.lpEtalonNumbers[k];
                const std::int32_t threshold = level * bench.energy(etalon, 0, L - 1) / 100;
                const std::int32_t last = s.lpLastSamples[k];
                ASSERT_LE(s.lpFirstSamples[k], last);
                ASSERT_TRUE(bench.energy(etalon, s.lpFirstSamples[k], last) > threshold || last == L - 1);
                if (level == 100) {
                    ASSERT_EQ(s.lpFirstSamples[k], 0);
                    ASSERT_EQ(last, L - 1);
                }
            }
        }
    }
    EXPECT_TRUE(bench.scripted.messages().empty());
}

TEST(SeriesBuilder, SinglePulseReachesBothEndsOfItsRange)
{
    BuilderBench bench;
    std::int32_t lowest = 1200, highest = 0;
    for (int run = 0; run < 3000; ++run) {
        const SeriesHeader& s = *bench.build(1, 100, {40, 181, 200});
        lowest = std::min<std::int32_t>(lowest, s.lpPositions[0]);
        highest = std::max<std::int32_t>(highest, s.lpPositions[0]);
        EXPECT_EQ(s.lpMinPositions[0], 19);
        EXPECT_EQ(s.lpMaxPositions[0], 161);
    }
    EXPECT_EQ(lowest, 19);
    EXPECT_EQ(highest, 161);
}

TEST(SeriesBuilder, WholePulsesCopyTheEtalonsAtTheirStartsAndResetDetections)
{
    BuilderBench bench;
    for (std::size_t i = 0; i < bench.sequence.size(); ++i) bench.sequence[i] = static_cast<std::uint16_t>(i % 20 + 1);
    const RandomStreams before = bench.streams;
    const SeriesHeader& s = *bench.build(18);
    // One placement draw per pulse and the anchor, one draw of each cut stream per pulse.
    RandomStreams expected = before;
    for (int i = 0; i < 19; ++i) next15(expected.wSeedPlacement);
    for (int i = 0; i < 18; ++i) next15(expected.wSeedCutStart), next15(expected.wSeedCutEnd);
    EXPECT_EQ(bench.streams, expected);

    std::vector<std::int16_t> pure(1200, 0);
    for (int k = 0; k < 18; ++k) {
        std::copy_n(bench.slots[s.lpEtalonNumbers[k] - 1].lpData, L, pure.begin() + s.lpPositions[k]);
        EXPECT_EQ(s.lpDetPositions[k], -1);
        EXPECT_EQ(s.lpDetEtalonNumbers[k], 0);
        EXPECT_EQ(s.lpEtalonNumbers[k], k % 20 + 1);
    }
    EXPECT_TRUE(std::equal(pure.begin(), pure.end(), s.lpPureData));
    EXPECT_TRUE(std::equal(pure.begin(), pure.end(), s.lpNoisyData));
    EXPECT_EQ(s.lpFirstEtalon, &bench.slots[0]);
    EXPECT_EQ(s.wNoiseLevel, 0);
    EXPECT_EQ(s.wAmplitude, 128);
    EXPECT_EQ(s.wFirstSample, 0);
    EXPECT_EQ(s.wLastSample, L - 1);
    EXPECT_EQ(s.wPulsesListSize, 20);
    EXPECT_EQ(s.lpPulsesList[19], &bench.slots[19]);
}

TEST(SeriesBuilder, ZeroEnergyLevelCanShrinkAFragmentToOneSample)
{
    BuilderBench bench;
    std::fill(bench.sequence.begin(), bench.sequence.end(), 9); // the envelope: sample 0 is 0, the rest non-zero
    bool single = false;
    for (int run = 0; run < 50; ++run) {
        const SeriesHeader& s = *bench.build(18, 0);
        for (int k = 0; k < 18; ++k) {
            EXPECT_LE(s.lpFirstSamples[k], L - 1);
            single = single || s.lpFirstSamples[k] == s.lpLastSamples[k];
            for (int t = 0; t < L; ++t) {
                const bool kept = t >= s.lpFirstSamples[k] && t <= s.lpLastSamples[k];
                ASSERT_EQ(s.lpPureData[s.lpPositions[k] + t], kept ? bench.slots[8].lpData[t] : 0);
            }
        }
    }
    EXPECT_TRUE(single);
}

TEST(SeriesBuilder, OutOfRangeEtalonNumbersBecomeOneInSequenceAndRecord)
{
    BuilderBench bench;
    bench.sequence[0] = 0;
    bench.sequence[1] = 21;
    bench.sequence[2] = 0xFFFF; // −1 read as signed
    bench.sequence[3] = 20;
    const SeriesHeader& s = *bench.build(6);
    EXPECT_EQ(etalonNumbers(s), (std::vector<std::int16_t>{1, 1, 1, 20, 1, 1}));
    EXPECT_EQ(bench.sequence[1], 1);
    EXPECT_EQ(bench.sequence[2], 1);
}

// The subset stream from 11357 gives 14878, 8483, …: shifted right by one, 7439 and 4241.
TEST(SeriesBuilder, SubsetEmploymentPlacesTheSubsetIntoTheSequence)
{
    struct Case {
        const char* what;
        std::uint16_t employment, initPosition, pulses;
        std::vector<std::int16_t> subset;
        std::vector<std::int16_t> expected;
    };
    const Case cases[] = {
        {"single random: room 4, 7439 mod 4 = 3", 1, 1, 6, {3, 4, 5}, {1, 1, 1, 3, 4, 5}},
        {"single fixed from pulse 2", 2, 2, 6, {3, 4, 5}, {1, 3, 4, 5, 1, 1}},
        {"multiple random: gaps 7439 mod 11 = 3, 4241 mod 11 = 6", 3, 1, 12, {3, 4},
         {1, 1, 1, 3, 4, 1, 1, 1, 1, 1, 1, 3}},
        {"complete from pulse 1", 4, 1, 6, {3, 4, 5}, {3, 4, 5, 3, 4, 5}},
        {"complete from pulse 3", 4, 3, 6, {3, 4, 5}, {1, 1, 3, 4, 5, 3}},
        {"shifted complete: 7439 mod 3 = 2", 5, 1, 6, {3, 4, 5}, {5, 3, 4, 5, 3, 4}},
        {"unknown employment places nothing", 6, 1, 6, {3, 4, 5}, {1, 1, 1, 1, 1, 1}},
        {"init position 0 places nothing", 4, 0, 6, {3, 4, 5}, {1, 1, 1, 1, 1, 1}},
        {"init position past the pulses places nothing", 4, 9, 6, {3, 4, 5}, {1, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        BuilderBench bench;
        bench.build(6);
        SeriesHeader& s = *bench.series;
        std::copy(c.subset.begin(), c.subset.end(), s.lpSelectedSubset);
        s.wSelectedSubsetSize = static_cast<std::uint16_t>(c.subset.size());
        s.wSubsetEmployment = c.employment;
        s.wSubsetInitPosition = c.initPosition;
        std::fill(bench.sequence.begin(), bench.sequence.end(), 1);
        const auto buildCounted = [&](std::uint16_t energy) {
            RandomStreams skipped = bench.streams;
            std::vector<std::uint16_t> sequence = bench.sequence;
            skipSeriesBuild(s, 20, c.pulses, sequence, skipped);
            bench.build(c.pulses, energy, {40, 181, 40 * c.pulses});
            EXPECT_EQ(bench.streams, skipped) << c.what << ": the draws a build makes, without building";
            EXPECT_EQ(bench.sequence, sequence) << c.what << ": the subset placed as a build places it";
        };
        buildCounted(100);
        EXPECT_EQ(etalonNumbers(s), c.expected) << c.what;
        buildCounted(30); // cut-off pulses draw the same
        EXPECT_TRUE(bench.scripted.messages().empty()) << c.what;
    }
}

TEST(SeriesBuilder, SubsetLongerThanItsStoredEntriesReadsMissingOnesAsEtalonOne)
{
    BuilderBench bench;
    SeriesHeader& s = *bench.build(5, 100, {40, 181, 200});
    ASSERT_EQ(s.wPulsesCapacity, 5);
    std::fill_n(s.lpSelectedSubset, 5, std::int16_t{7});
    s.wSelectedSubsetSize = 9;
    s.wSubsetEmployment = 5; // the rotation may start beyond the five stored entries
    s.wSubsetInitPosition = 1;
    for (int run = 0; run < 20; ++run) {
        bench.build(5, 100, {40, 181, 200});
        for (int k = 0; k < 5; ++k) EXPECT_TRUE(s.lpEtalonNumbers[k] == 7 || s.lpEtalonNumbers[k] == 1);
    }
}

TEST(SeriesBuilder, UnfixedSeriesDrawsItsPulseCount)
{
    BuilderBench bench;
    std::uint16_t countStream = bench.streams.wSeedPulseCount;
    for (int run = 0; run < 20; ++run) {
        const SeriesHeader* s = bench.buildUnfixed();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->wImpulseQuantity, (next15(countStream) >> 2) % 25 + 6);
    }
    EXPECT_TRUE(bench.scripted.messages().empty());
}

TEST(SeriesBuilder, UnfixedSeriesWithoutFeasibleCountIsNullAndReleasesTheRecord)
{
    BuilderBench bench;
    const std::int64_t live = liveAllocations();
    bench.build(6);
    // N 39, L 20, tmin = tmax = 20: at least 2 pulses needed to cover it, at most 1 fits.
    EXPECT_EQ(bench.buildUnfixed({20, 20, 39}), nullptr);
    EXPECT_TRUE(bench.scripted.messages().empty());
    EXPECT_EQ(liveAllocations(), live);
}

TEST(SeriesBuilder, UnusableInputIsRefusedBeforeAnythingChanges)
{
    BuilderBench bench;
    SeriesHeader* s = bench.build(6);
    const RandomStreams streams = bench.streams;
    const std::int64_t attempts = allocationAttempts();
    const Geometry refused[] = {{0, 181, 1200}, {200, 181, 1200}, {40, 10, 1200}, {40, 181, 10}, {40, 181, 40000}};
    for (const Geometry& g : refused) {
        EXPECT_EQ(bench.build(6, 100, g), s);
        EXPECT_EQ(bench.buildUnfixed(g), s);
    }
    EXPECT_EQ(bench.scripted.messages().size(), 10u);
    EXPECT_EQ(bench.streams, streams);
    EXPECT_EQ(allocationAttempts(), attempts);
    EXPECT_EQ(s->wImpulseQuantity, 6);

    // A sequence shorter than the pulse count would be written past its end.
    bench.scripted.clearMessages();
    bench.sequence.resize(10);
    EXPECT_EQ(bench.build(18), s);
    ASSERT_EQ(bench.scripted.messages().size(), 1u);
    EXPECT_EQ(bench.scripted.messages()[0].caption, " makeExtSeries ");
    EXPECT_EQ(bench.streams, streams);
}

TEST(SeriesBuilder, SameStartGivesIdenticalSeries)
{
    auto buildSeveral = [](BuilderBench& bench) {
        for (std::size_t i = 0; i < bench.sequence.size(); ++i) bench.sequence[i] = static_cast<std::uint16_t>(i % 20 + 1);
        bench.build(18, 75);
        addNoise(bench.window(), 35, 128, bench.series, bench.streams.wNoiseSeed);
        bench.buildUnfixed({30, 100, 1000});
        addNoise(bench.window(), 50, 128, bench.series, bench.streams.wNoiseSeed);
    };
    BuilderBench first, second;
    buildSeveral(first);
    buildSeveral(second);
    const SeriesHeader& a = *first.series;
    const SeriesHeader& b = *second.series;
    EXPECT_EQ(first.streams, second.streams);
    ASSERT_EQ(a.wImpulseQuantity, b.wImpulseQuantity);
    const std::size_t words = 2 * a.dwMaxSeriesSize + perPulseArrays * a.wPulsesCapacity;
    EXPECT_TRUE(std::equal(a.lpPureData, a.lpPureData + words, b.lpPureData));
}

TEST(SeriesBuilder, NoiseAddsGaussianDrawsKeptInSixteenBits)
{
    BuilderBench bench;
    SeriesHeader& s = *bench.build(4, 100, {40, 181, 200});
    s.lpPureData[0] = 32767;
    s.lpPureData[1] = -32768;
    std::uint16_t stream = 4321;
    std::uint16_t reference = stream;
    addNoise(bench.window(), 10922, 128, &s, stream);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(s.lpNoisyData[i], static_cast<std::int16_t>(s.lpPureData[i] + gauss(reference, 0, 10922)));
    EXPECT_EQ(stream, reference);
    EXPECT_EQ(s.wNoiseLevel, 10922);
    addNoise(bench.window(), 20, 128, nullptr, stream); // no series: nothing to do
    EXPECT_EQ(stream, reference);
}

// Fails each allocation of a first build in turn: the record, its block, its pulses list,
// the partial-energy table.
TEST(SeriesBuilder, EachFailedAllocationShowsItsMessages)
{
    const std::vector<std::vector<std::string>> expected = {
        {"Нет памяти для newSeriesHeader!", "Не могу выделить память для lpSeriesHeader!"},
        {"Нет памяти для newSeriesHeader->lpPureData!", "Не могу выделить память для lpSeriesHeader!"},
        {"Нет памяти для newSeriesHeader->lpPulsesList!", "Не могу выделить память для lpSeriesHeader!"},
        {"Нет памяти для PartialEnergy!"},
    };
    for (std::size_t k = 1;; ++k) {
        BuilderBench bench;
        const std::int64_t live = liveAllocations();
        failAllocationAt(static_cast<std::int64_t>(k));
        SeriesHeader* s = bench.build(18);
        failAllocationAt(0);
        std::vector<std::string> texts;
        for (const RecordedMessage& m : bench.scripted.messages()) texts.push_back(m.text);
        if (k > expected.size()) {
            EXPECT_TRUE(texts.empty());
            break;
        }
        EXPECT_EQ(texts, expected[k - 1]);
        if (k < 4) {
            EXPECT_EQ(s, nullptr);
            EXPECT_EQ(liveAllocations(), live);
            EXPECT_EQ(bench.scripted.messages().back().caption, " getCutOffSeries ");
            EXPECT_EQ(bench.scripted.messages().back().icon, MessageIcon::exclamation);
        } else {
            EXPECT_NE(s, nullptr); // the record is returned even when filling it failed
            EXPECT_EQ(bench.scripted.messages()[0].caption, "");
        }
    }
}

} // namespace
} // namespace mirokel
