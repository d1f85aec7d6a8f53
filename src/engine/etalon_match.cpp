// Matching etalons against a series: exact part costs by prefix sums and suffix minima,
// with a direct examination of every admitted part where the costs could leave 32 bits.
#include "engine/etalon_match.h"

#include "model/wrapping.h"

#include <algorithm>
#include <cstdlib>

// The kernels over a chunk of positions are built for AVX2 as well as for the baseline
// processor; the loader picks the version the machine runs.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define MIROKEL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define MIROKEL_VECTOR_CLONES
#endif

namespace mirokel {

namespace {

constexpr std::int64_t int32Limit = INT32_MAX;

} // namespace

void EtalonMatchers::reserve(WorkBlock& block, std::uint16_t listCount, std::uint16_t n)
{
    block.reserve<EtalonMatcher>(listCount);
    block.reserve<std::int16_t>(n);
    block.reserve<std::int64_t>(n + 1u);
    block.reserve<std::int32_t>((n + 1u) * chunkWidth);
    for (int i = 0; i < 6; ++i) block.reserve<std::int32_t>(chunkWidth);
    for (std::uint16_t i = 0; i < listCount; ++i) {
        block.reserve<std::int32_t>(n + 1u);
        block.reserve<std::int16_t>(n);
        block.reserve<std::uint8_t>(n + 1u);
    }
}

void EtalonMatchers::prepare(WorkBlock& block, std::span<const PulseHeader> alphabet, std::uint16_t count,
                             const std::uint16_t* list, std::uint16_t length, std::uint16_t procEnergy,
                             const std::int16_t* series, std::int32_t seriesSize)
{
    listCount = count;
    n = length;
    x = series;
    matchers = block.take<EtalonMatcher>(count);
    zeros = block.take<std::int16_t>(length);
    prefix = block.take<std::int64_t>(length + 1u);
    chunkPrefix = block.take<std::int32_t>((length + 1u) * chunkWidth);
    chunkCorrelation = block.take<std::int32_t>(chunkWidth);
    suffixMin = block.take<std::int32_t>(chunkWidth);
    suffixEnd = block.take<std::int32_t>(chunkWidth);
    partCost = block.take<std::int32_t>(chunkWidth);
    partStart = block.take<std::int32_t>(chunkWidth);
    partEnd = block.take<std::int32_t>(chunkWidth);
    maxAbsSample = 0;
    for (std::int32_t i = 0; i < seriesSize; ++i) maxAbsSample = std::max(maxAbsSample, std::abs(std::int32_t{x[i]}));
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t slot = static_cast<std::size_t>(list[i]) - 1u;
        prepareMatcher(matchers[i], block, alphabet[slot], procEnergy);
        matchers[i].slot = static_cast<std::int16_t>(slot);
    }
}

void EtalonMatchers::prepareMatcher(EtalonMatcher& e, WorkBlock& block, const PulseHeader& etalon,
                                    std::uint16_t procEnergy)
{
    // A slot without samples (or with fewer than n) matches as zeros.
    e.samples = etalon.lpData != nullptr && etalon.wLength >= n ? etalon.lpData : zeros;
    e.energy = block.take<std::int32_t>(n + 1u);
    e.firstAdmittedEnd = block.take<std::int16_t>(n);
    e.prefixNeeded = block.take<std::uint8_t>(n + 1u);
    std::int64_t sumSquares = 0;
    std::int64_t sumMagnitudes = 0;
    e.energy[0] = 0;
    for (std::int32_t j = 0; j < n; ++j) {
        const std::int32_t v = e.samples[j];
        e.energy[j + 1] = wrapAdd(e.energy[j], v * v);
        sumSquares += std::int64_t{v} * v;
        sumMagnitudes += std::abs(v);
    }
    e.threshold = wrapMul(e.energy[n], procEnergy) / 100;
    e.anyPart = false;
    e.admittedStarts = 0;
    std::fill_n(e.prefixNeeded, n + 1, std::uint8_t{0});
    e.prefixNeeded[n] = 1;
    for (std::int32_t g = 0; g < n; ++g) {
        e.firstAdmittedEnd[g] = -1;
        if (!(wrapSub(e.energy[n], e.energy[g]) > e.threshold)) continue;
        std::int32_t h = g;
        while (!(wrapSub(e.energy[h + 1], e.energy[g]) > e.threshold)) ++h;
        e.firstAdmittedEnd[g] = static_cast<std::int16_t>(h);
        e.anyPart = true;
        e.admittedStarts = g + 1;
        e.prefixNeeded[g] = 1;
        std::fill(e.prefixNeeded + h + 1, e.prefixNeeded + n + 1, std::uint8_t{1});
    }
    // Every part cost is bounded by Σ |e|·(|e| + 2·max|x|); below 2³¹ nothing wraps, and
    // with a threshold that did not wrap either, the partial energies grow monotonically:
    // the admitted starts are a prefix 0 … admittedStarts − 1, the least admitted end grows
    // with the start, and the suffix-minimum search is exact.
    const std::int64_t bound = sumSquares + 2 * std::int64_t{maxAbsSample} * sumMagnitudes;
    e.prefixMinimumExact = bound < int32Limit && sumSquares * procEnergy < int32Limit;
}

