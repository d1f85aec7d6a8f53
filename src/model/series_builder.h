// The series builder: P pulses from the alphabet placed with distances between starts
// from tmin to tmax so that the train covers the series, each kept whole or cut to a
// fragment holding a share of its energy, then additive Gaussian noise. All randomness
// comes from the streams, so a sequence of builds is reproducible.
#pragma once

#include "model/alphabet.h"
#include "model/random_streams.h"
#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>
#include <span>

namespace mirokel {

// Arguments shared by the builders:
//   alphabetSize: slots of `alphabet` in use, 1 … alphabet.size()
//   impulseSize:  etalon length L, at least 1
//   tmin, tmax:   distance between neighbouring pulse starts, 1 ≤ tmin ≤ tmax, tmax ≥ L
//   seriesSize:   N, L … 32767
//   pulses:       P, within the pulse-count bounds of N
//   sequence:     etalon number of each pulse, at least P entries; entries outside
//                 1 … alphabetSize are replaced by 1 here as well as in the record
//   energyLevel:  saved energy level of each placed pulse, percent (100 keeps it whole)

// Obtains the record with getCutOffSeriesHeader and fills it with makeExtSeries.
// Null only when obtaining the record failed. A refused request (geometry, pulse count,
// sequence or alphabet; message shown) returns `series` unchanged. `built`, when given,
// tells whether a new series is in the record.
SeriesHeader* getCutOffSeries(Window& window, std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet,
                              std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                              std::int32_t seriesSize, std::uint16_t pulses, std::span<std::uint16_t> sequence,
                              std::int16_t amplitude, std::uint16_t energyLevel, SeriesHeader* series,
                              RandomStreams& streams, bool* built = nullptr);

// Fills a record that is already large enough. 0 on failure (message shown), 1 on success.
std::int32_t makeExtSeries(Window& window, std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet,
                           std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                           std::int32_t seriesSize, std::uint16_t pulses, std::span<std::uint16_t> sequence,
                           std::int16_t amplitude, std::uint16_t energyLevel, SeriesHeader& series,
                           RandomStreams& streams);

// Draws the pulse count from wSeedPulseCount (ignoring `pulses`) and builds with
// getCutOffSeries. When no pulse count is feasible (maxP < minP) it returns null without a
// message, releasing the record passed in as every null result of a get… operation does.
// `built` as for getCutOffSeries.
SeriesHeader* makeUnfixedSeries(Window& window, std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet,
                                std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                                std::int32_t seriesSize, std::uint16_t pulses, std::span<std::uint16_t> sequence,
                                std::int16_t amplitude, std::uint16_t energyLevel, SeriesHeader* series,
                                RandomStreams& streams, bool* built = nullptr);

// Leaves the sequence and the streams exactly as makeExtSeries building `pulses` pulses
// into `series` would, without building the series: the subset is placed into the
// sequence (the series' subset employment, init position and selected subset decide its
// draws), and the placement and cut streams move on by the draws of every pulse, which
// depend on nothing else. The record is not changed.
void skipSeriesBuild(const SeriesHeader& series, std::uint16_t alphabetSize, std::uint16_t pulses,
                     std::span<std::uint16_t> sequence, RandomStreams& streams);

// Adds gauss(stream, 0, noiseLevel) to every pure sample, the sum kept in 16 bits, and
// records the noise level. noiseLevel: 0 … 10922. The amplitude plays no part.
void addNoise(Window& window, std::int16_t noiseLevel, std::int16_t amplitude, SeriesHeader* series,
              std::uint16_t& stream);

} // namespace mirokel
