// The statistical simulation: the error measures, the stepping of the etalon sequence,
// the tables for every thread count, cancelling, the times, and its refusals and memory
// failures.
#include "engine/simulation.h"

#include "engine/chain_searches.h"
#include "model/series_builder.h"
#include "model/subsets.h"
#include "model_fixture.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>
#include <tuple>
#include <vector>

namespace mirokel {
namespace {

struct Grid {
    std::uint16_t firstPulses = 6;
    std::uint16_t pulseSteps = 3;
    std::uint16_t pulsesIncrement = 4;
    std::uint16_t noiseSteps = 3;
    std::uint16_t noiseInitial = 0;
    std::uint16_t noiseIncrement = 20;
    std::int32_t repeats = 4;
};

// The alphabet, the etalons in use, a series record sized for length 1200, the error
// tables of a grid, and the context of a run.
class SimulationBench : public test::AlphabetBench {
public:
    explicit SimulationBench(const Grid& grid = {}, std::vector<std::uint16_t> inUse = {1, 2, 3, 4, 5})
        : list(std::move(inUse)), context{streams, 128, 1, clock, startTime, endTime, {}}
    {
        series = getCutOffSeriesHeader(window(), 20, 20, 40, 181, 1200, nullptr);
        errors = getRestErrHeader(window(), grid.pulseSteps, grid.noiseSteps, grid.repeats, nullptr);
        initRestErrHeader(window(), grid.pulseSteps, grid.firstPulses, grid.pulsesIncrement, grid.noiseSteps,
                          grid.noiseInitial, grid.noiseIncrement, grid.repeats, errors);
    }
    ~SimulationBench()
    {
        freeSeriesHeader(series);
        freeRestErrHeader(window(), errors);
    }

    void useTuples(const std::vector<std::vector<std::int32_t>>& candidates, std::size_t selected,
                   std::uint16_t employment = 4)
    {
        std::vector<std::int32_t> sizes;
        std::vector<const std::int32_t*> rows;
        for (const auto& row : candidates) {
            sizes.push_back(static_cast<std::int32_t>(row.size()));
            rows.push_back(row.data());
        }
        addSomeSelectedSubsetToSeriesHeader(window(), sizes.data(), rows.data(),
                                            static_cast<std::int32_t>(rows.size()), 10, 10,
                                            static_cast<std::int32_t>(selected), employment, 1, series);
    }

    std::int32_t run(std::uint16_t seriesType, std::uint16_t mode, std::uint16_t level = 100)
    {
        return statCutoffDavrune(window(), errors, 20, slots, static_cast<std::uint16_t>(list.size()), list.data(),
                                 seriesType, mode, level, level, series, context);
    }

    // The tables and what the series record holds of the last series.
    std::vector<std::int64_t> results() const
    {
        std::vector<std::int64_t> r{errors->ifComplete};
        for (std::int32_t k = 0; k < errors->wNoiseLevels; ++k)
            for (std::int32_t j = 0; j < errors->wVariousPulses; ++j)
                r.insert(r.end(), {errors->lpErrors[k][j], errors->lpDetErrors[k][j], errors->lpRecErrors[k][j]});
        const SeriesHeader& s = *series;
        r.insert(r.end(), s.lpNoisyData, s.lpNoisyData + s.dwSeriesSize);
        r.insert(r.end(), s.lpPositions, s.lpPositions + s.wImpulseQuantity);
        r.insert(r.end(), s.lpDetPositions, s.lpDetPositions + s.wDetPulses);
        r.insert(r.end(), s.lpDetEtalonNumbers, s.lpDetEtalonNumbers + s.wDetPulses);
        r.insert(r.end(), {s.wDetPulses, s.wDetTuples, s.wDetSubset, s.wSelectedSubsetSize});
        r.insert(r.end(), s.lpSelectedSubset, s.lpSelectedSubset + std::min(s.wSelectedSubsetSize, s.wPulsesCapacity));
        r.insert(r.end(), {streams.wSeedPlacement, streams.wSeedCutStart, streams.wSeedCutEnd, streams.wSeedPulseCount,
                           streams.wSeedSubsetShift, streams.wSeedSubsetRepeat, streams.wNoiseSeed,
                           streams.dwSequenceState});
        return r;
    }

