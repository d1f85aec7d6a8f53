// Direct transcription of the tuple searches: no prefix sums, no sliding windows, no
// shared work between phases or layers. Each function follows the description of its
// search step by step, so that a fast search can be checked against it integer for integer.
#include "direct_tuples.h"

#include "direct_searches.h"
#include "direct_sets.h"
#include "engine/position_set.h"
#include "model/wrapping.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace mirokel::direct {

namespace {

// Start of a predecessor window scan of the known-count searches.
constexpr std::int32_t windowStart = 999'999;
// Start of the end scan of the known-count searches and of their best measure.
constexpr std::int32_t endStart = 9'999'999;
// Layer sentinel S of the unknown-count searches: initial accumulated cost and
// predecessor, the cost of a layer position without a chain, and the start of the end scan.
constexpr std::int32_t detectionSentinel = 99'999'999;
constexpr std::int32_t recognitionSentinel = 999'999'999;
// Predecessor of a position where a chain starts with the tuple's first member.
constexpr std::int32_t firstOnly = -1;
// Predecessor of a position where no earlier pulse was taken.
constexpr std::int32_t chainStart = -2;
// The diagnostic texts are composed in a buffer of 5 000 characters, terminator included.
constexpr std::size_t diagnosticLimit = 4'999;
constexpr const char* diagnosticCaption = " About TuplesDetection ";

std::size_t at(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

// A tuple the searches can work with: at least one member, every member an etalon number
// of the alphabet.
bool validTuple(std::span<const PulseHeader> alphabet, std::int32_t size, const std::int32_t* tuple)
{
    if (size <= 0 || tuple == nullptr) return false;
    for (std::int32_t i = 0; i < size; ++i)
        if (tuple[i] < 1 || static_cast<std::size_t>(tuple[i]) > alphabet.size()) return false;
    return true;
}

// The tuple members as matchAt sees them, each with its partial energies and threshold,
// in tuple order.
struct TupleMembers {
    std::vector<std::vector<std::int32_t>> partial;
    std::vector<MatchEtalon> etalons;
};

TupleMembers prepareMembers(std::span<const PulseHeader> alphabet, std::int32_t size, const std::int32_t* tuple,
                            std::int32_t n, std::uint16_t procEnergy)
{
    TupleMembers members;
    members.partial.reserve(at(size));
    members.etalons.reserve(at(size));
    for (std::int32_t i = 0; i < size; ++i) {
        const PulseHeader& etalon = alphabet[at(tuple[i] - 1)];
        members.partial.push_back(partialEnergies(etalon.lpData, n));
        const std::vector<std::int32_t>& p = members.partial.back();
        members.etalons.push_back(
            MatchEtalon{etalon.lpData, p.data(), energyThreshold(p[at(n)], procEnergy), tuple[i] - 1});
    }
    return members;
}

// matchAt restricted to one tuple member: whole etalon first, then its admitted parts.
Match matchMember(const SeriesHeader& series, std::int32_t m, const MatchEtalon& member)
{
    return matchAt(series.lpNoisyData, m, series.wImpulseSize, std::span<const MatchEtalon>(&member, 1));
}

// A chain found by a search, pulses from first to last, with its tuple groups.
struct TupleChain {
    std::int32_t measure = 0;
    std::vector<std::int16_t> etalons;
    std::vector<std::int16_t> positions;
    std::vector<std::int16_t> cutStart;
    std::vector<std::int16_t> cutEnd;
    std::vector<std::int16_t> groupFirst; // 1-based pulse numbers
    std::vector<std::int16_t> groupLast;

    std::int32_t size() const { return static_cast<std::int32_t>(positions.size()); }

    void addPulse(std::int32_t etalon, std::int32_t position, std::int32_t first, std::int32_t last)
    {
        etalons.push_back(static_cast<std::int16_t>(etalon));
        positions.push_back(static_cast<std::int16_t>(position));
        cutStart.push_back(static_cast<std::int16_t>(first));
        cutEnd.push_back(static_cast<std::int16_t>(last));
    }

    ChainPulses pulses() const
    {
        return ChainPulses{etalons.data(), positions.data(), cutStart.data(), cutEnd.data(), size()};
    }

    // The first group holds pulses 1 … min(firstLength, c), each following group the next
    // q pulses, the last one cut at c.
    void formGroups(std::int32_t firstLength, std::int32_t q)
    {
        groupFirst.clear();
        groupLast.clear();
        const std::int32_t c = size();
        std::int32_t first = 1;
        std::int32_t last = std::min(firstLength, c);
        while (first <= c) {
            groupFirst.push_back(static_cast<std::int16_t>(first));
            groupLast.push_back(static_cast<std::int16_t>(last));
            first = last + 1;
            last = std::min(wrapAdd(first, q - 1), c);
        }
    }
};

// Writes the result chain and its groups into the series record, or, without a result,
// 0 detected pulses and 0 groups. Entries past the series' per-pulse arrays are not written.
void writeResult(SeriesHeader& series, const TupleChain* chain)
{
    if (chain == nullptr) {
        series.wDetPulses = 0;
        series.wDetTuples = 0;
        return;
    }
    const std::int32_t capacity = series.wPulsesCapacity;
    series.wDetPulses = static_cast<std::uint16_t>(chain->size());
    for (std::int32_t k = 0; k < chain->size() && k < capacity; ++k) {
        series.lpDetPositions[k] = chain->positions[at(k)];
        series.lpDetEtalonNumbers[k] = chain->etalons[at(k)];
        series.lpDetFirstSamples[k] = chain->cutStart[at(k)];
        series.lpDetLastSamples[k] = chain->cutEnd[at(k)];
    }
    const auto groups = static_cast<std::int32_t>(chain->groupFirst.size());
    series.wDetTuples = static_cast<std::uint16_t>(groups);
    for (std::int32_t g = 0; g < groups && g < capacity; ++g) {
        series.lpTupleFirst[g] = chain->groupFirst[at(g)];
        series.lpTupleLast[g] = chain->groupLast[at(g)];
    }
}

// ---------------------------------------------------------------------------------------
// Known pulse count

// Admissible start range [lo[j], hi[j]] of every pulse j < K.
struct PulseRanges {
    std::vector<std::int32_t> lo;
    std::vector<std::int32_t> hi;
};

// The ranges from the series length N, the pulse length n and K, each clipped to 0 … N − n.
PulseRanges computedRanges(const SeriesHeader& series, std::int32_t K, std::int32_t Tn, std::int32_t Tx)
{
    const std::int32_t N = series.dwSeriesSize;
    const std::int32_t n = series.wImpulseSize;
    PulseRanges r;
    for (std::int32_t j = 0; j < K; ++j) {
        const std::int32_t lo = std::max(wrapMul(j, Tn), wrapSub(N, wrapMul(Tx, K - j)));
        const std::int32_t hi =
            std::min(wrapSub(wrapMul(j + 1, Tx), n), wrapSub(wrapSub(N, n), wrapMul(Tn, K - 1 - j)));
        r.lo.push_back(std::max(lo, 0));
        r.hi.push_back(std::min(hi, wrapSub(N, n)));
    }
    return r;
}

// The ranges the series builder stored.
PulseRanges storedRanges(const SeriesHeader& series, std::int32_t K)
{
    PulseRanges r;
    for (std::int32_t j = 0; j < K; ++j) {
        r.lo.push_back(series.lpMinPositions[j]);
        r.hi.push_back(series.lpMaxPositions[j]);
    }
    return r;
}

// The working rows of a phase: per pulse index, one entry per series position.
struct KnownRows {
    std::vector<std::vector<std::int32_t>> accumulated;
    std::vector<std::vector<std::int32_t>> cutStart;
    std::vector<std::vector<std::int32_t>> cutEnd;

    KnownRows(std::int32_t K, std::int32_t N)
    {
        const std::vector<std::int32_t> row(at(std::max(N, 0)), 0);
        accumulated.assign(at(std::max(K, 0)), row);
        cutStart.assign(at(std::max(K, 0)), row);
        cutEnd.assign(at(std::max(K, 0)), row);
    }
};

// Lowest accumulated cost below `best` over q = m − tmax … m − tmin within [lo, hi], first
// one on ties; position stays as given when none is below.
void scanKnownWindow(const std::vector<std::int32_t>& row, std::int32_t lo, std::int32_t hi, std::int32_t m,
                     std::int32_t tmin, std::int32_t tmax, std::int32_t& best, std::int32_t& position)
{
    for (std::int32_t q = m - tmax; q <= m - tmin; ++q) {
        if (q < lo || q > hi) continue;
        if (row[at(q)] < best) {
            best = row[at(q)];
            position = q;
        }
    }
}

// The search of one phase M of a tuple of q members: pulse j is member (M + j) mod q.
// False when the phase has no chain (no end below 9 999 999, or a pulse of the retrace
// without a position below 999 999).
bool phaseSearch(KnownRows& rows, const SeriesHeader& series, std::int32_t K, const PulseRanges& r,
                 std::int32_t tmin, std::int32_t tmax, const TupleMembers& members, std::int32_t q, std::int32_t M,
                 TupleChain& chain)
{
    if (K <= 0) return false;

    for (std::int32_t j = 0; j < K; ++j) {
        const MatchEtalon& member = members.etalons[at((M + j) % q)];
        for (std::int32_t m = r.lo[at(j)]; m <= r.hi[at(j)]; ++m) {
            std::int32_t c = 0;
            if (j >= 1) {
                c = windowStart;
                std::int32_t unused = 0;
                scanKnownWindow(rows.accumulated[at(j - 1)], r.lo[at(j - 1)], r.hi[at(j - 1)], m, tmin, tmax, c,
                                unused);
            }
            const Match match = matchMember(series, m, member);
            rows.accumulated[at(j)][at(m)] = wrapAdd(c, match.cost);
            rows.cutStart[at(j)][at(m)] = match.cutStart;
            rows.cutEnd[at(j)][at(m)] = match.cutEnd;
        }
    }

    // End: the first lowest accumulated cost of the last pulse below 9 999 999.
    std::int32_t w = endStart;
    std::int32_t end = -1;
    for (std::int32_t m = r.lo[at(K - 1)]; m <= r.hi[at(K - 1)]; ++m) {
        if (rows.accumulated[at(K - 1)][at(m)] < w) {
            w = rows.accumulated[at(K - 1)][at(m)];
            end = m;
        }
    }
    if (end < 0) return false;

    // Retrace: pulse j at the first lowest cost below 999 999 in the window of pulse j + 1.
    std::vector<std::int32_t> positions(at(K), 0);
    positions[at(K - 1)] = end;
    for (std::int32_t j = K - 2; j >= 0; --j) {
        std::int32_t best = windowStart;
        std::int32_t position = -1;
        scanKnownWindow(rows.accumulated[at(j)], r.lo[at(j)], r.hi[at(j)], positions[at(j + 1)], tmin, tmax, best,
                        position);
        if (position < 0) return false;
        positions[at(j)] = position;
    }

    chain = TupleChain{};
    chain.measure = w;
    for (std::int32_t j = 0; j < K; ++j) {
        const std::int32_t m = positions[at(j)];
        chain.addPulse(members.etalons[at((M + j) % q)].slot + 1, m, rows.cutStart[at(j)][at(m)],
                       rows.cutEnd[at(j)][at(m)]);
    }
    chain.formGroups(q - M, q);
    return true;
}

// Phases tried: 0 only for a complete tuple, otherwise every phase.
std::int32_t phaseCount(std::uint16_t proceeding, std::int32_t q)
{
    return proceeding == 1 ? 1 : q;
}

// ---------------------------------------------------------------------------------------
// Unknown pulse count

// G_on_layers: per layer, five arrays over the P = N − n + 1 positions.
struct Layers {
    std::vector<std::vector<std::int32_t>> accumulated;
    std::vector<std::vector<std::int32_t>> predecessor;
    std::vector<std::vector<std::int32_t>> etalonIndex;
    std::vector<std::vector<std::int32_t>> cutStart;
    std::vector<std::vector<std::int32_t>> cutEnd;

    void reset(std::int32_t layers, std::int32_t P, std::int32_t S, std::int32_t n)
    {
        const auto count = at(std::max(layers, 0));
        const auto size = at(std::max(P, 0));
        accumulated.assign(count, std::vector<std::int32_t>(size, S));
        predecessor.assign(count, std::vector<std::int32_t>(size, S));
        etalonIndex.assign(count, std::vector<std::int32_t>(size, 0));
        cutStart.assign(count, std::vector<std::int32_t>(size, 0));
        cutEnd.assign(count, std::vector<std::int32_t>(size, n - 1));
    }

    void storeMatch(std::int32_t layer, std::int32_t m, const Match& match)
    {
        etalonIndex[at(layer)][at(m)] = match.etalonIndex;
        cutStart[at(layer)][at(m)] = match.cutStart;
        cutEnd[at(layer)][at(m)] = match.cutEnd;
    }
};

std::int32_t previousLayer(std::int32_t layer, std::int32_t layers)
{
    return layer == 0 ? layers - 1 : layer - 1;
}

// Lowest accumulated cost below `best` over q = m − tmax … m − tmin, q ≥ 0, first one on ties.
void scanLayerWindow(const std::vector<std::int32_t>& accumulated, std::int32_t m, std::int32_t tmin,
                     std::int32_t tmax, std::int32_t& best, std::int32_t& predecessor)
{
    for (std::int32_t q = m - tmax; q <= m - tmin; ++q) {
        if (q < 0) continue;
        if (accumulated[at(q)] < best) {
            best = accumulated[at(q)];
            predecessor = q;
        }
    }
}

// Intervals of a set, " [start..end] " each.
void appendIntervals(std::string& text, const SetHandle& set)
{
    if (!set) return;
    forEachInterval(*set, [&](std::int32_t first, std::int32_t last) {
        text += " [" + std::to_string(first) + ".." + std::to_string(last) + "] ";
    });
}

// One symbol per position of the set, in ascending order: the cost of the position that is
// the set's first minimum (scanned from S) when that cost is negative, " -" for any other
// negative cost, " +" for a cost that is not negative; then the predecessor when it names
// a position.
void appendSymbols(std::string& text, const SetHandle& set, const Layers& g, std::int32_t layer, std::int32_t S)
{
    std::int32_t lowest = S;
    std::int32_t lowestAt = -1;
    visitPositions(set, [&](std::int32_t m) {
        if (g.accumulated[at(layer)][at(m)] < lowest) {
            lowest = g.accumulated[at(layer)][at(m)];
            lowestAt = m;
        }
    });
    visitPositions(set, [&](std::int32_t m) {
        const std::int32_t cost = g.accumulated[at(layer)][at(m)];
        text += ' ';
        if (cost < 0)
            text += m == lowestAt ? std::to_string(cost) : std::string("-");
        else
            text += '+';
        const std::int32_t predecessor = g.predecessor[at(layer)][at(m)];
        if (predecessor >= 0) {
            text += ' ';
            text += std::to_string(predecessor);
        }
    });
}

void showDiagnostic(Window& window, std::string text)
{
    if (text.size() > diagnosticLimit) text.resize(diagnosticLimit);
    showMessage(window, text, diagnosticCaption);
}

// The layered search for one tuple of q members. False when no end scores below S.
bool layeredSearch(Window& window, const SeriesHeader& series, const TupleMembers& members, std::int32_t q,
                   const Omegas& omegas, const PassSets& passes, std::int32_t tmin, std::int32_t tmax,
                   std::int32_t S, bool debug, Layers& g, TupleChain& chain)
{
    const std::int32_t layers = std::min<std::int32_t>(q, series.wMaxPulses);
    const std::int32_t P = series.dwSeriesSize - series.wImpulseSize + 1;
    g.reset(layers, P, S, series.wImpulseSize);

    // Pass 1: positions that can only hold a first pulse, layer 0 only.
    if (layers > 0) {
        visitPositions(passes.firstOnly, [&](std::int32_t m) {
            const Match match = matchMember(series, m, members.etalons[0]);
            g.accumulated[0][at(m)] = match.cost;
            g.predecessor[0][at(m)] = firstOnly;
            g.storeMatch(0, m, match);
        });
    }
    if (debug) {
        std::string text = "omega_minus - omega_tilda: ";
        appendIntervals(text, passes.firstOnly);
        text += "\n";
        if (layers > 0) appendSymbols(text, passes.firstOnly, g, 0, S);
        text += "\n ";
        showDiagnostic(window, std::move(text));
    }

    // Pass 2: a first pulse (layer 0 only) or a later one.
    visitPositions(passes.firstOrNext, [&](std::int32_t m) {
        for (std::int32_t layer = 0; layer < layers; ++layer) {
            const Match match = matchMember(series, m, members.etalons[at(layer)]);
            std::int32_t best = 0;
            std::int32_t predecessor = chainStart;
            scanLayerWindow(g.accumulated[at(previousLayer(layer, layers))], m, tmin, tmax, best, predecessor);
            if (best < 0) {
                g.accumulated[at(layer)][at(m)] = wrapAdd(best, match.cost);
            } else if (layer == 0) {
                g.accumulated[at(layer)][at(m)] = match.cost;
                predecessor = firstOnly;
            } else {
                g.accumulated[at(layer)][at(m)] = S;
            }
            g.predecessor[at(layer)][at(m)] = predecessor;
            g.storeMatch(layer, m, match);
        }
    });
    if (debug) {
        std::string text = "omega_minus x omega_tilda: ";
        appendIntervals(text, passes.firstOrNext);
        text += "\n";
        for (std::int32_t layer = 0; layer < layers; ++layer) {
            text += "l=" + std::to_string(layer + 1) + "\n ";
            appendSymbols(text, passes.firstOrNext, g, layer, S);
            text += "\n ";
        }
        showDiagnostic(window, std::move(text));
    }

    // Pass 3: positions that need a predecessor; one without keeps −2 and S + own cost.
    visitPositions(passes.nextOnly, [&](std::int32_t m) {
        for (std::int32_t layer = 0; layer < layers; ++layer) {
            const Match match = matchMember(series, m, members.etalons[at(layer)]);
            std::int32_t best = S;
            std::int32_t predecessor = chainStart;
            scanLayerWindow(g.accumulated[at(previousLayer(layer, layers))], m, tmin, tmax, best, predecessor);
            g.accumulated[at(layer)][at(m)] = wrapAdd(best, match.cost);
            g.predecessor[at(layer)][at(m)] = predecessor;
            g.storeMatch(layer, m, match);
        }
    });

    // End: positions of omega_plus ascending, layers ascending, first strictly lowest below S.
    std::int32_t d = S;
    std::int32_t endPosition = -1;
    std::int32_t endLayer = -1;
    visitPositions(omegas.plus, [&](std::int32_t m) {
        for (std::int32_t layer = 0; layer < layers; ++layer) {
            if (g.accumulated[at(layer)][at(m)] < d) {
                d = g.accumulated[at(layer)][at(m)];
                endPosition = m;
                endLayer = layer;
            }
        }
    });
    if (endPosition < 0) return false;

    // Chain: predecessors back from the end, one layer back per step, until a predecessor
    // that names no earlier position; that pulse is the chain's first.
    std::vector<std::int32_t> chainPositions;
    std::vector<std::int32_t> chainLayers;
    std::int32_t position = endPosition;
    std::int32_t layer = endLayer;
    for (;;) {
        chainPositions.push_back(position);
        chainLayers.push_back(layer);
        const std::int32_t predecessor = g.predecessor[at(layer)][at(position)];
        if (predecessor < 0 || predecessor >= position) break;
        position = predecessor;
        layer = previousLayer(layer, layers);
    }

    chain = TupleChain{};
    chain.measure = d;
    for (std::size_t k = chainPositions.size(); k-- > 0;) {
        const std::int32_t m = chainPositions[k];
        const std::int32_t l = chainLayers[k];
        chain.addPulse(g.etalonIndex[at(l)][at(m)] + 1, m, g.cutStart[at(l)][at(m)], g.cutEnd[at(l)][at(m)]);
    }
    chain.formGroups(q, q);
    return true;
}

} // namespace

std::int32_t detectTuplesKnownCount(Window& /*window*/, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                    const std::int32_t* tuple, std::uint16_t proceeding, std::uint16_t tmin,
                                    std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                    SeriesHeader* series)
{
    if (header == nullptr || series == nullptr || !validTuple(alphabet, tupleSize, tuple)) return 0;
    const std::int32_t K = series->wImpulseQuantity;
    const TupleMembers members = prepareMembers(alphabet, tupleSize, tuple, series->wImpulseSize, procEnergy);

    // Step 1: start of the run.
    startChainsRun(*header, series->wImpulseQuantity, series->wImpulseQuantity, series->wImpulseQuantity);

    // Step 2: ranges.
    const PulseRanges ranges = computedRanges(*series, K, tmin, tmax);

    // Step 3: every phase tried, one pretender each; the first strictly best is the result.
    std::int32_t best = endStart;
    TupleChain result;
    bool haveResult = false;
    KnownRows rows(K, series->dwSeriesSize);
    for (std::int32_t M = 0; M < phaseCount(proceeding, tupleSize); ++M) {
        TupleChain chain;
        if (!phaseSearch(rows, *series, K, ranges, tmin, tmax, members, tupleSize, M, chain)) continue;
        insertPretender(*header, chain.measure, chain.pulses());
        if (chain.measure < best) {
            best = chain.measure;
            result = chain;
            haveResult = true;
        }
    }

    // Step 4: the result, or 0 pulses when no phase has a chain.
    writeResult(*series, haveResult ? &result : nullptr);
    header->wSeekingPulsesQuantity = haveResult ? series->wImpulseQuantity : std::uint16_t{0};
    return 1;
}

std::int32_t recognizeTuplesKnownCount(Window& /*window*/, std::span<const PulseHeader> alphabet,
                                       const std::int32_t* tupleSizes, const std::int32_t* const* tuples,
                                       std::int32_t tupleCount, std::uint16_t proceeding, std::uint16_t tmin,
                                       std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                       SeriesHeader* series)
{
    if (header == nullptr || series == nullptr) return 0;
    if (tupleCount > 0 && (tupleSizes == nullptr || tuples == nullptr)) return 0;
    for (std::int32_t t = 0; t < tupleCount; ++t)
        if (!validTuple(alphabet, tupleSizes[t], tuples[t])) return 0;
    const std::int32_t K = series->wImpulseQuantity;

    // Step 1: start of the run. Step 2: the stored ranges.
    startChainsRun(*header, series->wImpulseQuantity, series->wImpulseQuantity, series->wImpulseQuantity);
    const PulseRanges ranges = storedRanges(*series, K);

    // Step 3: every tuple, every phase tried for it.
    std::int32_t best = endStart;
    std::int32_t recognised = 0;
    TupleChain result;
    bool haveResult = false;
    KnownRows rows(K, series->dwSeriesSize);
    for (std::int32_t t = 0; t < tupleCount; ++t) {
        const std::int32_t q = tupleSizes[t];
        const TupleMembers members = prepareMembers(alphabet, q, tuples[t], series->wImpulseSize, procEnergy);
        for (std::int32_t M = 0; M < phaseCount(proceeding, q); ++M) {
            TupleChain chain;
            if (!phaseSearch(rows, *series, K, ranges, tmin, tmax, members, q, M, chain)) continue;
            if (chain.measure < best) {
                best = chain.measure;
                recognised = t + 1;
                result = chain;
                haveResult = true;
            }
            if (insertPretender(*header, chain.measure, chain.pulses()) == 0)
                header->wSeekingPulsesQuantity = series->wImpulseQuantity;
        }
    }

    // Step 4: the result, or 0 pulses and no tuple when no phase of any tuple has a chain.
    writeResult(*series, haveResult ? &result : nullptr);
    series->wDetSubset = static_cast<std::int16_t>(recognised);
    header->wSeekingPulsesQuantity = haveResult ? series->wImpulseQuantity : std::uint16_t{0};
    return recognised;
}

std::int32_t detectTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet, std::int32_t tupleSize,
                                      const std::int32_t* tuple, std::uint16_t /*proceeding*/, std::uint16_t tmin,
                                      std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                      SeriesHeader* series, std::int32_t& debugRepeat)
{
    if (header == nullptr || series == nullptr || !validTuple(alphabet, tupleSize, tuple)) return 0;

    // Step 1: start of the run.
    startChainsRun(*header, 0, 0, series->wMaxPulses);

    // Step 2: the layered search.
    const TupleMembers members = prepareMembers(alphabet, tupleSize, tuple, series->wImpulseSize, procEnergy);
    const Omegas omegas = buildOmegas(*series, tmin, tmax);
    const PassSets passes = buildPassSets(omegas);
    Layers g;
    TupleChain chain;
    const bool found = layeredSearch(window, *series, members, tupleSize, omegas, passes, tmin, tmax,
                                     detectionSentinel, debugRepeat != 0, g, chain);

    // Step 3: the only pretender, and the result. Without an end below S nothing is
    // offered and the series gets 0 pulses.
    if (found) insertPretender(*header, chain.measure, chain.pulses());
    writeResult(*series, found && chain.measure < detectionSentinel ? &chain : nullptr);

    // Step 4.
    header->wSeekingPulsesQuantity = found ? static_cast<std::uint16_t>(chain.size()) : std::uint16_t{0};
    debugRepeat = 0;
    return 1;
}

