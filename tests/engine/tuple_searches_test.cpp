// The tuple searches: randomized equality with the direct transcriptions over seeded
// series that repeat a tuple, the tuple groups, recognition of the tuple a series repeats,
// ties, the diagnostic texts and memory failures.
#include "engine/tuple_searches.h"

#include "direct_searches.h"
#include "direct_tuples.h"
#include "model/subsets.h"
#include "platform/allocation.h"
#include "search_bench.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirokel {
namespace {

using test::SearchBench;
using test::SeriesSettings;
using Tuple = std::vector<std::int32_t>;

// A series repeating `tuple` (complete from the first pulse, or shifted), built twice so
// that the subset stored in the record is placed.
SeriesHeader& buildTupleSeries(SearchBench& bench, const SeriesSettings& settings, const Tuple& tuple, bool shifted)
{
    bench.build(settings, {1});
    setSelectedSubset(bench.window(), tuple.data(), static_cast<std::uint16_t>(tuple.size()), shifted ? 5 : 4, 1,
                      bench.series);
    return bench.build(settings, {1});
}

struct Candidates {
    std::vector<Tuple> tuples;

    std::vector<std::int32_t> sizes() const
    {
        std::vector<std::int32_t> s;
        for (const Tuple& t : tuples) s.push_back(static_cast<std::int32_t>(t.size()));
        return s;
    }
    std::vector<const std::int32_t*> rows() const
    {
        std::vector<const std::int32_t*> r;
        for (const Tuple& t : tuples) r.push_back(t.data());
        return r;
    }
};

using DetectTuples = std::int32_t (*)(Window&, std::span<const PulseHeader>, std::int32_t, const std::int32_t*,
                                      std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, ChainsHeader*,
                                      SeriesHeader*);
using RecognizeTuples = std::int32_t (*)(Window&, std::span<const PulseHeader>, const std::int32_t*,
                                         const std::int32_t* const*, std::int32_t, std::uint16_t, std::uint16_t,
                                         std::uint16_t, std::uint16_t, ChainsHeader*, SeriesHeader*);

// The four searches through one call shape: detection gets the first candidate.
struct TupleSearch {
    const char* name;
    bool knownCount;
    std::function<std::int32_t(SearchBench&, const Candidates&, std::uint16_t, std::uint16_t, bool)> call;
};

std::function<std::int32_t(SearchBench&, const Candidates&, std::uint16_t, std::uint16_t, bool)> knownDetection()
{
    return [](SearchBench& b, const Candidates& c, std::uint16_t proceeding, std::uint16_t level, bool direct) {
        DetectTuples search = direct ? direct::detectTuplesKnownCount : detectTuplesKnownCount;
        const Tuple& t = c.tuples[0];
        return search(b.window(), b.slots, static_cast<std::int32_t>(t.size()), t.data(), proceeding,
                      b.series->wTmin, b.series->wTmax, level, b.chains, b.series);
    };
}

std::function<std::int32_t(SearchBench&, const Candidates&, std::uint16_t, std::uint16_t, bool)> knownRecognition()
{
    return [](SearchBench& b, const Candidates& c, std::uint16_t proceeding, std::uint16_t level, bool direct) {
        RecognizeTuples search = direct ? direct::recognizeTuplesKnownCount : recognizeTuplesKnownCount;
        const auto sizes = c.sizes();
        const auto rows = c.rows();
        return search(b.window(), b.slots, sizes.data(), rows.data(), static_cast<std::int32_t>(rows.size()),
                      proceeding, b.series->wTmin, b.series->wTmax, level, b.chains, b.series);
    };
}

std::function<std::int32_t(SearchBench&, const Candidates&, std::uint16_t, std::uint16_t, bool)> unknownDetection()
{
    return [](SearchBench& b, const Candidates& c, std::uint16_t proceeding, std::uint16_t level, bool direct) {
        const Tuple& t = c.tuples[0];
        auto search = direct ? direct::detectTuplesUnknownCount : detectTuplesUnknownCount;
        return search(b.window(), b.slots, static_cast<std::int32_t>(t.size()), t.data(), proceeding,
                      b.series->wTmin, b.series->wTmax, level, b.chains, b.series, b.debugRepeat);
    };
}

std::function<std::int32_t(SearchBench&, const Candidates&, std::uint16_t, std::uint16_t, bool)> unknownRecognition()
{
    return [](SearchBench& b, const Candidates& c, std::uint16_t proceeding, std::uint16_t level, bool direct) {
        auto search = direct ? direct::recognizeTuplesUnknownCount : recognizeTuplesUnknownCount;
        const auto sizes = c.sizes();
        const auto rows = c.rows();
        return search(b.window(), b.slots, sizes.data(), rows.data(), static_cast<std::int32_t>(rows.size()),
                      proceeding, b.series->wTmin, b.series->wTmax, level, b.chains, b.series, b.debugRepeat);
    };
}

const TupleSearch searches[] = {
    {"detectTuplesKnownCount", true, knownDetection()},
    {"recognizeTuplesKnownCount", true, knownRecognition()},
    {"detectTuplesUnknownCount", false, unknownDetection()},
    {"recognizeTuplesUnknownCount", false, unknownRecognition()},
};

Tuple randomTuple(std::uint16_t& draw, std::size_t size)
{
    Tuple t;
    for (std::size_t i = 0; i < size; ++i) t.push_back(1 + next15(draw) % 20);
    return t;
}

// Seeded series over saved energy levels, lengths and interval bounds (Tmin equal to the
// pulse length, Tmin equal to Tmax), tuples of one member and tuples longer than the
// largest pulse count, both proceedings, one to three candidates, noise up to 50.
TEST(TupleSearches, FastSearchesEqualTheDirectTranscriptions)
{
    struct Geometry {
        std::int32_t length;
        std::uint16_t tmin, tmax;
    };
    const Geometry geometries[] = {{1200, 40, 181}, {200, 40, 181}, {600, 20, 60}, {400, 50, 50}, {900, 30, 120}};
    const std::uint16_t levels[] = {100, 75, 50, 25, 0};
    const std::size_t tupleSizes[] = {1, 3, 2, 7, 4};
    std::uint16_t draw = 4242;
    int scenario = 0;
    for (const Geometry& g : geometries) {
        for (std::size_t i = 0; i < 5; ++i) {
            const std::uint16_t level = levels[i];
            const std::size_t size = tupleSizes[(i + static_cast<std::size_t>(scenario)) % 5];
            Candidates candidates{{randomTuple(draw, size)}};
            const std::size_t extra = next15(draw) % 3;
            for (std::size_t c = 0; c < extra; ++c) candidates.tuples.push_back(randomTuple(draw, 1 + next15(draw) % 4));
            const bool shifted = scenario % 2 == 1;
            const std::uint16_t proceeding = shifted ? 2 : 1;
            for (const TupleSearch& search : searches) {
                SearchBench bench;
                SeriesSettings settings{g.length, g.tmin, g.tmax, level, static_cast<std::int16_t>(next15(draw) % 51)};
                settings.unfixed = !search.knownCount;
                buildTupleSeries(bench, settings, candidates.tuples[0], shifted);
                const std::string what = std::string(search.name) + ", scenario " + std::to_string(scenario) +
                                         ", length " + std::to_string(g.length) + ", level " + std::to_string(level) +
                                         ", tuple of " + std::to_string(size);
                for (std::uint16_t processing : {level, static_cast<std::uint16_t>(100 - level)}) {
                    ASSERT_TRUE(bench.sameOutcome([&] { return search.call(bench, candidates, proceeding, processing, true); },
                                                  [&] { return search.call(bench, candidates, proceeding, processing, false); }))
                        << what << ", processing level " << processing;
                }
            }
            ++scenario;
        }
    }
}

// The diagnostic texts of the unknown-count searches: shown when the flag is set, the
// same as the direct ones, never longer than their buffer, and the flag cleared.
TEST(TupleSearches, DiagnosticTextsAreBoundedAndClearTheFlag)
{
    const Candidates candidates{{{3, 5}, {5, 3}}};
    for (const TupleSearch& search : searches) {
        if (search.knownCount) continue;
        SearchBench bench;
        buildTupleSeries(bench, {1200, 20, 60, 100, 20, true}, candidates.tuples[0], false);
        bench.debugRepeat = 1;
        ASSERT_TRUE(bench.sameOutcome([&] { return search.call(bench, candidates, 1, 100, true); },
                                      [&] { return search.call(bench, candidates, 1, 100, false); }))
            << search.name;
        bench.debugRepeat = 1;
        search.call(bench, candidates, 1, 100, false);
        EXPECT_EQ(bench.debugRepeat, 0);
        ASSERT_FALSE(bench.scripted.messages().empty());
        for (const RecordedMessage& m : bench.scripted.messages()) {
            EXPECT_EQ(m.caption, " About TuplesDetection ");
            EXPECT_LE(m.text.size(), 4999u);
        }
        EXPECT_EQ(bench.scripted.messages()[0].text.rfind("omega_minus - omega_tilda: ", 0), 0u);
    }
}

TEST(TupleSearches, KnownCountGroupsFollowThePhase)
{
    // A series of 8 pulses repeating (c, a, b) from its first pulse is the tuple (a, b, c)
    // in phase 2: groups [1, 1], [2, 4], [5, 7], [8, 8].
    SearchBench bench;
    buildTupleSeries(bench, {400, 40, 60, 100, 0, false, 8}, {3, 1, 2}, false);
    const Tuple tuple{1, 2, 3};
    detectTuplesKnownCount(bench.window(), bench.slots, 3, tuple.data(), 2, 40, 60, 100, bench.chains, bench.series);
    const SeriesHeader& s = *bench.series;
    ASSERT_EQ(s.wDetPulses, 8);
    ASSERT_EQ(s.wDetTuples, 4);
    const std::vector<std::int16_t> first(s.lpTupleFirst, s.lpTupleFirst + 4), last(s.lpTupleLast, s.lpTupleLast + 4);
    EXPECT_EQ(first, (std::vector<std::int16_t>{1, 2, 5, 8}));
    EXPECT_EQ(last, (std::vector<std::int16_t>{1, 4, 7, 8}));
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(s.lpDetPositions[k], s.lpPositions[k]);
        EXPECT_EQ(s.lpDetEtalonNumbers[k], s.lpEtalonNumbers[k]);
    }
    EXPECT_EQ(bench.chains->wPretenders, 3) << "one pretender per phase";

