// Tests of the etalon alphabet: the deterministic shapes and their negations, the random
// etalons drawn from their stream, the storage phase with its reallocation warning and its
// out-of-memory path, and the linear-interpolation resampling.
#include "model/alphabet.h"

#include "model/random_streams.h"
#include "model_fixture.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace mirokel {
namespace {

using Samples = std::vector<std::int16_t>;

constexpr std::int16_t defaultAmplitude = 128;
constexpr std::uint16_t defaultLength = 20;

const RecordedMessage outOfMemoryMessage{"Не могу выделить память!", "", MessageIcon::exclamation};
const RecordedMessage reallocationWarning{"Предварительное освобождение памяти!", "Отладка",
                                          MessageIcon::exclamation};

Samples samplesOf(const PulseHeader& slot) { return Samples(slot.lpData, slot.lpData + slot.wLength); }

Samples negated(Samples samples)
{
    for (std::int16_t& s : samples) s = static_cast<std::int16_t>(-s);
    return samples;
}

// Clipped Gaussian draws as the random etalons take them, written out independently.
Samples clippedGaussDraws(std::uint16_t& stream, std::int16_t amplitude, std::size_t count)
{
    Samples out;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t e = gauss(stream, 0, static_cast<std::int16_t>(amplitude / 2));
        out.push_back(static_cast<std::int16_t>(std::clamp<std::int32_t>(e, -amplitude, amplitude - 1)));
    }
    return out;
}

using Slots = std::array<PulseHeader, alphabetSlots>;

// ---------------------------------------------------------------------------------------
// Shapes of the start-up alphabet (amplitude 128, length 20)

class DefaultAlphabetTest : public ::testing::Test {
protected:
    Samples etalon(int number) const { return samplesOf(bench.slots[static_cast<std::size_t>(number - 1)]); }
    test::AlphabetBench bench;
};

TEST_F(DefaultAlphabetTest, EverySlotIsNumberedAndSized)
{
    for (std::uint16_t i = 0; i < alphabetSlots; ++i) {
        const PulseHeader& slot = bench.slots[i];
        ASSERT_NE(slot.lpData, nullptr) << "slot " << i;
        EXPECT_EQ(slot.wNumber, i + 1);
        EXPECT_EQ(slot.wLength, defaultLength);
        EXPECT_EQ(slot.wMaxLength, defaultLength);
    }
    EXPECT_TRUE(bench.scripted.messages().empty());
}

