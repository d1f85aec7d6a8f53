// Tests of the random source: the 15-bit stream generator, the Gaussian draw built on it
// and the 32-bit generator of the etalon sequence. The values are fixed by the generator
// formulas, so every expected number here is either quoted or computed independently.
#include "model/random_streams.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace mirokel {
namespace {

// The stream formula written out in 32-bit arithmetic, independent of next15.
std::uint16_t referenceStep(std::uint16_t state)
{
    return static_cast<std::uint16_t>((std::uint32_t{state} * 12869u + 6925u) % 32768u);
}

std::uint16_t advancedBy(std::uint16_t state, int steps)
{
    for (int i = 0; i < steps; ++i) state = referenceStep(state);
    return state;
}

// mean + floor((sum − 196608) × sigma / 32768), in 64-bit arithmetic with an explicit
// floor division, so it does not rely on the shift of a negative value.
std::int32_t referenceGauss(std::uint16_t state, std::int16_t mean, std::int16_t sigma)
{
    std::int64_t sum = 0;
    for (int i = 0; i < 12; ++i) {
        state = referenceStep(state);
        sum += state;
    }
    const std::int64_t product = (sum - 196608) * sigma;
    const std::int64_t quotient = product >= 0 ? product / 32768 : -((-product + 32767) / 32768);
    return static_cast<std::int32_t>(mean + quotient);
}

TEST(RandomStreamsTest, StreamsStartFromTheirFixedValues)
{
    const RandomStreams streams;
    EXPECT_EQ(streams.wSeedRandomEtalons, 123);
    EXPECT_EQ(streams.wSeedPlacement, 12345);
    EXPECT_EQ(streams.wSeedCutStart, 7737);
    EXPECT_EQ(streams.wSeedCutEnd, 3373);
    EXPECT_EQ(streams.wSeedPulseCount, 13579);
    EXPECT_EQ(streams.wSeedSubsetShift, 11357);
    EXPECT_EQ(streams.wSeedSubsetRepeat, 11357);
    EXPECT_EQ(streams.wNoiseSeed, 10597);
    EXPECT_EQ(streams.dwSequenceState, 1u);
}

TEST(RandomStreamsTest, Next15FromState123GivesTheQuotedValues)
{
    std::uint16_t state = 123;
    EXPECT_EQ(next15(state), 16948);
    EXPECT_EQ(state, 16948);
    EXPECT_EQ(next15(state), 6929);
    EXPECT_EQ(state, 6929);
}

TEST(RandomStreamsTest, Next15FollowsTheFormulaOverTheWholeStateSpace)
{
    // Covers the states whose 16-bit product overflows and the top bit of the state word,
    // which the result must never carry.
    for (std::uint32_t start = 0; start <= 0xFFFF; ++start) {
        std::uint16_t state = static_cast<std::uint16_t>(start);
        const std::uint16_t value = next15(state);
        ASSERT_EQ(value, referenceStep(static_cast<std::uint16_t>(start))) << "state " << start;
        ASSERT_EQ(state, value);
        ASSERT_LE(value, 32767);
    }
}

TEST(RandomStreamsTest, GaussAdvancesTheStreamByTwelveSteps)
{
    struct Case {
        const char* what;
        std::uint16_t state;
        std::int16_t mean;
        std::int16_t sigma;
    };
    const Case cases[] = {
        {"noise stream with the default noise level", 10597, 0, 20},
        {"sigma 0", 10597, 0, 0},
        {"random etalon stream with half the amplitude", 123, 0, 64},
        {"negative mean", 7737, -300, 50},
    };
    for (const Case& c : cases) {
        std::uint16_t state = c.state;
        gauss(state, c.mean, c.sigma);
        EXPECT_EQ(state, advancedBy(c.state, 12)) << c.what;
    }
}

TEST(RandomStreamsTest, GaussWithSigmaZeroReturnsTheMean)
{
    for (const std::int16_t mean : {std::int16_t{0}, std::int16_t{17}, std::int16_t{-128}, std::int16_t{32767}}) {
        std::uint16_t state = 10597;
        EXPECT_EQ(gauss(state, mean, 0), mean);
    }
}

TEST(RandomStreamsTest, GaussShiftsNegativeProductsTowardMinusInfinity)
{
    // From state 3 the twelve draws sum to 181354, so with sigma 20 the product is
    // −305080 = −9.31 × 32768: a division truncating toward zero would give −9.
    std::uint16_t state = 3;
    EXPECT_EQ(gauss(state, 0, 20), -10);
    // From state 123 the product is −556600 = −16.99 × 32768.
    state = 123;
    EXPECT_EQ(gauss(state, 0, 20), -17);
    // The mean is added after the shift, not shifted with the product.
    state = 3;
    EXPECT_EQ(gauss(state, 1000, 20), 990);
}

// From every 16-bit start state (the draws are read from tables), for a few sigmas.
TEST(RandomStreamsTest, GaussMatchesAnIndependentComputation)
{
    const std::int16_t sigmas[] = {1, 20, -64, 10922, -10922};
    const std::int16_t means[] = {0, -128};
    for (std::uint32_t start = 0; start <= 0xFFFF; ++start) {
        const auto begin = static_cast<std::uint16_t>(start);
        for (const std::int16_t sigma : sigmas) {
            for (const std::int16_t mean : means) {
                std::uint16_t state = begin;
                ASSERT_EQ(gauss(state, mean, sigma), referenceGauss(begin, mean, sigma))
                    << "state " << start << " mean " << mean << " sigma " << sigma;
                ASSERT_EQ(state, advancedBy(begin, 12)) << "state " << start;
            }
        }
    }
}

// Jump-ahead of both generators against stepping, over draw counts beyond a period too.
TEST(RandomStreamsTest, JumpAheadEqualsStepping)
{
    for (const std::uint32_t start : {0u, 123u, 10597u, 32767u, 32768u, 40000u, 65535u}) {
        const auto begin = static_cast<std::uint16_t>(start);
        std::uint16_t stepped = begin;
        std::uint32_t sequence = start * 2654435761u;
        const std::uint32_t sequenceBegin = sequence;
        for (std::uint64_t draws = 0; draws <= 70000; ++draws) {
            ASSERT_EQ(advance15(begin, draws), stepped) << start << " + " << draws;
            ASSERT_EQ(advanceSequence(sequenceBegin, draws), sequence) << start << " + " << draws;
            stepped = referenceStep(stepped);
            nextSequenceRandom(sequence);
        }
    }
    EXPECT_EQ(advance15(123, 1 + 32768ull * 1000003), advancedBy(123, 1));
    EXPECT_EQ(advanceSequence(1, 1ull << 32), 1u) << "the 32-bit generator's period";
}

TEST(RandomStreamsTest, SequenceGeneratorFromOneGivesTheQuotedValues)
{
    std::uint32_t state = 1;
    EXPECT_EQ(nextSequenceRandom(state), 41);
    EXPECT_EQ(state, 1u * 214013u + 2531011u);
    EXPECT_EQ(nextSequenceRandom(state), 18467);
    EXPECT_EQ(nextSequenceRandom(state), 6334);
}

TEST(RandomStreamsTest, SequenceGeneratorWrapsModulo2To32AndKeeps15Bits)
{
    // A state near the top of the range makes the 32-bit product wrap; the result keeps
    // bits 16 … 30 of the new state only.
    std::uint32_t state = 0xFFFFFFFFu;
    const std::uint32_t expectedState = static_cast<std::uint32_t>(
        (std::uint64_t{0xFFFFFFFFu} * 214013u + 2531011u) % (std::uint64_t{1} << 32));
    EXPECT_EQ(nextSequenceRandom(state), static_cast<std::int32_t>((expectedState >> 16) & 0x7FFFu));
    EXPECT_EQ(state, expectedState);
}

} // namespace
} // namespace mirokel
