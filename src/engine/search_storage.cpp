// Allocation and layout of the searches' working storage.
#include "engine/search_storage.h"

#include <algorithm>
#include <new>

namespace mirokel {

std::int32_t longestChain(const SeriesHeader& s, std::int32_t tmin)
{
    return (s.dwSeriesSize - s.wImpulseSize) / tmin + 1;
}

Match unmatched(std::int32_t slot, std::int32_t n)
{
    return {unreachedCost, static_cast<std::int16_t>(slot), 0, static_cast<std::int16_t>(n - 1)};
}

void setSeekingFromBest(ChainsHeader& header)
{
    header.wSeekingPulsesQuantity =
        header.wPretenders > 0 ? static_cast<std::uint16_t>(header.lpChainSizes[0]) : std::uint16_t{0};
}

void writeDetectedPlacement(const ChainBuffer& chain, SeriesHeader& s)
{
    std::copy_n(chain.positions, chain.size, s.lpDetPositions);
    std::copy_n(chain.cutStart, chain.size, s.lpDetFirstSamples);
    std::copy_n(chain.cutEnd, chain.size, s.lpDetLastSamples);
}

void writeDetectedChain(const ChainBuffer& chain, SeriesHeader& s)
{
    const auto count = std::min<std::int32_t>(chain.size, s.wPulsesCapacity);
    std::copy_n(chain.positions, count, s.lpDetPositions);
    std::copy_n(chain.etalons, count, s.lpDetEtalonNumbers);
    std::copy_n(chain.cutStart, count, s.lpDetFirstSamples);
    std::copy_n(chain.cutEnd, count, s.lpDetLastSamples);
    s.wDetPulses = static_cast<std::uint16_t>(count);
}

void writeTupleGroups(SeriesHeader& s, std::int32_t pulses, std::int32_t tupleSize, std::int32_t firstGroup)
{
    std::int32_t groups = 0;
    std::int32_t first = 1;
    std::int32_t last = std::min(firstGroup, pulses);
    while (first <= pulses && groups < s.wPulsesCapacity) {
        s.lpTupleFirst[groups] = static_cast<std::int16_t>(first);
        s.lpTupleLast[groups] = static_cast<std::int16_t>(last);
        ++groups;
        first = last + 1;
        last = std::min(first + tupleSize - 1, pulses);
    }
    s.wDetTuples = static_cast<std::uint16_t>(groups);
}

void copyChain(ChainBuffer& to, const ChainBuffer& from)
{
    to.size = from.size;
    std::copy_n(from.etalons, from.size, to.etalons);
    std::copy_n(from.positions, from.size, to.positions);
    std::copy_n(from.cutStart, from.size, to.cutStart);
    std::copy_n(from.cutEnd, from.size, to.cutEnd);
}

void writePretenderPlacement(ChainsHeader& h, std::int32_t slot, const ChainBuffer& chain)
{
    const auto count = static_cast<std::size_t>(std::min<std::int32_t>(chain.size, h.wMaxPulses));
    std::copy_n(chain.positions, count, h.lpChainPositions[slot]);
    std::copy_n(chain.cutStart, count, h.lpChainCutStart[slot]);
    std::copy_n(chain.cutEnd, count, h.lpChainCutEnd[slot]);
}

bool ListedMatchers::allocate(Window& window, const SearchRequest& r, const char* failure)
{
    EtalonMatchers::reserve(block, r.listCount, r.series.wImpulseSize);
    if (block.allocate()) return true;
    showMessage(window, failure, "");
    return false;
}

void ListedMatchers::prepare(const SearchRequest& r)
{
    const SeriesHeader& s = r.series;
    matchers.prepare(block, r.alphabet, r.listCount, r.list, s.wImpulseSize, r.procEnergy, s.lpNoisyData,
                     s.dwSeriesSize);
}

bool UnknownCountStorage::allocate(const SeriesHeader& s, std::int32_t tmin, std::int32_t tmax, std::uint16_t rows,
                                   std::int32_t layers)
{
    const std::int32_t size = s.dwSeriesSize;
    const auto perLayer = static_cast<std::size_t>(size);
    const auto layerCount = static_cast<std::size_t>(layers);
    const std::int32_t positions = size - s.wImpulseSize + 1;
    const std::int32_t chainCapacity = longestChain(s, tmin);
    if (!sets.build(s, tmin, tmax)) return false;
    UnknownCountArrays::reserve(block, size);
    for (int i = 0; i < 2; ++i) block.reserve<std::int32_t*>(layerCount);
    for (int i = 0; i < 4; ++i) block.reserve<std::int32_t>(layerCount * perLayer);
    block.reserve<FirstMinWindow>(layerCount);
    block.reserve<std::int16_t>(static_cast<std::size_t>(chainCapacity));
    MatchTable::reserve(block, rows, positions);
    ChainBuffer::reserve(block, chainCapacity);
    ChainBuffer::reserve(block, chainCapacity);
    if (!block.allocate()) return false;
    arrays.prepare(block, size);
    layerCosts = block.take<std::int32_t*>(layerCount);
    layerPredecessors = block.take<std::int32_t*>(layerCount);
    std::int32_t* costs = block.take<std::int32_t>(layerCount * perLayer);
    std::int32_t* links = block.take<std::int32_t>(layerCount * perLayer);
    std::int32_t* windowPositions = block.take<std::int32_t>(layerCount * perLayer);
    std::int32_t* windowValues = block.take<std::int32_t>(layerCount * perLayer);
    layerWindows = block.take<FirstMinWindow>(layerCount);
    for (std::size_t l = 0; l < layerCount; ++l) {
        layerCosts[l] = costs + l * perLayer;
        layerPredecessors[l] = links + l * perLayer;
        new (&layerWindows[l]) FirstMinWindow(windowPositions + l * perLayer, windowValues + l * perLayer);
    }
    chainLayers = block.take<std::int16_t>(static_cast<std::size_t>(chainCapacity));
    matches.prepare(block, rows, positions);
    chain.prepare(block, chainCapacity);
    best.prepare(block, chainCapacity);
    return true;
}

bool KnownCountStorage::prepare(Window& window, const SearchRequest& r, std::uint16_t matchRows,
                                const char* matchersFailure, const char* rowsFailure)
{
    if (!listed.allocate(window, r, matchersFailure)) return false;
    if (const char* failure = allocate(r.series, matchRows, rowsFailure)) {
        showMessage(window, failure, "");
        return false;
    }
    listed.prepare(r);
    return true;
}

// Returns the message of the allocation that failed, or null.
const char* KnownCountStorage::allocate(const SeriesHeader& s, std::uint16_t matchRows, const char* rowsFailure)
{
    const std::int32_t pulses = s.wImpulseQuantity;
    const auto size = static_cast<std::size_t>(s.dwSeriesSize);
    const std::int32_t positions = s.dwSeriesSize - s.wImpulseSize + 1;
    pointerBlock.reserve<std::int32_t*>(static_cast<std::size_t>(pulses));
    if (!pointerBlock.allocate()) return "Нет памяти для ppDw!";
    block.reserve<std::int32_t>(static_cast<std::size_t>(pulses) * size);
    block.reserve<std::int32_t>(size);
    block.reserve<std::int32_t>(size);
    PulseRanges::reserve(block, pulses);
    MatchTable::reserve(block, matchRows, positions);
    ChainBuffer::reserve(block, pulses);
    ChainBuffer::reserve(block, pulses);
    if (!block.allocate()) return rowsFailure;
    rows = pointerBlock.take<std::int32_t*>(static_cast<std::size_t>(pulses));
    std::int32_t* costs = block.take<std::int32_t>(static_cast<std::size_t>(pulses) * size);
    for (std::int32_t j = 0; j < pulses; ++j) rows[j] = costs + static_cast<std::size_t>(j) * size;
    windowPositions = block.take<std::int32_t>(size);
    windowValues = block.take<std::int32_t>(size);
    ranges.take(block, pulses);
    matches.prepare(block, matchRows, positions);
    chain.prepare(block, pulses);
    second.prepare(block, pulses);
    return nullptr;
}

bool searchKnownCount(KnownCountStorage& st, std::int32_t pulses, const PulseRows& rowOf, std::int32_t tmin,
                      std::int32_t tmax, std::int32_t& measure)
{
    FirstMinWindow window(st.windowPositions, st.windowValues);
    accumulateKnownCount(st.ranges, pulses, st.matches, rowOf, tmin, tmax, st.rows, window);
    const std::int32_t end = findKnownCountEnd(st.ranges, pulses, st.rows, measure);
    if (end < 0 || !retraceKnownCount(st.ranges, pulses, end, tmin, tmax, st.rows, st.chain)) return false;
    st.chain.describe(st.matches, rowOf);
    return true;
}

} // namespace mirokel
