// The chain searches. Each allocates all its working storage before it touches the
// chains record or the series, so a memory failure changes nothing. Matches are computed
// once per position (and listed etalon) and shared by every pass, pulse index and etalon.
#include "engine/chain_searches.h"

#include "engine/search_storage.h"

#include <algorithm>

namespace mirokel {

namespace {

// What the searches need of their inputs; anything else is refused without a change.
bool searchable(std::span<const PulseHeader> alphabet, std::uint16_t listCount, const std::uint16_t* list,
                std::uint16_t tmin, std::uint16_t tmax, const ChainsHeader* header, const SeriesHeader* series)
{
    if (header == nullptr || series == nullptr || list == nullptr || listCount == 0) return false;
    if (tmin == 0 || tmin > tmax || series->lpNoisyData == nullptr) return false;
    if (series->wImpulseSize == 0 || series->dwSeriesSize < series->wImpulseSize) return false;
    return std::all_of(list, list + listCount, [&](std::uint16_t k) { return k >= 1 && k <= alphabet.size(); });
}

} // namespace

std::int32_t detectUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (!searchable(alphabet, listCount, list, tmin, tmax, header, series)) return 0;
    SeriesHeader& s = *series;
    const SearchRequest request{alphabet, listCount, list, procEnergy, s};
    UnknownCountStorage storage;
    if (!storage.listed.allocate(window, request, "Нет памяти для EtalonsPartialEnergyFromBeginning!")) return 0;
    if (!storage.allocate(s, tmin, tmax, 1)) {
        showMessage(window, "Нет памяти для indexes!", "");
        return 0;
    }
    storage.listed.prepare(request);
    const EtalonMatchers& matchers = storage.listed.matchers;
    startChainsRun(*header, 0, 0, s.wMaxPulses);

    MatchTable& matches = storage.matches;
    matches.clearRow(0, unmatched(0, s.wImpulseSize));
    forEachInterval(*storage.sets.matched,
                    [&](std::int32_t first, std::int32_t last) { matches.fillCombinedRange(matchers, first, last); });
    accumulateUnknownCount(storage.sets, matches, 0, s.dwSeriesSize, tmin, tmax, storage.arrays);
    offerUnknownCountChains(*header, *storage.sets.plus, matches, 0, storage.arrays, storage.chain);
    setSeekingFromBest(*header);
    publishPretender0(*header, s);
    return 1;
}

std::int32_t detectKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                              const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                              std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (!searchable(alphabet, listCount, list, tmin, tmax, header, series) || series->wImpulseQuantity == 0) return 0;
    SeriesHeader& s = *series;
    const std::int32_t pulses = s.wImpulseQuantity;
    KnownCountStorage storage;
    if (!storage.prepare(window, {alphabet, listCount, list, procEnergy, s}, 1,
                         "Нет памяти для EtalonsPartialEnergyFromBeginning!"))
        return 0;
    const EtalonMatchers& matchers = storage.matchers();
    startChainsRun(*header, s.wImpulseQuantity, s.wImpulseQuantity, s.wImpulseQuantity);

    storage.ranges.fillFromSeries(s);
    storage.matches.fillCombinedRange(matchers, storage.ranges.first, storage.ranges.last);
    const std::uint16_t row = 0;
    std::int32_t measure = 0;
    // Without an end below its sentinel, or a predecessor below 999 999 at some pulse,
    // there is no chain: nothing is offered and the series gets 0 detected pulses.
    if (searchKnownCount(storage, pulses, PulseRows::single(row), tmin, tmax, measure)) {
        insertPretender(*header, measure, storage.chain.pulses());
    } else {
        header->wSeekingPulsesQuantity = 0;
    }
    publishPretender0(*header, s);
    return 1;
}

