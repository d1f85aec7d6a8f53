// The tuple searches. Matches are computed once per series for every distinct etalon of
// the tuples and shared by every member, phase, layer and pulse index.
#include "engine/tuple_searches.h"

#include "engine/search_storage.h"

#include <algorithm>
#include <string>

namespace mirokel {

namespace {

constexpr std::int32_t detectionSentinel = 99'999'999;    // layered detection: no cost yet
constexpr std::int32_t recognitionSentinel = 999'999'999; // layered recognition: no cost yet
constexpr std::size_t diagnosticLimit = 4999;             // characters of a diagnostic text
constexpr const char* energiesFailure = "Нет памяти для EtalonsPartialEnergy!";

// The tuples of a call. Their distinct etalons, in order of first appearance, are the
// rows of the match table; every member knows its row.
class TupleSet {
public:
    // False when a tuple is empty or names an etalon outside the alphabet.
    static bool valid(std::size_t alphabetSize, const std::int32_t* sizes, const std::int32_t* const* tuples,
                      std::int32_t count)
    {
        if (sizes == nullptr || tuples == nullptr || count <= 0) return false;
        for (std::int32_t t = 0; t < count; ++t) {
            if (sizes[t] <= 0 || tuples[t] == nullptr) return false;
            for (std::int32_t i = 0; i < sizes[t]; ++i)
                if (tuples[t][i] < 1 || static_cast<std::size_t>(tuples[t][i]) > alphabetSize) return false;
        }
        return true;
    }

    bool allocate(Window& window, const std::int32_t* sizes, std::int32_t count)
    {
        members = 0;
        for (std::int32_t t = 0; t < count; ++t) members += sizes[t];
        block.reserve<std::uint16_t>(static_cast<std::size_t>(members)); // distinct etalons
        block.reserve<std::uint16_t>(static_cast<std::size_t>(members)); // row of every member
        block.reserve<std::int32_t>(static_cast<std::size_t>(count));    // first member of every tuple
        if (block.allocate()) return true;
        showMessage(window, energiesFailure, "");
        return false;
    }

    void prepare(const std::int32_t* sizes, const std::int32_t* const* tuples, std::int32_t count)
    {
        distinct = block.take<std::uint16_t>(static_cast<std::size_t>(members));
        memberRows = block.take<std::uint16_t>(static_cast<std::size_t>(members));
        firstMember = block.take<std::int32_t>(static_cast<std::size_t>(count));
        tupleSizes = sizes;
        distinctCount = 0;
        std::int32_t member = 0;
        for (std::int32_t t = 0; t < count; ++t) {
            firstMember[t] = member;
            for (std::int32_t i = 0; i < sizes[t]; ++i, ++member) {
                const auto etalon = static_cast<std::uint16_t>(tuples[t][i]);
                const std::uint16_t* found = std::find(distinct, distinct + distinctCount, etalon);
                if (found == distinct + distinctCount) distinct[distinctCount++] = etalon;
                memberRows[member] = static_cast<std::uint16_t>(found - distinct);
            }
        }
    }

    SearchRequest request(std::span<const PulseHeader> alphabet, std::uint16_t procEnergy,
                          const SeriesHeader& series) const
    {
        return {alphabet, distinctCount, distinct, procEnergy, series};
    }

    std::int32_t size(std::int32_t t) const { return tupleSizes[t]; }
    const std::uint16_t* rows(std::int32_t t) const { return memberRows + firstMember[t]; }
    std::uint16_t rowCount() const { return distinctCount; }

