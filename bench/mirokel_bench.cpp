// mirokel-bench: whole-run benchmarks. Each scenario reports series per second.
// Usage: mirokel-bench [seconds per scenario, default 2]
#include "app/startup.h"
#include "model/series_builder.h"
#include "platform/scripted/scripted_window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using namespace mirokel;
using Clock = std::chrono::steady_clock;

// Runs `step` repeatedly for about `seconds` and prints the rate.
void runScenario(const char* name, double seconds, const std::function<void()>& step)
{
    long count = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        step();
        ++count;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    std::printf("%-48s %10.0f series/s  (%ld in %.2f s)\n", name, count / elapsed, count, elapsed);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    ScriptedWindow scripted;
    Window& window = scripted.window();
    AppState state;
    initialiseStaticState(state);
    if (!startApplication(window, state)) return 1;
    const std::span<std::uint16_t> sequence(state.lpEtalonSequence, state.wEtalonSequenceSize);

    auto build = [&](std::uint16_t energyLevel) {
        state.lpSeriesHeader = getCutOffSeries(window, state.wAlphabetSize, state.aEtalons, state.wImpulseSize,
                                               state.wTmin, state.wTmax, state.dwSeriesLength, state.wImpulseQuantity,
                                               sequence, state.wAmplitude, energyLevel, state.lpSeriesHeader,
                                               state.streams);
        addNoise(window, 20, state.wAmplitude, state.lpSeriesHeader, state.streams.wNoiseSeed);
    };
    runScenario("build + noise, whole pulses, length 1200", seconds, [&] { build(100); });
    runScenario("build + noise, cut-off pulses (75%), length 1200", seconds, [&] { build(75); });
    shutDownApplication(state);
    return scripted.messages().empty() ? 0 : 1;
}
