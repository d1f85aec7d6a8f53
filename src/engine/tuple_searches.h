// The tuple searches: a tuple is an ordered list of etalon numbers that a series repeats
// cyclically, pulse after pulse. Detection finds the pulses of one given tuple and the
// tuple boundaries; recognition finds which of several candidate tuples the series
// repeats. Each ranks its chains in the chains record and writes the best one, with its
// tuple groups, into the series record.
//
// Shared arguments (besides those of the chain searches):
//   tupleSize, tuple:  the tuple of detection, 32-bit etalon numbers (1-based)
//   tupleSizes, tuples, tupleCount: the candidate tuples of recognition
//   proceeding:        1 "complete" (the series starts with the tuple's first member);
//                      otherwise any phase of the tuple is tried (known pulse count only)
//   debugRepeat:       the "Debugging repeat" flag: when set, the unknown-count searches
//                      show their intermediate tables and clear it
#pragma once

#include "engine/chains_header.h"
#include "model/alphabet.h"
#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>
#include <span>

namespace mirokel {

// Known pulse count K = wImpulseQuantity, ranges computed from N, n and K. One pretender
// per phase tried. Returns 1, or 0 on a memory failure.
std::int32_t detectTuplesKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                    const std::int32_t* tuple, std::uint16_t proceeding, std::uint16_t tmin,
                                    std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                    SeriesHeader* series);

// Known pulse count over the start ranges the builder stored. One pretender per tuple and
// phase. Returns the recognised tuple number (1-based), or 0.
std::int32_t recognizeTuplesKnownCount(Window& window, std::span<const PulseHeader> alphabet,
                                       const std::int32_t* tupleSizes, const std::int32_t* const* tuples,
                                       std::int32_t tupleCount, std::uint16_t proceeding, std::uint16_t tmin,
                                       std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                       SeriesHeader* series);

// Unknown pulse count: layers stand for tuple members; chains start with the first
// member. Returns 1, or 0 on a memory failure.
std::int32_t detectTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                      const std::int32_t* tuple, std::uint16_t proceeding, std::uint16_t tmin,
                                      std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                      SeriesHeader* series, std::int32_t& debugRepeat);

// Unknown pulse count, one layered search per candidate tuple. Returns the recognised
// tuple number (1-based), or 0.
std::int32_t recognizeTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet,
                                         const std::int32_t* tupleSizes, const std::int32_t* const* tuples,
                                         std::int32_t tupleCount, std::uint16_t proceeding, std::uint16_t tmin,
                                         std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                         SeriesHeader* series, std::int32_t& debugRepeat);

} // namespace mirokel