    // Clears every row of the table to what a position never matched reads.
    void clearRows(MatchTable& matches, std::int32_t n) const
    {
        for (std::uint16_t r = 0; r < distinctCount; ++r) matches.clearRow(r, unmatched(distinct[r] - 1, n));
    }

private:
    WorkBlock block;
    std::int32_t members = 0;
    std::uint16_t* distinct = nullptr;
    std::uint16_t distinctCount = 0;
    std::uint16_t* memberRows = nullptr;
    std::int32_t* firstMember = nullptr;
    const std::int32_t* tupleSizes = nullptr;
};

bool searchableSeries(const ChainsHeader* header, const SeriesHeader* series, std::uint16_t tmin, std::uint16_t tmax)
{
    if (header == nullptr || series == nullptr || tmin == 0 || tmin > tmax) return false;
    return series->lpNoisyData != nullptr && series->wImpulseSize > 0 && series->dwSeriesSize >= series->wImpulseSize;
}

// Phases of a tuple of q members: 0 only for complete proceeding, else every one.
std::int32_t phasesOf(std::int32_t q, std::uint16_t proceeding) { return proceeding == 1 ? 1 : q; }

void clearDetectedTuples(SeriesHeader& s, ChainsHeader& header)
{
    s.wDetPulses = 0;
    s.wDetTuples = 0;
    header.wSeekingPulsesQuantity = 0;
}

// ---- Known pulse count -----------------------------------------------------------------

// ---- Unknown pulse count: the layered search --------------------------------------------

// One tuple's layered search over the sets and arrays of the storage. Layer λ stands for
// member λ; the predecessor layer of λ is λ − 1, that of layer 0 the last layer.
class LayeredSearch {
public:
    LayeredSearch(UnknownCountStorage& st, const SeriesHeader& s, std::int32_t tmin, std::int32_t tmax,
                  std::int32_t sentinel, const std::uint16_t* memberRows, std::int32_t layers)
        : st(st), s(s), tmin(tmin), tmax(tmax), sentinel(sentinel), memberRows(memberRows), layers(layers)
    {
    }

    // Runs the three passes (showing their tables when `debug` is set) and retraces the
    // best chain into storage.chain. False when no end lies below the sentinel.
    bool run(Window& window, bool debug, std::int32_t& measure)
    {
        for (std::int32_t l = 0; l < layers; ++l) {
            std::fill_n(st.layerCosts[l], s.dwSeriesSize, sentinel);
            std::fill_n(st.layerPredecessors[l], s.dwSeriesSize, sentinel);
        }
        const std::int32_t* firstCosts = st.matches.row(memberRows[0]).costs;
        forEachPosition(*st.sets.firstOnly, [&](std::int32_t m) {
            st.layerCosts[0][m] = firstCosts[m];
            st.layerPredecessors[0][m] = firstPulseOnly;
        });
        if (debug) showMessage(window, firstPassText(), " About TuplesDetection ");
        runPass(*st.sets.either, 0, true);
        if (debug) showMessage(window, secondPassText(), " About TuplesDetection ");
        runPass(*st.sets.laterOnly, sentinel, false);
        return retraceBest(measure);
    }

private:
    std::int32_t predecessorLayer(std::int32_t l) const { return l == 0 ? layers - 1 : l - 1; }

    // A pass over `set`: at every position and layer the first cheapest predecessor in the
    // predecessor layer within m − tmax … m − tmin below `startCost`. In the second pass a
    // position without a negative predecessor starts a chain in layer 0 only.
    void runPass(const PositionSet& set, std::int32_t startCost, bool secondPass)
    {
        FirstMinWindow* windows = st.layerWindows;
        for (std::int32_t l = 0; l < layers; ++l) windows[l].clear();
        std::int32_t nextPush = 0;
        forEachPosition(set, [&](std::int32_t m) {
            for (; nextPush <= m - tmin; ++nextPush)
                for (std::int32_t l = 0; l < layers; ++l)
                    windows[l].push(nextPush, st.layerCosts[predecessorLayer(l)][nextPush]);
            for (std::int32_t l = 0; l < layers; ++l) {
                FirstMinWindow& window = windows[l];
                window.dropBelow(m - tmax);
                std::int32_t best = startCost;
                std::int32_t predecessor = chainStartsHere;
                if (!window.empty() && window.minValue() < best) {
                    best = window.minValue();
                    predecessor = window.minPosition();
                }
                const std::int32_t own = st.matches.row(memberRows[l]).costs[m];
                std::int32_t& cost = st.layerCosts[l][m];
                std::int32_t& link = st.layerPredecessors[l][m];
                if (!secondPass || best < 0) {
                    cost = wrapAdd(best, own);
                    link = predecessor;
                } else if (l == 0) {
                    cost = own;
                    link = firstPulseOnly;
                } else {
                    cost = sentinel;
                    link = chainStartsHere;
                }
            }
        });
    }