void EtalonMatchers::matchRange(std::uint16_t listIndex, std::int32_t first, std::int32_t last,
                                const MatchRow& out) const
{
    const EtalonMatcher& e = matchers[listIndex];
    if (!e.prefixMinimumExact) {
        for (std::int32_t m = first; m <= last; ++m) out.store(m, matchByExamination(e, m));
        return;
    }
    for (std::int32_t chunk = first; chunk <= last; chunk += chunkWidth)
        matchChunk(e, chunk, std::min(chunkWidth, last - chunk + 1), out);
}

namespace {

// The arrays of one chunk of positions. Every pointer names its own array, so the loops
// over positions vectorize.
struct ChunkArrays {
    std::int32_t* __restrict prefix;      // rows j = 0 … n of S[j], chunk width apart
    std::int32_t* __restrict correlation; // running Σ_{i<j} e[i]·x[m + i]
    std::int32_t* __restrict suffixMin;
    std::int32_t* __restrict suffixEnd;
    std::int32_t* __restrict partCost;
    std::int32_t* __restrict partStart;
    std::int32_t* __restrict partEnd;
    std::int32_t rowStride;
};

// Branch-free selection, so that the compiler turns the loops over positions into
// vector code: maskIf gives all ones for true, select picks by such a mask.
inline std::int32_t maskIf(bool condition) { return -static_cast<std::int32_t>(condition); }
inline std::int32_t select(std::int32_t mask, std::int32_t ifSet, std::int32_t ifClear)
{
    return (ifSet & mask) | (ifClear & ~mask);
}

// Takes S[j] into the suffix minimum of every position; the lower index wins on ties.
inline void lowerSuffixMinimum(const std::int32_t* __restrict prefixJ, std::int32_t* __restrict suffixMin,
                               std::int32_t* __restrict suffixEnd, std::int32_t j, std::int32_t width)
{
    for (std::int32_t k = 0; k < width; ++k) {
        const std::int32_t lower = maskIf(prefixJ[k] <= suffixMin[k]);
        suffixMin[k] = select(lower, prefixJ[k], suffixMin[k]);
        suffixEnd[k] = select(lower, j, suffixEnd[k]);
    }
}

// Examines the best part starting at g of every position; an equal cost takes the lower
// start, which is examined later.
inline void examineStart(const std::int32_t* __restrict suffixMin, const std::int32_t* __restrict suffixEnd,
                         const std::int32_t* __restrict prefixG, std::int32_t* __restrict partCost,
                         std::int32_t* __restrict partStart, std::int32_t* __restrict partEnd, std::int32_t g,
                         std::int32_t width)
{
    for (std::int32_t k = 0; k < width; ++k) {
        const std::int32_t cost = suffixMin[k] - prefixG[k];
        const std::int32_t better = maskIf(cost <= partCost[k]);
        partCost[k] = select(better, cost, partCost[k]);
        partStart[k] = select(better, g, partStart[k]);
        partEnd[k] = select(better, suffixEnd[k] - 1, partEnd[k]);
    }
}

// Accumulates the correlation of the etalon with the series sample by sample for all
// positions at once, and keeps the prefix sums S[j] = P[j] − 2·Σ_{i<j} e[i]·x[m + i]
// where the search of parts reads them.
MIROKEL_VECTOR_CLONES
void computePrefixRows(const EtalonMatcher& e, std::int32_t n, const std::int16_t* x, std::int32_t width,
                       const ChunkArrays& a)
{
    std::int32_t* __restrict correlation = a.correlation;
    for (std::int32_t k = 0; k < width; ++k) correlation[k] = 0;
    if (e.prefixNeeded[0] != 0)
        for (std::int32_t k = 0; k < width; ++k) a.prefix[k] = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t sample = e.samples[i];
        const std::int16_t* __restrict xs = x + i;
        for (std::int32_t k = 0; k < width; ++k) correlation[k] += sample * xs[k];
        if (e.prefixNeeded[i + 1] == 0) continue;
        std::int32_t* __restrict row = a.prefix + static_cast<std::size_t>(i + 1) * a.rowStride;
        const std::int32_t energy = e.energy[i + 1];
        for (std::int32_t k = 0; k < width; ++k) row[k] = energy - 2 * correlation[k];
    }
}