    // Complete proceeding tries phase 0 only: one pretender, the first group 1 … 3.
    detectTuplesKnownCount(bench.window(), bench.slots, 3, tuple.data(), 1, 40, 60, 100, bench.chains, bench.series);
    EXPECT_EQ(bench.chains->wPretenders, 1);
    EXPECT_EQ(s.lpTupleFirst[0], 1);
    EXPECT_EQ(s.lpTupleLast[0], 3);
}

// Noise-free series: recognition names the tuple the series repeats, and of two equal
// candidates the first.
TEST(TupleSearches, RecognitionNamesTheRepeatedTupleAndTheFirstOfEqualOnes)
{
    const Candidates candidates{{{2, 9}, {4, 6, 8}, {4, 6, 8}, {11}}};
    for (const TupleSearch& search : searches) {
        if (search.call == nullptr || std::string(search.name).find("recognize") == std::string::npos) continue;
        SearchBench bench;
        buildTupleSeries(bench, {1200, 40, 181, 100, 0, !search.knownCount}, candidates.tuples[1], false);
        EXPECT_EQ(search.call(bench, candidates, 1, 100, false), 2) << search.name;
        EXPECT_EQ(bench.series->wDetSubset, 2) << search.name;
        EXPECT_EQ(bench.chains->distance[0], bench.chains->distance[1]) << "the copy ranks right behind";
    }
}