    // The end: over omega_plus ascending, layers ascending, the first strictly lowest cost
    // below the sentinel; then the predecessors back to the chain's first pulse.
    bool retraceBest(std::int32_t& measure)
    {
        measure = sentinel;
        std::int32_t endPosition = -1;
        std::int32_t endLayer = 0;
        forEachPosition(*st.sets.plus, [&](std::int32_t m) {
            for (std::int32_t l = 0; l < layers; ++l) {
                if (st.layerCosts[l][m] < measure) {
                    measure = st.layerCosts[l][m];
                    endPosition = m;
                    endLayer = l;
                }
            }
        });
        if (endPosition < 0) return false;
        ChainBuffer& chain = st.chain;
        std::int32_t count = 0;
        for (std::int32_t m = endPosition, l = endLayer; count < chain.capacity;) {
            chain.positions[count] = static_cast<std::int16_t>(m);
            st.chainLayers[count] = static_cast<std::int16_t>(l);
            ++count;
            const std::int32_t q = st.layerPredecessors[l][m];
            if (q < 0 || q >= m) break;
            m = q;
            l = predecessorLayer(l);
        }
        chain.size = count;
        std::reverse(chain.positions, chain.positions + count);
        std::reverse(st.chainLayers, st.chainLayers + count);
        chain.describe(st.matches, [this](std::int32_t k) { return memberRows[st.chainLayers[k]]; });
        return true;
    }

    // ---- Diagnostic texts ----

    static void appendIntervals(std::string& text, const PositionSet& set)
    {
        forEachInterval(set, [&](std::int32_t first, std::int32_t last) {
            text += formatText(" [%d..%d] ", first, last);
        });
        text += "\n";
    }

    // One symbol per position: its cost where it is the set's first lowest negative cost,
    // "-" for another negative cost, "+" otherwise; then its predecessor when it has one.
    void appendSymbols(std::string& text, const PositionSet& set, std::int32_t l) const
    {
        const std::int32_t* costs = st.layerCosts[l];
        const std::int32_t* links = st.layerPredecessors[l];
        std::int32_t lowest = sentinel;
        std::int32_t lowestAt = -1;
        forEachPosition(set, [&](std::int32_t m) {
            if (costs[m] < lowest) {
                lowest = costs[m];
                lowestAt = m;
            }
        });
        forEachPosition(set, [&](std::int32_t m) {
            if (costs[m] < 0)
                text += m == lowestAt ? formatText(" %d", costs[m]) : std::string(" -");
            else
                text += " +";
            if (links[m] >= 0) text += formatText(" %d", links[m]);
        });
    }

    static std::string bounded(std::string text)
    {
        if (text.size() > diagnosticLimit) text.resize(diagnosticLimit);
        return text;
    }

    std::string firstPassText() const
    {
        std::string text = "omega_minus - omega_tilda: ";
        appendIntervals(text, *st.sets.firstOnly);
        appendSymbols(text, *st.sets.firstOnly, 0);
        return bounded(text + "\n ");
    }

    std::string secondPassText() const
    {
        std::string text = "omega_minus x omega_tilda: ";
        appendIntervals(text, *st.sets.either);
        for (std::int32_t l = 0; l < layers; ++l) {
            text += formatText("l=%d\n ", l + 1);
            appendSymbols(text, *st.sets.either, l);
            text += "\n ";
        }
        return bounded(text);
    }

