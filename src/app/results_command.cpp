// " Save results as...": the data of the current view written to a file the user names,
// by the writers mirokel-cli prints with.
#include "app/application.h"
#include "app/result_files.h"
#include "platform/output_file.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>

namespace mirokel {

namespace {

constexpr const char* caption = " Save results as ";

bool endsWithIgnoringCase(const std::string& name, std::string_view ending)
{
    return name.size() > ending.size() &&
           std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char e, char c) { return std::tolower(static_cast<unsigned char>(c)) == e; });
}

bool hasStatistics(const AppState& s)
{
    return s.dwViewMode == 6 && s.wResultKind == 2 && s.lpRestErrorHeader != nullptr &&
           s.lpRestErrorHeader->ifComplete != 0;
}

bool hasRun(const Application& app)
{
    const AppState& s = app.state;
    return s.dwViewMode == 6 && s.wResultKind != 2 && app.runs.last != nullptr;
}

// The file's contents for `name`, or nothing when its extension is not one of the view.
std::optional<std::string> contentsFor(const Application& app, const std::string& name)
{
    const AppState& s = app.state;
    if (hasStatistics(s)) {
        const RestErrorHeader& errors = *s.lpRestErrorHeader;
        if (endsWithIgnoringCase(name, ".csv")) {
            std::ostringstream csv;
            csv << simulationCsvComments(s, errors);
            writeSimulationCsv(csv, errors);
            return csv.str();
        }
        const auto seconds = static_cast<double>(s.dwSimEndTime - s.dwSimStartTime);
        if (endsWithIgnoringCase(name, ".json")) return jsonText(simulationJson(s, errors, seconds)) + "\n";
        return std::nullopt;
    }
    const bool next = std::string_view(app.runs.last) == "next";
    const std::int64_t index = (next ? app.runs.next : app.runs.same) - 1;
    if (endsWithIgnoringCase(name, ".json")) return jsonText(runLineJson(app.runs.last, index, s)) + "\n";
    return std::nullopt;
}

} // namespace

void saveResults(Application& app)
{
    const bool statistics = hasStatistics(app.state);
    if (!statistics && !hasRun(app)) {
        showMessage(app.window, "Nothing to save: results are saved from the series view after a run, or from the "
                                "statistics view after a simulation.", caption);
        return;
    }
    SaveFileRequest request;
    request.title = "Results File Name";
    if (statistics) request.filters.push_back({"CSV Files (*.csv)", "*.csv"});
    request.filters.push_back({"JSON Files (*.json)", "*.json"});
    request.defaultExtension = statistics ? "csv" : "json";
    const std::string name = app.window.dialogs.chooseSaveFile(request);
    if (name.empty()) return;
    const std::optional<std::string> contents = contentsFor(app, name);
    if (!contents) {
        showMessage(app.window,
                    statistics ? "Nothing was saved: the name must end in .csv or .json"
                               : "Nothing was saved: the name must end in .json",
                    caption);
        return;
    }
    OutputTarget target;
    std::string fault = checkOutputPath(name, target);
    if (fault.empty()) fault = writeOutputFile(target, *contents);
    if (!fault.empty()) showMessage(app.window, "Nothing was saved: " + fault, caption);
}

} // namespace mirokel
