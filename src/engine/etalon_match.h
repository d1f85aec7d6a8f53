// The best admitted part of an etalon at one position of a series (the match), and the
// table of matches of every listed etalon over a range of positions, computed once per
// series and shared by the searches.
//
// The part cost of etalon e at position m over samples g … h is
//     C(g, h) = Σ_{i=g..h} e[i]·(e[i] − 2·x[m + i]),
// a 32-bit signed value. Candidates are examined in a fixed order — the whole etalon,
// then its parts by first sample g, then by last sample h — and replace the best only
// when strictly cheaper. A part is admitted when its energy exceeds the saved share of
// the etalon's energy. With prefix sums S of the per-sample terms, C(g, h) = S[h + 1] −
// S[g], and for each g the admitted h form a suffix, so the best h of each g is a suffix
// minimum: O(n) per etalon and position instead of O(n³).
#pragma once

#include "engine/work_block.h"
#include "model/alphabet.h"

#include <cstdint>
#include <span>

namespace mirokel {

// One match: cost, 0-based alphabet slot, cut first … last.
struct Match {
    std::int32_t cost;
    std::int16_t slot;
    std::int16_t cutStart;
    std::int16_t cutEnd;
};

// Precomputed facts of one listed etalon.
struct EtalonMatcher {
    const std::int16_t* samples;  // n samples (zeros for a slot without data)
    std::int16_t slot;            // 0-based alphabet slot
    std::int32_t* energy;         // [n + 1] partial energies P[j] = e[0]² + … + e[j − 1]²
    std::int32_t threshold;       // P[n] · procEnergy / 100
    std::int16_t* firstAdmittedEnd; // [n] for each g the least admitted h, or −1
    bool anyPart;                 // some part is admitted
    std::int32_t admittedStarts;  // parts start at g = 0 … admittedStarts − 1
    std::uint8_t* prefixNeeded;   // [n + 1] prefix sums the search of the best part reads
    bool prefixMinimumExact;      // no part cost can leave 32 bits: the fast search is exact
};

// Where matches are written: arrays indexed by absolute position.
struct MatchRow {
    std::int32_t* costs;
    std::int16_t* slots;
    std::int16_t* cutStarts;
    std::int16_t* cutEnds;

    void store(std::int32_t m, const Match& match) const
    {
        costs[m] = match.cost;
        slots[m] = match.slot;
        cutStarts[m] = match.cutStart;
        cutEnds[m] = match.cutEnd;
    }
    Match at(std::int32_t m) const { return {costs[m], slots[m], cutStarts[m], cutEnds[m]}; }
};

// The matchers of a list of etalons and the series samples they are matched against.
class EtalonMatchers {
public:
    // Space the matchers take in a work block, and their set-up from it.
    static void reserve(WorkBlock& block, std::uint16_t listCount, std::uint16_t n);
    void prepare(WorkBlock& block, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                 const std::uint16_t* list, std::uint16_t n, std::uint16_t procEnergy, const std::int16_t* series,
                 std::int32_t seriesSize);

    std::uint16_t count() const { return listCount; }
    const EtalonMatcher& matcher(std::uint16_t listIndex) const { return matchers[listIndex]; }

    // The best match of listed etalon `listIndex` at every position first … last.
    void matchRange(std::uint16_t listIndex, std::int32_t first, std::int32_t last, const MatchRow& out) const;

private:
    static constexpr std::int32_t chunkWidth = 256; // positions matched together

    void prepareMatcher(EtalonMatcher& e, WorkBlock& block, const PulseHeader& etalon, std::uint16_t procEnergy);
    void matchChunk(const EtalonMatcher& e, std::int32_t first, std::int32_t width, const MatchRow& out) const;
    Match matchByExamination(const EtalonMatcher& e, std::int32_t m) const;

    EtalonMatcher* matchers = nullptr;
    std::int16_t* zeros = nullptr;       // samples of a slot without data
    std::int64_t* prefix = nullptr;      // [n + 1] scratch of one examined match
    // Scratch of a chunk of positions: prefix sums S[j] (rows of chunkWidth), the running
    // correlation, and per position the suffix minimum and the best part so far.
    std::int32_t* chunkPrefix = nullptr;
    std::int32_t* chunkCorrelation = nullptr;
    std::int32_t* suffixMin = nullptr;
    std::int32_t* suffixEnd = nullptr;
    std::int32_t* partCost = nullptr;
    std::int32_t* partStart = nullptr;
    std::int32_t* partEnd = nullptr;
    std::uint16_t listCount = 0;
    std::int32_t n = 0;
    const std::int16_t* x = nullptr;
    std::int32_t maxAbsSample = 0;
};

// Matches of listed etalons over positions 0 … positions − 1, one row per etalon (and
// one more row of scratch for the combined fill).
class MatchTable {
public:
    static void reserve(WorkBlock& block, std::uint16_t rows, std::int32_t positions);
    void prepare(WorkBlock& block, std::uint16_t rows, std::int32_t positions);

    // Sets every entry of a row to `empty`: what a position that is never matched reads.
    void clearRow(std::uint16_t r, const Match& empty);

    // Row r holds the match of listed etalon r at every position first … last.
    void fillRange(const EtalonMatchers& matchers, std::int32_t first, std::int32_t last);

    // Row 0 holds the best match over all listed etalons at every position first … last:
    // the earlier listed etalon wins on equal costs.
    void fillCombinedRange(const EtalonMatchers& matchers, std::int32_t first, std::int32_t last);

    Match at(std::uint16_t r, std::int32_t m) const { return row(r).at(m); }

    MatchRow row(std::uint16_t r) const
    {
        const std::size_t base = static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        return {costs + base, slots + base, cutStarts + base, cutEnds + base};
    }

private:
    std::int32_t* costs = nullptr;
    std::int16_t* slots = nullptr;
    std::int16_t* cutStarts = nullptr;
    std::int16_t* cutEnds = nullptr;
    std::uint16_t rows = 0;
    std::int32_t width = 0;
};

} // namespace mirokel
