// Direct transcription of the chain searches: no prefix sums, no sliding windows. Each
// function follows the description of its search step by step, so that a fast search can
// be checked against it integer for integer.
#include "direct_searches.h"

#include "direct_sets.h"
#include "model/wrapping.h"

#include <algorithm>
#include <cstddef>

namespace mirokel::direct {

namespace {

// Initial own and accumulated cost and predecessor of a position, and the start of the
// best-measure scan of the unknown-count searches.
constexpr std::int32_t unsetCost = 99'999'999;
// Start of a predecessor window scan of the known-count searches.
constexpr std::int32_t windowStart = 999'999;
// Start of the end scan of the known-count searches and of the recognisers' best.
constexpr std::int32_t endStart = 9'999'999;
// Predecessor of a position that can only hold a first pulse.
constexpr std::int32_t firstOnly = -1;
// Predecessor of a position where the chain starts although it could follow another pulse.
constexpr std::int32_t chainStart = -2;

// The listed etalons with their partial energies and thresholds, in list order.
struct ListedEtalons {
    std::vector<std::vector<std::int32_t>> partial;
    std::vector<MatchEtalon> etalons;
};

ListedEtalons prepareEtalons(std::span<const PulseHeader> alphabet, std::span<const std::uint16_t> numbers,
                             std::int32_t n, std::uint16_t procEnergy)
{
    ListedEtalons listed;
    listed.partial.reserve(numbers.size());
    for (const std::uint16_t number : numbers) {
        const PulseHeader& etalon = alphabet[static_cast<std::size_t>(number) - 1];
        listed.partial.push_back(partialEnergies(etalon.lpData, n));
        const std::vector<std::int32_t>& p = listed.partial.back();
        listed.etalons.push_back(MatchEtalon{etalon.lpData, p.data(),
                                             energyThreshold(p[static_cast<std::size_t>(n)], procEnergy),
                                             static_cast<std::int32_t>(number) - 1});
    }
    return listed;
}

// The working arrays of the unknown-count searches, one entry per series position.
struct UnknownArrays {
    std::vector<std::int32_t> own;
    std::vector<std::int32_t> accumulated;
    std::vector<std::int32_t> predecessor;
    std::vector<std::int32_t> etalonIndex;
    std::vector<std::int32_t> cutStart;
    std::vector<std::int32_t> cutEnd;

