// Working storage of the searches, allocated whole before a search touches the chains
// record or the series: the matchers of the etalons involved, the position sets and
// arrays of an unknown pulse count, and the cost rows of a known pulse count.
#pragma once

#include "engine/search_support.h"

#include <cstdint>
#include <span>

namespace mirokel {

// The etalons a search matches (distinct or not, in list order) and the series.
struct SearchRequest {
    std::span<const PulseHeader> alphabet;
    std::uint16_t listCount;
    const std::uint16_t* list; // etalon numbers, 1-based
    std::uint16_t procEnergy;
    const SeriesHeader& series;
};

// The longest chain that fits into the series with pulses at least tmin apart.
std::int32_t longestChain(const SeriesHeader& s, std::int32_t tmin);

// What a position that is never matched reads: the sentinel cost, the given slot, the
// whole etalon as its cut.
Match unmatched(std::int32_t slot, std::int32_t n);

// wSeekingPulsesQuantity = the pulses of pretender 0, or 0 without pretenders.
void setSeekingFromBest(ChainsHeader& header);

// Writes positions and cuts of a retraced chain into the detected pulses of the series.
void writeDetectedPlacement(const ChainBuffer& chain, SeriesHeader& s);

// Writes a whole chain (positions, etalon numbers, cuts) into the detected pulses of the
// series and sets wDetPulses to its length; never more pulses than the series holds.
void writeDetectedChain(const ChainBuffer& chain, SeriesHeader& s);

// The tuple groups of a chain of `pulses` pulses: the first holds `firstGroup` pulses
// (fewer at the chain's end), each following one `tupleSize`; 1-based pulse numbers.
void writeTupleGroups(SeriesHeader& s, std::int32_t pulses, std::int32_t tupleSize, std::int32_t firstGroup);

// Copies the pulses of one chain buffer into another of at least the same capacity.
void copyChain(ChainBuffer& to, const ChainBuffer& from);

// Gives the pretender in `slot` the positions and cuts of the retraced chain.
void writePretenderPlacement(ChainsHeader& h, std::int32_t slot, const ChainBuffer& chain);

// The matchers of the requested etalons in their own block.
struct ListedMatchers {
    WorkBlock block;
    EtalonMatchers matchers;

    // False when the block cannot be allocated; `failure` is then shown.
    bool allocate(Window& window, const SearchRequest& r, const char* failure);
    void prepare(const SearchRequest& r);
};

// Position sets and working arrays of an unknown-count search with `rows` match rows and
// `layers` layers of accumulated costs and predecessors.
struct UnknownCountStorage {
    ListedMatchers listed;
    OmegaSets sets;
    WorkBlock block;
    UnknownCountArrays arrays;  // layer 0 (and the only one of the chain searches)
    std::int32_t** layerCosts = nullptr;        // [layers] accumulated costs per position
    std::int32_t** layerPredecessors = nullptr; // [layers] predecessor per position
    FirstMinWindow* layerWindows = nullptr;     // [layers] over the predecessor layer
    std::int16_t* chainLayers = nullptr;        // layer of each pulse of a retraced chain
    MatchTable matches;
    ChainBuffer chain{};
    ChainBuffer best{};         // the best chain so far of a recognition

    bool allocate(const SeriesHeader& s, std::int32_t tmin, std::int32_t tmax, std::uint16_t rows,
                  std::int32_t layers = 1);
};

// Cost rows of every pulse index and the working arrays of a known-count search.
struct KnownCountStorage {
    ListedMatchers listed;
    WorkBlock pointerBlock;
    WorkBlock block;
    std::int32_t** rows = nullptr;
    std::int32_t* windowPositions = nullptr;
    std::int32_t* windowValues = nullptr;
    PulseRanges ranges{};      // taken here, filled by the search
    MatchTable matches;
    ChainBuffer chain{};
    ChainBuffer second{};      // a pretender of zeros, or the best chain so far

    // Allocates the matchers (reporting `matchersFailure`), the row pointers ("ppDw") and
    // the rest (`rowsFailure`), and prepares the matchers. False after a failed
    // allocation, with its message shown.
    bool prepare(Window& window, const SearchRequest& r, std::uint16_t matchRows, const char* matchersFailure,
                 const char* rowsFailure = "Нет памяти для ppDw[m]!");

    const EtalonMatchers& matchers() const { return listed.matchers; }

private:
    const char* allocate(const SeriesHeader& s, std::uint16_t matchRows, const char* rowsFailure);
};

// The known-count search of one assignment of match rows to pulses into storage.chain,
// over storage.ranges. False when there is no chain: no end below 9 999 999, or a pulse
// without a predecessor below 999 999.
bool searchKnownCount(KnownCountStorage& storage, std::int32_t pulses, const PulseRows& rowOf, std::int32_t tmin,
                      std::int32_t tmax, std::int32_t& measure);

} // namespace mirokel
