// Pieces shared by the chain searches: the admissible position sets of an unknown pulse
// count, the three passes of accumulated costs over them, the accumulated costs of a
// known pulse count over the stored start ranges, and the retrace of chains.
#pragma once

#include "engine/chains_header.h"
#include "engine/etalon_match.h"
#include "engine/first_min_window.h"
#include "engine/position_set.h"
#include "model/series_header.h"
#include "model/wrapping.h"

#include <cstdint>

namespace mirokel {

constexpr std::int32_t unreachedCost = 99'999'999;  // own and accumulated cost not (yet) set
constexpr std::int32_t noPredecessorCost = 999'999; // known count: a window without predecessor
constexpr std::int32_t noEndCost = 9'999'999;       // best measure before any end was found
constexpr std::int32_t chainStartsHere = -2;        // predecessor of a chain's first pulse
constexpr std::int32_t firstPulseOnly = -1;         // predecessor of a position that only starts chains

// The admissible positions of an unknown pulse count l = wMinPulses … wMaxPulses: first
// pulses (minus), second to last pulses (tilda), last pulses (plus), and the sets each
// pass of accumulated costs runs over.
struct OmegaSets {
    PositionSet* minus = nullptr;
    PositionSet* tilda = nullptr;
    PositionSet* plus = nullptr;
    PositionSet* matched = nullptr;   // minus ∪ tilda: positions that get an own cost
    PositionSet* firstOnly = nullptr; // minus − tilda
    PositionSet* either = nullptr;    // minus ∩ tilda
    PositionSet* laterOnly = nullptr; // tilda − minus

    OmegaSets() = default;
    OmegaSets(const OmegaSets&) = delete;
    OmegaSets& operator=(const OmegaSets&) = delete;
    ~OmegaSets();

    // Builds the sets for the series with the given interval bounds. False when memory
    // runs out (the sets are then released).
    bool build(const SeriesHeader& series, std::int32_t tmin, std::int32_t tmax);
};

// Working arrays of the three passes over N positions, and of chain retraces.
struct UnknownCountArrays {
    std::int32_t* accumulated;
    std::int32_t* predecessor;
    std::int32_t* windowPositions;
    std::int32_t* windowValues;

    static void reserve(WorkBlock& block, std::int32_t seriesSize);
    void prepare(WorkBlock& block, std::int32_t seriesSize);
};

// Accumulated costs by the three passes, each in ascending position order: first-only
// positions start chains; positions of both kinds take a predecessor only when its
// accumulated cost is negative; later-only positions take any cheaper predecessor. Own
// costs come from row `row` of the match table.
void accumulateUnknownCount(const OmegaSets& sets, const MatchTable& matches, std::uint16_t row,
                            std::int32_t seriesSize, std::int32_t tmin, std::int32_t tmax,
                            UnknownCountArrays& arrays);

// Which match-table row holds the etalon of pulse j: the same row for every pulse, or
// the members of a tuple in turn from a phase.
struct PulseRows {
    const std::uint16_t* memberRows; // [members] match-table row of each member
    std::int32_t members;
    std::int32_t phase;

    std::uint16_t operator()(std::int32_t j) const { return memberRows[(phase + j) % members]; }
    static PulseRows single(const std::uint16_t& row) { return {&row, 1, 0}; }
};

// A chain under construction: positions, etalon numbers and cuts, first pulse first.
struct ChainBuffer {
    std::int16_t* etalons;
    std::int16_t* positions;
    std::int16_t* cutStart;
    std::int16_t* cutEnd;
    std::int32_t capacity;
    std::int32_t size = 0;

    static void reserve(WorkBlock& block, std::int32_t capacity);
    void prepare(WorkBlock& block, std::int32_t capacity);
    ChainPulses pulses() const { return {etalons, positions, cutStart, cutEnd, size}; }

    // Fills etalon numbers and cuts of every pulse k from row rowOf(k) of the match table.
    template <class RowOf>
    void describe(const MatchTable& matches, RowOf rowOf)
    {
        for (std::int32_t k = 0; k < size; ++k) {
            const Match match = matches.at(rowOf(k), positions[k]);
            etalons[k] = static_cast<std::int16_t>(match.slot + 1);
            cutStart[k] = match.cutStart;
            cutEnd[k] = match.cutEnd;
        }
    }
};

// Offers the chain ending at every position of omega_plus, in ascending order, with its
// accumulated cost as measure; chains that would drop out are not built.
void offerUnknownCountChains(ChainsHeader& header, const PositionSet& plus, const MatchTable& matches,
                             std::uint16_t row, const UnknownCountArrays& arrays, ChainBuffer& chain);

// The stored start range of every pulse of a known count, cut to 0 … N − n.
struct PulseRanges {
    std::int32_t* low;
    std::int32_t* high;
    std::int32_t first; // lowest position of any range
    std::int32_t last;  // highest position of any range

    static void reserve(WorkBlock& block, std::int32_t pulses);
    void take(WorkBlock& block, std::int32_t pulses);

    // The ranges the builder stored in the series.
    void fillFromSeries(const SeriesHeader& series);
    // The ranges of K = wImpulseQuantity pulses computed from N, n and the interval bounds.
    void fillFromGeometry(const SeriesHeader& series, std::int32_t tmin, std::int32_t tmax);

private:
    void cut(std::int32_t pulses, std::int32_t lastStart);
};

// Accumulated costs of pulses 0 … K − 1 over their ranges: pulse j at m costs the
// cheapest accumulated cost of pulse j − 1 in m − tmax … m − tmin (999 999 when none is
// lower) plus its own cost from row rowOf(j) of the match table.
void accumulateKnownCount(const PulseRanges& ranges, std::int32_t pulses, const MatchTable& matches,
                          const PulseRows& rowOf, std::int32_t tmin, std::int32_t tmax, std::int32_t* const* rows,
                          FirstMinWindow& window);

// The first position of the lowest accumulated cost of the last pulse below 9 999 999,
// or −1.
std::int32_t findKnownCountEnd(const PulseRanges& ranges, std::int32_t pulses, std::int32_t* const* rows,
                               std::int32_t& measure);

// Retraces the chain that ends at `end` into chain.positions. False when some pulse has
// no predecessor below 999 999.
bool retraceKnownCount(const PulseRanges& ranges, std::int32_t pulses, std::int32_t end, std::int32_t tmin,
                       std::int32_t tmax, std::int32_t* const* rows, ChainBuffer& chain);

} // namespace mirokel
