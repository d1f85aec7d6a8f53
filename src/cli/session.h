// One headless run of the application: the scripted window (its dialogs answered from a
// queue), the state and the clock, and the start-up as the window performs it. Message
// boxes go to standard error the moment they are shown, so that a summary appears
// before the long run it announces.
#pragma once

#include "app/application.h"
#include "cli/settings.h"
#include "cli/stderr_output.h"
#include "platform/clock.h"
#include "platform/scripted/scripted_window.h"

#include <cstddef>

namespace mirokel::cli {

class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // Releases everything the state owns.
    ~Session();

    // The start-up state: static initialisation, the start-up sequence, and the subset
    // panel's storage as its first paint prepares it. False when the start fails (its
    // message already on standard error).
    bool start();

    // Prints the dialogs' refusals of typed input recorded since the last call (the
    // scripted dialogs record them instead of showing them); how many there were.
    std::size_t forwardRefusals();

    Application& app() { return application; }
    AppState& state() { return appState; }
    ScriptedDialogs& dialogs() { return scripted.dialogs; }
    Window& window() { return handle; }
    RecordingWindowServices& services() { return scripted.services; }

private:
    ScriptedWindow scripted;
    PrintingMessageBox messageBox;
    Window handle{messageBox, scripted.services, scripted.dialogs};
    AppState appState;
    SystemClock clock;
    Application application{handle, appState, clock};
    std::size_t refusalsForwarded = 0;
};

// A note when the subset panel's commit had nothing to hand over.
void noteSubsetCommit(SubsetCommit commit);

} // namespace mirokel::cli
