// The options of mirokel-cli and their help texts, declared with CLI11. The settings
// belong to the top level and are accepted after `run` and `simulate` too (the
// subcommands let options they do not know fall through to the top level).
#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>
#include <functional>

#ifndef MIROKEL_VERSION
#define MIROKEL_VERSION "unknown"
#endif

namespace mirokel::cli {

namespace {

constexpr const char* description =
    "Mirokel's batch command line. It runs the workbench's own commands headless: dialogs are\n"
    "answered by the options, message boxes go to standard error as \"[caption] text\".\n"
    "Every invocation starts from the start-up state (series type 36, task type 2, processing\n"
    "mode 40, length 1200, all 20 etalons in use, fixed random seeds), so the same options\n"
    "always print the same numbers.\n"
    "Exit status: 0 done; 1 a command failed (e.g. the simulation did not complete);\n"
    "2 an unknown option, a malformed number or a value the workbench refuses.";

constexpr const char* synopsis =
    "Usage:\n"
    "  mirokel-cli run      [settings] [--runs K] [--same K]\n"
    "  mirokel-cli simulate [settings] [grid] [--csv FILE] [--threads N] [--shard K/N]\n"
    "  mirokel-cli merge    SHARD.json... [--csv FILE]\n"
    "  mirokel-cli snapshot [settings] [grid] [--runs K] [--view alphabet|series|subsets|params|stats]\n"
    "                       [--size WxH] --out FILE.bmp|FILE.pcx|FILE.png|FILE.svg\n"
    "  mirokel-cli --help | --version\n"
    "The settings may come before or after the subcommand; mirokel-cli --help lists them.";

constexpr const char* usageLine =
    "Usage: mirokel-cli run|simulate|merge|snapshot [settings] [options]; see mirokel-cli --help";

constexpr const char* settingsGroup =
    "Settings of run, simulate and snapshot (before or after the subcommand), applied in this order";

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// A whole decimal number, optionally signed, with spaces around it.
std::optional<std::int64_t> parseDecimal(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// An option holding one decimal number. CLI11's own conversion would also read hex and
// octal ("040" as 32); typed values are decimal, as in the window's dialogs.
CLI::Option* addNumber(CLI::App& app, const std::string& names, std::function<void(std::int64_t)> store,
                       const std::string& help, const std::string& typeName)
{
    const std::string name = names;
    CLI::Option* option = app.add_option_function<std::string>(
        names,
        [name, store](const std::string& text) {
            const std::optional<std::int64_t> value = parseDecimal(text);
            if (!value) throw CLI::ConversionError(name + ": \"" + text + "\" is not a decimal number");
            store(*value);
        },
        help);
    option->type_name(typeName);
    return option;
}

CLI::Option* addNumber(CLI::App& app, const std::string& names, std::optional<std::int64_t>& target,
                       const std::string& help, const std::string& typeName)
{
    return addNumber(app, names, [&target](std::int64_t value) { target = value; }, help, typeName);
}

CLI::Option* addList(CLI::App& app, const std::string& names, std::optional<NumberList>& target,
                     const std::string& help, const std::string& typeName)
{
    const std::string name = names;
    CLI::Option* option = app.add_option_function<std::string>(
        names,
        [name, &target](const std::string& text) {
            target = parseNumberList(text);
            if (!target)
                throw CLI::ConversionError(name + ": \"" + text + "\" is not a comma-separated list of numbers");
        },
        help);
    option->type_name(typeName);
    return option;
}

void addSettingOptions(CLI::App& app, SettingOptions& s)
{
    addNumber(app, "--series-type", s.seriesType,
              "Series type 1, 2, 4, 8, 36 or 40, selected as the Settings menu\n"
              "does it (1, 4, 36 and 40 reset the lost-data level to 0 and the\n"
              "energy levels to 100)", "T")->group(settingsGroup);
    addNumber(app, "--selected", s.selected, "dwSelectedEtalon: the selected etalon number (1..20)", "E")
        ->group(settingsGroup);
    addNumber(app, "--task", s.task,
              "Task type 1 detection, 2 recognition, 4 joint detection and\n"
              "discrimination, 64 series processing, selected as the Settings\n"
              "menu does it (detection with a non-tuple series type keeps only\n"
              "the selected etalon in use)", "K")->group(settingsGroup);
    addList(app, "--etalons", s.etalons,
            "The etalons in use become exactly LIST (comma-separated etalon\n"
            "numbers); the required list is rebuilt from them", "LIST")->group(settingsGroup);
    addNumber(app, "--tmin", s.tmin, "wTmin: least distance between neighbouring pulse starts, samples", "T")
        ->group(settingsGroup);
    addNumber(app, "--tmax", s.tmax, "wTmax: greatest distance between neighbouring pulse starts", "T")
        ->group(settingsGroup);
    addNumber(app, "--length", s.length,
              "dwSeriesLengthSetting: series length in samples (pulse length\n"
              "..32767); the pulse-count bounds and the pulse count (their\n"
              "midpoint) follow, as a series-length selector click sets them", "N")
        ->group(settingsGroup);
    addNumber(app, "--pulses", s.pulses,
              "wPulsesNumber: pulses per series (after --length); a count\n"
              "outside the bounds of the length gives their midpoint", "P")->group(settingsGroup);
    addNumber(app, "--noise", s.noise, "wNoiseSetting: noise standard deviation, sample units (0..10922)", "S")
        ->group(settingsGroup);
    addNumber(app, "--lost", s.lost,
              "wLostDataSetting: lost-data level in percent (0..100); both\n"
              "energy defaults become 100 - P", "P")
        ->group(settingsGroup);
    addNumber(app, "--employment", s.employment,
              "wSubsetEmployment: 1 single random, 2 single fixed, 3 multiple\n"
              "random, 4 complete, 5 shifted complete", "K")->group(settingsGroup);
    addNumber(app, "--init-position", s.initPosition, "wSubsetInitPosition: 1-based pulse where a subset is placed",
              "K")->group(settingsGroup);
    addNumber(app, "--proceeding", s.proceeding, "wSubsetProceeding: 1 complete, 2 probably shifted complete", "K")
        ->group(settingsGroup);
    addList(app, "--subset", s.subset,
            "The composed subset of the subset panel (1..10 comma-separated\n"
            "etalon numbers); tuple detection (mode 36) and tuple recognition\n"
            "(mode 40) need it", "LIST")->group(settingsGroup);
    const std::string reservedName = "--reserved";
    app.add_option_function<std::string>(
           reservedName,
           [reservedName, &s](const std::string& text) {
               s.reserved = parseListOfLists(text);
               if (!s.reserved)
                   throw CLI::ConversionError(reservedName + ": \"" + text +
                                              "\" is not a ';'-separated list of comma-separated numbers");
           },
           "The reserved subsets of tuple recognition, in order (at most 10\n"
           "of at most 10 etalons each); the current one is the last unless\n"
           "--current. After --subset or --reserved the subset panel's \" OK \"\n"
           "commit hands the subsets to the series")
        ->type_name("\"L1;L2;...\"")
        ->group(settingsGroup);
    addNumber(app, "--current", s.current,
              "dwCurrentReserved: 1-based current reserved subset (0 none)", "K")->group(settingsGroup);
}

void addRunOptions(CLI::App& run, RunOptions& r)
{
    addNumber(run, "--runs", [&r](std::int64_t k) { r.runs = k; },
              "\" Processing Next Data \" commands (default 1)", "K");
    addNumber(run, "--same", [&r](std::int64_t k) { r.same = k; },
              "\" Processing Same Data \" commands after them (default 0)", "K");
}

void addGridOptions(CLI::App& simulate, SimulateOptions& o)
{
    const std::string grid = "Grid (\" Location Parameters\"; a field not given keeps what the dialog shows)";
    addNumber(simulate, "--min-pulses", o.grid.minPulses, "Least pulse count (\"from\")", "A")->group(grid);
    addNumber(simulate, "--max-pulses", o.grid.maxPulses, "Greatest pulse count (\"to\")", "B")->group(grid);
    addNumber(simulate, "--pulses-increment", o.grid.pulsesIncrement, "Step of the pulse count (\"incr.\"; 0 is 1)",
              "I")->group(grid);
    addNumber(simulate, "--noise-initial", o.grid.noiseInitial, "First noise level (\"Initial Level\")", "X")
        ->group(grid);
    addNumber(simulate, "--noise-steps", o.grid.noiseSteps, "Noise levels, at least 2 (\"Number of Steps\")", "S")
        ->group(grid);
    addNumber(simulate, "--noise-increment", o.grid.noiseIncrement, "Noise increment per step", "D")->group(grid);
    addNumber(simulate, "--repeats", o.grid.repeats, "Series per grid point, at least 1 (\"Number of Repeats\")", "R")
        ->group(grid);
    addNumber(simulate, "--threads", o.threads,
              "Worker threads (default: all cores); the tables are the same\n"
              "for every count", "N");
}

void addSimulateOptions(CLI::App& simulate, SimulateOptions& o)
{
    addGridOptions(simulate, o);
    simulate.add_option("--csv", o.csvPath,
                        "Also write one row per (noise level, pulse count) to FILE:\n"
                        "noise_level,pulses,restoring_error,detection_error,recognition_errors")
        ->type_name("FILE");
    simulate.add_option_function<std::string>(
                "--shard",
                [&o](const std::string& text) {
                    const auto shard = parseShard(text);
                    if (!shard) throw CLI::ValidationError("--shard", "K/N with 1 <= K <= N expected, \"" + text + "\" given");
                    o.shardIndex = shard->first;
                    o.shardCount = shard->second;
                },
                "Compute only the K-th of N shares of the grid's series and print\n"
                "its partial sums as one JSON object, for mirokel-cli merge")
        ->type_name("K/N");
}

void addMergeOptions(CLI::App& merge, MergeOptions& o)
{
    merge.add_option("shards", o.shardPaths, "The shard files of one grid, in any order")->type_name("SHARD.json")->required();
    merge.add_option("--csv", o.csvPath, "Also write the CSV that simulate --csv writes")->type_name("FILE");
}

void addSnapshotOptions(CLI::App& snapshot, SnapshotOptions& o)
{
    addNumber(snapshot, "--runs", o.runs,
              "\" Processing Next Data \" commands before the view is chosen\n"
              "(default 1 for --view series, else 0; not for stats)", "K");
    snapshot.add_option("--view", o.view,
                        "The view painted: alphabet (default; view mode 5 as the \"Restart\"\n"
                        "face leads to it), series (the result view), subsets (\" Select set\n"
                        "of pulses\"), params (\" View series parameters...\") or stats (the\n"
                        "simulation of simulate, then \" Show Statistical Simulation\")")
        ->type_name("VIEW");
    snapshot.add_option("--size", o.size, "Client area in pixels (default 1280x960, at least 800x600)")
        ->type_name("WxH");
    snapshot.add_option("--out", o.outPath,
                        "The picture: .bmp and .pcx as \" Save image as...\" writes them,\n"
                        ".png with the same pixels, .svg as a vector picture of the same paint")
        ->type_name("FILE")
        ->required();
    const std::string show = "The statistics view (--view stats): \" Show Statistical Simulation\" answered with";
    addNumber(snapshot, "--handling", o.handling,
              "1 restoring error, 2 detection error, 3 recognition error\n(task type 2)", "1|2|3")->group(show);
    addNumber(snapshot, "--view-case", o.viewCase, "1 componentwise, 2 summary view", "1|2")->group(show);
    addNumber(snapshot, "--bounds", o.bounds, "\"bounds incl.\" off or on (task type 2)", "0|1")->group(show);
    snapshot.add_option_function<std::string>(
                "--upper-bound", [&o](const std::string& text) { o.upperBound = text; },
                "A fixed upper bound of the graph (\"fixed upper bound\" checked)")
        ->type_name("X")
        ->group(show);
}

} // namespace

std::optional<std::pair<std::int64_t, std::int64_t>> parseShard(const std::string& text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::optional<std::int64_t> k = parseDecimal(std::string_view(text).substr(0, slash));
    const std::optional<std::int64_t> n = parseDecimal(std::string_view(text).substr(slash + 1));
    if (!k || !n || *k < 1 || *k > *n || *n > 1000000) return std::nullopt;
    return std::pair{*k, *n};
}

std::optional<NumberList> parseNumberList(const std::string& text)
{
    NumberList numbers;
    if (trimmed(text).empty()) return numbers;
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::optional<std::int64_t> number = parseDecimal(rest.substr(0, comma));
        if (!number) return std::nullopt;
        numbers.push_back(*number);
        if (comma == std::string_view::npos) return numbers;
        rest.remove_prefix(comma + 1);
    }
}

std::optional<std::vector<NumberList>> parseListOfLists(const std::string& text)
{
    std::vector<NumberList> lists;
    std::string_view rest = text;
    while (true) {
        const std::size_t semicolon = rest.find(';');
        std::optional<NumberList> list = parseNumberList(std::string(rest.substr(0, semicolon)));
        if (!list) return std::nullopt;
        lists.push_back(std::move(*list));
        if (semicolon == std::string_view::npos) return lists;
        rest.remove_prefix(semicolon + 1);
    }
}

ParseOutcome parseCommandLine(int argc, const char* const* argv)
{
    ParseOutcome outcome;
    CommandLine& line = outcome.commandLine;

    CLI::App app{description, "mirokel-cli"};
    app.set_help_flag();
    app.set_help_all_flag("-h,--help", "Print this help (every option of every subcommand) and exit");
    app.set_version_flag("--version", std::string("mirokel-cli ") + MIROKEL_VERSION, "Print the version and exit");
    app.require_subcommand(1);
    app.footer(synopsis);
    addSettingOptions(app, line.settings);

    CLI::App* run = app.add_subcommand(
        "run", "Perform \" Processing Next Data \" --runs times, then \" Processing Same Data \" --same times;\n"
               "print one line of JSON (\"command\", \"index\", \"state\", \"series\", \"chains\") after each");
    run->fallthrough();
    addRunOptions(*run, line.run);

    CLI::App* simulate = app.add_subcommand(
        "simulate", "Perform \" Statistical Simulation \" over the grid (the \"Create Series\" dialog takes\n"
                    "--length, --tmin and --tmax when given) and print one JSON object with the error tables,\n"
                    "indexed [noise step][pulse-count point]; the summary box goes to standard error");
    simulate->fallthrough();
    addSimulateOptions(*simulate, line.simulate);

    CLI::App* merge = app.add_subcommand(
        "merge", "Sum the shard files of one grid (simulate --shard K/N, K = 1 ... N, in any order) and print\n"
                 "what one simulate of the whole grid prints (--csv included)");
    addMergeOptions(*merge, line.merge);

    CLI::App* snapshot = app.add_subcommand(
        "snapshot", "Bring the window to a view as a user would, paint it at --size as the window does and\n"
                    "write the picture to --out (the grid options make the simulation of --view stats)");
    snapshot->fallthrough();
    addGridOptions(*snapshot, line.simulate);
    addSnapshotOptions(*snapshot, line.snapshot);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            outcome.exitStatus = app.exit(error); // help or version, on standard output
            return outcome;
        }
        std::fprintf(stderr, "mirokel-cli: %s\n%s\n", error.what(), usageLine);
        outcome.exitStatus = 2;
        return outcome;
    }

    if (run->parsed()) line.subcommand = Subcommand::run;
    if (simulate->parsed()) line.subcommand = Subcommand::simulate;
    if (merge->parsed()) line.subcommand = Subcommand::merge;
    if (snapshot->parsed()) line.subcommand = Subcommand::snapshot;
    outcome.proceed = true;
    return outcome;
}

} // namespace mirokel::cli