// A tuple of one member finds what the chain search finds with that etalon alone, and
// every group holds one pulse.
TEST(TupleSearches, OneMemberTupleIsTheChainSearchOfItsEtalon)
{
    SearchBench bench;
    SeriesHeader& s = buildTupleSeries(bench, {1000, 30, 120, 75, 30, true}, {6}, false);
    const Tuple tuple{6};
    detectTuplesUnknownCount(bench.window(), bench.slots, 1, tuple.data(), 1, 30, 120, 75, bench.chains, &s,
                             bench.debugRepeat);
    const std::vector<std::int16_t> tuplePositions(s.lpDetPositions, s.lpDetPositions + s.wDetPulses);
    ASSERT_EQ(s.wDetTuples, s.wDetPulses);
    for (int g = 0; g < s.wDetTuples; ++g) EXPECT_EQ(s.lpTupleFirst[g], s.lpTupleLast[g]);
    const std::uint16_t list[] = {6};
    direct::detectUnknownCount(bench.window(), bench.slots, 1, list, 30, 120, 75, bench.chains, &s);
    EXPECT_EQ(std::vector<std::int16_t>(s.lpDetPositions, s.lpDetPositions + s.wDetPulses), tuplePositions);
}

TEST(TupleSearches, MemoryFailuresReportTheirObject)
{
    const Candidates candidates{{{1, 2}, {3}}};
    struct Case {
        const char* name;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"detectTuplesKnownCount",
         {"Нет памяти для EtalonsPartialEnergy!", "Нет памяти для ppDw!", "Нет памяти для ppDw[m]!"}},
        {"recognizeTuplesKnownCount",
         {"Нет памяти для EtalonsPartialEnergy!", "Нет памяти для ppDw!", "Нет памяти для ppDw[]!"}},
        {"detectTuplesUnknownCount", {"Нет памяти для EtalonsPartialEnergy!", "Нет памяти для G_on_layers!"}},
        {"recognizeTuplesUnknownCount", {"Нет памяти для EtalonsPartialEnergy!", "Нет памяти для G_on_layers!"}},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        const TupleSearch& search = searches[i];
        SearchBench bench;
        SeriesHeader& s = buildTupleSeries(bench, {600, 40, 181, 100, 20, !search.knownCount}, {1, 2}, false);
        std::vector<std::string> distinct;
        for (int k = 1; k < 40; ++k) {
            bench.scripted.clearMessages();
            const std::vector<std::int16_t> block(s.lpPureData, s.lpPureData + 2 * s.dwMaxSeriesSize +
                                                                     perPulseArrays * s.wPulsesCapacity);
            bench.debugRepeat = 1;
            const std::int64_t live = liveAllocations();
            failAllocationAt(k);
            search.call(bench, candidates, 1, 100, false);
            failAllocationAt(0);
            EXPECT_EQ(liveAllocations(), live);
            if (bench.scripted.messages().size() != 1) continue;
            const std::string text = bench.scripted.messages()[0].text;
            if (std::find(distinct.begin(), distinct.end(), text) == distinct.end()) distinct.push_back(text);
            EXPECT_EQ(bench.debugRepeat, 1) << "the flag stays set after a failure";
            EXPECT_TRUE(std::equal(block.begin(), block.end(), s.lpPureData)) << "the series is unchanged";
        }
        EXPECT_EQ(distinct, cases[i].messages) << search.name;
    }
}

} // namespace
} // namespace mirokel
