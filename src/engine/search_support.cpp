// Position sets, passes of accumulated costs, and retraces shared by the chain searches.
#include "engine/search_support.h"

#include <algorithm>

namespace mirokel {

namespace {

// Adds [lo, hi], cut to the positions a pulse can start at, to the set.
void addRange(PositionSet* set, std::int32_t lo, std::int32_t hi, std::int32_t lastStart)
{
    lo = std::max(lo, 0);
    hi = std::min(hi, lastStart);
    if (lo <= hi) addInterval(set, static_cast<std::uint16_t>(lo), static_cast<std::uint16_t>(hi));
}

PositionSet* derivedSet(const PositionSet* from, std::int32_t (*operation)(PositionSet*, const PositionSet*),
                        const PositionSet* other)
{
    PositionSet* set = copySet(nullptr, from);
    if (set != nullptr) operation(set, other);
    return set;
}

} // namespace

OmegaSets::~OmegaSets()
{
    for (PositionSet* set : {minus, tilda, plus, matched, firstOnly, either, laterOnly}) freeSet(set);
}

bool OmegaSets::build(const SeriesHeader& series, std::int32_t tmin, std::int32_t tmax)
{
    const std::int32_t n = series.wImpulseSize;
    const std::int32_t size = series.dwSeriesSize;
    const std::int32_t lastStart = size - n;
    minus = resetSet(nullptr, series.wMaxPulses);
    tilda = resetSet(nullptr, series.wMaxPulses);
    plus = resetSet(nullptr, series.wMaxPulses);
    if (minus == nullptr || tilda == nullptr || plus == nullptr) return false;
    for (std::int32_t l = series.wMinPulses; l <= series.wMaxPulses; ++l) {
        addRange(minus, std::max(0, size - tmax * l), std::min(tmax - n, size - n - tmin * (l - 1)), lastStart);
        for (std::int32_t j = 1; j <= l - 1; ++j)
            addRange(tilda, std::max(j * tmin, size - tmax * (l - j)),
                     std::min((j + 1) * tmax - n, size - n - tmin * (l - 1 - j)), lastStart);
        addRange(plus, std::max((l - 1) * tmin, size - tmax), std::min(l * tmax - n, size - n), lastStart);
    }
    matched = derivedSet(minus, uniteSets, tilda);
    firstOnly = derivedSet(minus, subtractSet, tilda);
    either = derivedSet(minus, intersectSets, tilda);
    laterOnly = derivedSet(tilda, subtractSet, minus);
    return matched != nullptr && firstOnly != nullptr && either != nullptr && laterOnly != nullptr;
}

void UnknownCountArrays::reserve(WorkBlock& block, std::int32_t seriesSize)
{
    for (int i = 0; i < 4; ++i) block.reserve<std::int32_t>(static_cast<std::size_t>(seriesSize));
}

void UnknownCountArrays::prepare(WorkBlock& block, std::int32_t seriesSize)
{
    const auto size = static_cast<std::size_t>(seriesSize);
    accumulated = block.take<std::int32_t>(size);
    predecessor = block.take<std::int32_t>(size);
    windowPositions = block.take<std::int32_t>(size);
    windowValues = block.take<std::int32_t>(size);
}

namespace {

// One pass over `set`: each position takes the first cheapest predecessor in
// m − tmax … m − tmin whose accumulated cost is below `startCost`, or starts a chain.
void accumulatePass(const PositionSet& set, std::int32_t startCost, const MatchTable& matches, std::uint16_t row,
                    std::int32_t tmin, std::int32_t tmax, UnknownCountArrays& a)
{
    FirstMinWindow window(a.windowPositions, a.windowValues);
    std::int32_t nextPush = 0;
    forEachPosition(set, [&](std::int32_t m) {
        // Every position below m holds its value for this pass: earlier positions of the
        // pass are done, the others do not change during it.
        for (; nextPush <= m - tmin; ++nextPush) window.push(nextPush, a.accumulated[nextPush]);
        window.dropBelow(m - tmax);
        std::int32_t best = startCost;
        std::int32_t predecessor = chainStartsHere;
        if (!window.empty() && window.minValue() < best) {
            best = window.minValue();
            predecessor = window.minPosition();
        }
        a.accumulated[m] = wrapAdd(best, matches.at(row, m).cost);
        a.predecessor[m] = predecessor;
    });
}

} // namespace

void accumulateUnknownCount(const OmegaSets& sets, const MatchTable& matches, std::uint16_t row,
                            std::int32_t seriesSize, std::int32_t tmin, std::int32_t tmax, UnknownCountArrays& a)
{
    std::fill_n(a.accumulated, seriesSize, unreachedCost);
    std::fill_n(a.predecessor, seriesSize, unreachedCost);
    forEachPosition(*sets.firstOnly, [&](std::int32_t m) {
        a.accumulated[m] = matches.at(row, m).cost;
        a.predecessor[m] = firstPulseOnly;
    });
    accumulatePass(*sets.either, 0, matches, row, tmin, tmax, a);
    accumulatePass(*sets.laterOnly, unreachedCost, matches, row, tmin, tmax, a);
}

void ChainBuffer::reserve(WorkBlock& block, std::int32_t capacity)
{
    for (int i = 0; i < 4; ++i) block.reserve<std::int16_t>(static_cast<std::size_t>(capacity));
}

void ChainBuffer::prepare(WorkBlock& block, std::int32_t chainCapacity)
{
    const auto count = static_cast<std::size_t>(chainCapacity);
    etalons = block.take<std::int16_t>(count);
    positions = block.take<std::int16_t>(count);
    cutStart = block.take<std::int16_t>(count);
    cutEnd = block.take<std::int16_t>(count);
    capacity = chainCapacity;
    size = 0;
}

namespace {

// The predecessor of m in a chain, or −1 where the chain starts. A position that never
// got a predecessor (its set lost an interval to a full set) also starts its chain.
std::int32_t chainPredecessor(const UnknownCountArrays& a, std::int32_t m)
{
    const std::int32_t q = a.predecessor[m];
    return q >= 0 && q < m ? q : -1;
}

// Follows predecessors from `end` back to the chain's first pulse.
void retraceUnknownCount(const UnknownCountArrays& a, std::int32_t end, ChainBuffer& chain)
{
    std::int32_t count = 0;
    for (std::int32_t m = end; m >= 0 && count < chain.capacity; m = chainPredecessor(a, m)) ++count;
    chain.size = count;
    std::int32_t m = end;
    for (std::int32_t k = count - 1; k >= 0; --k, m = chainPredecessor(a, m))
        chain.positions[k] = static_cast<std::int16_t>(m);
}

} // namespace

void offerUnknownCountChains(ChainsHeader& header, const PositionSet& plus, const MatchTable& matches,
                             std::uint16_t row, const UnknownCountArrays& arrays, ChainBuffer& chain)
{
    forEachPosition(plus, [&](std::int32_t m) {
        const std::int32_t measure = arrays.accumulated[m];
        if (!wouldAcceptPretender(header, measure)) return;
        retraceUnknownCount(arrays, m, chain);
        chain.describe(matches, PulseRows::single(row));
        insertPretender(header, measure, chain.pulses());
    });
}

void PulseRanges::reserve(WorkBlock& block, std::int32_t pulses)
{
    block.reserve<std::int32_t>(static_cast<std::size_t>(pulses));
    block.reserve<std::int32_t>(static_cast<std::size_t>(pulses));
}

void PulseRanges::take(WorkBlock& block, std::int32_t pulses)
{
    low = block.take<std::int32_t>(static_cast<std::size_t>(pulses));
    high = block.take<std::int32_t>(static_cast<std::size_t>(pulses));
}

// Cuts every range to 0 … lastStart and finds the span of the non-empty ones.
void PulseRanges::cut(std::int32_t pulses, std::int32_t lastStart)
{
    first = lastStart;
    last = 0;
    for (std::int32_t j = 0; j < pulses; ++j) {
        low[j] = std::max(low[j], 0);
        high[j] = std::min(high[j], lastStart);
        if (low[j] > high[j]) continue;
        first = std::min(first, low[j]);
        last = std::max(last, high[j]);
    }
}

void PulseRanges::fillFromSeries(const SeriesHeader& series)
{
    const std::int32_t pulses = series.wImpulseQuantity;
    for (std::int32_t j = 0; j < pulses; ++j) {
        low[j] = series.lpMinPositions[j];
        high[j] = series.lpMaxPositions[j];
    }
    cut(pulses, series.dwSeriesSize - series.wImpulseSize);
}

void PulseRanges::fillFromGeometry(const SeriesHeader& series, std::int32_t tmin, std::int32_t tmax)
{
    const std::int32_t pulses = series.wImpulseQuantity;
    const std::int32_t size = series.dwSeriesSize;
    const std::int32_t n = series.wImpulseSize;
    for (std::int32_t j = 0; j < pulses; ++j) {
        low[j] = std::max(j * tmin, size - tmax * (pulses - j));
        high[j] = std::min((j + 1) * tmax - n, size - n - tmin * (pulses - 1 - j));
    }
    cut(pulses, size - n);
}

void accumulateKnownCount(const PulseRanges& r, std::int32_t pulses, const MatchTable& matches,
                          const PulseRows& rowOf, std::int32_t tmin, std::int32_t tmax, std::int32_t* const* rows,
                          FirstMinWindow& window)
{
    const std::int32_t* firstCosts = matches.row(rowOf(0)).costs;
    for (std::int32_t m = r.low[0]; m <= r.high[0]; ++m) rows[0][m] = firstCosts[m];
    for (std::int32_t j = 1; j < pulses; ++j) {
        const std::int32_t* costs = matches.row(rowOf(j)).costs;
        window.clear();
        std::int32_t nextPush = r.low[j - 1];
        for (std::int32_t m = r.low[j]; m <= r.high[j]; ++m) {
            for (; nextPush <= std::min(m - tmin, r.high[j - 1]); ++nextPush)
                window.push(nextPush, rows[j - 1][nextPush]);
            window.dropBelow(m - tmax);
            std::int32_t best = noPredecessorCost;
            if (!window.empty() && window.minValue() < best) best = window.minValue();
            rows[j][m] = wrapAdd(best, costs[m]);
        }
    }
}

std::int32_t findKnownCountEnd(const PulseRanges& r, std::int32_t pulses, std::int32_t* const* rows,
                               std::int32_t& measure)
{
    measure = noEndCost;
    std::int32_t end = -1;
    const std::int32_t j = pulses - 1;
    for (std::int32_t m = r.low[j]; m <= r.high[j]; ++m) {
        if (rows[j][m] < measure) {
            measure = rows[j][m];
            end = m;
        }
    }
    return end;
}

bool retraceKnownCount(const PulseRanges& r, std::int32_t pulses, std::int32_t end, std::int32_t tmin,
                       std::int32_t tmax, std::int32_t* const* rows, ChainBuffer& chain)
{
    chain.size = pulses;
    chain.positions[pulses - 1] = static_cast<std::int16_t>(end);
    for (std::int32_t j = pulses - 2; j >= 0; --j) {
        const std::int32_t next = chain.positions[j + 1];
        std::int32_t best = noPredecessorCost;
        std::int32_t found = -1;
        for (std::int32_t q = std::max(next - tmax, r.low[j]); q <= std::min(next - tmin, r.high[j]); ++q) {
            if (rows[j][q] < best) {
                best = rows[j][q];
                found = q;
            }
        }
        if (found < 0) return false;
        chain.positions[j] = static_cast<std::int16_t>(found);
    }
    return true;
}

} // namespace mirokel
