// Checks of typed input that the system cannot use. Each returns an empty text when the
// input is usable, or a clear message that refuses it; the dialogs and the batch command
// line refuse such input before any member changes.
#pragma once

#include <cstdint>
#include <string>

namespace mirokel {

constexpr std::int32_t maxNoiseLevelInput = 10922;   // keeps the noise draws within 32 bits

// Series length, Tmin and Tmax for etalons of `impulseSize` samples: Tmin at least 1 and
// not above Tmax, Tmax not below the pulse length, the length from the pulse length to
// 32767, and a feasible pulse count that the proposed count (the midpoint of the bounds)
// does not miss.
std::string checkSeriesGeometryInput(std::int64_t length, std::int64_t tmin, std::int64_t tmax,
                                     std::int64_t impulseSize);

// A noise level from 0 to 10922.
std::string checkNoiseLevelInput(std::int64_t level);

// An etalon number from 1 to the alphabet size.
std::string checkEtalonNumberInput(std::int64_t number, std::int64_t alphabetSize);

// The grid of a simulation: at least 2 noise steps, at least 1 repeat, a highest noise
// level within 10922, and pulse counts from … to within the bounds of the geometry.
std::string checkSimulationGridInput(std::int64_t pulsesFrom, std::int64_t pulsesTo, std::int64_t noiseInitial,
                                     std::int64_t noiseSteps, std::int64_t noiseIncrement, std::int64_t repeats,
                                     std::int64_t length, std::int64_t tmin, std::int64_t tmax,
                                     std::int64_t impulseSize);

// The fixed upper bound of the statistics graph: at least 0.001.
std::string checkUpperBoundInput(double bound);

// A subset init position from 1 on (placement starts at position − 1).
std::string checkInitPositionInput(std::int64_t position);

} // namespace mirokel