    void reset(std::int32_t N, std::int32_t n)
    {
        const auto size = static_cast<std::size_t>(std::max(N, 0));
        own.assign(size, unsetCost);
        accumulated.assign(size, unsetCost);
        predecessor.assign(size, unsetCost);
        etalonIndex.assign(size, 0);
        cutStart.assign(size, 0);
        cutEnd.assign(size, n - 1);
    }
};

void computeOwnCosts(UnknownArrays& a, const SeriesHeader& series, const SetHandle& positions,
                     std::span<const MatchEtalon> etalons)
{
    visitPositions(positions, [&](std::int32_t m) {
        const Match r = matchAt(series.lpNoisyData, m, series.wImpulseSize, etalons);
        const auto i = static_cast<std::size_t>(m);
        a.own[i] = r.cost;
        a.etalonIndex[i] = r.etalonIndex;
        a.cutStart[i] = r.cutStart;
        a.cutEnd[i] = r.cutEnd;
    });
}

// Lowest accumulated cost below `best` over q = m − tmax … m − tmin, q ≥ 0, first one on ties.
void scanPredecessors(const UnknownArrays& a, std::int32_t m, std::int32_t tmin, std::int32_t tmax,
                      std::int32_t& best, std::int32_t& predecessor)
{
    for (std::int32_t q = m - tmax; q <= m - tmin; ++q) {
        if (q < 0) continue;
        if (a.accumulated[static_cast<std::size_t>(q)] < best) {
            best = a.accumulated[static_cast<std::size_t>(q)];
            predecessor = q;
        }
    }
}

void accumulateCosts(UnknownArrays& a, const PassSets& passes, std::int32_t tmin, std::int32_t tmax)
{
    visitPositions(passes.firstOnly, [&](std::int32_t m) {
        const auto i = static_cast<std::size_t>(m);
        a.accumulated[i] = a.own[i];
        a.predecessor[i] = firstOnly;
    });
    visitPositions(passes.firstOrNext, [&](std::int32_t m) {
        std::int32_t best = 0;
        std::int32_t predecessor = chainStart;
        scanPredecessors(a, m, tmin, tmax, best, predecessor);
        const auto i = static_cast<std::size_t>(m);
        a.accumulated[i] = wrapAdd(best, a.own[i]);
        a.predecessor[i] = predecessor;
    });
    visitPositions(passes.nextOnly, [&](std::int32_t m) {
        std::int32_t best = unsetCost;
        std::int32_t predecessor = chainStart;
        scanPredecessors(a, m, tmin, tmax, best, predecessor);
        const auto i = static_cast<std::size_t>(m);
        a.accumulated[i] = wrapAdd(best, a.own[i]);
        a.predecessor[i] = predecessor;
    });
}

// Offers the chain ending at every position of omega_plus, ascending. The chain follows
// predecessors back from its end; a predecessor that names no position (negative, or the
// initial 99 999 999 of an end position no pass reached) ends it. etalonNumber 0 takes
// each pulse's etalon from its position, otherwise every pulse carries etalonNumber.
void offerChains(ChainsHeader& header, const UnknownArrays& a, const SetHandle& plus, std::int32_t N,
                 std::int32_t etalonNumber)
{
    std::vector<std::int16_t> etalons, positions, cutStart, cutEnd;
    visitPositions(plus, [&](std::int32_t m) {
        std::vector<std::int32_t> chain;
        for (std::int32_t p = m; p >= 0 && p < N; p = a.predecessor[static_cast<std::size_t>(p)]) chain.push_back(p);
        std::reverse(chain.begin(), chain.end());
        etalons.clear();
        positions.clear();
        cutStart.clear();
        cutEnd.clear();
        for (const std::int32_t p : chain) {
            const auto i = static_cast<std::size_t>(p);
            etalons.push_back(static_cast<std::int16_t>(etalonNumber != 0 ? etalonNumber : a.etalonIndex[i] + 1));
            positions.push_back(static_cast<std::int16_t>(p));
            cutStart.push_back(static_cast<std::int16_t>(a.cutStart[i]));
            cutEnd.push_back(static_cast<std::int16_t>(a.cutEnd[i]));
        }
        insertPretender(header, a.accumulated[static_cast<std::size_t>(m)],
                        ChainPulses{etalons.data(), positions.data(), cutStart.data(), cutEnd.data(),
                                    static_cast<std::int32_t>(chain.size())});
    });
}

void setSeekingFromPretender0(ChainsHeader& header)
{
    header.wSeekingPulsesQuantity =
        header.wPretenders > 0 ? static_cast<std::uint16_t>(header.lpChainSizes[0]) : std::uint16_t{0};
}

// The working rows of the known-count searches: per pulse index, one entry per position.
struct KnownArrays {
    std::vector<std::vector<std::int32_t>> accumulated;
    std::vector<std::vector<std::int32_t>> etalonIndex;
    std::vector<std::vector<std::int32_t>> cutStart;
    std::vector<std::vector<std::int32_t>> cutEnd;