    UnknownCountStorage& st;
    const SeriesHeader& s;
    std::int32_t tmin;
    std::int32_t tmax;
    std::int32_t sentinel;
    const std::uint16_t* memberRows;
    std::int32_t layers;
};

// Storage and matches of a layered search over the tuples; false after a failed
// allocation (message shown).
bool prepareLayered(Window& window, UnknownCountStorage& st, TupleSet& tuples, const std::int32_t* sizes,
                    const std::int32_t* const* tupleList, std::int32_t count, std::span<const PulseHeader> alphabet,
                    std::uint16_t procEnergy, const SeriesHeader& s, std::int32_t tmin, std::int32_t tmax)
{
    if (!tuples.allocate(window, sizes, count)) return false;
    tuples.prepare(sizes, tupleList, count);
    const SearchRequest request = tuples.request(alphabet, procEnergy, s);
    if (!st.listed.allocate(window, request, energiesFailure)) return false;
    std::int32_t layers = 1;
    for (std::int32_t t = 0; t < count; ++t) layers = std::max<std::int32_t>(layers, std::min<std::int32_t>(sizes[t], s.wMaxPulses));
    if (!st.allocate(s, tmin, tmax, tuples.rowCount(), layers)) {
        showMessage(window, "Нет памяти для G_on_layers!", "");
        return false;
    }
    st.listed.prepare(request);
    tuples.clearRows(st.matches, s.wImpulseSize);
    forEachInterval(*st.sets.matched, [&](std::int32_t first, std::int32_t last) {
        st.matches.fillRange(st.listed.matchers, first, last);
    });
    return true;
}

std::int32_t layerCount(std::int32_t tupleSize, const SeriesHeader& s)
{
    return std::max<std::int32_t>(1, std::min<std::int32_t>(tupleSize, s.wMaxPulses));
}

} // namespace

std::int32_t detectTuplesKnownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                    const std::int32_t* tuple, std::uint16_t proceeding, std::uint16_t tmin,
                                    std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                    SeriesHeader* series)
{
    if (!searchableSeries(header, series, tmin, tmax) || series->wImpulseQuantity == 0) return 0;
    if (!TupleSet::valid(alphabet.size(), &tupleSize, &tuple, 1)) return 0;
    SeriesHeader& s = *series;
    const std::int32_t pulses = s.wImpulseQuantity;
    TupleSet tuples;
    if (!tuples.allocate(window, &tupleSize, 1)) return 0;
    tuples.prepare(&tupleSize, &tuple, 1);
    KnownCountStorage st;
    if (!st.prepare(window, tuples.request(alphabet, procEnergy, s), tuples.rowCount(), energiesFailure)) return 0;
    startChainsRun(*header, s.wImpulseQuantity, s.wImpulseQuantity, s.wImpulseQuantity);
    st.ranges.fillFromGeometry(s, tmin, tmax);
    st.matches.fillRange(st.matchers(), st.ranges.first, st.ranges.last);
    std::int32_t best = noEndCost;
    bool found = false;
    for (std::int32_t phase = 0; phase < phasesOf(tupleSize, proceeding); ++phase) {
        const PulseRows rowOf{tuples.rows(0), tupleSize, phase};
        std::int32_t measure = 0;
        if (!searchKnownCount(st, pulses, rowOf, tmin, tmax, measure)) continue;
        insertPretender(*header, measure, st.chain.pulses());
        if (!(measure < best)) continue;
        best = measure;
        found = true;
        writeDetectedChain(st.chain, s);
        writeTupleGroups(s, pulses, tupleSize, tupleSize - phase);
    }
    // Without a chain in any phase the series gets no detected pulses.
    if (!found) clearDetectedTuples(s, *header);
    return 1;
}

std::int32_t recognizeTuplesKnownCount(Window& window, std::span<const PulseHeader> alphabet,
                                       const std::int32_t* tupleSizes, const std::int32_t* const* tupleList,
                                       std::int32_t tupleCount, std::uint16_t proceeding, std::uint16_t tmin,
                                       std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                       SeriesHeader* series)
{
    if (!searchableSeries(header, series, tmin, tmax) || series->wImpulseQuantity == 0) return 0;
    if (!TupleSet::valid(alphabet.size(), tupleSizes, tupleList, tupleCount)) return 0;
    SeriesHeader& s = *series;
    const std::int32_t pulses = s.wImpulseQuantity;
    TupleSet tuples;
    if (!tuples.allocate(window, tupleSizes, tupleCount)) return 0;
    tuples.prepare(tupleSizes, tupleList, tupleCount);
    KnownCountStorage st;
    if (!st.prepare(window, tuples.request(alphabet, procEnergy, s), tuples.rowCount(), energiesFailure,
                    "Нет памяти для ppDw[]!"))
        return 0;
    startChainsRun(*header, s.wImpulseQuantity, s.wImpulseQuantity, s.wImpulseQuantity);
    st.ranges.fillFromSeries(s);
    st.matches.fillRange(st.matchers(), st.ranges.first, st.ranges.last);
    std::int32_t best = noEndCost;
    std::int32_t recognised = 0;
    std::int32_t resultSize = 0;
    std::int32_t resultPhase = 0;
    for (std::int32_t t = 0; t < tupleCount; ++t) {
        const std::int32_t q = tuples.size(t);
        for (std::int32_t phase = 0; phase < phasesOf(q, proceeding); ++phase) {
            const PulseRows rowOf{tuples.rows(t), q, phase};
            std::int32_t measure = 0;
            if (!searchKnownCount(st, pulses, rowOf, tmin, tmax, measure)) continue;
            if (measure < best) {
                best = measure;
                recognised = t + 1;
                resultSize = q;
                resultPhase = phase;
                copyChain(st.second, st.chain);
            }
            insertPretender(*header, measure, st.chain.pulses());
        }
    }
    if (recognised == 0) {
        clearDetectedTuples(s, *header);
        s.wDetSubset = 0;
        return 0;
    }
    writeDetectedChain(st.second, s);
    writeTupleGroups(s, pulses, resultSize, resultSize - resultPhase);
    s.wDetSubset = static_cast<std::int16_t>(recognised);
    header->wSeekingPulsesQuantity = s.wImpulseQuantity;
    return recognised;
}