// For every position of the chunk, the first cheapest admitted part: ends are swept from
// n down, keeping the first index of the suffix minimum; each start g is examined once
// its least admitted end is reached. Starts come in descending order, so an equal cost
// moves the choice to the lower start, as an ascending examination would keep it.
MIROKEL_VECTOR_CLONES
void findBestParts(const EtalonMatcher& e, std::int32_t n, std::int32_t width, const ChunkArrays& a)
{
    const std::int32_t* __restrict whole = a.prefix + static_cast<std::size_t>(n) * a.rowStride;
    std::int32_t* __restrict suffixMin = a.suffixMin;
    std::int32_t* __restrict suffixEnd = a.suffixEnd;
    std::int32_t* __restrict partCost = a.partCost;
    std::int32_t* __restrict partStart = a.partStart;
    std::int32_t* __restrict partEnd = a.partEnd;
    for (std::int32_t k = 0; k < width; ++k) {
        suffixMin[k] = whole[k];
        suffixEnd[k] = n;
        partCost[k] = INT32_MAX;
        partStart[k] = 0;
        partEnd[k] = 0;
    }
    std::int32_t g = e.admittedStarts - 1;
    for (std::int32_t j = n; g >= 0; --j) {
        const std::int32_t* __restrict prefixJ = a.prefix + static_cast<std::size_t>(j) * a.rowStride;
        if (j < n) {
            lowerSuffixMinimum(prefixJ, suffixMin, suffixEnd, j, width);
        }
        for (; g >= 0 && e.firstAdmittedEnd[g] + 1 == j; --g) {
            const std::int32_t* __restrict prefixG = a.prefix + static_cast<std::size_t>(g) * a.rowStride;
            examineStart(suffixMin, suffixEnd, prefixG, partCost, partStart, partEnd, g, width);
        }
    }
}

// Writes the match of every position: the best part where it is strictly cheaper than
// the whole etalon, else the whole etalon.
MIROKEL_VECTOR_CLONES
void storeMatches(const EtalonMatcher& e, std::int32_t n, std::int32_t width, const ChunkArrays& a,
                  const MatchRow& out, std::int32_t first)
{
    const std::int32_t* __restrict whole = a.prefix + static_cast<std::size_t>(n) * a.rowStride;
    std::int32_t* __restrict costs = out.costs + first;
    std::int16_t* __restrict slots = out.slots + first;
    std::int16_t* __restrict cutStarts = out.cutStarts + first;
    std::int16_t* __restrict cutEnds = out.cutEnds + first;
    const auto lastSample = static_cast<std::int16_t>(n - 1);
    for (std::int32_t k = 0; k < width; ++k) slots[k] = e.slot;
    if (!e.anyPart) {
        for (std::int32_t k = 0; k < width; ++k) {
            costs[k] = whole[k];
            cutStarts[k] = 0;
            cutEnds[k] = lastSample;
        }
        return;
    }
    const std::int32_t* __restrict partCost = a.partCost;
    const std::int32_t* __restrict partStart = a.partStart;
    const std::int32_t* __restrict partEnd = a.partEnd;
    for (std::int32_t k = 0; k < width; ++k) {
        const bool part = partCost[k] < whole[k];
        costs[k] = part ? partCost[k] : whole[k];
        cutStarts[k] = static_cast<std::int16_t>(part ? partStart[k] : 0);
        cutEnds[k] = static_cast<std::int16_t>(part ? partEnd[k] : lastSample);
    }
}

} // namespace

