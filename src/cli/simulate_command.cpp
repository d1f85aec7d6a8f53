// `simulate`: " Statistical Simulation " with its dialogs answered from the options, a
// progress bar on a terminal, Ctrl-C as the cancel of the run, and the results as JSON
// and CSV.
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "cli/commands.h"
#include "app/result_files.h"
#include "cli/json_lines.h"
#include "cli/session.h"
#include "cli/settings.h"
#include "cli/simulation_run.h"
#include "platform/output_file.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace mirokel::cli {

namespace {

// Set by Ctrl-C; the simulation polls it between series. A second Ctrl-C ends the
// process at once.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void onInterrupt(int)
{
    interrupted.store(true);
    std::signal(SIGINT, SIG_DFL);
}

// Catches Ctrl-C while it lives.
class InterruptCatcher {
public:
    InterruptCatcher() { previous = std::signal(SIGINT, onInterrupt); }
    ~InterruptCatcher() { std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous); }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    void (*previous)(int) = SIG_DFL;
};

// "[#########           ]  45%  (2250/5000 series)", redrawn when the percentage moves.
class ProgressBar {
public:
    void show(std::int64_t done, std::int64_t total)
    {
        constexpr std::int64_t width = 40;
        const std::int64_t percent = total > 0 ? done * 100 / total : 100;
        if (percent == shownPercent) return;
        shownPercent = percent;
        const auto filled = static_cast<std::size_t>(percent * width / 100);
        showProgressLine(formatText("[%s%s] %3lld%%  (%lld/%lld series)", std::string(filled, '#').c_str(),
                                    std::string(static_cast<std::size_t>(width) - filled, ' ').c_str(),
                                    static_cast<long long>(percent), static_cast<long long>(done),
                                    static_cast<long long>(total)));
    }
    void finish() { endProgressLine(); }

private:
    std::int64_t shownPercent = -1;
};

void typeNumber(DialogAnswer& answer, std::int32_t control, const std::optional<std::int64_t>& value)
{
    if (value) answer.texts[control] = std::to_string(*value);
}

std::uint32_t defaultThreads()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1u : cores;
}

} // namespace

void queueSimulationAnswers(ScriptedDialogs& dialogs, const SettingOptions& settings, const GridOptions& grid)
{
    DialogAnswer createSeries;
    typeNumber(createSeries, dialog_id::seriesLength, settings.length);
    typeNumber(createSeries, dialog_id::minInterval, settings.tmin);
    typeNumber(createSeries, dialog_id::maxInterval, settings.tmax);
    DialogAnswer location;
    typeNumber(location, dialog_id::pulsesFrom, grid.minPulses);
    typeNumber(location, dialog_id::pulsesTo, grid.maxPulses);
    typeNumber(location, dialog_id::pulsesIncrement, grid.pulsesIncrement);
    typeNumber(location, dialog_id::noiseInitial, grid.noiseInitial);
    typeNumber(location, dialog_id::noiseSteps, grid.noiseSteps);
    typeNumber(location, dialog_id::noiseIncrement, grid.noiseIncrement);
    typeNumber(location, dialog_id::repeats, grid.repeats);
    dialogs.answers.insert(dialogs.answers.end(), {createSeries, location, DialogAnswer{}});
}

bool simulationInterrupted() { return interrupted.load(); }

namespace {

// A table of sums [noise step][pulse point] from the cells of the grid.
template <class Value>
Json sumsTable(const std::vector<Value>& cells, std::size_t points)
{
    Json table = Json::array();
    for (std::size_t start = 0; start + points <= cells.size() && points > 0; start += points)
        table.push_back(std::vector<Value>(cells.begin() + static_cast<std::ptrdiff_t>(start),
                                           cells.begin() + static_cast<std::ptrdiff_t>(start + points)));
    return table;
}

// What one shard prints: the result of simulate with the share and its sums in place of
// the three tables, which only the sums of every share give.
Json shardJson(const Json& result, const SimulationSums& sums, std::int64_t index, std::int64_t count)
{
    const std::size_t points = result["pulseValues"].size();
    Json shard;
    for (const auto& [key, value] : result.items()) {
        if (key == "errors") {
            shard["shard"] = {{"index", index}, {"count", count}};
            shard["sums"] = {{"restoring", sumsTable(sums.restoring, points)},
                             {"detection", sumsTable(sums.detection, points)},
                             {"misrecognised", sumsTable(sums.misrecognised, points)}};
        } else if (key != "detErrors" && key != "recErrors") {
            shard[key] = value;
        }
    }
    return shard;
}

} // namespace

double runSimulation(Session& session, const std::optional<std::int64_t>& threads)
{
    Application& app = session.app();
    app.simulation.threads = threads ? static_cast<std::uint32_t>(*threads) : defaultThreads();
    app.simulation.cancel = &interrupted;
    ProgressBar bar;
    if (isatty(STDERR_FILENO) == 1)
        app.simulation.progress = [&bar](std::int64_t done, std::int64_t total) { bar.show(done, total); };

    const InterruptCatcher catcher;
    const auto start = std::chrono::steady_clock::now();
    onCommand(app, command::statisticalSimulation);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    bar.finish();
    app.simulation.progress = nullptr;
    return elapsed.count();
}

int simulateCommand(const CommandLine& line)
{
    Session session;
    if (!session.start()) return exitFailed;
    std::string refusal = checkSettings(line.settings, session.state());
    if (refusal.empty()) refusal = checkSimulateOptions(line.settings, line.simulate, session.state());
    if (!refusal.empty()) return refuse(refusal);

    const bool shard = line.simulate.shardCount > 0;
    if (shard && !line.simulate.csvPath.empty())
        return refuse("--csv is written by mirokel-cli merge from the shards, not by one shard");

    // The CSV path is checked first, so that a path that cannot be written costs no run;
    // it is written only once the run has completed.
    const std::string& csvPath = line.simulate.csvPath;
    OutputTarget csvTarget;
    if (!csvPath.empty()) {
        if (std::string fault = checkOutputPath(csvPath, csvTarget); !fault.empty())
            return refuse("cannot write the CSV file: " + fault);
    }

    noteSubsetCommit(applySettings(session.app(), line.settings));
    queueSimulationAnswers(session.dialogs(), line.settings, line.simulate.grid);
    SimulationSums sums;
    if (shard) {
        session.app().simulation.shareIndex = line.simulate.shardIndex;
        session.app().simulation.shareCount = line.simulate.shardCount;
        session.app().simulation.sums = &sums;
    }
    const double seconds = runSimulation(session, line.simulate.threads);
    session.app().simulation.sums = nullptr;
    session.forwardRefusals();

    const RestErrorHeader* errors = session.state().lpRestErrorHeader;
    if (errors == nullptr || errors->ifComplete == 0) {
        printError(interrupted.load() ? "the simulation was interrupted" : "the simulation did not complete");
        return exitFailed;
    }
    const Json result = simulationJson(session.state(), *errors, seconds);
    printJsonLine(shard ? shardJson(result, sums, line.simulate.shardIndex, line.simulate.shardCount) : result);
    if (!csvPath.empty()) {
        std::ostringstream csv;
        writeSimulationCsv(csv, *errors);
        if (std::string fault = writeOutputFile(csvTarget, csv.str()); !fault.empty()) {
            printError("the CSV file was not written: " + fault);
            return exitFailed;
        }
    }
    return exitDone;
}

} // namespace mirokel::cli
