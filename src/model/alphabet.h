// The alphabet of reference pulses (etalons): ten deterministic shapes and their
// negations' pattern followed by random pulses, generated into fixed slots at start-up.
// Etalon number k (1-based) lives in slot k − 1.
#pragma once

#include "platform/window.h"

#include <cstdint>
#include <span>

namespace mirokel {

constexpr std::uint16_t alphabetSlots = 20;   // slots of the alphabet; wAlphabetSize never exceeds it
constexpr std::int16_t wConstantLevel = 60;   // level of the constant etalon, base of the sine amplitude

struct PulseHeader {
    std::uint16_t wMaxLength = 0;  // samples allocated in lpData
    std::uint16_t wLength = 0;     // samples of the shape
    std::uint16_t wNumber = 0;     // etalon number, slot index + 1
    std::int16_t* lpData = nullptr; // owned samples; null when the slot holds nothing
};

// Builds `count` etalons of `length` samples into the first slots, drawing the random
// ones from `randomEtalonStream`. amplitude: the alphabet's amplitude (128);
// count: 1 … slots.size(); length: 2 … 32767. Returns 1, or 0 after a failed allocation
// (everything this call allocated released, message shown).
std::int32_t makeAlphabet(Window& window, std::int16_t amplitude, std::uint16_t count, std::uint16_t length,
                          std::span<PulseHeader> slots, std::uint16_t& randomEtalonStream);

// Releases the samples of the first `count` slots and sets them to null.
void releaseAlphabet(std::span<PulseHeader> slots, std::uint16_t count);

// Linear-interpolation resampling; lengths at least 2.
void resamplePulse(std::int16_t srcLength, const std::int16_t* src, std::int16_t dstLength, std::int16_t* dst);

// resamplePulse, then every output sample negated.
void invertPulse(std::int16_t srcLength, const std::int16_t* src, std::int16_t dstLength, std::int16_t* dst);

// Shape generators, each filling `length` samples of dst.
void makeConstantPulse(std::int16_t level, std::uint16_t length, std::int16_t* dst);
void makeHalfSinePulse(std::int32_t amplitude, std::uint16_t length, std::int16_t* dst);
void makeSinePeriodPulse(std::int32_t amplitude, std::uint16_t length, std::int16_t* dst);
void makeDampedBurstPulse(std::int32_t amplitude, std::int32_t riseLength, std::int32_t periods,
                          std::uint16_t length, std::int16_t* dst);
void makeEnvelopePulse(std::int32_t amplitude, std::int32_t riseLength, std::int32_t periods,
                       std::uint16_t length, std::int16_t* dst);
void makeRandomPulse(std::int16_t amplitude, std::uint16_t length, std::int16_t* dst, std::uint16_t& stream);

} // namespace mirokel
