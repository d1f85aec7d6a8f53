// The reproducible random source: a 15-bit linear congruential generator run on several
// independent 16-bit states (one per kind of choice), and a 32-bit generator used only
// for the etalon sequence of "Processing Next Data". Every stream starts from a fixed
// value and is never reseeded, so the same commands always give the same numbers.
#pragma once

#include <cstdint>

namespace mirokel {

// The 16-bit streams with their start values, and the 32-bit generator's state.
struct RandomStreams {
    std::uint16_t wSeedRandomEtalons = 123;  // samples of the random etalons 11 … 20
    std::uint16_t wSeedPlacement = 12345;    // anchor pulse and start of every pulse
    std::uint16_t wSeedCutStart = 7737;      // first kept sample of every placed pulse
    std::uint16_t wSeedCutEnd = 3373;        // last kept sample of every placed pulse
    std::uint16_t wSeedPulseCount = 13579;   // pulse count of an unfixed series
    std::uint16_t wSeedSubsetShift = 11357;  // "Single random " position, "Shifted complete" rotation
    std::uint16_t wSeedSubsetRepeat = 11357; // gaps between copies of a "Multiple random" subset
    std::uint16_t wNoiseSeed = 10597;        // additive Gaussian noise
    std::uint32_t dwSequenceState = 1;       // 32-bit generator of the etalon sequence

    friend bool operator==(const RandomStreams&, const RandomStreams&) = default;
};

// Advances the stream and returns its new value, 0 … 32767.
inline std::uint16_t next15(std::uint16_t& state)
{
    state = static_cast<std::uint16_t>((state * 12869u + 6925u) & 0x7FFFu);
    return state;
}

// The 15-bit generator has the full period 32768, and a draw depends only on the low 15
// bits of the state. So the sum of the twelve draws of gauss after every state is a table
// computed once, and the state twelve steps on is one affine step, 12869¹² and its
// constant modulo 32768 (no dependent table read between samples).
struct GaussTable {
    std::int32_t sum[32768]; // Σ of the 12 next15 values drawn from state s
};
const GaussTable& gaussTable();

constexpr std::uint32_t gaussStepFactor = [] {
    std::uint32_t a = 1;
    for (int i = 0; i < 12; ++i) a = (a * 12869u) & 0x7FFFu;
    return a;
}();
constexpr std::uint32_t gaussStepConstant = [] {
    std::uint32_t c = 0;
    for (int i = 0; i < 12; ++i) c = (c * 12869u + 6925u) & 0x7FFFu;
    return c;
}();

// Approximately normal integer: the sum of twelve next15 draws, centred and scaled by
// sigma with an arithmetic shift of the 32-bit product. Advances the stream by 12 steps.
// Never clipped. sigma: 0 … 10922 keeps the product within 32 bits.
std::int32_t gauss(std::uint16_t& state, std::int16_t mean, std::int16_t sigma);

// gauss with the table already at hand, for loops over many samples.
inline std::int32_t gauss(const GaussTable& table, std::uint16_t& state, std::int16_t mean, std::int16_t sigma)
{
    const std::uint16_t s = state & 0x7FFFu;
    state = static_cast<std::uint16_t>((s * gaussStepFactor + gaussStepConstant) & 0x7FFFu);
    // The product is a 32-bit signed value: multiply with wrap-around, then shift
    // arithmetically (rounding toward minus infinity).
    const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(table.sum[s] - 196608) *
                                                   static_cast<std::uint32_t>(std::int32_t{sigma}));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(mean) + static_cast<std::uint32_t>(product >> 15));
}

// The stream `draws` next15 steps on, at once (the period is 32768).
std::uint16_t advance15(std::uint16_t state, std::uint64_t draws);

// Advances the 32-bit generator and returns 0 … 32767.
std::int32_t nextSequenceRandom(std::uint32_t& state);

// The 32-bit generator's state `draws` steps on, at once.
std::uint32_t advanceSequence(std::uint32_t state, std::uint64_t draws);

} // namespace mirokel
