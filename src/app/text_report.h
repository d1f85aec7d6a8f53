// Plain-text descriptions of the alphabet and of a series, for the terminal.
#pragma once

#include "engine/chains_header.h"
#include "model/alphabet.h"
#include "model/series_header.h"

#include <span>
#include <string>

namespace mirokel {

// One line per etalon: its letter, number and samples.
std::string describeAlphabet(std::span<const PulseHeader> alphabet, std::uint16_t count);

// The series geometry, one line per pulse (start, admissible range, etalon, fragment) and
// a coarse picture of the noisy samples.
std::string describeSeries(const SeriesHeader& series);

// The labels of the last run and up to `shown` best chains: measure, then every pulse as
// its etalon letter and start, with the matched part when it is not the whole etalon.
std::string describeChains(const ChainsHeader& chains, std::int32_t shown, std::int32_t impulseSize);

// The detected pulses of the series beside the true ones.
std::string describeDetection(const SeriesHeader& series);

} // namespace mirokel
