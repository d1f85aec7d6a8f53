// Plain-text descriptions of the alphabet and of a series, for the terminal.
#pragma once

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

} // namespace mirokel
