// The command line of mirokel-cli as typed: the subcommand, the settings applied to the
// start-up state, and the options of `run` and `simulate`. Parsing only checks the form
// of the values (numbers, lists); whether the workbench accepts them is checked by
// settings.h before anything changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mirokel::cli {

using NumberList = std::vector<std::int64_t>;

// The settings, each present only when given. They are applied in the order of the
// members.
struct SettingOptions {
    std::optional<std::int64_t> seriesType;   // 1, 2, 4, 8, 36, 40
    std::optional<std::int64_t> selected;     // etalon number, 1 … alphabet size
    std::optional<std::int64_t> task;         // 1, 2, 4, 64
    std::optional<NumberList> etalons;        // the etalons in use, exactly
    std::optional<std::int64_t> tmin;         // samples between neighbouring pulse starts, least
    std::optional<std::int64_t> tmax;         // … greatest
    std::optional<std::int64_t> length;       // series length, samples
    std::optional<std::int64_t> pulses;       // pulse count asked for
    std::optional<std::int64_t> noise;        // noise standard deviation, sample units
    std::optional<std::int64_t> lost;         // lost-data level, percent
    std::optional<std::int64_t> employment;   // subset employment 1 … 5
    std::optional<std::int64_t> initPosition; // 1-based pulse where a subset is placed
    std::optional<std::int64_t> proceeding;   // subset proceeding 1 … 2
    std::optional<NumberList> subset;         // the composed subset of the subset panel
    std::optional<std::vector<NumberList>> reserved; // the reserved subsets, in order
    std::optional<std::int64_t> current;      // 1-based current reserved subset (0 none)
};

// The grid of " Location Parameters"; a field not given keeps what the dialog shows.
struct GridOptions {
    std::optional<std::int64_t> minPulses;
    std::optional<std::int64_t> maxPulses;
    std::optional<std::int64_t> pulsesIncrement;
    std::optional<std::int64_t> noiseInitial;
    std::optional<std::int64_t> noiseSteps;
    std::optional<std::int64_t> noiseIncrement;
    std::optional<std::int64_t> repeats;
};

struct RunOptions {
    std::int64_t runs = 1; // " Processing Next Data " commands
    std::int64_t same = 0; // " Processing Same Data " commands after them
};

struct SimulateOptions {
    GridOptions grid;
    std::string csvPath;                 // empty: no CSV
    std::optional<std::int64_t> threads; // absent: all cores
    std::int64_t shardIndex = 0;         // --shard K/N: K (1 … N); 0: the whole grid
    std::int64_t shardCount = 0;         // N
};

// `merge`: the shard files of one grid, and the CSV.
struct MergeOptions {
    std::vector<std::string> shardPaths;
    std::string csvPath; // empty: no CSV
};

// `snapshot`: how the window is brought to the view, its size and the file written. The
// grid and the threads of the simulation of the statistics view are in SimulateOptions.
struct SnapshotOptions {
    std::optional<std::int64_t> runs;   // next-data commands; absent: 1 for the series view, else 0
    std::string view = "alphabet";      // alphabet, series, subsets, params or stats
    std::string size = "1280x960";      // client pixels, WxH
    std::string outPath;                // FILE.bmp, FILE.pcx or FILE.png
    std::optional<std::int64_t> handling; // " Show Statistical Simulation": 1, 2 or 3
    std::optional<std::int64_t> viewCase; // 1 componentwise, 2 summary
    std::optional<std::int64_t> bounds;   // 0 or 1: "bounds incl."
    std::optional<std::string> upperBound; // a fixed upper bound, as typed
};

enum class Subcommand { run, simulate, merge, snapshot };

struct CommandLine {
    Subcommand subcommand = Subcommand::run;
    SettingOptions settings;
    RunOptions run;
    SimulateOptions simulate;
    MergeOptions merge;
    SnapshotOptions snapshot;
};

// "K/N" with 1 ≤ K ≤ N → {K, N}; nothing for anything else.
std::optional<std::pair<std::int64_t, std::int64_t>> parseShard(const std::string& text);

// What parsing decided: go on with the command line, or end with `exitStatus` (after
// help or the version, 0; after a usage error, 2, the error and a usage line printed on
// standard error).
struct ParseOutcome {
    bool proceed = false;
    int exitStatus = 0;
    CommandLine commandLine;
};

ParseOutcome parseCommandLine(int argc, const char* const* argv);

// "1,2,3" → {1, 2, 3}. Numbers are decimal, optionally signed; spaces around them are
// allowed. Returns nothing for malformed text. An empty text is an empty list.
std::optional<NumberList> parseNumberList(const std::string& text);

// "1,2;3;;4" → {{1, 2}, {3}, {}, {4}}: lists separated by ';'.
std::optional<std::vector<NumberList>> parseListOfLists(const std::string& text);

} // namespace mirokel::cli
