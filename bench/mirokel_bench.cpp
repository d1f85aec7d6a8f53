// mirokel-bench: whole-run benchmarks of the engine. Each processing scenario builds a
// pool of noised series as the workbench would, then processes the pool again and again
// with the fast routine and with its direct transcription, and reports series per second
// for both and their ratio (single thread).
//
// The simulation scenarios run the statistical simulation over the default grid on every
// core and report its duration.
//
// Usage: mirokel-bench [--seconds S] [--fast-only] [scenario …]
//        (default: every scenario, 2 s for each routine)
#include "direct_searches.h"
#include "engine/chain_searches.h"
#include "engine/simulation.h"
#include "model/series_builder.h"
#include "model/subsets.h"
#include "platform/scripted/scripted_window.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace mirokel;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t seriesLength = 1200;
constexpr std::uint16_t impulseSize = 20;
constexpr std::uint16_t tmin = 40;
constexpr std::uint16_t tmax = 181;
constexpr std::int16_t noiseLevel = 20;
constexpr int poolSize = 16;

struct Scenario {
    const char* name;
    const char* description;
    bool unfixed;              // the builder draws the pulse count
    std::uint16_t energyLevel; // making and processing, percent
    std::uint16_t etalons;     // listed etalons 1 … etalons
    bool oneEtalonSeries;      // every pulse of a series is the first drawn etalon
    ChainSearch fast;
    ChainSearch direct;
};

const Scenario scenarios[] = {
    {"detect-unknown-whole", "unknown-count detection, whole pulses, one etalon", true, 100, 1, true,
     detectUnknownCount, direct::detectUnknownCount},
    {"joint-cutoff", "joint detection and identification, cut-off pulses (25% lost), 20 etalons", true, 75, 20,
     false, detectUnknownCount, direct::detectUnknownCount},
    {"detect-known", "known-count detection, whole pulses, one etalon", false, 100, 1, true, detectKnownCount,
     direct::detectKnownCount},
    {"recognize-unknown", "recognition with unknown count, whole pulses, 20 etalons", true, 100, 20, true,
     recognizeUnknownCount, direct::recognizeUnknownCount},
};

// The alphabet, a pool of series built from the fixed-seed streams, and a chains record.
class Workbench {
public:
    explicit Workbench(const Scenario& scenario) : scenario(scenario)
    {
        makeAlphabet(scripted.window(), 128, alphabetSlots, impulseSize, slots, streams.wSeedRandomEtalons);
        for (std::uint16_t k = 1; k <= scenario.etalons; ++k) list.push_back(k);
        for (SeriesHeader*& series : pool) series = buildSeries();
        chains = getChainsHeader(scripted.window(), 10, pool[0]->wMaxPulses, nullptr);
    }

    ~Workbench()
    {
        for (SeriesHeader* series : pool) freeSeriesHeader(series);
        freeChainsHeader(scripted.window(), chains);
        releaseAlphabet(slots, alphabetSlots);
    }

    void process(ChainSearch search, int index)
    {
        SeriesHeader* series = pool[static_cast<std::size_t>(index % poolSize)];
        search(scripted.window(), slots, static_cast<std::uint16_t>(list.size()), list.data(), tmin, tmax,
               scenario.energyLevel, chains, series);
    }

    bool quiet() const { return scripted.messages().empty(); }

private:
    SeriesHeader* buildSeries()
    {
        std::array<std::uint16_t, 64> sequence{};
        for (std::uint16_t& etalon : sequence)
            etalon = list[static_cast<std::size_t>((nextSequenceRandom(streams.dwSequenceState) >> 3) % list.size())];
        if (scenario.oneEtalonSeries) sequence.fill(sequence[0]);
        auto* build = scenario.unfixed ? makeUnfixedSeries : getCutOffSeries;
        SeriesHeader* series = build(scripted.window(), alphabetSlots, slots, impulseSize, tmin, tmax, seriesLength, 18,
                                     sequence, 128, scenario.energyLevel, nullptr, streams, nullptr);
        addNoise(scripted.window(), noiseLevel, 128, series, streams.wNoiseSeed);
        return series;
    }

    const Scenario& scenario;
    ScriptedWindow scripted;
    RandomStreams streams;
    std::array<PulseHeader, alphabetSlots> slots{};
    std::vector<std::uint16_t> list;
    std::array<SeriesHeader*, poolSize> pool{};
    ChainsHeader* chains = nullptr;
};

// Series per second of `step` run for about `seconds` (at least one full pool).
double measure(double seconds, const std::function<void(int)>& step)
{
    int count = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        step(count++);
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds || count < poolSize);
    return count / elapsed;
}

