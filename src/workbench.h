// The workbench on a display: the application state and its commands wired to the main
// window — menu commands, paint, mouse and keys, the simulation's progress dialog, and
// shutdown when the window closes.
#pragma once

#include "app/application.h"
#include "platform/qt/main_window.h"

#include <atomic>
#include <memory>

namespace mirokel {

class Workbench {
public:
    Workbench();
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // Runs the start-up sequence and shows the window maximized. False when the start-up
    // failed (its message was shown).
    bool start();

    // Runs a command as the menu does.
    void command(std::uint16_t id) { handlers.command(id); }

    MainWindow& mainWindow() { return *main; }
    AppState& state() { return appState; }

private:
    AppState appState;
    SystemClock clock;
    WindowHandlers handlers;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<Application> app;
    std::atomic<bool> cancel{false};
    bool started = false;
};

} // namespace mirokel
