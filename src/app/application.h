// The application: its state, the window it talks to, and the services its commands use.
// Commands run one at a time; a command that sends another waits until it has finished.
#pragma once

#include "app/app_state.h"
#include "engine/simulation.h"
#include "platform/clock.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

// The processing runs since start, for the saved results of the series view: each run on
// new data counts as "next", each run on the same data as "same", each from 0.
struct RunCount {
    const char* last = nullptr; // "next", "same", or null before the first run
    std::int64_t next = 0;
    std::int64_t same = 0;
};

struct Application {
    Window& window;
    AppState& state;
    Clock& clock;
    SimulationControl simulation{}; // threads, progress and cancel of the statistical simulation
    bool seriesRefused = false;     // the last series build refused its request: the run stopped there
    RunCount runs{};
};

// The command dispatcher: menu ids 40001 … 40034 and internal ids 204 … 224; other ids
// do nothing.
void onCommand(Application& app, std::uint16_t id);

// ---- Command groups (each in its own file) ----

// Settings, selection, file and repaint commands. True when the id was one of them.
bool runSettingsCommand(Application& app, std::uint16_t id);

// The chain of a run (205, 208, 216, 209, 210, 218, 215) and the menu commands that enter
// it. True when the id was one of them.
bool runProcessingCommand(Application& app, std::uint16_t id);

// "Statistical Simulation" (40012), its parameter entry (214) and "Show Statistical
// Simulation" (40015). True when the id was one of them.
bool runSimulationCommand(Application& app, std::uint16_t id);

// " Save results as...": what the current view shows, as data: the last simulation's tables
// as CSV or JSON from the statistics view, the last run as a JSON line from the series view.
void saveResults(Application& app);

// ---- Repaint requests ----

// The graph: rcGraph with its top raised by 10.
void repaintGraph(Application& app, bool erase = true);
// A stored rectangle as it stands, with erase.
void repaintRect(Application& app, const Rect& area);
// A stored rectangle enlarged by 1 to the right and bottom, with erase.
void repaintEnlarged(Application& app, const Rect& area);
// The selector boxes whose flags are set (their flags then cleared), and the button column
// when its flag is set.
void repaintFlaggedBoxes(Application& app);

} // namespace mirokel
