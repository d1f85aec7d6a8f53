// Direct transcription of the chain searches, kept as the reference the fast searches are
// compared with in randomized tests and as the baseline of the benchmarks. Every loop
// runs exactly as described for the searches: matchAt forms each part sum from the
// samples, predecessor windows are scanned position by position, and the same sentinels
// and strict comparisons decide. Slow on purpose: O(L·n³) per position.
//
// Costs are 32-bit signed and wrap as 32-bit arithmetic does.
// The searches assume a consistent series (ranges within 0 … N − n, list entries naming
// etalons of at least wImpulseSize samples); working storage comes from std::vector and no
// out-of-memory message is produced.
#pragma once

#include "engine/chains_header.h"
#include "model/alphabet.h"
#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mirokel::direct {

// One listed etalon as matchAt sees it.
struct MatchEtalon {
    const std::int16_t* samples = nullptr; // n samples
    const std::int32_t* partial = nullptr; // n + 1 partial energies P[0 … n]
    std::int32_t threshold = 0;            // P[n] × p / 100
    std::int32_t slot = 0;                 // 0-based alphabet slot (etalon number − 1)
};

// Best candidate at one position: its cost, the alphabet slot of its etalon and its cut.
struct Match {
    std::int32_t cost = 0;
    std::int32_t etalonIndex = 0;
    std::int32_t cutStart = 0;
    std::int32_t cutEnd = 0;
};

// P[0] = 0, P[j] = e[0]² + … + e[j − 1]², 32-bit wrapping; n + 1 values.
std::vector<std::int32_t> partialEnergies(const std::int16_t* samples, std::int32_t n);

// P[n] × p / 100 in 32-bit signed arithmetic, truncating.
std::int32_t energyThreshold(std::int32_t energy, std::uint16_t procEnergy);

// Σ_{i=g..h} e[i] × (e[i] − 2 × x[m + i]), 32-bit wrapping.
std::int32_t partCost(const std::int16_t* x, std::int32_t m, const std::int16_t* e, std::int32_t g, std::int32_t h);

// Best whole etalon or admitted part at position m of x, examined in list order (whole
// etalon, then parts by ascending first and last sample); a later candidate wins only
// when strictly cheaper. With no etalons the result is the initial state of a position:
// cost 99 999 999, slot 0, cut 0 … n − 1.
Match matchAt(const std::int16_t* x, std::int32_t m, std::int32_t n, std::span<const MatchEtalon> etalons);

std::int32_t detectUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

std::int32_t detectKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                              const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                              std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

std::int32_t recognizeUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                   const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                   std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

std::int32_t recognizeKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                 const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                 std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

} // namespace mirokel::direct