    KnownArrays(std::int32_t K, std::int32_t N)
    {
        const std::vector<std::int32_t> row(static_cast<std::size_t>(std::max(N, 0)), 0);
        accumulated.assign(static_cast<std::size_t>(K), row);
        etalonIndex.assign(static_cast<std::size_t>(K), row);
        cutStart.assign(static_cast<std::size_t>(K), row);
        cutEnd.assign(static_cast<std::size_t>(K), row);
    }
};

// Lowest accumulated cost of pulse j below `best` over q = m − tmax … m − tmin within the
// range of pulse j, first one on ties; predecessor stays as given when none is below.
void scanKnownWindow(const KnownArrays& a, const SeriesHeader& series, std::int32_t j, std::int32_t m,
                     std::int32_t tmin, std::int32_t tmax, std::int32_t& best, std::int32_t& predecessor)
{
    const std::int32_t lo = series.lpMinPositions[j];
    const std::int32_t hi = series.lpMaxPositions[j];
    const std::vector<std::int32_t>& row = a.accumulated[static_cast<std::size_t>(j)];
    for (std::int32_t q = m - tmax; q <= m - tmin; ++q) {
        if (q < lo || q > hi) continue;
        if (row[static_cast<std::size_t>(q)] < best) {
            best = row[static_cast<std::size_t>(q)];
            predecessor = q;
        }
    }
}

void accumulateKnown(KnownArrays& a, const SeriesHeader& series, std::int32_t K, std::int32_t tmin,
                     std::int32_t tmax, std::span<const MatchEtalon> etalons)
{
    for (std::int32_t j = 0; j < K; ++j) {
        for (std::int32_t m = series.lpMinPositions[j]; m <= series.lpMaxPositions[j]; ++m) {
            std::int32_t c = 0;
            if (j >= 1) {
                c = windowStart;
                std::int32_t unused = 0;
                scanKnownWindow(a, series, j - 1, m, tmin, tmax, c, unused);
            }
            const Match r = matchAt(series.lpNoisyData, m, series.wImpulseSize, etalons);
            const auto jj = static_cast<std::size_t>(j);
            const auto i = static_cast<std::size_t>(m);
            a.accumulated[jj][i] = wrapAdd(c, r.cost);
            a.etalonIndex[jj][i] = r.etalonIndex;
            a.cutStart[jj][i] = r.cutStart;
            a.cutEnd[jj][i] = r.cutEnd;
        }
    }
}

// Lowest accumulated cost of the last pulse below 9 999 999 over its range, first
// position on ties. end = −1 when none is below.
struct KnownEnd {
    std::int32_t best = endStart;
    std::int32_t end = -1;
};

KnownEnd findKnownEnd(const KnownArrays& a, const SeriesHeader& series, std::int32_t K)
{
    KnownEnd result;
    if (K <= 0) return result;
    const std::vector<std::int32_t>& row = a.accumulated[static_cast<std::size_t>(K - 1)];
    for (std::int32_t m = series.lpMinPositions[K - 1]; m <= series.lpMaxPositions[K - 1]; ++m) {
        if (row[static_cast<std::size_t>(m)] < result.best) {
            result.best = row[static_cast<std::size_t>(m)];
            result.end = m;
        }
    }
    return result;
}

// Positions of pulses 0 … K − 1 of the chain ending at `end`, each the first lowest
// accumulated cost below 999 999 in the predecessor window of the next pulse within its
// own range. False when some pulse has no such position: then there is no chain.
bool retraceKnown(const KnownArrays& a, const SeriesHeader& series, std::int32_t K, std::int32_t end,
                  std::int32_t tmin, std::int32_t tmax, std::vector<std::int32_t>& positions)
{
    positions.assign(static_cast<std::size_t>(K), 0);
    positions[static_cast<std::size_t>(K - 1)] = end;
    for (std::int32_t j = K - 2; j >= 0; --j) {
        std::int32_t best = windowStart;
        std::int32_t position = -1;
        scanKnownWindow(a, series, j, positions[static_cast<std::size_t>(j + 1)], tmin, tmax, best, position);
        if (position < 0) return false;
        positions[static_cast<std::size_t>(j)] = position;
    }
    return true;
}

} // namespace

std::vector<std::int32_t> partialEnergies(const std::int16_t* samples, std::int32_t n)
{
    std::vector<std::int32_t> p(static_cast<std::size_t>(n) + 1, 0);
    for (std::int32_t j = 1; j <= n; ++j) {
        const std::int32_t e = samples[j - 1];
        p[static_cast<std::size_t>(j)] = wrapAdd(p[static_cast<std::size_t>(j - 1)], wrapMul(e, e));
    }
    return p;
}

std::int32_t energyThreshold(std::int32_t energy, std::uint16_t procEnergy)
{
    return wrapMul(energy, procEnergy) / 100;
}

std::int32_t partCost(const std::int16_t* x, std::int32_t m, const std::int16_t* e, std::int32_t g, std::int32_t h)
{
    std::int32_t c = 0;
    for (std::int32_t i = g; i <= h; ++i) {
        const std::int32_t ei = e[i];
        c = wrapAdd(c, wrapMul(ei, ei - 2 * static_cast<std::int32_t>(x[m + i])));
    }
    return c;
}

Match matchAt(const std::int16_t* x, std::int32_t m, std::int32_t n, std::span<const MatchEtalon> etalons)
{
    Match best{unsetCost, 0, 0, n - 1};
    bool first = true;
    for (const MatchEtalon& et : etalons) {
        const std::int32_t whole = partCost(x, m, et.samples, 0, n - 1);
        if (first || whole < best.cost) best = Match{whole, et.slot, 0, n - 1};
        first = false;
        for (std::int32_t g = 0; g <= n - 1; ++g) {
            if (!(wrapSub(et.partial[n], et.partial[g]) > et.threshold)) continue;
            for (std::int32_t h = g; h <= n - 1; ++h) {
                if (!(wrapSub(et.partial[h + 1], et.partial[g]) > et.threshold)) continue;
                const std::int32_t c = partCost(x, m, et.samples, g, h);
                if (c < best.cost) best = Match{c, et.slot, g, h};
            }
        }
    }
    return best;
}

std::int32_t detectUnknownCount(Window& /*window*/, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (header == nullptr || series == nullptr) return 0;
    const std::int32_t N = series->dwSeriesSize;
    const std::int32_t n = series->wImpulseSize;

    // Step 1: partial energies, start of the run.
    const ListedEtalons listed = prepareEtalons(alphabet, std::span(list, listCount), n, procEnergy);
    startChainsRun(*header, 0, 0, series->wMaxPulses);

    // Step 3: the position sets.
    const Omegas omegas = buildOmegas(*series, tmin, tmax);

    // Step 4: own costs.
    UnknownArrays a;
    a.reset(N, n);
    computeOwnCosts(a, *series, unite(omegas.minus, omegas.tilda), listed.etalons);

    // Step 5: accumulated costs.
    accumulateCosts(a, buildPassSets(omegas), tmin, tmax);

    // Step 6: pretenders.
    offerChains(*header, a, omegas.plus, N, 0);
    setSeekingFromPretender0(*header);

    // Step 7: result.
    publishPretender0(*header, *series);
    return 1;
}

std::int32_t detectKnownCount(Window& /*window*/, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                              const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                              std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (header == nullptr || series == nullptr) return 0;
    const std::int32_t N = series->dwSeriesSize;
    const std::int32_t n = series->wImpulseSize;
    const std::int32_t K = series->wImpulseQuantity;

    const ListedEtalons listed = prepareEtalons(alphabet, std::span(list, listCount), n, procEnergy);
    startChainsRun(*header, series->wImpulseQuantity, series->wImpulseQuantity, series->wImpulseQuantity);

    KnownArrays a(K, N);
    accumulateKnown(a, *series, K, tmin, tmax, listed.etalons);

    const KnownEnd end = findKnownEnd(a, *series, K);
    std::vector<std::int32_t> positions;
    if (end.end < 0 || !retraceKnown(a, *series, K, end.end, tmin, tmax, positions)) {
        // No chain reaches an end below its sentinel, or some pulse has no predecessor:
        // nothing is offered and the series gets 0 detected pulses.
        header->wSeekingPulsesQuantity = 0;
        publishPretender0(*header, *series);
        return 1;
    }

    std::vector<std::int16_t> etalons, chainPositions, cutStart, cutEnd;
    for (std::int32_t j = 0; j < K; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        const auto i = static_cast<std::size_t>(positions[jj]);
        etalons.push_back(static_cast<std::int16_t>(a.etalonIndex[jj][i] + 1));
        chainPositions.push_back(static_cast<std::int16_t>(positions[jj]));
        cutStart.push_back(static_cast<std::int16_t>(a.cutStart[jj][i]));
        cutEnd.push_back(static_cast<std::int16_t>(a.cutEnd[jj][i]));
    }
    insertPretender(*header, end.best,
                    ChainPulses{etalons.data(), chainPositions.data(), cutStart.data(), cutEnd.data(), K});
    publishPretender0(*header, *series);
    return 1;
}

std::int32_t recognizeUnknownCount(Window& /*window*/, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                   const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                   std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (header == nullptr || series == nullptr) return -1;
    const std::int32_t N = series->dwSeriesSize;
    const std::int32_t n = series->wImpulseSize;

    // Start of the run without clearing distances and rows.
    header->wPretenders = 0;
    header->wQuanPulses = series->wImpulseQuantity;
    header->wSeekingPulsesQuantity = 0;

    const Omegas omegas = buildOmegas(*series, tmin, tmax);
    const SetHandle ownPositions = unite(omegas.minus, omegas.tilda);
    const PassSets passes = buildPassSets(omegas);

    std::int32_t best = endStart;
    std::int32_t recognised = -1;
    UnknownArrays a;
    for (std::uint16_t t = 0; t < listCount; ++t) {
        const std::int32_t k = list[t];
        const ListedEtalons listed = prepareEtalons(alphabet, std::span(list + t, 1), n, procEnergy);
        a.reset(N, n);
        computeOwnCosts(a, *series, ownPositions, listed.etalons);
        accumulateCosts(a, passes, tmin, tmax);

        std::int32_t etalonBest = unsetCost;
        visitPositions(omegas.plus, [&](std::int32_t m) {
            if (a.accumulated[static_cast<std::size_t>(m)] < etalonBest)
                etalonBest = a.accumulated[static_cast<std::size_t>(m)];
        });
        if (etalonBest < best) {
            best = etalonBest;
            recognised = k;
        }

        offerChains(*header, a, omegas.plus, N, k);
        setSeekingFromPretender0(*header);
    }

    publishPretender0(*header, *series);
    return recognised;
}

std::int32_t recognizeKnownCount(Window& /*window*/, std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                                 const std::uint16_t* list, std::uint16_t tmin, std::uint16_t tmax,
                                 std::uint16_t procEnergy, ChainsHeader* header, SeriesHeader* series)
{
    if (header == nullptr || series == nullptr) return -1;
    const std::int32_t N = series->dwSeriesSize;
    const std::int32_t n = series->wImpulseSize;
    const std::int32_t K = series->wImpulseQuantity;
    // Entries of the series' per-pulse arrays that exist.
    const std::int32_t written = std::min<std::int32_t>(K, series->wPulsesCapacity);

    startChainsRun(*header, series->wImpulseQuantity, series->wImpulseQuantity, series->wImpulseQuantity);

    std::int32_t best = endStart;
    std::int32_t recognised = -1;
    KnownArrays a(K, N);
    const std::vector<std::int16_t> zeros(static_cast<std::size_t>(K), 0);
    std::vector<std::int32_t> positions;
    bool retraced = false;
    for (std::uint16_t t = 0; t < listCount; ++t) {
        const std::int32_t k = list[t];
        const ListedEtalons listed = prepareEtalons(alphabet, std::span(list + t, 1), n, procEnergy);
        accumulateKnown(a, *series, K, tmin, tmax, listed.etalons);
        const KnownEnd end = findKnownEnd(a, *series, K);

        const std::vector<std::int16_t> etalons(static_cast<std::size_t>(K), static_cast<std::int16_t>(k));
        const std::int32_t slot = insertPretender(
            *header, end.best, ChainPulses{etalons.data(), zeros.data(), zeros.data(), zeros.data(), K});

        if (end.best < best) {
            best = end.best;
            recognised = k;
            // A chain that cannot be retraced leaves the detected positions and cuts, and
            // the pretender's zero rows, as they are.
            if (retraceKnown(a, *series, K, end.end, tmin, tmax, positions)) {
                retraced = true;
                for (std::int32_t j = 0; j < written; ++j) {
                    const auto jj = static_cast<std::size_t>(j);
                    const auto i = static_cast<std::size_t>(positions[jj]);
                    series->lpDetPositions[j] = static_cast<std::int16_t>(positions[jj]);
                    series->lpDetFirstSamples[j] = static_cast<std::int16_t>(a.cutStart[jj][i]);
                    series->lpDetLastSamples[j] = static_cast<std::int16_t>(a.cutEnd[jj][i]);
                }
                if (slot >= 0) {
                    const auto s = static_cast<std::size_t>(slot);
                    for (std::int32_t j = 0; j < header->lpChainSizes[s]; ++j) {
                        const auto jj = static_cast<std::size_t>(j);
                        const auto i = static_cast<std::size_t>(positions[jj]);
                        header->lpChainPositions[s][j] = static_cast<std::int16_t>(positions[jj]);
                        header->lpChainCutStart[s][j] = static_cast<std::int16_t>(a.cutStart[jj][i]);
                        header->lpChainCutEnd[s][j] = static_cast<std::int16_t>(a.cutEnd[jj][i]);
                    }
                }
            }
        }
    }

    for (std::int32_t j = 0; j < written; ++j) series->lpDetEtalonNumbers[j] = static_cast<std::int16_t>(recognised);
    // No retraced chain: no detected pulse.
    series->wDetPulses = retraced ? series->wImpulseQuantity : 0;
    return recognised;
}

} // namespace mirokel::direct
