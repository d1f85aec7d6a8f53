// The results as data, written alike by mirokel-cli and by the window's " Save results
// as...": the application state, the series record, the chains record and the
// simulation's error tables as JSON (keys in the documented order), and the error tables
// as CSV. Arrays are cut to the counts the records give.
#pragma once

#include "app/app_state.h"
#include "engine/chains_header.h"
#include "engine/rest_error_header.h"
#include "model/series_header.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <ostream>
#include <string>

namespace mirokel {

using Json = nlohmann::ordered_json;

// taskType, seriesType, processingMode, viewMode, resultKind, impulseQuantity,
// seriesLength, noiseLevel, lostDataLevel, makeEnergyLevel, procEnergyLevel, requiredList.
Json stateJson(const AppState& state);

// The series record, or null.
Json seriesJson(const SeriesHeader* series);

// The chains record with one object per pretender in rank order, or null.
Json chainsJson(const ChainsHeader* chains);

// One line of `run`: {"command", "index", "state", "series", "chains"}.
Json runLineJson(const char* command, std::int64_t index, const AppState& state);

// The result of `simulate`: the state, the grid, the three tables [noise step][pulse
// point], the labels of the run and the time it took.
Json simulationJson(const AppState& state, const RestErrorHeader& errors, double elapsedSeconds);

// noise_level,pulses,restoring_error,detection_error,recognition_errors, then one row per
// noise level and pulse count, in table order.
void writeSimulationCsv(std::ostream& out, const RestErrorHeader& errors);

// "# " comment lines for the head of a saved CSV: the version, the settings and the grid
// of the run, and its start and end times (local time).
std::string simulationCsvComments(const AppState& state, const RestErrorHeader& errors);

// Compact one-line text (label bytes that are not UTF-8 are replaced, never thrown on).
std::string jsonText(const Json& value);

} // namespace mirokel
