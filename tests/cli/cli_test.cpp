// Runs the built mirokel-cli as a script would and checks what it prints and how it
// exits: the JSON lines of `run`, the tables and CSV of `simulate`, the refusals and the
// usage errors.
#include "scratch_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg)
{
    std::string text = "'";
    for (const char c : arg) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

using mirokel::test::readFile;

fs::path scratchDirectory() { return mirokel::test::scratchDirectory("mirokel_cli"); }

// Runs mirokel-cli with `args`; stdout and stderr captured apart. `launcher` goes before
// the program (a `timeout` that interrupts it, say).
Outcome runCli(const std::vector<std::string>& args, const std::string& launcher = "")
{
    const fs::path dir = scratchDirectory();
    std::string command = launcher + quoted(MIROKEL_CLI_PATH);
    for (const std::string& arg : args) command.append(" ").append(quoted(arg));
    command.append(" >").append(quoted((dir / "out").string()));
    command.append(" 2>").append(quoted((dir / "err").string())).append(" </dev/null");
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = readFile(dir / "out");
    outcome.err = readFile(dir / "err");
    fs::remove_all(dir);
    return outcome;
}

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<json> jsonLines(const std::string& text)
{
    std::vector<json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    return lines;
}

std::string describe(const Outcome& o) { return "status " + std::to_string(o.status) + ", stderr:\n" + o.err; }

// Every array of a line has the length its count gives, and the per-pulse fields are
// the ones named (starts within their admissible range, kept samples within the pulse).
void expectConsistent(const json& line)
{
    const json& s = line.at("series");
    ASSERT_TRUE(s.is_object());
    const auto p = s.at("impulseQuantity").get<std::size_t>();
    for (const char* key :
         {"positions", "etalonNumbers", "firstSamples", "lastSamples", "minPositions", "maxPositions"})
        EXPECT_EQ(s.at(key).size(), p) << key;
    for (std::size_t i = 0; i < p; ++i) {
        const json& position = s["positions"].at(i);
        EXPECT_LE(s["minPositions"].at(i), position);
        EXPECT_LE(position, s["maxPositions"].at(i));
        EXPECT_LE(0, s["firstSamples"].at(i));
        EXPECT_LE(s["firstSamples"].at(i), s["lastSamples"].at(i));
        EXPECT_LT(s["lastSamples"].at(i), s["impulseSize"]);
    }
    const auto n = s.at("seriesSize").get<std::size_t>();
    EXPECT_EQ(s.at("pureData").size(), n);
    EXPECT_EQ(s.at("noisyData").size(), n);
    const auto d = s.at("detPulses").get<std::size_t>();
    for (const char* key : {"detPositions", "detEtalonNumbers", "detFirstSamples", "detLastSamples"})
        EXPECT_EQ(s.at(key).size(), d) << key;
    const auto t = s.at("detTuples").get<std::size_t>();
    EXPECT_EQ(s.at("tupleFirst").size(), t);
    EXPECT_EQ(s.at("tupleLast").size(), t);
    EXPECT_EQ(s.at("selectedSubset").size(),
              std::min(s.at("selectedSubsetSize").get<std::size_t>(), s.at("maxPulses").get<std::size_t>()));
    EXPECT_EQ(s.at("subsets").size(), s.at("subsetsCount").get<std::size_t>());

    const json& c = line.at("chains");
    ASSERT_TRUE(c.is_object());
    const auto pretenders = c.at("pretenders").get<std::size_t>();
    EXPECT_LE(pretenders, c.at("maxSize").get<std::size_t>());
    ASSERT_EQ(c.at("chains").size(), pretenders);
    for (const json& chain : c["chains"]) {
        const auto size = chain.at("size").get<std::size_t>();
        EXPECT_LE(size, c.at("maxPulses").get<std::size_t>());
        for (const char* key : {"etalons", "positions", "cutStart", "cutEnd"})
            EXPECT_EQ(chain.at(key).size(), size) << key;
    }
}

// Option sets covering every processing mode and both series classes.
const std::vector<std::string> runOptionSets[] = {
    {},                                                                  // start-up: tuple recognition, no subsets
    split("--series-type 1 --task 2"),                                   // recognition
    split("--series-type 4 --task 4 --noise 35"),                        // joint detection, unfixed count
    split("--series-type 8 --lost 25 --task 1 --selected 5"),            // detection of cut-off pulses
    split("--series-type 2 --task 64 --length 600"),                     // series processing
    split("--task 1 --subset 2,5,7"),                                    // tuple detection
    {"--subset", "2,5", "--reserved", "2,5;3,4,1", "--current", "1"},    // tuple recognition
    {"--series-type", "40", "--subset", "4,6", "--reserved", "4,6;1,2"}, // tuple recognition, unfixed count
};

TEST(CliRun, FirstLineShowsTheStartUpState)
{
    const Outcome o = runCli({"run"});
    ASSERT_EQ(o.status, 0) << describe(o);
    const std::vector<json> lines = jsonLines(o.out);
    ASSERT_EQ(lines.size(), 1u);
    const json& line = lines[0];
    EXPECT_EQ(line["command"], "next");
    EXPECT_EQ(line["index"], 0);
    json requiredList = json::array();
    for (int k = 1; k <= 20; ++k) requiredList.push_back(k);
    const json state = {{"taskType", 2},        {"seriesType", 36},      {"processingMode", 40},
                        {"viewMode", 6},        {"resultKind", 1},       {"impulseQuantity", 18},
                        {"seriesLength", 1200}, {"noiseLevel", 20},      {"lostDataLevel", 0},
                        {"makeEnergyLevel", 100}, {"procEnergyLevel", 100}, {"requiredList", requiredList}};
    EXPECT_EQ(line["state"], state);
    const json& series = line["series"];
    const std::pair<const char*, int> startUpSeries[] = {{"seriesSize", 1200}, {"tmin", 40},     {"tmax", 181},
                                                         {"impulseSize", 20},  {"impulseQuantity", 18},
                                                         {"minPulses", 6},     {"maxPulses", 30}, {"noiseLevel", 20},
                                                         {"amplitude", 128}};
    for (const auto& [key, value] : startUpSeries) EXPECT_EQ(series.at(key), value) << key;
    EXPECT_EQ(line["chains"]["seriesType"], 36);
    EXPECT_EQ(line["chains"]["processingMode"], 40);
    EXPECT_EQ(line["chains"]["seriesName"], "known number of whole pulses tuples");
    // Samples are signed 16-bit values.
    const std::vector<int> pure = series["pureData"].get<std::vector<int>>();
    EXPECT_LT(*std::min_element(pure.begin(), pure.end()), 0);
    EXPECT_GT(*std::max_element(pure.begin(), pure.end()), 0);
}

TEST(CliRun, EveryLineHasArraysOfTheLengthsItsCountsGive)
{
    for (const std::vector<std::string>& options : runOptionSets) {
        SCOPED_TRACE(testing::PrintToString(options));
        const Outcome o = runCli(std::vector<std::string>{"run", "--runs", "2", "--same", "1"} + options);
        ASSERT_EQ(o.status, 0) << describe(o);
        const std::vector<json> lines = jsonLines(o.out);
        ASSERT_EQ(lines.size(), 3u);
        const std::pair<const char*, int> order[] = {{"next", 0}, {"next", 1}, {"same", 0}};
        for (std::size_t k = 0; k < lines.size(); ++k) {
            EXPECT_EQ(lines[k]["command"], order[k].first);
            EXPECT_EQ(lines[k]["index"], order[k].second);
            expectConsistent(lines[k]);
        }
    }
}

TEST(CliRun, SameOptionsPrintTheSameLines)
{
    for (const std::vector<std::string>& options : runOptionSets) {
        SCOPED_TRACE(testing::PrintToString(options));
        const std::vector<std::string> args = std::vector<std::string>{"run", "--runs", "2"} + options;
        const Outcome first = runCli(args);
        const Outcome second = runCli(args);
        ASSERT_EQ(first.status, 0) << describe(first);
        EXPECT_EQ(first.out, second.out);
        EXPECT_EQ(first.err, second.err);
    }
}

TEST(CliRun, SameDataGivesTheSameChainsAndNextDataNewOnes)
{
    const std::vector<std::string> processed[] = {split("--series-type 1 --task 2"),
                                                  split("--series-type 4 --task 4"),
                                                  {"--subset", "2,5", "--reserved", "2,5;3,4,1"}};
    for (const std::vector<std::string>& options : processed) {
        SCOPED_TRACE(testing::PrintToString(options));
        const Outcome o = runCli(std::vector<std::string>{"run", "--runs", "2", "--same", "2"} + options);
        ASSERT_EQ(o.status, 0) << describe(o);
        const std::vector<json> lines = jsonLines(o.out);
        ASSERT_EQ(lines.size(), 4u);
        ASSERT_GT(lines[1]["chains"]["pretenders"], 0);
        EXPECT_NE(lines[0]["series"]["noisyData"], lines[1]["series"]["noisyData"]);
        EXPECT_NE(lines[0]["chains"]["chains"], lines[1]["chains"]["chains"]);
        for (std::size_t k = 2; k < 4; ++k) {
            EXPECT_EQ(lines[k]["chains"], lines[1]["chains"]);
            EXPECT_EQ(lines[k]["series"], lines[1]["series"]);
        }
    }
}

TEST(CliRun, SettingsReachTheStateAndTheSeries)
{
    struct Case {
        const char* description;
        std::vector<std::string> options;
        std::vector<std::pair<const char*, json>> expected; // JSON pointer → value in the first line
    };
    const Case cases[] = {
        {"length derives bounds and midpoint", split("--length 600"),
         {{"/state/seriesLength", 600},
          {"/series/minPulses", 3},
          {"/series/maxPulses", 15},
          {"/state/impulseQuantity", 9}}},
        {"pulses after length", split("--length 600 --pulses 12"), {{"/state/impulseQuantity", 12}}},
        {"etalons in use, exactly", split("--series-type 1 --etalons 7,3"),
         {{"/state/requiredList", json::array({3, 7})}, {"/state/processingMode", 2}}},
        {"detection keeps the selected etalon", split("--series-type 1 --selected 5 --task 1"),
         {{"/state/requiredList", json::array({5})}, {"/state/taskType", 1}, {"/state/processingMode", 1}}},
        {"lost data and energies", split("--series-type 8 --lost 25"),
         {{"/state/seriesType", 8}, {"/state/lostDataLevel", 25}, {"/state/makeEnergyLevel", 75},
          {"/state/procEnergyLevel", 75}, {"/chains/makeEnergy", 75}}},
        {"settings apply in their order, not as typed", split("--lost 50 --series-type 1"),
         {{"/state/seriesType", 1}, {"/state/lostDataLevel", 50}, {"/state/makeEnergyLevel", 50}}},
        {"noise and intervals", split("--noise 35 --tmin 30 --tmax 100"),
         {{"/state/noiseLevel", 35}, {"/series/noiseLevel", 35}, {"/series/tmin", 30}, {"/series/tmax", 100}}},
        {"series processing", split("--series-type 4 --task 64"),
         {{"/state/taskType", 64}, {"/state/processingMode", 64}}},
        {"tuple detection with a subset", split("--task 1 --subset 2,5,7 --employment 2"),
         {{"/state/processingMode", 36}, {"/series/selectedSubset", {2, 5, 7}}, {"/series/subsetEmployment", 2}}},
        {"reserved subsets, the first current", {"--subset", "2,5", "--reserved", "2,5;3,4,1", "--current", "1"},
         {{"/series/subsetsCount", 2}, {"/series/subsets", {{2, 5}, {3, 4, 1}}}, {"/series/selectedSubset", {2, 5}}}},
        {"reserved subsets, the last current", {"--subset", "2,5", "--reserved", "2,5;3,4,1"},
         {{"/series/selectedSubset", {3, 4, 1}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const Outcome o = runCli(std::vector<std::string>{"run"} + c.options);
        ASSERT_EQ(o.status, 0) << describe(o);
        const std::vector<json> lines = jsonLines(o.out);
        ASSERT_EQ(lines.size(), 1u);
        for (const auto& [pointer, value] : c.expected)
            EXPECT_EQ(lines[0].at(json::json_pointer(pointer)), value) << pointer;
    }
    // A setting before the subcommand is the same setting.
    EXPECT_EQ(runCli({"--noise", "50", "run"}).out, runCli({"run", "--noise", "50"}).out);
}

// Recognition of a series built with Tmin 40, processed with Tmin 71: no chain, so no
// pulse is claimed and no position is shown.
TEST(CliRun, RecognitionWithoutAChainDetectsNoPulse)
{
    const Outcome o = runCli(split("run --series-type 2 --task 2 --tmin 71 --runs 0 --same 2"));
    ASSERT_EQ(o.status, 0) << describe(o);
    for (const json& line : jsonLines(o.out)) {
        EXPECT_EQ(line["series"]["detPulses"], 0);
        EXPECT_TRUE(line["series"]["detPositions"].empty());
    }
}

TEST(CliErrors, RefusedValuesExitWith2AndTheMessageBeforeAnyOutput)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {split("run --tmin 0"), "Tmin must be at least 1"},
        {split("run --tmax 10 --tmin 5"), "pulse length"},
        {split("run --tmin 70000"), "Tmin (70000)"},
        {split("run --length 40000"), "series length (40000)"},
        {split("run --series-type 1 --task 1 --length 20"), "No pulse count fits a series of 20 samples"},
        {split("run --length 59"), "No pulse count fits a series of 59 samples"},
        {split("simulate --length 59"), "No pulse count fits a series of 59 samples"},
        {split("run --noise 20000"), "noise level (20000)"},
        {split("run --series-type 3"), "series type (3)"},
        {split("run --task 3"), "task type (3)"},
        {split("run --selected 21"), "etalon number (21)"},
        {split("run --etalons 0,1"), "etalon number (0)"},
        {{"run", "--etalons", ""}, "0 given"},
        {split("run --lost 101"), "lost-data level (101)"},
        {split("run --employment 6"), "subset employment (6)"},
        {split("run --init-position 0"), "init position"},
        {split("run --subset 1,2,3,4,5,6,7,8,9,10,11"), "11 given"},
        {{"run", "--reserved", "1;2;3;4;5;6;7;8;9;10;11"}, "reserved subsets"},
        {{"run", "--reserved", "1;2", "--current", "3"}, "current reserved subset (3)"},
        {split("run --runs -1"), "--runs (-1)"},
        {split("simulate --noise-steps 1"), "at least 2 noise steps"},
        {split("simulate --repeats 0"), "repeats must be at least 1"},
        {split("simulate --repeats 70000"), "--repeats (70000)"},
        {split("simulate --min-pulses 2"), "pulse counts"},
        {split("simulate --noise-initial 10000 --noise-increment 1000"), "noise levels"},
        {split("simulate --threads 0"), "--threads (0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome o = runCli(c.args);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find("Usage"), std::string::npos) << o.err;
    }
}

TEST(CliErrors, UsageErrorsExitWith2AndAUsageLine)
{
    const std::vector<std::string> cases[] = {
        {},                                // no subcommand
        split("run --bogus"),              // unknown option
        split("run --tmin abc"),           // malformed number
        split("run --tmin 40x"),           // trailing garbage
        split("run --etalons 1,,2"),       // malformed list
        {"run", "--reserved", "1;x"},      // malformed list of lists
        split("run --min-pulses 3"),       // a grid option is not for run
        split("simulate --runs 2"),        // nor --runs for simulate
        split("run extra"),                // no positional arguments
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("Usage: mirokel-cli"), std::string::npos) << o.err;
    }
}

TEST(CliHelp, HelpDocumentsEveryOptionAndVersion)
{
    const Outcome help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option :
         {"--series-type", "--selected", "--task", "--etalons", "--tmin", "--tmax", "--length", "--pulses", "--noise",
          "--lost", "--employment", "--init-position", "--proceeding", "--subset", "--reserved", "--current", "--runs",
          "--same", "--min-pulses", "--max-pulses", "--pulses-increment", "--noise-initial", "--noise-steps",
          "--noise-increment", "--repeats", "--csv", "--threads", "--shard", "merge", "--version", "snapshot", "--view", "--size", "--out",
          "--handling", "--view-case", "--bounds", "--upper-bound"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    const Outcome version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("mirokel-cli ", 0), 0u) << version.out;
}

const std::vector<std::string> tinyGrid =
    split("--length 600 --min-pulses 4 --max-pulses 6 --noise-steps 2 --noise-initial 60 --noise-increment 60 "
          "--repeats 2");

const std::vector<std::string> simulatedModes[] = {
    split("--series-type 1 --task 2"),
    split("--series-type 4 --task 4"),
    {"--subset", "2,5", "--reserved", "2,5;3,4,1"},
};

json simulate(const std::vector<std::string>& args)
{
    const Outcome o = runCli(std::vector<std::string>{"simulate"} + args);
    EXPECT_EQ(o.status, 0) << describe(o);
    EXPECT_NE(o.err.find("[getPulseEstAsRepeats] Create series parameters:"), std::string::npos) << o.err;
    const std::vector<json> lines = jsonLines(o.out);
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? json() : lines[0];
}

void expectTable(const json& table, std::size_t rows, std::size_t columns)
{
    ASSERT_EQ(table.size(), rows);
    for (const json& row : table) EXPECT_EQ(row.size(), columns);
}

TEST(CliSimulate, TablesHaveTheGridsShapeAndDoNotDependOnThreads)
{
    for (const std::vector<std::string>& mode : simulatedModes) {
        SCOPED_TRACE(testing::PrintToString(mode));
        json one = simulate(tinyGrid + mode + split("--threads 1"));
        json two = simulate(tinyGrid + mode + split("--threads 2"));
        ASSERT_TRUE(one.is_object());
        EXPECT_EQ(one["pulseValues"], json({4, 5, 6}));
        EXPECT_EQ(one["noiseLevels"], json({60, 120}));
        for (const char* table : {"errors", "detErrors", "recErrors"}) expectTable(one[table], 2, 3);
        EXPECT_EQ(one["repeats"], 2);
        EXPECT_EQ(one["state"]["seriesLength"], 600);
        EXPECT_EQ(one["state"]["resultKind"], 2);
        EXPECT_EQ(one["seriesType"], one["state"]["seriesType"]);
        EXPECT_EQ(one["processingMode"], one["state"]["processingMode"]);
        EXPECT_TRUE(one["elapsedSeconds"].is_number());
        one.erase("elapsedSeconds");
        two.erase("elapsedSeconds");
        EXPECT_EQ(one, two);
    }
}

TEST(CliSimulate, CsvHoldsOneRowPerNoiseLevelAndPulseCount)
{
    const fs::path dir = scratchDirectory();
    const fs::path csv = dir / "errors.csv";
    const json result = simulate(tinyGrid + simulatedModes[1] + std::vector<std::string>{"--csv", csv.string()});
    std::ifstream in(csv);
    std::vector<std::string> rows;
    for (std::string row; std::getline(in, row);) rows.push_back(row);
    ASSERT_EQ(rows.size(), 1u + 2 * 3);
    EXPECT_EQ(rows[0], "noise_level,pulses,restoring_error,detection_error,recognition_errors");
    std::size_t next = 1;
    for (std::size_t level = 0; level < 2; ++level) {
        for (std::size_t point = 0; point < 3; ++point) {
            std::ostringstream expected;
            expected << result["noiseLevels"][level] << ',' << result["pulseValues"][point] << ','
                     << result["errors"][level][point] << ',' << result["detErrors"][level][point] << ','
                     << result["recErrors"][level][point];
            EXPECT_EQ(rows[next++], expected.str());
        }
    }
    fs::remove_all(dir);
}

// The grid split into 1, 2 and 7 shards (each on its own number of threads), merged in
// any order: exactly what one simulate prints, the CSV included.
TEST(CliShards, ShardsMergeIntoTheWholeRun)
{
    const std::vector<std::string> grid =
        split("--series-type 36 --task 2 --subset 2,5,3 --reserved 2,5,3;3,4,1 --employment 3") + tinyGrid;
    const fs::path dir = scratchDirectory();
    json whole = simulate(grid + std::vector<std::string>{"--csv", (dir / "whole.csv").string()});
    whole.erase("elapsedSeconds");
    for (const int count : {1, 2, 7}) {
        SCOPED_TRACE(count);
        std::vector<std::string> files;
        for (int k = count; k >= 1; --k) { // in reverse order
            const Outcome o = runCli(std::vector<std::string>{"simulate", "--shard",
                                                              std::to_string(k) + "/" + std::to_string(count),
                                                              "--threads", std::to_string(k % 3 + 1)} +
                                     grid);
            ASSERT_EQ(o.status, 0) << describe(o);
            files.push_back((dir / ("shard" + std::to_string(k) + ".json")).string());
            std::ofstream(files.back()) << o.out;
        }
        const fs::path csv = dir / ("merged" + std::to_string(count) + ".csv");
        const Outcome merged = runCli(std::vector<std::string>{"merge", "--csv", csv.string()} + files);
        ASSERT_EQ(merged.status, 0) << describe(merged);
        const std::vector<json> lines = jsonLines(merged.out);
        ASSERT_EQ(lines.size(), 1u);
        json result = lines[0];
        EXPECT_TRUE(result["elapsedSeconds"].is_number());
        result.erase("elapsedSeconds");
        EXPECT_EQ(result, whole);
        EXPECT_EQ(readFile(csv), readFile(dir / "whole.csv"));
    }
    fs::remove_all(dir);
}

TEST(CliShards, MergeRefusesMissingRepeatedAndForeignShards)
{
    const fs::path dir = scratchDirectory();
    const auto shard = [&](const std::string& name, const std::string& share, const std::vector<std::string>& more) {
        const Outcome o = runCli(std::vector<std::string>{"simulate", "--shard", share} + tinyGrid + more +
                                 split("--task 1"));
        EXPECT_EQ(o.status, 0) << describe(o);
        std::ofstream(dir / name) << o.out;
        return (dir / name).string();
    };
    const std::string one = shard("1.json", "1/2", split("--series-type 4"));
    const std::string two = shard("2.json", "2/2", split("--series-type 4"));
    const std::string other = shard("other.json", "2/2", split("--series-type 1"));
    std::ofstream(dir / "text.json") << "not json";
    struct Case {
        std::vector<std::string> files;
        const char* message;
    };
    const Case cases[] = {
        {{one}, "shard 2 of 2 is missing"},
        {{one, two, one}, "shard 1 is given twice"},
        {{one, other}, "is a shard of another grid"},
        {{one, (dir / "text.json").string()}, "is not a shard file"},
        {{one, (dir / "absent.json").string()}, "cannot read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome o = runCli(std::vector<std::string>{"merge"} + c.files);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    }
    for (const std::string share : {"0/2", "3/2", "1", "a/b", "1/0"}) {
        const Outcome o = runCli({"simulate", "--shard", share});
        EXPECT_EQ(o.status, 2) << share;
        EXPECT_NE(o.err.find("--shard"), std::string::npos) << o.err;
    }
    const Outcome csv = runCli(split("simulate --shard 1/2 --csv x.csv"));
    EXPECT_EQ(csv.status, 2);
    EXPECT_NE(csv.err.find("--csv is written by mirokel-cli merge"), std::string::npos) << csv.err;
    fs::remove_all(dir);
}

// A --csv path of each kind before a run: nothing there, a file of the user's, a link to
// one. Returns the path to pass.
fs::path prepareCsvPath(const fs::path& dir, const std::string& kind)
{
    const fs::path target = dir / "mine.csv";
    if (kind != "new") std::ofstream(target) << "keep\n";
    if (kind == "link") {
        fs::create_symlink("mine.csv", dir / "link.csv");
        return dir / "link.csv";
    }
    return target;
}

// Tuple recognition without a composed subset stops with its message: the path is left
// exactly as it was. A completed run replaces the file (a link's target, the link kept).
TEST(CliSimulate, CsvPathChangesOnlyWhenTheRunCompletes)
{
    const std::string header = "noise_level,pulses,restoring_error,detection_error,recognition_errors\n";
    for (const std::string kind : {"new", "file", "link"}) {
        SCOPED_TRACE(kind);
        const fs::path dir = scratchDirectory();
        const fs::path csv = prepareCsvPath(dir, kind);
        const Outcome failed = runCli(std::vector<std::string>{"simulate", "--csv", csv.string()} + tinyGrid);
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(failed.out, "");
        EXPECT_NE(failed.err.find("the simulation did not complete"), std::string::npos) << failed.err;
        EXPECT_EQ(fs::exists(dir / "mine.csv"), kind != "new");
        if (kind != "new") {
            EXPECT_EQ(readFile(dir / "mine.csv"), "keep\n");
        }
        EXPECT_EQ(fs::is_symlink(csv), kind == "link");

        simulate(tinyGrid + simulatedModes[1] + std::vector<std::string>{"--csv", csv.string()});
        EXPECT_EQ(readFile(dir / "mine.csv").rfind(header, 0), 0u);
        EXPECT_EQ(fs::is_symlink(csv), kind == "link");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), kind == "link" ? 2 : 1)
            << "no temporary file is left behind";
        fs::remove_all(dir);
    }
}

TEST(CliSimulate, CsvToAStreamFollowsTheJsonAndADeviceStaysADevice)
{
    const Outcome o = runCli(std::vector<std::string>{"simulate", "--csv", "/dev/stdout"} + tinyGrid +
                             simulatedModes[1]);
    EXPECT_EQ(o.status, 0) << describe(o);
    const std::size_t csvStart = o.out.find("\nnoise_level,pulses,");
    ASSERT_NE(csvStart, std::string::npos) << o.out;
    EXPECT_EQ(jsonLines(o.out.substr(0, csvStart + 1)).size(), 1u);
    EXPECT_EQ(std::count(o.out.begin() + static_cast<std::ptrdiff_t>(csvStart + 1), o.out.end(), '\n'), 1 + 2 * 3);

    for (const bool completes : {false, true}) {
        const Outcome n = runCli(std::vector<std::string>{"simulate", "--csv", "/dev/null"} + tinyGrid +
                                 (completes ? simulatedModes[1] : std::vector<std::string>{}));
        EXPECT_EQ(n.status, completes ? 0 : 1) << describe(n);
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
}

TEST(CliSimulate, CsvPathThatCannotBeWrittenIsRefusedBeforeTheRun)
{
    const fs::path dir = scratchDirectory();
    for (const fs::path& csv : {dir, dir / "missing" / "errors.csv"}) {
        SCOPED_TRACE(csv.string());
        const Outcome o = runCli(std::vector<std::string>{"simulate", "--csv", csv.string()} + tinyGrid +
                                 simulatedModes[1]);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("cannot write the CSV file"), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find("getPulseEstAsRepeats"), std::string::npos) << "no run: " << o.err;
    }
    EXPECT_TRUE(fs::is_empty(dir));
    fs::remove_all(dir);
}

// Ctrl-C in the middle of a long simulation (the default grid with 2000 repeats).
TEST(CliSimulate, InterruptedSimulationExitsWith1SaysHowFarAndKeepsTheCsvPath)
{
    const fs::path dir = scratchDirectory();
    const fs::path csv = prepareCsvPath(dir, "file");
    const Outcome o = runCli(split("simulate --series-type 8 --task 4 --lost 25 --threads 2 --repeats 2000") +
                                 std::vector<std::string>{"--csv", csv.string()},
                             "timeout --foreground --preserve-status -s INT 2 ");
    EXPECT_EQ(o.status, 1) << describe(o);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("the simulation was interrupted"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("[ Statistical Simulation ] Simulation cancelled after "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find(" of 1450000 series."), std::string::npos) << o.err;
    EXPECT_EQ(readFile(csv), "keep\n");
    fs::remove_all(dir);
}

// A series-type command keeps processing mode 40: without tuples the simulation is
// refused with the tuple message; with a composed subset and patterns it runs.
TEST(CliSimulate, TupleModeOnAPlainSeriesTypeIsRefusedWithoutTuplesAndRunsWithThem)
{
    for (const char* type : {"1", "2", "4", "8"}) {
        SCOPED_TRACE(type);
        const Outcome o = runCli(std::vector<std::string>{"simulate", "--series-type", type} + tinyGrid);
        EXPECT_EQ(o.status, 1) << describe(o);
        EXPECT_NE(o.err.find("[ About selectedSubset ] Error: selected Subset is absence!"), std::string::npos)
            << o.err;
    }
    const json result = simulate(tinyGrid + std::vector<std::string>{"--series-type", "1", "--subset", "2,5",
                                                                    "--reserved", "2,5;3,4,1"});
    EXPECT_EQ(result["processingMode"], 40);
    EXPECT_EQ(result["seriesType"], 1);
}

// ---- snapshot ----

// A shell command's standard output (standard error dropped) and exit status.
Outcome runTool(const std::string& command)
{
    const fs::path dir = scratchDirectory();
    const int raw = std::system((command + " >" + quoted((dir / "out").string()) + " 2>/dev/null").c_str());
    Outcome outcome;
    outcome.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = readFile(dir / "out");
    fs::remove_all(dir);
    return outcome;
}

// "WxH" of a picture as ImageMagick's identify reads it.
std::string identifiedSize(const fs::path& file)
{
    return runTool("identify -format '%wx%h' " + quoted(file.string())).out;
}

// The number of pixels in which two pictures differ, by ImageMagick's compare.
std::string differingPixels(const fs::path& a, const fs::path& b)
{
    // compare prints the count on standard error and exits 1 when the pictures differ.
    const fs::path dir = scratchDirectory();
    const std::string command = "compare -metric AE " + quoted(a.string()) + " " + quoted(b.string()) + " null: 2>" +
                                quoted((dir / "count").string());
    [[maybe_unused]] const int status = std::system(command.c_str());
    const std::string count = readFile(dir / "count");
    fs::remove_all(dir);
    return count;
}

class CliSnapshot : public testing::Test {
protected:
    fs::path dir = scratchDirectory();
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(CliSnapshot, EveryViewIsPaintedAtTheGivenSize)
{
    for (const std::string view : {"alphabet", "series", "subsets", "params"}) {
        const fs::path png = dir / (view + ".png");
        const Outcome o = runCli(split("snapshot --size 900x700 --view " + view + " --out " + png.string()));
        ASSERT_EQ(o.status, 0) << view << ": " << describe(o);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(identifiedSize(png), "900x700") << view;
    }
    // Different views are different pictures.
    EXPECT_NE(differingPixels(dir / "alphabet.png", dir / "subsets.png"), "0");
    EXPECT_NE(differingPixels(dir / "alphabet.png", dir / "series.png"), "0");
}

// The BMP and the PNG hold the same pixels; the PCX is the same picture in two colours:
// white, and one colour for every other. (Readers differ on which colour a 1-bit PCX's
// bits show, whatever its palette: ImageMagick 6 shows a 1, the background, black.)
TEST_F(CliSnapshot, BmpPngAndPcxOfOneViewAgree)
{
    const std::string view = "snapshot --series-type 4 --task 1 --noise 35 --view series --out ";
    for (const char* name : {"s.bmp", "s.png", "s.pcx", "UPPER.BMP"})
        ASSERT_EQ(runCli(split(view + (dir / name).string())).status, 0) << name;
    EXPECT_EQ(identifiedSize(dir / "s.bmp"), "1280x960");
    EXPECT_EQ(identifiedSize(dir / "s.pcx"), "1280x960");
    EXPECT_EQ(differingPixels(dir / "s.bmp", dir / "s.png"), "0");
    EXPECT_EQ(differingPixels(dir / "UPPER.BMP", dir / "s.png"), "0");
    const fs::path twoColours = dir / "two.png";
    ASSERT_EQ(runTool("convert " + quoted((dir / "s.png").string()) + " -fill black +opaque white " +
                      quoted(twoColours.string()))
                  .status,
              0);
    const fs::path inverted = dir / "inverted.png";
    ASSERT_EQ(runTool("convert " + quoted(twoColours.string()) + " -negate " + quoted(inverted.string())).status, 0);
    const std::string differing = differingPixels(dir / "s.pcx", twoColours);
    EXPECT_TRUE(differing == "0" || differingPixels(dir / "s.pcx", inverted) == "0") << differing;
    // The picture is not all one colour: the series view has black lines and blue curves.
    EXPECT_NE(differingPixels(dir / "s.pcx", dir / "s.png"), "0");
}

// `format` of the picture of the pixels inside `area` of `file`, dark (below half grey) or light.
std::string inkProperty(const fs::path& file, const std::string& area, const std::string& format)
{
    const std::string picture = quoted(file.string() + "[" + area + "]");
    return runTool("convert " + picture + " -colorspace gray -threshold 50% -format '" + format + "' info:")
        .out;
}

// The bounding box "WxH+X+Y" of the dark pixels inside `area`, which must hold light ones too.
std::string inkBox(const fs::path& file, const std::string& area) { return inkProperty(file, area, "%@"); }

// True when every pixel inside `area` is dark.
bool allInk(const fs::path& file, const std::string& area) { return inkProperty(file, area, "%[fx:maxima]") == "0"; }

// The SVG of a view, rasterised by rsvg-convert, has the picture's size, the frame lines
// of the graphs exactly where the PNG has them, and its text lines inked in the same
// places (to a pixel: the two font renderers round glyph edges differently).
TEST_F(CliSnapshot, SvgRasterisedShowsTheLinesAndTextOfThePng)
{
    const std::string view = "snapshot --size 900x700 --view series --out ";
    const fs::path png = dir / "s.png", svg = dir / "s.svg", rendered = dir / "s-svg.png";
    ASSERT_EQ(runCli(split(view + png.string())).status, 0);
    const Outcome o = runCli(split(view + svg.string()));
    ASSERT_EQ(o.status, 0) << describe(o);
    EXPECT_EQ(readFile(svg).rfind("<?xml", 0), 0u);
    ASSERT_EQ(runTool("rsvg-convert " + quoted(svg.string()) + " -o " + quoted(rendered.string())).status, 0);
    EXPECT_EQ(identifiedSize(rendered), "900x700");
    // The three graph frames and the axes, along a column and a row.
    for (const char* line : {"1x1+300+67", "1x1+300+137", "1x1+300+207", "1x1+300+375", "1x1+300+445",
                             "1x1+300+515", "581x1+18+375", "1x141+18+67"}) {
        EXPECT_TRUE(allInk(png, line)) << line;
        EXPECT_TRUE(allInk(rendered, line)) << line;
    }
    // The title line and the first result line.
    for (const char* text : {"420x14+20+2", "300x14+15+533"}) {
        int w1 = 0, h1 = 0, x1 = 0, y1 = 0, w2 = 0, h2 = 0, x2 = 0, y2 = 0;
        ASSERT_EQ(std::sscanf(inkBox(png, text).c_str(), "%dx%d+%d+%d", &w1, &h1, &x1, &y1), 4) << text;
        ASSERT_EQ(std::sscanf(inkBox(rendered, text).c_str(), "%dx%d+%d+%d", &w2, &h2, &x2, &y2), 4) << text;
        EXPECT_GT(w1, 100) << text; // a line of text, not a speck
        for (const auto& [a, b] : {std::pair{x1, x2}, {y1, y2}, {x1 + w1, x2 + w2}, {y1 + h1, y2 + h2}})
            EXPECT_LE(std::abs(a - b), 1) << text << ": " << inkBox(png, text) << " vs " << inkBox(rendered, text);
    }
}

TEST_F(CliSnapshot, StatisticsViewAfterTheSimulation)
{
    const fs::path png = dir / "stats.png";
    const Outcome o = runCli(split("snapshot --series-type 4 --task 2 --view stats --handling 3 --view-case 2 "
                                   "--bounds 1 --upper-bound 0.5 --min-pulses 6 --max-pulses 8 --noise-steps 3 "
                                   "--repeats 2 --size 1000x800 --out ") +
                             std::vector<std::string>{png.string()});
    ASSERT_EQ(o.status, 0) << describe(o);
    EXPECT_NE(o.err.find("[getPulseEstAsRepeats]"), std::string::npos) << o.err; // the summary box
    EXPECT_EQ(identifiedSize(png), "1000x800");
}

TEST_F(CliSnapshot, RefusedBeforeAnythingIsWritten)
{
    const std::string out = (dir / "a.png").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"snapshot --view graph --out " + out, "--view must be"},
        {"snapshot --size 640x480 --out " + out, "--size must be WxH"},
        {"snapshot --size 1280 --out " + out, "--size must be WxH"},
        {"snapshot --out " + (dir / "a.gif").string(), "--out must end in .bmp, .pcx, .png or .svg"},
        {"snapshot --out " + (dir / "missing" / "a.png").string(), "cannot write the picture"},
        {"snapshot --view series --handling 1 --out " + out, "apply to --view stats only"},
        {"snapshot --view stats --task 1 --series-type 4 --handling 3 --out " + out, "3 needs --task 2"},
        {"snapshot --view stats --runs 2 --out " + out, "--runs does not apply"},
        {"snapshot --noise 20000 --out " + out, ""},
    };
    for (const auto& [command, message] : cases) {
        const Outcome o = runCli(split(command));
        EXPECT_EQ(o.status, 2) << command << ": " << describe(o);
        EXPECT_NE(o.err.find(message), std::string::npos) << command << ": " << o.err;
    }
    EXPECT_EQ(runCli(split("snapshot --view series")).status, 2); // --out is required
    EXPECT_TRUE(fs::is_empty(dir));
}

} // namespace