TEST_F(DefaultAlphabetTest, DeterministicShapesHaveTheirSampleValues)
{
    struct Case {
        const char* what;
        int number;
        Samples samples;
    };
    const Case cases[] = {
        {"constant at wConstantLevel", 1, Samples(defaultLength, 60)},
        {"half sine of amplitude 84",
         3,
         {12, 24, 36, 47, 57, 65, 72, 78, 81, 83, 83, 81, 78, 72, 65, 57, 47, 36, 24, 12}},
        {"sine period of amplitude 84",
         5,
         {24, 47, 65, 78, 83, 81, 72, 57, 36, 12, -12, -36, -57, -72, -81, -83, -78, -65, -47, -24}},
        {"damped burst of amplitude 155, rise 5, four periods",
         7,
         {0, 117, 87, -90, -147, 0, 112, 53, -40, -50, 0, 29, 14, -10, -13, 0, 7, 3, -2, -3}},
        {"envelope of amplitude 118, rise 4",
         9,
         {0, 102, 115, 117, 118, 91, 71, 55, 43, 33, 26, 20, 15, 12, 9, 7, 5, 4, 3, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(etalon(c.number), c.samples) << c.what;
}

TEST_F(DefaultAlphabetTest, BurstIsZeroWhereverItsPhaseIsAMultipleOfPi)
{
    const Samples burst = etalon(7);
    for (std::size_t i = 0; i < burst.size(); i += 5) EXPECT_EQ(burst[i], 0) << "sample " << i;
}

TEST_F(DefaultAlphabetTest, EvenEtalonsAreTheNegationOfTheirPredecessor)
{
    for (const int number : {2, 4, 6, 8, 10})
        EXPECT_EQ(etalon(number), negated(etalon(number - 1))) << "etalon " << number;
}

TEST_F(DefaultAlphabetTest, RandomEtalonsAreTheFirstClippedGaussDrawsOfStream123)
{
    std::uint16_t stream = 123;
    const Samples draws = clippedGaussDraws(stream, defaultAmplitude, 10u * defaultLength);
    Samples random;
    for (int number = 11; number <= 20; ++number) {
        const Samples samples = etalon(number);
        random.insert(random.end(), samples.begin(), samples.end());
    }
    EXPECT_EQ(random, draws);
    EXPECT_EQ(bench.streams.wSeedRandomEtalons, stream) << "the stream stands after the 200 draws";
    // Some of the first 200 draws lie beyond both limits, so both clips are reached.
    EXPECT_EQ(*std::max_element(random.begin(), random.end()), 127);
    EXPECT_EQ(*std::min_element(random.begin(), random.end()), -128);
}

TEST(AlphabetTest, TwoBuildsFromTheSameStreamAreEqual)
{
    test::AlphabetBench first;
    test::AlphabetBench second;
    for (std::size_t i = 0; i < alphabetSlots; ++i)
        EXPECT_EQ(samplesOf(first.slots[i]), samplesOf(second.slots[i])) << "slot " << i;
}

TEST(AlphabetTest, AFurtherBuildContinuesTheRandomStream)
{
    test::AlphabetBench bench;
    ScriptedWindow scripted;
    Slots again{};
    ASSERT_EQ(makeAlphabet(scripted.window(), defaultAmplitude, alphabetSlots, defaultLength, again,
                           bench.streams.wSeedRandomEtalons),
              1);
    std::uint16_t stream = 123;
    clippedGaussDraws(stream, defaultAmplitude, 200);
    const Samples next = clippedGaussDraws(stream, defaultAmplitude, defaultLength);
    EXPECT_EQ(samplesOf(again[10]), next);
    EXPECT_NE(samplesOf(again[10]), samplesOf(bench.slots[10]));
    releaseAlphabet(again, alphabetSlots);
}

// ---------------------------------------------------------------------------------------
// Other counts, amplitudes and lengths

TEST(AlphabetTest, CountBelowTenFillsOnlyTheFirstShapes)
{
    ScriptedWindow scripted;
    Slots slots{};
    std::uint16_t stream = 123;
    ASSERT_EQ(makeAlphabet(scripted.window(), defaultAmplitude, 3, defaultLength, slots, stream), 1);
    EXPECT_EQ(samplesOf(slots[0]), Samples(defaultLength, 60));
    EXPECT_EQ(samplesOf(slots[1]), Samples(defaultLength, -60));
    EXPECT_EQ(samplesOf(slots[2]).front(), 12) << "half sine";
    for (std::size_t i = 3; i < alphabetSlots; ++i) {
        EXPECT_EQ(slots[i].lpData, nullptr) << i;
        EXPECT_EQ(slots[i].wNumber, 0) << i;
    }
    EXPECT_EQ(stream, 123) << "no random etalon, no draw";
    releaseAlphabet(slots, 3);
}

TEST(AlphabetTest, CountAboveTenMakesTheSurplusSlotsRandom)
{
    ScriptedWindow scripted;
    Slots slots{};
    std::uint16_t stream = 123;
    ASSERT_EQ(makeAlphabet(scripted.window(), defaultAmplitude, 12, defaultLength, slots, stream), 1);
    std::uint16_t reference = 123;
    EXPECT_EQ(samplesOf(slots[10]), clippedGaussDraws(reference, defaultAmplitude, defaultLength));
    EXPECT_EQ(samplesOf(slots[11]), clippedGaussDraws(reference, defaultAmplitude, defaultLength));
    EXPECT_EQ(stream, reference);
    EXPECT_EQ(slots[12].lpData, nullptr);
    releaseAlphabet(slots, 12);
}

TEST(AlphabetTest, ShapeParametersDeriveFromAmplitudeAndLength)
{
    // Amplitude 100, length 12: half sine 200/3 − 1 = 65; sine period 60 × 1414 / 1000 = 84
    // whatever the amplitude; burst 120 + 2 = 122 with rise 28/8 = 3; envelope
    // 704/8 + 6 = 94 with rise 2; random draws with sigma 50 clipped to −100 … 99.
    constexpr std::int16_t a = 100;
    constexpr std::uint16_t n = 12;
    ScriptedWindow scripted;
    Slots slots{};
    std::uint16_t stream = 123;
    ASSERT_EQ(makeAlphabet(scripted.window(), a, alphabetSlots, n, slots, stream), 1);

    const auto generated = [](auto generator) {
        Samples out(n);
        generator(out.data());
        return out;
    };
    EXPECT_EQ(samplesOf(slots[0]), Samples(n, 60));
    EXPECT_EQ(samplesOf(slots[2]), generated([](std::int16_t* d) { makeHalfSinePulse(65, n, d); }));
    EXPECT_EQ(samplesOf(slots[4]), generated([](std::int16_t* d) { makeSinePeriodPulse(84, n, d); }));
    EXPECT_EQ(samplesOf(slots[6]), generated([](std::int16_t* d) { makeDampedBurstPulse(122, 3, 4, n, d); }));
    EXPECT_EQ(samplesOf(slots[8]), generated([](std::int16_t* d) { makeEnvelopePulse(94, 2, 4, n, d); }));
    for (std::size_t i = 1; i < 10; i += 2) EXPECT_EQ(samplesOf(slots[i]), negated(samplesOf(slots[i - 1]))) << i;

    std::uint16_t reference = 123;
    const Samples draws = clippedGaussDraws(reference, a, 10u * n);
    for (std::size_t i = 10; i < alphabetSlots; ++i) {
        const auto first = draws.begin() + static_cast<std::ptrdiff_t>((i - 10) * n);
        EXPECT_EQ(samplesOf(slots[i]), Samples(first, first + n)) << i;
    }
    EXPECT_EQ(*std::max_element(draws.begin(), draws.end()), 99);
    EXPECT_EQ(*std::min_element(draws.begin(), draws.end()), -100);
    releaseAlphabet(slots, alphabetSlots);
}

TEST(AlphabetTest, EnvelopeIgnoresItsPeriodCount)
{
    Samples one(defaultLength), seven(defaultLength);
    makeEnvelopePulse(118, 4, 1, defaultLength, one.data());
    makeEnvelopePulse(118, 4, 7, defaultLength, seven.data());
    EXPECT_EQ(one, seven);
}

// ---------------------------------------------------------------------------------------
// Storage: reuse, reallocation and out-of-memory

// Gives the slot a buffer of `length` samples, as an earlier build would have left it.
void giveBuffer(PulseHeader& slot, std::uint16_t length)
{
    slot.lpData = allocateArray<std::int16_t>(length);
    slot.wMaxLength = length;
    slot.wLength = length;
}

TEST(AlphabetTest, ReallocationWarningIsShownOnlyForSlotZero)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::size_t, std::uint16_t>> buffers; // slot, samples held before the build
        std::size_t warnings;
    };
    const Case cases[] = {
        {"slot 0 too short", {{0, 10}}, 1},
        {"slot 3 too short", {{3, 10}}, 0},
        {"slots 0 and 3 too short: one warning", {{0, 10}, {3, 19}}, 1},
        {"slot 0 long enough", {{0, 20}}, 0},
        {"slot 0 longer than needed", {{0, 30}}, 0},
    };
    for (const Case& c : cases) {
        const std::int64_t liveBefore = liveAllocations();
        ScriptedWindow scripted;
        Slots slots{};
        for (const auto& [index, length] : c.buffers) giveBuffer(slots[index], length);
        std::uint16_t stream = 123;

        ASSERT_EQ(makeAlphabet(scripted.window(), defaultAmplitude, alphabetSlots, defaultLength, slots, stream), 1)
            << c.what;
        EXPECT_EQ(scripted.messages(), std::vector<RecordedMessage>(c.warnings, reallocationWarning)) << c.what;
        for (std::size_t i = 0; i < alphabetSlots; ++i) {
            EXPECT_EQ(slots[i].wLength, defaultLength) << c.what << ", slot " << i;
            EXPECT_GE(slots[i].wMaxLength, defaultLength) << c.what << ", slot " << i;
        }
        EXPECT_EQ(samplesOf(slots[0]), Samples(defaultLength, 60)) << c.what;
        EXPECT_EQ(samplesOf(slots[3]).front(), -12) << c.what;
        releaseAlphabet(slots, alphabetSlots);
        EXPECT_EQ(liveAllocations(), liveBefore) << c.what << ": the short buffers were released";
    }
}

TEST(AlphabetTest, LongerBufferIsKeptWithItsCapacity)
{
    ScriptedWindow scripted;
    Slots slots{};
    giveBuffer(slots[5], 30);
    const std::int16_t* kept = slots[5].lpData;
    std::uint16_t stream = 123;
    ASSERT_EQ(makeAlphabet(scripted.window(), defaultAmplitude, alphabetSlots, defaultLength, slots, stream), 1);
    EXPECT_EQ(slots[5].lpData, kept);
    EXPECT_EQ(slots[5].wMaxLength, 30);
    EXPECT_EQ(slots[5].wLength, defaultLength);
    EXPECT_EQ(slots[5].wNumber, 6);
    releaseAlphabet(slots, alphabetSlots);
}

TEST(AlphabetTest, OutOfMemoryReleasesEverythingThisBuildAllocated)
{
    const std::int64_t liveBefore = liveAllocations();
    bool built = false;
    std::int64_t k = 1;
    for (; k <= 100 && !built; ++k) {
        ScriptedWindow scripted;
        Slots slots{};
        std::uint16_t stream = 123;
        failAllocationAt(k);
        const std::int32_t result =
            makeAlphabet(scripted.window(), defaultAmplitude, alphabetSlots, defaultLength, slots, stream);
        failAllocationAt(0);
        if (result == 1) {
            built = true;
            EXPECT_TRUE(scripted.messages().empty());
            releaseAlphabet(slots, alphabetSlots);
            continue;
        }
        EXPECT_EQ(result, 0) << "failing allocation " << k;
        EXPECT_EQ(scripted.messages(), std::vector<RecordedMessage>{outOfMemoryMessage}) << "failing allocation " << k;
        for (std::size_t i = 0; i < alphabetSlots; ++i)
            EXPECT_EQ(slots[i].lpData, nullptr) << "failing allocation " << k << ", slot " << i;
        EXPECT_EQ(liveAllocations(), liveBefore) << "failing allocation " << k;
        EXPECT_EQ(stream, 123) << "no shape was drawn";
    }
    EXPECT_TRUE(built);
    EXPECT_EQ(k - 1, std::int64_t{alphabetSlots} + 1) << "one allocation per slot";
    EXPECT_EQ(liveAllocations(), liveBefore);
}

TEST(AlphabetTest, OutOfMemoryLeavesTheSlotsFromTheFailingOneAsTheyWere)
{
    // Slots 10 … 19 hold buffers from an earlier build; the third allocation (slot 2) fails.
    ScriptedWindow scripted;
    Slots slots{};
    for (std::size_t i = 10; i < alphabetSlots; ++i) giveBuffer(slots[i], defaultLength);
    const std::int64_t liveBefore = liveAllocations();
    std::uint16_t stream = 123;
    failAllocationAt(3);
    EXPECT_EQ(makeAlphabet(scripted.window(), defaultAmplitude, alphabetSlots, defaultLength, slots, stream), 0);
    failAllocationAt(0);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(slots[i].lpData, nullptr) << i;
    for (std::size_t i = 10; i < alphabetSlots; ++i) EXPECT_NE(slots[i].lpData, nullptr) << i;
    EXPECT_EQ(liveAllocations(), liveBefore);
    releaseAlphabet(slots, alphabetSlots);
}

// ---------------------------------------------------------------------------------------
// Resampling

TEST(ResamplePulseTest, InterpolatesLinearlyWithTruncatingDivision)
{
    struct Case {
        const char* what;
        Samples src;
        std::size_t dstLength;
        Samples expected;
    };
    const Case cases[] = {
        {"5 to 3 samples", {0, 10, 20, 30, 40}, 3, {0, 20, 40}},
        {"3 to 5 samples", {0, 20, 40}, 5, {0, 10, 20, 30, 40}},
        {"equal lengths copy the input", {12, -7, 33, 0, -128, 127}, 6, {12, -7, 33, 0, -128, 127}},
        // −14/3 and −11/3 truncate toward zero, to −4 and −3.
        {"upsampling negative steps", {0, -7, 5}, 4, {0, -4, -3, 5}},
        {"downsampling negative steps", {0, -10, -21, -30, 9}, 4, {0, -13, -27, 9}},
        {"two samples to two", {5, -5}, 2, {5, -5}},
    };
    constexpr std::int16_t sentinel = 0x5A5A;
    for (const Case& c : cases) {
        Samples dst(c.dstLength + 1, sentinel);
        resamplePulse(static_cast<std::int16_t>(c.src.size()), c.src.data(), static_cast<std::int16_t>(c.dstLength),
                      dst.data());
        EXPECT_EQ(dst.back(), sentinel) << c.what << ": wrote past the end";
        dst.pop_back();
        EXPECT_EQ(dst, c.expected) << c.what;
    }
}

TEST(ResamplePulseTest, InvertNegatesEveryResampledSample)
{
    const Samples src{0, 20, 40};
    Samples dst(5);
    invertPulse(3, src.data(), 5, dst.data());
    EXPECT_EQ(dst, (Samples{0, -10, -20, -30, -40}));

    const Samples extremes{-32767, 32767, 1};
    Samples same(3);
    invertPulse(3, extremes.data(), 3, same.data());
    EXPECT_EQ(same, (Samples{32767, -32767, -1}));
}

} // namespace
} // namespace mirokel