std::int32_t detectTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                      const std::int32_t* tuple, std::uint16_t /*proceeding*/, std::uint16_t tmin,
                                      std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                      SeriesHeader* series, std::int32_t& debugRepeat)
{
    if (!searchableSeries(header, series, tmin, tmax)) return 0;
    if (!TupleSet::valid(alphabet.size(), &tupleSize, &tuple, 1)) return 0;
    SeriesHeader& s = *series;
    startChainsRun(*header, 0, 0, s.wMaxPulses);
    TupleSet tuples;
    UnknownCountStorage st;
    if (!prepareLayered(window, st, tuples, &tupleSize, &tuple, 1, alphabet, procEnergy, s, tmin, tmax)) return 0;

    LayeredSearch search(st, s, tmin, tmax, detectionSentinel, tuples.rows(0), layerCount(tupleSize, s));
    std::int32_t measure = 0;
    if (search.run(window, debugRepeat != 0, measure)) {
        insertPretender(*header, measure, st.chain.pulses());
        writeDetectedChain(st.chain, s);
        writeTupleGroups(s, st.chain.size, tupleSize, tupleSize);
        header->wSeekingPulsesQuantity = static_cast<std::uint16_t>(st.chain.size);
    } else {
        clearDetectedTuples(s, *header); // no end below the sentinel: no chain
    }
    debugRepeat = 0;
    return 1;
}

std::int32_t recognizeTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet,
                                         const std::int32_t* tupleSizes, const std::int32_t* const* tupleList,
                                         std::int32_t tupleCount, std::uint16_t /*proceeding*/, std::uint16_t tmin,
                                         std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                         SeriesHeader* series, std::int32_t& debugRepeat)
{
    if (!searchableSeries(header, series, tmin, tmax)) return 0;
    if (!TupleSet::valid(alphabet.size(), tupleSizes, tupleList, tupleCount)) return 0;
    SeriesHeader& s = *series;
    startChainsRun(*header, 0, 0, s.wMaxPulses);
    TupleSet tuples;
    UnknownCountStorage st;
    if (!prepareLayered(window, st, tuples, tupleSizes, tupleList, tupleCount, alphabet, procEnergy, s, tmin, tmax))
        return 0;

    std::int32_t best = recognitionSentinel;
    std::int32_t recognised = 0;
    std::int32_t resultSize = 0;
    for (std::int32_t t = 0; t < tupleCount; ++t) {
        LayeredSearch search(st, s, tmin, tmax, recognitionSentinel, tuples.rows(t), layerCount(tuples.size(t), s));
        std::int32_t measure = 0;
        if (!search.run(window, debugRepeat != 0, measure)) continue;
        if (measure < best) {
            best = measure;
            recognised = t + 1;
            resultSize = tuples.size(t);
            copyChain(st.best, st.chain);
        }
        insertPretender(*header, measure, st.chain.pulses());
    }
    if (recognised == 0) {
        clearDetectedTuples(s, *header);
    } else {
        writeDetectedChain(st.best, s);
        writeTupleGroups(s, st.best.size, resultSize, resultSize);
        header->wSeekingPulsesQuantity = static_cast<std::uint16_t>(st.best.size);
    }
    s.wDetSubset = static_cast<std::int16_t>(recognised);
    debugRepeat = 0;
    return recognised;
}

} // namespace mirokel
