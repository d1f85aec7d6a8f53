// The settings of the command line against the application: the checks that refuse what
// the workbench cannot use (before anything changes), and their application to the
// start-up state, in their order, as the window's own commands would do it.
#pragma once

#include "app/application.h"
#include "cli/options.h"

#include <string>

namespace mirokel::cli {

// The refusal of the first setting the workbench cannot use, or an empty text. `state`
// is the start-up state the settings will be applied to.
std::string checkSettings(const SettingOptions& settings, const AppState& state);

// --runs and --same: counts from 0 on.
std::string checkRunOptions(const RunOptions& run);

// The grid, as " Location Parameters" would show it after the "Create Series" parameters
// of these settings, and --threads. Call after checkSettings has accepted the settings.
std::string checkSimulateOptions(const SettingOptions& settings, const SimulateOptions& simulate,
                                 const AppState& state);

// The pulse counts the " Location Parameters" dialog shows (wMinPulsesInput,
// wMaxPulsesInput) for the "Create Series" parameters of these settings.
struct DialogPulseCounts {
    std::int64_t from;
    std::int64_t to;
};
DialogPulseCounts dialogPulseCounts(const SettingOptions& settings, const AppState& state);

// How the subset panel's " OK " commit went: not run (neither --subset nor --reserved),
// handed the subsets to the series, or had nothing to hand over (no composed subset, or
// in processing mode 40 no reserved subset).
enum class SubsetCommit { notRun, handedOver, nothingToHandOver };

// Applies checked settings in their order; with --subset or --reserved the subset panel's
// " OK " commit then runs alone. The panel's storage must exist (prepareSubsetPanel).
SubsetCommit applySettings(Application& app, const SettingOptions& settings);

} // namespace mirokel::cli