std::int32_t recognizeUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                   const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                   std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (!searchable(alphabet, listCount, list, tmin, tmax, header, series)) return -1;
    SeriesHeader& s = *series;
    const SearchRequest request{alphabet, listCount, list, procEnergy, s};
    UnknownCountStorage storage;
    if (!storage.listed.allocate(window, request, "Нет памяти для indexes!")) return -1;
    header->wPretenders = 0;
    header->wQuanPulses = s.wImpulseQuantity;
    header->wSeekingPulsesQuantity = 0;
    // Without the per-position arrays no etalon is examined: 0 detected pulses, no message.
    if (!storage.allocate(s, tmin, tmax, listCount)) {
        publishPretender0(*header, s);
        return -1;
    }
    storage.listed.prepare(request);
    const EtalonMatchers& matchers = storage.listed.matchers;
    MatchTable& matches = storage.matches;
    for (std::uint16_t li = 0; li < listCount; ++li) matches.clearRow(li, unmatched(list[li] - 1, s.wImpulseSize));
    forEachInterval(*storage.sets.matched,
                    [&](std::int32_t first, std::int32_t last) { matches.fillRange(matchers, first, last); });

    std::int32_t best = noEndCost;
    std::int32_t recognised = -1;
    const std::int32_t* accumulated = storage.arrays.accumulated;
    for (std::uint16_t li = 0; li < listCount; ++li) {
        accumulateUnknownCount(storage.sets, matches, li, s.dwSeriesSize, tmin, tmax, storage.arrays);
        std::int32_t etalonBest = unreachedCost;
        forEachPosition(*storage.sets.plus, [&](std::int32_t m) { etalonBest = std::min(etalonBest, accumulated[m]); });
        if (etalonBest < best) {
            best = etalonBest;
            recognised = list[li];
        }
        offerUnknownCountChains(*header, *storage.sets.plus, matches, li, storage.arrays, storage.chain);
        setSeekingFromBest(*header);
    }
    publishPretender0(*header, s);
    return recognised;
}

std::int32_t recognizeKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                 const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                 std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (!searchable(alphabet, listCount, list, tmin, tmax, header, series) || series->wImpulseQuantity == 0) return -1;
    SeriesHeader& s = *series;
    const std::int32_t pulses = s.wImpulseQuantity;
    KnownCountStorage storage;
    if (!storage.prepare(window, {alphabet, listCount, list, procEnergy, s}, listCount, "Нет памяти для indexes!"))
        return -1;
    const EtalonMatchers& matchers = storage.matchers();
    startChainsRun(*header, s.wImpulseQuantity, s.wImpulseQuantity, s.wImpulseQuantity);

    storage.ranges.fillFromSeries(s);
    const PulseRanges& ranges = storage.ranges;
    MatchTable& matches = storage.matches;
    matches.fillRange(matchers, ranges.first, ranges.last);
    FirstMinWindow window2(storage.windowPositions, storage.windowValues);
    ChainBuffer& pretender = storage.second;
    pretender.size = pulses;

    std::int32_t best = noEndCost;
    std::int32_t recognised = -1;
    bool placed = false;
    for (std::uint16_t li = 0; li < listCount; ++li) {
        accumulateKnownCount(ranges, pulses, matches, PulseRows::single(li), tmin, tmax, storage.rows, window2);
        std::int32_t measure = 0;
        const std::int32_t end = findKnownCountEnd(ranges, pulses, storage.rows, measure);
        std::fill_n(pretender.etalons, pulses, static_cast<std::int16_t>(list[li]));
        const std::int32_t slot = insertPretender(*header, measure, pretender.pulses());
        if (!(measure < best)) continue;
        best = measure;
        recognised = list[li];
        // An improving etalon whose chain cannot be retraced leaves the detected
        // placement as it was and its pretender without positions.
        if (!retraceKnownCount(ranges, pulses, end, tmin, tmax, storage.rows, storage.chain)) continue;
        storage.chain.describe(matches, PulseRows::single(li));
        writeDetectedPlacement(storage.chain, s);
        placed = true;
        if (slot >= 0) writePretenderPlacement(*header, slot, storage.chain);
    }
    std::fill_n(s.lpDetEtalonNumbers, pulses, static_cast<std::int16_t>(recognised));
    // Without a retraced chain nothing was detected: no placement of this series exists.
    s.wDetPulses = placed ? s.wImpulseQuantity : 0;
    return recognised;
}

} // namespace mirokel
