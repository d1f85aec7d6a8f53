// Direct transcription of the tuple searches, kept as the reference the fast searches are
// compared with in randomized tests and as the baseline of the benchmarks. Every loop runs
// as described for the searches: matchAt (restricted to one tuple member) forms each part
// sum from the samples, predecessor windows are scanned position by position, and the
// same sentinels and strict comparisons decide.
//
// Choices where the searches leave the outcome open, shared with the fast searches:
//   - a phase (known count) or a tuple (unknown count) whose end scan finds nothing below
//     its sentinel, or whose retrace meets a pulse without a predecessor below 999 999,
//     has no chain: it offers no pretender and cannot become the result;
//   - when no chain is found at all, the series gets wDetPulses = 0, wDetTuples = 0
//     (recognition: wDetSubset = 0) and the chains record wSeekingPulsesQuantity = 0;
//   - a tuple with no members or with a member outside 1 … alphabet size, a null record or
//     a null tuple: the routine returns 0 and changes nothing.
//
// Costs are 32-bit signed and wrap as 32-bit arithmetic does. The searches assume a
// consistent series (ranges within 0 … N − n, etalons of at least wImpulseSize samples);
// working storage comes from std::vector and no out-of-memory message is produced.
#pragma once

#include "engine/chains_header.h"
#include "model/alphabet.h"
#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>
#include <span>

namespace mirokel::direct {

std::int32_t detectTuplesKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                    const std::int32_t* tuple, std::uint16_t proceeding, std::uint16_t tmin,
                                    std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                    SeriesHeader* series);

std::int32_t recognizeTuplesKnownCount(Window& window, std::span<const PulseHeader> alphabet,
                                       const std::int32_t* tupleSizes, const std::int32_t* const* tuples,
                                       std::int32_t tupleCount, std::uint16_t proceeding, std::uint16_t tmin,
                                       std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                       SeriesHeader* series);

std::int32_t detectTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                      const std::int32_t* tuple, std::uint16_t proceeding, std::uint16_t tmin,
                                      std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                      SeriesHeader* series, std::int32_t& debugRepeat);

std::int32_t recognizeTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet,
                                         const std::int32_t* tupleSizes, const std::int32_t* const* tuples,
                                         std::int32_t tupleCount, std::uint16_t proceeding, std::uint16_t tmin,
                                         std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                         SeriesHeader* series, std::int32_t& debugRepeat);

} // namespace mirokel::direct
