// The chain searches: randomized equality with the direct transcriptions over many seeded
// series, the results on clean series, the published best chain, and memory failures.
#include "engine/chain_searches.h"

#include "direct_searches.h"
#include "platform/allocation.h"
#include "search_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mirokel {
namespace {

using test::SearchBench;
using test::SeriesSettings;

struct SearchPair {
    const char* name;
    ChainSearch fast;
    ChainSearch direct;
    bool knownCount; // reads the start ranges of a fixed pulse count
};

const SearchPair searches[] = {
    {"detectUnknownCount", detectUnknownCount, direct::detectUnknownCount, false},
    {"detectKnownCount", detectKnownCount, direct::detectKnownCount, true},
    {"recognizeUnknownCount", recognizeUnknownCount, direct::recognizeUnknownCount, false},
    {"recognizeKnownCount", recognizeKnownCount, direct::recognizeKnownCount, true},
};

// Runs the direct and the fast search from the same record states and compares all.
void expectSameOutcome(SearchBench& bench, const SearchPair& pair, const std::vector<std::uint16_t>& list,
                       std::uint16_t procEnergy, const std::string& what)
{
    SeriesHeader& s = *bench.series;
    auto run = [&](ChainSearch search) {
        return search(bench.window(), bench.slots, static_cast<std::uint16_t>(list.size()), list.data(), s.wTmin,
                      s.wTmax, procEnergy, bench.chains, &s);
    };
    ASSERT_TRUE(bench.sameOutcome([&] { return run(pair.direct); }, [&] { return run(pair.fast); }))
        << pair.name << ": " << what;
}

std::vector<std::uint16_t> etalonList(std::uint16_t& draw, std::size_t count)
{
    std::vector<std::uint16_t> all;
    for (std::uint16_t k = 1; k <= 20; ++k) all.push_back(k);
    for (std::size_t i = 19; i > 0; --i) std::swap(all[i], all[next15(draw) % (i + 1)]);
    all.resize(count);
    return all;
}

// Seeded scenarios over saved energy levels, lengths, interval bounds (with Tmin equal to
// the pulse length and Tmin equal to Tmax), etalon lists of 1 to 20 and noise up to 50.
TEST(ChainSearches, FastSearchesEqualTheDirectTranscriptions)
{
    struct Geometry {
        std::int32_t length;
        std::uint16_t tmin, tmax;
    };
    const Geometry geometries[] = {{200, 40, 181}, {600, 20, 60}, {1200, 40, 181}, {400, 50, 50},
                                   {300, 20, 20},  {800, 30, 90}, {1000, 100, 250}};
    const std::uint16_t levels[] = {0, 25, 50, 75, 100};
    std::uint16_t draw = 2024;
    int scenario = 0;
    for (const Geometry& g : geometries) {
        for (std::uint16_t level : levels) {
            SearchBench bench;
            const std::size_t listSize = 1 + next15(draw) % (g.length > 800 ? 6 : 20);
            const std::vector<std::uint16_t> list = etalonList(draw, listSize);
            SeriesSettings settings{g.length, g.tmin, g.tmax, level, static_cast<std::int16_t>(next15(draw) % 51)};
            for (const SearchPair& pair : searches) {
                settings.unfixed = !pair.knownCount && scenario % 2 == 0;
                bench.build(settings, list);
                const std::string what = "scenario " + std::to_string(scenario) + ", length " +
                                         std::to_string(g.length) + ", level " + std::to_string(level) +
                                         ", list of " + std::to_string(list.size());
                expectSameOutcome(bench, pair, list, level, what);
                // The same series searched again from the records the first search left.
                expectSameOutcome(bench, pair, list, static_cast<std::uint16_t>(100 - level), what + ", again");
            }
            ++scenario;
        }
    }
}

// Etalons of large samples and noise near the largest level make part costs and
// accumulated costs leave 32 bits: the fast searches then examine every part and wrap
// their sums as the direct ones do.
TEST(ChainSearches, CostsBeyondThirtyTwoBitsWrapAlike)
{
    SearchBench bench;
    std::uint16_t draw = 99;
    for (std::size_t slot = 0; slot < 3; ++slot)
        for (int i = 0; i < 20; ++i) bench.slots[slot].lpData[i] = static_cast<std::int16_t>(next15(draw) * 2 - 32768);
    const std::vector<std::uint16_t> list{1, 2, 3};
    for (const SearchPair& pair : searches) {
        for (std::uint16_t level : {0, 60, 100}) {
            SeriesSettings settings{600, 30, 120, level, 10922};
            settings.unfixed = !pair.knownCount;
            bench.build(settings, list);
            expectSameOutcome(bench, pair, list, level, "large samples, level " + std::to_string(level));
        }
    }
}

// On a noise-free series of one etalon every search finds the true pulses with the whole
// etalon, and recognition names the etalon.
TEST(ChainSearches, CleanSeriesAreFoundExactly)
{
    for (const SearchPair& pair : searches) {
        for (std::uint16_t etalon : {1, 7, 15}) {
            SearchBench bench;
            SeriesHeader& s = bench.build({1200, 40, 181, 100, 0, false, 18}, {etalon});
            const std::vector<std::uint16_t> list{1, 7, 15};
            const std::int32_t result =
                pair.fast(bench.window(), bench.slots, 3, list.data(), 40, 181, 100, bench.chains, &s);
            ASSERT_EQ(s.wDetPulses, 18) << pair.name;
            for (int k = 0; k < 18; ++k) {
                EXPECT_EQ(s.lpDetPositions[k], s.lpPositions[k]) << pair.name << " etalon " << etalon;
                EXPECT_EQ(s.lpDetEtalonNumbers[k], etalon) << pair.name;
                EXPECT_EQ(s.lpDetFirstSamples[k], 0);
                EXPECT_EQ(s.lpDetLastSamples[k], 19);
            }
            if (pair.fast == recognizeUnknownCount || pair.fast == recognizeKnownCount) {
                EXPECT_EQ(result, etalon) << pair.name;
            }
            EXPECT_TRUE(bench.scripted.messages().empty());
        }
    }
}

TEST(ChainSearches, KnownCountWithOnePulseTakesTheBestMatchInItsRange)
{
    SearchBench bench;
    SeriesHeader& s = bench.build({200, 40, 181, 100, 30, false, 1}, {3});
    const std::uint16_t list[] = {3};
    detectKnownCount(bench.window(), bench.slots, 1, list, 40, 181, 100, bench.chains, &s);
    std::int32_t best = INT32_MAX;
    std::int32_t where = -1;
    for (std::int32_t m = s.lpMinPositions[0]; m <= s.lpMaxPositions[0]; ++m) {
        std::int32_t cost = 0;
        for (int i = 0; i < 20; ++i) cost += bench.slots[2].lpData[i] * (bench.slots[2].lpData[i] - 2 * s.lpNoisyData[m + i]);
        if (cost < best) {
            best = cost;
            where = m;
        }
    }
    EXPECT_EQ(bench.chains->wPretenders, 1);
    EXPECT_EQ(bench.chains->distance[0], best);
    EXPECT_EQ(s.lpDetPositions[0], where);
}

// Each allocation of a search fails in turn: the message, and neither record changes.
TEST(ChainSearches, MemoryFailuresReportAndChangeNothing)
{
    struct Case {
        const char* name;
        ChainSearch search;
        std::vector<std::string> messages; // in allocation order
    };
    const Case cases[] = {
        {"detectUnknownCount", detectUnknownCount,
         {"Нет памяти для EtalonsPartialEnergyFromBeginning!", "Нет памяти для indexes!"}},
        {"detectKnownCount", detectKnownCount,
         {"Нет памяти для EtalonsPartialEnergyFromBeginning!", "Нет памяти для ppDw!", "Нет памяти для ppDw[m]!"}},
        {"recognizeUnknownCount", recognizeUnknownCount, {"Нет памяти для indexes!"}},
        {"recognizeKnownCount", recognizeKnownCount,
         {"Нет памяти для indexes!", "Нет памяти для ppDw!", "Нет памяти для ppDw[m]!"}},
    };
    const std::uint16_t list[] = {1, 2};
    for (const Case& c : cases) {
        SearchBench bench;
        SeriesHeader& s = bench.build({600, 40, 181, 75, 20}, {1, 2});
        std::vector<std::string> seen;
        for (int k = 1; k < 40; ++k) {
            bench.scripted.clearMessages();
            const test::Outcome before = bench.capture(0);
            const std::int64_t live = liveAllocations();
            failAllocationAt(k);
            c.search(bench.window(), bench.slots, 2, list, 40, 181, 75, bench.chains, &s);
            const bool failed = bench.scripted.messages().size() == 1;
            failAllocationAt(0);
            EXPECT_EQ(liveAllocations(), live) << c.name << " k " << k;
            if (!failed) continue;
            seen.push_back(bench.scripted.messages()[0].text);
            EXPECT_EQ(bench.scripted.messages()[0].caption, "") << c.name;
            bench.scripted.clearMessages();
            EXPECT_TRUE(bench.capture(0) == before) << c.name << " k " << k;
        }
        std::vector<std::string> distinct;
        for (const std::string& m : seen)
            if (std::find(distinct.begin(), distinct.end(), m) == distinct.end()) distinct.push_back(m);
        EXPECT_EQ(distinct, c.messages) << c.name;
    }
}

// When the per-position arrays of unknown-count recognition are missing, no etalon is
// examined, nothing is shown and the series has no detected pulses.
TEST(ChainSearches, RecognitionWithoutWorkingArraysDetectsNothingSilently)
{
    SearchBench bench;
    SeriesHeader& s = bench.build({600, 40, 181, 100, 20}, {4});
    const std::uint16_t list[] = {4};
    bool silentFailure = false;
    for (int k = 2; k < 12 && !silentFailure; ++k) {
        s.wDetPulses = 99;
        failAllocationAt(k);
        const std::int32_t result = recognizeUnknownCount(bench.window(), bench.slots, 1, list, 40, 181, 100,
                                                          bench.chains, &s);
        failAllocationAt(0);
        silentFailure = result == -1 && s.wDetPulses == 0;
    }
    EXPECT_TRUE(silentFailure);
    EXPECT_TRUE(bench.scripted.messages().empty());
}

} // namespace
} // namespace mirokel