bool runScenario(const Scenario& scenario, double seconds, bool withDirect)
{
    Workbench bench(scenario);
    const double fast = measure(seconds, [&](int i) { bench.process(scenario.fast, i); });
    if (!withDirect) {
        std::printf("%-22s fast %10.1f series/s   (%s)\n", scenario.name, fast, scenario.description);
        std::fflush(stdout);
        return bench.quiet();
    }
    const double direct = measure(seconds, [&](int i) { bench.process(scenario.direct, i); });
    std::printf("%-22s fast %10.1f series/s   direct %9.1f series/s   ratio %6.1fx   (%s)\n", scenario.name, fast,
                direct, fast / direct, scenario.description);
    std::fflush(stdout);
    return bench.quiet();
}

// ---- Simulations over the default grid ----------------------------------------------------
// Pulse counts 6 … 30, 29 noise levels from 0 in steps of 5, 100 repeats, length 1200:
// 72 500 series built in order and processed on every core.

struct SimulationScenario {
    const char* name;
    const char* description;
    std::uint16_t seriesType;
    std::uint16_t processingMode;
    std::uint16_t energyLevel;
    std::uint16_t etalons; // etalons in use: 1 … etalons
};

const SimulationScenario simulations[] = {
    {"simulate-detect-unknown-whole", "detection of whole pulses, unknown count", 4, 1, 100, 1},
    {"simulate-joint-cutoff", "joint detection of cut-off pulses (25% lost), 20 etalons", 8, 4, 75, 20},
    {"simulate-tuples-known", "recognition of 3 tuples of 3 etalons, known count", 36, 40, 100, 9},
    {"simulate-tuples-unknown", "recognition of 3 tuples of 3 etalons, unknown count", 40, 40, 100, 9},
};

// Runs the simulation of the scenario on `threads` threads; its duration in seconds, or a
// negative value when it did not complete.
double timeSimulation(const SimulationScenario& scenario, std::uint32_t threads)
{
    ScriptedWindow scripted;
    Window& window = scripted.window();
    RandomStreams streams;
    std::array<PulseHeader, alphabetSlots> slots{};
    makeAlphabet(window, 128, alphabetSlots, impulseSize, slots, streams.wSeedRandomEtalons);
    std::vector<std::uint16_t> list;
    for (std::uint16_t k = 1; k <= scenario.etalons; ++k) list.push_back(k);
    SeriesHeader* series = getCutOffSeriesHeader(window, alphabetSlots, impulseSize, tmin, tmax, seriesLength, nullptr);
    const std::int32_t tuples[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const std::int32_t sizes[3] = {3, 3, 3};
    const std::int32_t* rows[3] = {tuples[0], tuples[1], tuples[2]};
    addSomeSelectedSubsetToSeriesHeader(window, sizes, rows, 3, 10, 10, 1, 4, 1, series);
    RestErrorHeader* errors = getRestErrHeader(window, 25, 29, 100, nullptr);
    initRestErrHeader(window, 25, 6, 1, 29, 0, 5, 100, errors);
    SystemClock clock;
    std::int64_t start = 0, end = 0;
    SimulationContext context{streams, 128, 1, clock, start, end, {threads, {}, nullptr, {}}};

    const auto begin = Clock::now();
    const std::int32_t complete = statCutoffDavrune(window, errors, alphabetSlots, slots,
                                                    static_cast<std::uint16_t>(list.size()), list.data(),
                                                    scenario.seriesType, scenario.processingMode, scenario.energyLevel,
                                                    scenario.energyLevel, series, context);
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    freeRestErrHeader(window, errors);
    freeSeriesHeader(series);
    releaseAlphabet(slots, alphabetSlots);
    return complete == 1 && scripted.messages().empty() ? seconds : -1.0;
}

// The scenario on one thread and on every core, with µs per series and the scaling.
bool runSimulation(const SimulationScenario& scenario, std::uint32_t cores)
{
    constexpr double series = 72500;
    const double one = timeSimulation(scenario, 1);
    const double all = cores > 1 ? timeSimulation(scenario, cores) : one;
    if (one < 0 || all < 0) {
        std::printf("%-30s did not complete\n", scenario.name);
        return false;
    }
    std::printf("%-30s 1 thread %7.2f s (%6.1f us/series)   %u threads %7.2f s   scaling %.2fx   (%s)\n",
                scenario.name, one, one * 1e6 / series, cores, all, one / all, scenario.description);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 2.0;
    bool withDirect = true;
    std::vector<std::string> chosen;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--fast-only") == 0) {
            withDirect = false;
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "usage: mirokel-bench [--seconds S] [--fast-only] [scenario …]\n");
            return 2;
        } else {
            chosen.emplace_back(argv[i]);
        }
    }
    auto wanted = [&](const char* name) {
        return chosen.empty() || std::find(chosen.begin(), chosen.end(), name) != chosen.end();
    };
    bool ok = true;
    for (const Scenario& scenario : scenarios)
        if (wanted(scenario.name)) ok = runScenario(scenario, seconds, withDirect) && ok;
    const std::uint32_t threads = std::max(1u, std::thread::hardware_concurrency());
    for (const SimulationScenario& scenario : simulations)
        if (wanted(scenario.name)) ok = runSimulation(scenario, threads) && ok;
    return ok ? 0 : 1;
}