// Matches `width` positions from `first` together.
void EtalonMatchers::matchChunk(const EtalonMatcher& e, std::int32_t first, std::int32_t width,
                                const MatchRow& out) const
{
    const ChunkArrays arrays{chunkPrefix, chunkCorrelation, suffixMin, suffixEnd, partCost, partStart, partEnd,
                             chunkWidth};
    computePrefixRows(e, n, x + first, width, arrays);
    if (e.anyPart) findBestParts(e, n, width, arrays);
    storeMatches(e, n, width, arrays, out, first);
}

// Every admitted part in the order of examination, with 32-bit wrap-around sums.
Match EtalonMatchers::matchByExamination(const EtalonMatcher& e, std::int32_t m) const
{
    const std::int16_t* xm = x + m;
    prefix[0] = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t v = e.samples[i];
        const std::int32_t term = wrapMul(v, wrapSub(v, wrapMul(2, xm[i])));
        prefix[i + 1] = wrapAdd(static_cast<std::int32_t>(prefix[i]), term);
    }
    auto cost = [this](std::int32_t g, std::int32_t h) {
        return wrapSub(static_cast<std::int32_t>(prefix[h + 1]), static_cast<std::int32_t>(prefix[g]));
    };
    Match best{cost(0, n - 1), e.slot, 0, static_cast<std::int16_t>(n - 1)};
    for (std::int32_t g = 0; g < n; ++g) {
        if (!(wrapSub(e.energy[n], e.energy[g]) > e.threshold)) continue;
        for (std::int32_t h = g; h < n; ++h) {
            if (!(wrapSub(e.energy[h + 1], e.energy[g]) > e.threshold)) continue;
            const std::int32_t c = cost(g, h);
            if (c < best.cost) best = {c, e.slot, static_cast<std::int16_t>(g), static_cast<std::int16_t>(h)};
        }
    }
    return best;
}

void MatchTable::reserve(WorkBlock& block, std::uint16_t rows, std::int32_t positions)
{
    const std::size_t entries = (std::size_t{rows} + 1) * static_cast<std::size_t>(std::max(positions, 0));
    block.reserve<std::int32_t>(entries);
    block.reserve<std::int16_t>(entries);
    block.reserve<std::int16_t>(entries);
    block.reserve<std::int16_t>(entries);
}

void MatchTable::prepare(WorkBlock& block, std::uint16_t rowCount, std::int32_t positions)
{
    rows = rowCount;
    width = std::max(positions, 0);
    const std::size_t entries = (std::size_t{rowCount} + 1) * static_cast<std::size_t>(width);
    costs = block.take<std::int32_t>(entries);
    slots = block.take<std::int16_t>(entries);
    cutStarts = block.take<std::int16_t>(entries);
    cutEnds = block.take<std::int16_t>(entries);
}

void MatchTable::clearRow(std::uint16_t r, const Match& empty)
{
    const MatchRow target = row(r);
    for (std::int32_t m = 0; m < width; ++m) target.store(m, empty);
}

namespace {

// The first listed entry of the same etalon as entry li: a repeated etalon matches alike,
// so its matches are computed once.
std::uint16_t firstListing(const EtalonMatchers& matchers, std::uint16_t li)
{
    for (std::uint16_t earlier = 0; earlier < li; ++earlier)
        if (matchers.matcher(earlier).slot == matchers.matcher(li).slot) return earlier;
    return li;
}

} // namespace

void MatchTable::fillRange(const EtalonMatchers& matchers, std::int32_t first, std::int32_t last)
{
    for (std::uint16_t li = 0; li < matchers.count(); ++li) {
        const std::uint16_t original = firstListing(matchers, li);
        if (original == li) {
            matchers.matchRange(li, first, last, row(li));
            continue;
        }
        const MatchRow from = row(original);
        const MatchRow to = row(li);
        for (std::int32_t m = first; m <= last; ++m) to.store(m, from.at(m));
    }
}

// A repeated etalon is skipped: its costs equal the earlier entry's and never win.
void MatchTable::fillCombinedRange(const EtalonMatchers& matchers, std::int32_t first, std::int32_t last)
{
    const MatchRow best = row(0);
    const MatchRow candidate = row(rows);
    matchers.matchRange(0, first, last, best);
    for (std::uint16_t li = 1; li < matchers.count(); ++li) {
        if (firstListing(matchers, li) != li) continue;
        matchers.matchRange(li, first, last, candidate);
        for (std::int32_t m = first; m <= last; ++m)
            if (candidate.costs[m] < best.costs[m]) best.store(m, candidate.at(m));
    }
}

} // namespace mirokel
