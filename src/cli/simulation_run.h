// " Statistical Simulation " as mirokel-cli performs it, for `simulate` and for the
// statistics view of `snapshot`.
#pragma once

#include "cli/options.h"
#include "cli/session.h"

#include <optional>

namespace mirokel::cli {

// Queues the answers to the three dialogs of the command, in the order they open:
// "Create Series" accepted as shown with the geometry options typed, " Location
// Parameters" with the grid options typed, and the statistics display dialog accepted
// unchanged.
void queueSimulationAnswers(ScriptedDialogs& dialogs, const SettingOptions& settings, const GridOptions& grid);

// Runs the command with a progress bar on a terminal and Ctrl-C as its cancel; the
// seconds it took.
double runSimulation(Session& session, const std::optional<std::int64_t>& threads);

// Whether Ctrl-C stopped the last run.
bool simulationInterrupted();

} // namespace mirokel::cli
