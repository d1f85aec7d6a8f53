// `merge`: the shard files of one grid, as `simulate --shard K/N` prints them, summed into
// exactly what one `simulate` of the whole grid prints, --csv included.
#include "app/result_files.h"
#include "cli/commands.h"
#include "cli/json_lines.h"
#include "cli/stderr_output.h"
#include "engine/simulation.h"
#include "platform/output_file.h"
#include "platform/scripted/scripted_window.h"

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace mirokel::cli {

namespace {

struct Shard {
    std::string path;
    Json json;
};

// The shard file's JSON object, or an empty text with the reason.
std::string readShard(const std::string& path, Shard& shard)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot read \"" + path + "\"";
    shard.path = path;
    shard.json = Json::parse(in, nullptr, false);
    const Json& j = shard.json;
    const bool shaped = j.is_object() && j.contains("shard") && j["shard"].contains("index") &&
                        j["shard"].contains("count") && j["shard"]["index"].is_number_integer() &&
                        j["shard"]["count"].is_number_integer() && j.contains("sums") && j.contains("pulseValues") &&
                        j.contains("noiseLevels") && j.contains("repeats") && j.contains("elapsedSeconds");
    return shaped ? std::string{} : "\"" + path + "\" is not a shard file of mirokel-cli simulate --shard";
}

// What every shard of one grid has alike: everything but its share, its sums and its time.
Json gridOf(const Json& shard)
{
    Json grid = shard;
    for (const char* key : {"shard", "sums", "elapsedSeconds"}) grid.erase(key);
    return grid;
}

// Refuses a missing, repeated or foreign shard; empty when the shards make one grid.
std::string checkShards(const std::vector<Shard>& shards)
{
    const std::int64_t count = shards[0].json["shard"]["count"];
    const Json grid = gridOf(shards[0].json);
    std::map<std::int64_t, std::string> seen;
    for (const Shard& s : shards) {
        const std::int64_t index = s.json["shard"]["index"];
        if (s.json["shard"]["count"] != count || gridOf(s.json) != grid)
            return "\"" + s.path + "\" is a shard of another grid than \"" + shards[0].path + "\"";
        if (index < 1 || index > count) return "\"" + s.path + "\" has no share of a grid in " + std::to_string(count);
        if (const auto [at, fresh] = seen.emplace(index, s.path); !fresh)
            return "shard " + std::to_string(index) + " is given twice: \"" + at->second + "\" and \"" + s.path + "\"";
    }
    for (std::int64_t k = 1; k <= count; ++k)
        if (seen.count(k) == 0) return "shard " + std::to_string(k) + " of " + std::to_string(count) + " is missing";
    return {};
}

// The cells of one table of sums, added over the shards; false when a table does not
// have the grid's shape.
template <class Value>
bool addSums(const std::vector<Shard>& shards, const char* table, std::size_t levels, std::size_t points,
             std::vector<Value>& cells)
{
    cells.assign(levels * points, 0);
    for (const Shard& s : shards) {
        const Json& rows = s.json["sums"][table];
        if (!rows.is_array() || rows.size() != levels) return false;
        for (std::size_t k = 0; k < levels; ++k) {
            if (!rows[k].is_array() || rows[k].size() != points) return false;
            for (std::size_t j = 0; j < points; ++j) cells[k * points + j] += rows[k][j].get<Value>();
        }
    }
    return true;
}

// The error record of the grid, its tables from the summed sums.
RestErrorHeader* mergedErrors(Window& window, const Json& grid, const SimulationSums& sums)
{
    const Json& pulses = grid["pulseValues"];
    const Json& levels = grid["noiseLevels"];
    RestErrorHeader* errors = getRestErrHeader(window, static_cast<std::uint16_t>(pulses.size()),
                                               static_cast<std::uint16_t>(levels.size()),
                                               grid["repeats"].get<std::int32_t>(), nullptr);
    if (errors == nullptr) return nullptr;
    errors->wVariousPulses = static_cast<std::uint16_t>(pulses.size());
    errors->wNoiseLevels = static_cast<std::uint16_t>(levels.size());
    errors->repeats = grid["repeats"].get<std::int32_t>();
    for (std::size_t j = 0; j < pulses.size(); ++j) errors->wPulseValues[j] = pulses[j].get<std::uint16_t>();
    for (std::size_t k = 0; k < levels.size(); ++k) errors->lpNoiseLevels[k] = levels[k].get<std::int16_t>();
    storeErrorTables(*errors, sums);
    errors->ifComplete = 1;
    return errors;
}

// What simulate prints, in its order: the tables where the shards have their sums, the
// shards' times added up.
Json mergedJson(const Json& first, const Json& tables, double seconds)
{
    Json merged;
    for (const auto& [key, value] : first.items()) {
        if (key == "shard") continue;
        if (key == "sums") {
            for (const char* table : {"errors", "detErrors", "recErrors"}) merged[table] = tables[table];
        } else if (key == "elapsedSeconds") {
            merged[key] = std::round(seconds * 1000.0) / 1000.0;
        } else {
            merged[key] = value;
        }
    }
    return merged;
}

} // namespace

int mergeCommand(const CommandLine& line)
{
    const MergeOptions& o = line.merge;
    OutputTarget csvTarget;
    if (!o.csvPath.empty()) {
        if (std::string fault = checkOutputPath(o.csvPath, csvTarget); !fault.empty())
            return refuse("cannot write the CSV file: " + fault);
    }
    std::vector<Shard> shards(o.shardPaths.size());
    for (std::size_t i = 0; i < shards.size(); ++i)
        if (std::string fault = readShard(o.shardPaths[i], shards[i]); !fault.empty()) return refuse(fault);
    if (std::string fault = checkShards(shards); !fault.empty()) return refuse(fault);

    const Json grid = gridOf(shards[0].json);
    const std::size_t levels = grid["noiseLevels"].size();
    const std::size_t points = grid["pulseValues"].size();
    SimulationSums sums;
    if (!addSums(shards, "restoring", levels, points, sums.restoring) ||
        !addSums(shards, "detection", levels, points, sums.detection) ||
        !addSums(shards, "misrecognised", levels, points, sums.misrecognised))
        return refuse("a shard's sums do not have the shape of its grid");
    double seconds = 0;
    for (const Shard& s : shards) seconds += s.json["elapsedSeconds"].get<double>();

    ScriptedWindow scripted;
    RestErrorHeader* errors = mergedErrors(scripted.window(), grid, sums);
    if (errors == nullptr) {
        printError("no memory for the merged tables");
        return exitFailed;
    }
    const Json tables = simulationJson(AppState{}, *errors, 0);
    printJsonLine(mergedJson(shards[0].json, tables, seconds));
    int status = exitDone;
    if (!o.csvPath.empty()) {
        std::ostringstream csv;
        writeSimulationCsv(csv, *errors);
        if (std::string fault = writeOutputFile(csvTarget, csv.str()); !fault.empty()) {
            printError("the CSV file was not written: " + fault);
            status = exitFailed;
        }
    }
    freeRestErrHeader(scripted.window(), errors);
    return status;
}

} // namespace mirokel::cli
