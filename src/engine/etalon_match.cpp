// Matching etalons against a series: exact part costs by prefix sums and suffix minima,
// with a direct examination of every admitted part where the costs could leave 32 bits.
#include "engine/etalon_match.h"

#include <algorithm>
#include <cstdlib>

namespace mirokel {

namespace {

constexpr std::int64_t int32Limit = INT32_MAX;

std::int32_t wrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t wrapSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

std::int32_t wrapMul(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

} // namespace

void EtalonMatchers::reserve(WorkBlock& block, std::uint16_t listCount, std::uint16_t n)
{
    block.reserve<EtalonMatcher>(listCount);
    block.reserve<std::int16_t>(n);
    block.reserve<std::int64_t>(n + 1u);
    block.reserve<std::int32_t>(n + 1u);
    for (std::uint16_t i = 0; i < listCount; ++i) {
        block.reserve<std::int32_t>(n + 1u);
        block.reserve<std::int16_t>(n);
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
    bestEnd = block.take<std::int32_t>(length + 1u);
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
    for (std::int32_t g = 0; g < n; ++g) {
        e.firstAdmittedEnd[g] = -1;
        if (!(wrapSub(e.energy[n], e.energy[g]) > e.threshold)) continue;
        std::int32_t h = g;
        while (!(wrapSub(e.energy[h + 1], e.energy[g]) > e.threshold)) ++h;
        e.firstAdmittedEnd[g] = static_cast<std::int16_t>(h);
        e.anyPart = true;
    }
    // Every part cost is bounded by Σ |e|·(|e| + 2·max|x|); below 2³¹ nothing wraps, the
    // partial energies grow monotonically and the suffix-minimum search is exact.
    e.prefixMinimumExact = sumSquares + 2 * std::int64_t{maxAbsSample} * sumMagnitudes < int32Limit;
}

Match EtalonMatchers::matchAt(std::uint16_t listIndex, std::int32_t m) const
{
    const EtalonMatcher& e = matchers[listIndex];
    return e.prefixMinimumExact ? matchByPrefixMinimum(e, m) : matchByExamination(e, m);
}

Match EtalonMatchers::matchByPrefixMinimum(const EtalonMatcher& e, std::int32_t m) const
{
    const std::int16_t* xm = x + m;
    prefix[0] = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t v = e.samples[i];
        prefix[i + 1] = prefix[i] + v * (v - 2 * std::int32_t{xm[i]});
    }
    Match best{static_cast<std::int32_t>(prefix[n]), e.slot, 0, static_cast<std::int16_t>(n - 1)};
    if (!e.anyPart) return best;
    // bestEnd[j]: the lowest index of the minimum of prefix[j … n].
    bestEnd[n] = n;
    for (std::int32_t j = n - 1; j >= 1; --j) bestEnd[j] = prefix[j] <= prefix[bestEnd[j + 1]] ? j : bestEnd[j + 1];
    std::int64_t bestCost = best.cost;
    for (std::int32_t g = 0; g < n; ++g) {
        const std::int32_t h = e.firstAdmittedEnd[g];
        if (h < 0) continue;
        const std::int32_t end = bestEnd[h + 1];
        const std::int64_t cost = prefix[end] - prefix[g];
        if (cost < bestCost) {
            bestCost = cost;
            best.cutStart = static_cast<std::int16_t>(g);
            best.cutEnd = static_cast<std::int16_t>(end - 1);
        }
    }
    best.cost = static_cast<std::int32_t>(bestCost);
    return best;
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

void MatchTable::reserve(WorkBlock& block, std::uint16_t listCount, std::int32_t positions)
{
    const std::size_t entries = std::size_t{listCount} * static_cast<std::size_t>(std::max(positions, 0));
    block.reserve<std::int32_t>(entries);
    block.reserve<std::int16_t>(entries);
    block.reserve<std::int16_t>(entries);
    block.reserve<std::int16_t>(entries);
}

void MatchTable::prepare(WorkBlock& block, std::uint16_t count, std::int32_t first, std::int32_t last)
{
    listCount = count;
    firstPosition = first;
    width = std::max(last - first + 1, 0);
    const std::size_t entries = std::size_t{count} * static_cast<std::size_t>(width);
    costs = block.take<std::int32_t>(entries);
    slots = block.take<std::int16_t>(entries);
    cutStarts = block.take<std::int16_t>(entries);
    cutEnds = block.take<std::int16_t>(entries);
}

void MatchTable::clearRow(std::uint16_t row, const Match& empty)
{
    for (std::int32_t m = firstPosition; m < firstPosition + width; ++m) store(index(row, m), empty);
}

void MatchTable::fill(const EtalonMatchers& matchers, std::int32_t m)
{
    for (std::uint16_t li = 0; li < matchers.count(); ++li) store(index(li, m), matchers.matchAt(li, m));
}

void MatchTable::fillCombined(const EtalonMatchers& matchers, std::int32_t m)
{
    Match best = matchers.matchAt(0, m);
    for (std::uint16_t li = 1; li < matchers.count(); ++li) {
        const Match candidate = matchers.matchAt(li, m);
        if (candidate.cost < best.cost) best = candidate;
    }
    store(index(0, m), best);
}

} // namespace mirokel
