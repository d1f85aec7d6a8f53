// The chain searches. Each allocates all its working storage before it touches the
// chains record or the series, so a memory failure changes nothing. Matches are computed
// once per position (and listed etalon) and shared by every pass, pulse index and etalon.
#include "engine/chain_searches.h"

#include "engine/search_support.h"

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

// The longest chain that fits into the series with pulses at least tmin apart.
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

// The listed etalons and the series a search matches them against.
struct SearchRequest {
    std::span<const PulseHeader> alphabet;
    std::uint16_t listCount;
    const std::uint16_t* list;
    std::uint16_t procEnergy;
    const SeriesHeader& series;
};

// The matchers of the listed etalons in their own block; `failure` is shown when it
// cannot be allocated.
struct ListedMatchers {
    WorkBlock block;
    EtalonMatchers matchers;

    bool allocate(Window& window, const SearchRequest& r, const char* failure)
    {
        EtalonMatchers::reserve(block, r.listCount, r.series.wImpulseSize);
        if (block.allocate()) return true;
        showMessage(window, failure, "");
        return false;
    }

    void prepare(const SearchRequest& r)
    {
        const SeriesHeader& s = r.series;
        matchers.prepare(block, r.alphabet, r.listCount, r.list, s.wImpulseSize, r.procEnergy, s.lpNoisyData,
                         s.dwSeriesSize);
    }
};

// ---- Unknown pulse count ---------------------------------------------------------------

// Position sets and working arrays of an unknown-count search with `rows` match rows.
struct UnknownCountStorage {
    ListedMatchers listed;
    OmegaSets sets;
    WorkBlock block;
    UnknownCountArrays arrays;
    MatchTable matches;
    ChainBuffer chain;

    bool allocate(const SeriesHeader& s, std::int32_t tmin, std::int32_t tmax, std::uint16_t rows)
    {
        const std::int32_t size = s.dwSeriesSize;
        const std::int32_t positions = size - s.wImpulseSize + 1;
        if (!sets.build(s, tmin, tmax)) return false;
        UnknownCountArrays::reserve(block, size);
        MatchTable::reserve(block, rows, positions);
        ChainBuffer::reserve(block, longestChain(s, tmin));
        if (!block.allocate()) return false;
        arrays.prepare(block, size);
        matches.prepare(block, rows, positions);
        chain.prepare(block, longestChain(s, tmin));
        return true;
    }
};

// ---- Known pulse count -----------------------------------------------------------------

// Cost rows of every pulse index and the working arrays of a known-count search.
struct KnownCountStorage {
    ListedMatchers listed;
    WorkBlock pointerBlock;
    WorkBlock block;
    std::int32_t** rows = nullptr;
    std::int32_t* windowPositions = nullptr;
    std::int32_t* windowValues = nullptr;
    PulseRanges ranges{};
    MatchTable matches;
    ChainBuffer chain{};
    ChainBuffer pretender{}; // one etalon's pretender: positions and cuts 0

    // Allocates the matchers (reporting `matchersFailure`) and the rest, and prepares the
    // matchers and the ranges. False after a failed allocation, with its message shown.
    bool prepare(Window& window, const SearchRequest& r, std::uint16_t matchRows, const char* matchersFailure)
    {
        if (!listed.allocate(window, r, matchersFailure)) return false;
        if (const char* failure = allocate(r.series, matchRows)) {
            showMessage(window, failure, "");
            return false;
        }
        listed.prepare(r);
        return true;
    }

    const EtalonMatchers& matchers() const { return listed.matchers; }

private:
    // Returns the message of the allocation that failed, or null.
    const char* allocate(const SeriesHeader& s, std::uint16_t matchRows)
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
        if (!block.allocate()) return "Нет памяти для ppDw[m]!";
        rows = pointerBlock.take<std::int32_t*>(static_cast<std::size_t>(pulses));
        std::int32_t* costs = block.take<std::int32_t>(static_cast<std::size_t>(pulses) * size);
        for (std::int32_t j = 0; j < pulses; ++j) rows[j] = costs + static_cast<std::size_t>(j) * size;
        windowPositions = block.take<std::int32_t>(size);
        windowValues = block.take<std::int32_t>(size);
        ranges.prepare(block, s);
        matches.prepare(block, matchRows, positions);
        chain.prepare(block, pulses);
        pretender.prepare(block, pulses);
        return nullptr;
    }
};

// Writes positions and cuts of a retraced chain into the detected pulses of the series.
void writeDetectedPlacement(const ChainBuffer& chain, SeriesHeader& s)
{
    std::copy_n(chain.positions, chain.size, s.lpDetPositions);
    std::copy_n(chain.cutStart, chain.size, s.lpDetFirstSamples);
    std::copy_n(chain.cutEnd, chain.size, s.lpDetLastSamples);
}

// Gives the pretender in `slot` the positions and cuts of the retraced chain.
void writePretenderPlacement(ChainsHeader& h, std::int32_t slot, const ChainBuffer& chain)
{
    const auto count = static_cast<std::size_t>(std::min<std::int32_t>(chain.size, h.wMaxPulses));
    std::copy_n(chain.positions, count, h.lpChainPositions[slot]);
    std::copy_n(chain.cutStart, count, h.lpChainCutStart[slot]);
    std::copy_n(chain.cutEnd, count, h.lpChainCutEnd[slot]);
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

    const PulseRanges& ranges = storage.ranges;
    MatchTable& matches = storage.matches;
    matches.fillCombinedRange(matchers, ranges.first, ranges.last);
    FirstMinWindow window2(storage.windowPositions, storage.windowValues);
    accumulateKnownCount(ranges, pulses, matches, 0, tmin, tmax, storage.rows, window2);
    std::int32_t measure = 0;
    const std::int32_t end = findKnownCountEnd(ranges, pulses, storage.rows, measure);
    // Without an end below its sentinel, or a predecessor below 999 999 at some pulse,
    // there is no chain: nothing is offered and the series gets 0 detected pulses.
    if (end >= 0 && retraceKnownCount(ranges, pulses, end, tmin, tmax, storage.rows, storage.chain)) {
        storage.chain.describe(matches, 0);
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

    const PulseRanges& ranges = storage.ranges;
    MatchTable& matches = storage.matches;
    matches.fillRange(matchers, ranges.first, ranges.last);
    FirstMinWindow window2(storage.windowPositions, storage.windowValues);
    ChainBuffer& pretender = storage.pretender;
    pretender.size = pulses;

    std::int32_t best = noEndCost;
    std::int32_t recognised = -1;
    for (std::uint16_t li = 0; li < listCount; ++li) {
        accumulateKnownCount(ranges, pulses, matches, li, tmin, tmax, storage.rows, window2);
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
        storage.chain.describe(matches, li);
        writeDetectedPlacement(storage.chain, s);
        if (slot >= 0) writePretenderPlacement(*header, slot, storage.chain);
    }
    std::fill_n(s.lpDetEtalonNumbers, pulses, static_cast<std::int16_t>(recognised));
    s.wDetPulses = s.wImpulseQuantity;
    return recognised;
}

} // namespace mirokel