    std::vector<std::uint16_t> list;
    SeriesHeader* series = nullptr;
    RestErrorHeader* errors = nullptr;
    ScriptedClock clock;
    std::int64_t startTime = 0;
    std::int64_t endTime = 0;
    SimulationContext context;
};

TEST(RestoringError, ComparesThePureSeriesWithTheReconstruction)
{
    test::AlphabetBench bench;
    std::vector<std::uint16_t> sequence(30, 3);
    SeriesHeader* s = getCutOffSeries(bench.window(), 20, bench.slots, 20, 40, 181, 1200, 18, sequence, 128, 100,
                                      nullptr, bench.streams);
    std::int32_t energy = 0;
    for (int k = 0; k < 1200; ++k) energy += s->lpPureData[k] * s->lpPureData[k];
    EXPECT_EQ(restoringError(bench.window(), *s), energy) << "nothing detected: r is 0 everywhere";

    const std::uint16_t list[] = {3};
    ChainsHeader* chains = getChainsHeader(bench.window(), 10, 30, nullptr);
    detectKnownCount(bench.window(), bench.slots, 1, list, 40, 181, 100, chains, s);
    EXPECT_EQ(restoringError(bench.window(), *s), 0) << "every pulse found whole";

    // A pulse recognised as no etalon (−1) reconstructs zeros; a cut pulse only its part.
    s->lpDetEtalonNumbers[0] = -1;
    s->lpDetFirstSamples[1] = 5;
    std::int32_t missing = 0;
    for (int j = 0; j < 20; ++j) missing += bench.slots[2].lpData[j] * bench.slots[2].lpData[j];
    for (int j = 0; j < 5; ++j) missing += bench.slots[2].lpData[j] * bench.slots[2].lpData[j];
    EXPECT_EQ(restoringError(bench.window(), *s), missing);

    // Overlapping windows: the later pulse owns the shared samples, zeros outside its cut.
    s->lpDetEtalonNumbers[0] = 3;
    s->lpDetFirstSamples[1] = 0;
    s->lpDetPositions[1] = static_cast<std::int16_t>(s->lpDetPositions[0] + 10);
    s->lpDetFirstSamples[1] = 15;
    const std::int32_t first = s->lpPositions[0];
    std::vector<std::int32_t> r(1200, 0);
    for (int j = 0; j < 20; ++j) r[first + j] = bench.slots[2].lpData[j];
    for (int j = 0; j < 20; ++j) r[first + 10 + j] = j >= 15 ? bench.slots[2].lpData[j] : 0;
    for (int i = 2; i < 18; ++i)
        for (int j = 0; j < 20; ++j) r[s->lpDetPositions[i] + j] = bench.slots[2].lpData[j];
    std::int32_t expected = 0;
    for (int k = 0; k < 1200; ++k) expected += (s->lpPureData[k] - r[k]) * (s->lpPureData[k] - r[k]);
    EXPECT_EQ(restoringError(bench.window(), *s), expected);

    // Seeded detections in any order, equal and overlapping starts, windows past the ends:
    // the reconstruction written pulse by pulse, later over earlier, as the reference.
    std::uint16_t draw = 99;
    for (int round = 0; round < 300; ++round) {
        const int pulses = next15(draw) % 19;
        s->wDetPulses = static_cast<std::uint16_t>(pulses);
        const bool sorted = round % 2 == 0;
        for (int i = 0; i < pulses; ++i) {
            const int step = next15(draw) % 40;
            s->lpDetPositions[i] = static_cast<std::int16_t>(sorted ? (i == 0 ? -10 : s->lpDetPositions[i - 1] + step)
                                                                    : next15(draw) % 1230 - 15);
            s->lpDetEtalonNumbers[i] = static_cast<std::int16_t>(next15(draw) % 21);
            s->lpDetFirstSamples[i] = static_cast<std::int16_t>(next15(draw) % 20);
            s->lpDetLastSamples[i] = static_cast<std::int16_t>(s->lpDetFirstSamples[i] + next15(draw) % 5);
        }
        std::vector<std::int32_t> rebuilt(1200, 0);
        for (int i = 0; i < pulses; ++i) {
            const int e = s->lpDetEtalonNumbers[i];
            for (int j = 0; j < 20; ++j) {
                const int k = s->lpDetPositions[i] + j;
                if (k < 0 || k >= 1200) continue;
                const bool kept = e >= 1 && j >= s->lpDetFirstSamples[i] && j <= s->lpDetLastSamples[i];
                rebuilt[static_cast<std::size_t>(k)] = kept ? bench.slots[e - 1].lpData[j] : 0;
            }
        }
        std::int32_t reference = 0;
        for (int k = 0; k < 1200; ++k) {
            const std::int32_t d = s->lpPureData[k] - rebuilt[static_cast<std::size_t>(k)];
            reference += d * d;
        }
        ASSERT_EQ(restoringError(bench.window(), *s), reference) << "round " << round;
    }
    freeChainsHeader(bench.window(), chains);
    freeSeriesHeader(s);
}

TEST(DetectionError, IsTheRoundedScaledMeanOfTheComparedStarts)
{
    test::AlphabetBench bench;
    SeriesHeader* s = getCutOffSeriesHeader(bench.window(), 20, 20, 40, 181, 1200, nullptr);
    const std::int16_t truth[] = {100, 300, 500, 700, 900};
    const std::int16_t found[] = {101, 300, 497, 0, 0};
    std::copy_n(truth, 5, s->lpPositions);
    std::copy_n(found, 5, s->lpDetPositions);
    // H = 1 + 0 + 9 over the three found pulses: (5 + 256·10) / 10 = 256.
    EXPECT_EQ(detectionError(*s, 5, 3), 256);
    EXPECT_EQ(detectionError(*s, 5, 0), 0);
    s->lpDetPositions[0] = -32768; // far off: H needs more than 32 bits once scaled
    EXPECT_EQ(detectionError(*s, 1, 1), (1 + 256LL * 32868 * 32868) / 2);
    freeSeriesHeader(s);
}

// Recognition with 3 etalons and 10 repeats changes the series etalon every 3 repeats;
// joint detection with K = 5 and 100 repeats turns its odometer at repeats 3, 6, 9, ….
TEST(Simulation, EtalonSequenceStepsWithTheChangePeriod)
{
    {
        SimulationBench bench({18, 1, 1, 1, 20, 5, 10}, {4, 7, 9});
        std::vector<std::int16_t> etalons;
        bench.context.control.built = [&](std::int64_t, const SeriesHeader& series) {
            etalons.push_back(series.lpEtalonNumbers[0]);
        };
        ASSERT_EQ(bench.run(1, 2), 1);
        EXPECT_EQ(etalons, (std::vector<std::int16_t>{4, 4, 4, 7, 7, 7, 9, 9, 9, 4}));
    }
    {
        SimulationBench bench({5, 1, 1, 1, 20, 5, 100}, {2, 3});
        bench.series = getCutOffSeriesHeader(bench.window(), 20, 20, 40, 181, 400, bench.series); // K = 5 fits
        std::vector<std::int16_t> first, second;
        bench.context.control.built = [&](std::int64_t, const SeriesHeader& series) {
            first.push_back(series.lpEtalonNumbers[0]);
            second.push_back(series.lpEtalonNumbers[1]);
        };
        ASSERT_EQ(bench.run(2, 4, 75), 1);
        ASSERT_GE(first.size(), 10u);
        EXPECT_EQ(std::vector<std::int16_t>(first.begin(), first.begin() + 10),
                  (std::vector<std::int16_t>{2, 2, 2, 3, 3, 3, 2, 2, 2, 3}));
        EXPECT_EQ(std::vector<std::int16_t>(second.begin(), second.begin() + 10),
                  (std::vector<std::int16_t>{2, 2, 2, 2, 2, 2, 3, 3, 3, 3}));
    }
}

TEST(Simulation, OneRepeatStoresThatSeriesErrors)
{
    SimulationBench bench({12, 1, 1, 1, 30, 5, 1});
    ASSERT_EQ(bench.run(4, 1), 1);
    EXPECT_EQ(bench.errors->ifComplete, 1);
    EXPECT_EQ(bench.errors->lpErrors[0][0], restoringError(bench.window(), *bench.series));
    EXPECT_EQ(bench.errors->lpDetErrors[0][0],
              detectionError(*bench.series, 12, bench.series->wDetPulses) / 128);
    EXPECT_EQ(bench.startTime, 1'000'000);
    EXPECT_EQ(bench.endTime, 1'000'001);
    EXPECT_STREQ(bench.errors->lpTaskName, "detection");
    EXPECT_STREQ(bench.errors->lpSeriesName, "unknown number of whole pulses");
}

// The tables, the series left behind and the streams are the same for 1, 2 and 8 threads,
// in every processing mode.
// FNV-1a of the values, to compare a run with one recorded earlier.
std::uint64_t fingerprint(const std::vector<std::int64_t>& values)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::int64_t v : values) {
        for (int b = 0; b < 8; ++b) {
            hash ^= (static_cast<std::uint64_t>(v) >> (8 * b)) & 0xFFu;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

// The tables, the series left in the record and the streams at the end are the same for
// every number of threads, and the same as the run recorded from the driver that built
// every series in order on one thread (its fingerprints below).
TEST(Simulation, ResultsDoNotDependOnTheThreadCount)
{
    struct Case {
        const char* what;
        std::uint16_t seriesType, mode, level, employment;
        std::uint64_t recorded;
    };
    const Case cases[] = {
        {"detection, unknown count", 4, 1, 100, 4, 12216137765978931239ull},
        {"joint detection, cut-off pulses", 8, 4, 75, 4, 2643279442141878821ull},
        {"known-count detection", 1, 1, 100, 4, 7363010926209056033ull},
        {"recognition, known count", 1, 2, 100, 4, 6822213476635701190ull},
        {"recognition, unknown count", 4, 2, 100, 4, 1099503019651231823ull},
        {"tuple detection, known count", 36, 36, 100, 4, 7112416285806428858ull},
        {"tuple detection, multiple random copies", 36, 36, 100, 3, 8526660345532062661ull},
        {"tuple recognition, known count", 36, 40, 100, 4, 16414272268996509507ull},
        {"tuple recognition, single random copy", 36, 40, 75, 1, 7101715066751790695ull},
        {"tuple recognition, unknown count", 40, 40, 100, 4, 16414272268996509507ull},
        {"tuple recognition on a plain series", 1, 40, 100, 5, 4486746613480683609ull},
    };
    const std::vector<std::vector<std::int32_t>> tuples{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::vector<std::int64_t>> outcomes;
        for (std::uint32_t threads : {1u, 2u, 3u, 8u}) {
            SimulationBench bench;
            bench.useTuples(tuples, 2, c.employment);
            bench.context.control.threads = threads;
            ASSERT_EQ(bench.run(c.seriesType, c.mode, c.level), 1);
            EXPECT_TRUE(bench.scripted.messages().empty());
            outcomes.push_back(bench.results());
        }
        EXPECT_EQ(fingerprint(outcomes[0]), c.recorded);
        for (std::size_t i = 1; i < outcomes.size(); ++i) EXPECT_EQ(outcomes[i], outcomes[0]) << "run " << i;
    }
}

// Shares of the grid, each run alone, add up to the sums and the tables of the whole grid;
// the last share leaves the series and the streams the whole run leaves.
TEST(Simulation, SharesOfTheGridAddUpToTheWholeRun)
{
    const std::vector<std::vector<std::int32_t>> tuples{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (const auto& [seriesType, mode, employment] :
         {std::tuple{8, 4, 4}, std::tuple{36, 36, 3}, std::tuple{36, 40, 1}}) {
        SCOPED_TRACE(testing::Message() << seriesType << "/" << mode << "/" << employment);
        SimulationSums whole;
        std::vector<std::int64_t> wholeResults;
        {
            SimulationBench bench;
            bench.useTuples(tuples, 2, static_cast<std::uint16_t>(employment));
            bench.context.control.sums = &whole;
            ASSERT_EQ(bench.run(static_cast<std::uint16_t>(seriesType), static_cast<std::uint16_t>(mode), 75), 1);
            wholeResults = bench.results();
        }
        for (const std::int64_t shares : {2, 7}) {
            SimulationSums added{std::vector<std::int64_t>(whole.restoring.size()),
                                 std::vector<std::int64_t>(whole.detection.size()),
                                 std::vector<std::int32_t>(whole.misrecognised.size())};
            std::vector<std::int64_t> lastResults;
            for (std::int64_t k = 1; k <= shares; ++k) {
                SimulationBench bench;
                bench.useTuples(tuples, 2, static_cast<std::uint16_t>(employment));
                SimulationSums part;
                bench.context.control.sums = &part;
                bench.context.control.shareIndex = k;
                bench.context.control.shareCount = shares;
                bench.context.control.threads = static_cast<std::uint32_t>(k % 3 + 1);
                ASSERT_EQ(bench.run(static_cast<std::uint16_t>(seriesType), static_cast<std::uint16_t>(mode), 75), 1);
                for (std::size_t c = 0; c < part.restoring.size(); ++c) {
                    added.restoring[c] += part.restoring[c];
                    added.detection[c] += part.detection[c];
                    added.misrecognised[c] += part.misrecognised[c];
                }
                if (k == shares) {
                    storeErrorTables(*bench.errors, added);
                    lastResults = bench.results();
                }
            }
            EXPECT_EQ(added.restoring, whole.restoring) << shares << " shares";
            EXPECT_EQ(added.detection, whole.detection) << shares << " shares";
            EXPECT_EQ(added.misrecognised, whole.misrecognised) << shares << " shares";
            EXPECT_EQ(lastResults, wholeResults) << shares << " shares: tables, series and streams";
        }
    }
}

TEST(Simulation, TupleRecognitionCountsMisrecognisedSeries)
{
    // Noise-free: every series is recognised; at noise 400 some are not.
    SimulationBench bench({8, 1, 1, 2, 0, 400, 9});
    bench.useTuples({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, 1);
    ASSERT_EQ(bench.run(36, 40), 1);
    EXPECT_EQ(bench.errors->lpRecErrors[0][0], 0);
    EXPECT_GT(bench.errors->lpRecErrors[1][0], 0);
    EXPECT_EQ(bench.series->wSelectedSubsetSize, 3) << "the selected subset size is given back";
}

TEST(Simulation, CancelStopsBetweenSeriesAndKeepsTheTables)
{
    for (std::uint32_t threads : {1u, 2u}) {
        SimulationBench bench;
        bench.errors->lpErrors[0][0] = 777;
        std::atomic<bool> cancel{false};
        std::atomic<int> built{0};
        bench.context.control.cancel = &cancel;
        bench.context.control.threads = threads;
        bench.context.control.built = [&](std::int64_t, const SeriesHeader&) {
            if (++built == 5) cancel = true;
        };
        bench.context.control.progress = [&](std::int64_t done, std::int64_t total) {
            EXPECT_EQ(total, 36);
            EXPECT_LE(done, total);
        };
        EXPECT_EQ(bench.run(4, 1), 0);
        EXPECT_EQ(bench.errors->ifComplete, 0);
        EXPECT_EQ(bench.errors->lpErrors[0][0], 777);
        EXPECT_TRUE(bench.scripted.messages().empty());
    }
}

// Memory that runs out outside the records (a message's text, say) on a worker stops the
// run with a message; nothing escapes the worker's thread and nothing leaks.
TEST(Simulation, WorkerOutOfMemoryStopsTheRunWithAMessage)
{
    for (std::uint32_t threads : {1u, 2u, 8u}) {
        SCOPED_TRACE(threads);
        const std::int64_t live = liveAllocations();
        {
            SimulationBench bench;
            bench.errors->lpErrors[0][0] = 777;
            bench.context.control.threads = threads;
            bench.context.control.built = [](std::int64_t index, const SeriesHeader&) {
                if (index % 7 == 3) throw std::bad_alloc();
            };
            EXPECT_EQ(bench.run(4, 1), 0);
            EXPECT_EQ(bench.errors->ifComplete, 0);
            EXPECT_EQ(bench.errors->lpErrors[0][0], 777);
            ASSERT_EQ(bench.scripted.messages().size(), 1u);
            EXPECT_EQ(bench.scripted.messages()[0].text, "Нет памяти для statCutoffDavrune!");
        }
        EXPECT_EQ(liveAllocations(), live);
    }
}

TEST(Simulation, RefusalsAndMemoryFailuresShowTheirMessages)
{
    {
        SimulationBench bench;
        SimulationContext& context = bench.context;
        EXPECT_EQ(statCutoffDavrune(bench.window(), nullptr, 20, bench.slots, 5, bench.list.data(), 4, 1, 100, 100,
                                    bench.series, context),
                  0);
        EXPECT_EQ(bench.run(36, 36), 0) << "a tuple series without a selected subset";
        ASSERT_EQ(bench.scripted.messages().size(), 2u);
        EXPECT_EQ(bench.scripted.messages()[0],
                  (RecordedMessage{"Absence of RestoreErrorHeader!", "statCutoffDavrune", MessageIcon::none}));
        EXPECT_EQ(bench.scripted.messages()[1],
                  (RecordedMessage{"Error: selected Subset is absence!", " About selectedSubset ", MessageIcon::none}));
    }
    std::vector<std::string> seen;
    for (int k = 1; k < 100; ++k) {
        SimulationBench bench;
        bench.useTuples({{1, 2}, {3, 4}}, 1);
        const std::int64_t live = liveAllocations();
        failAllocationAt(k);
        const std::int32_t result = bench.run(36, 40);
        failAllocationAt(0);
        EXPECT_EQ(liveAllocations(), live);
        for (const RecordedMessage& m : bench.scripted.messages()) seen.push_back(m.caption + m.text);
        if (result == 1) break;
    }
    const std::vector<std::string> expected{" getChainsHeader Нет памяти для newChainsHeader!",
                                            " About ChainsHeader Error getChainsHeader!"};
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 2), expected);
    auto contains = [&](const std::string& m) { return std::find(seen.begin(), seen.end(), m) != seen.end(); };
    EXPECT_TRUE(contains(" About statCutoffDavrune Ошибка lpEtalonNumbersList!"));
    EXPECT_TRUE(contains(" About selectedSubset Ошибка selectedSubsetList!"));
    EXPECT_TRUE(contains(" About selectedSubset Ошибка selectedSubset!"));
}

} // namespace
} // namespace mirokel
