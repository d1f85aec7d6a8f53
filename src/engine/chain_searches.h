// The chain searches of the processing engine: detection with an unknown and with a
// known pulse count, and recognition of the one etalon a series is made of. Each ranks
// its candidate chains in the chains record and writes the best one into the detected
// pulses of the series record.
//
// Shared arguments:
//   alphabet:     the etalon slots; etalon number k lives in slot k − 1
//   listCount, list: the etalons in use, 1-based numbers in list order
//   tmin, tmax:   distance between neighbouring pulse starts
//   procEnergy:   saved energy level for processing, percent; a part of an etalon is
//                 admitted when its energy exceeds that share of the etalon's energy
//   header:       the chains record, with rows at least as long as the longest chain
//   series:       the series record; its noisy samples are searched
#pragma once

#include "engine/chains_header.h"
#include "model/alphabet.h"
#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>
#include <span>

namespace mirokel {

using ChainSearch = std::int32_t (*)(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                     const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                     std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

// Unknown pulse count: the cheapest chain ending at every admissible last position is
// offered; pretender 0 is published. Returns 1 when it ran, 0 on a failure.
std::int32_t detectUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

// Known pulse count K = wImpulseQuantity, pulse j within the start range the builder
// stored: the one best chain is offered and published. Returns 1 when it ran, 0 on a
// memory failure.
std::int32_t detectKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                              const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                              std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

// Recognition: the unknown-count search once per listed etalon alone; returns the
// etalon number whose best chain scores lowest, or −1.
std::int32_t recognizeUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                   const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                   std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

// Recognition with the known-count search; one pretender per etalon. Returns the
// recognised etalon number, or −1.
std::int32_t recognizeKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                 const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                 std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series);

} // namespace mirokel