std::int32_t recognizeTuplesUnknownCount(Window& window, std::span<const PulseHeader> alphabet,
                                         const std::int32_t* tupleSizes, const std::int32_t* const* tuples,
                                         std::int32_t tupleCount, std::uint16_t /*proceeding*/, std::uint16_t tmin,
                                         std::uint16_t tmax, std::uint16_t procEnergy, ChainsHeader* header,
                                         SeriesHeader* series, std::int32_t& debugRepeat)
{
    if (header == nullptr || series == nullptr) return 0;
    if (tupleCount > 0 && (tupleSizes == nullptr || tuples == nullptr)) return 0;
    for (std::int32_t t = 0; t < tupleCount; ++t)
        if (!validTuple(alphabet, tupleSizes[t], tuples[t])) return 0;

    // Step 1: start of the run.
    startChainsRun(*header, 0, 0, series->wMaxPulses);
    const Omegas omegas = buildOmegas(*series, tmin, tmax);
    const PassSets passes = buildPassSets(omegas);

    // Step 2: one layered search per tuple; a tuple without a chain offers nothing.
    std::int32_t best = recognitionSentinel;
    std::int32_t recognised = 0;
    TupleChain result;
    bool haveResult = false;
    Layers g;
    for (std::int32_t t = 0; t < tupleCount; ++t) {
        const std::int32_t q = tupleSizes[t];
        const TupleMembers members = prepareMembers(alphabet, q, tuples[t], series->wImpulseSize, procEnergy);
        TupleChain chain;
        if (!layeredSearch(window, *series, members, q, omegas, passes, tmin, tmax, recognitionSentinel,
                           debugRepeat != 0, g, chain))
            continue;
        if (chain.measure < best) {
            best = chain.measure;
            recognised = t + 1;
            result = chain;
            haveResult = true;
        }
        insertPretender(*header, chain.measure, chain.pulses());
    }

    // Step 3: the result, or 0 pulses and no tuple.
    writeResult(*series, haveResult ? &result : nullptr);
    series->wDetSubset = static_cast<std::int16_t>(recognised);
    header->wSeekingPulsesQuantity = haveResult ? static_cast<std::uint16_t>(result.size()) : std::uint16_t{0};
    debugRepeat = 0;
    return recognised;
}

} // namespace mirokel::direct
