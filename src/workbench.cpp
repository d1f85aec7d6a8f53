// Wiring of the application to the main window.
#include "workbench.h"

#include "app/main_menu.h"
#include "app/startup.h"
#include "ui/mouse.h"
#include "ui/paint.h"

#include <QScreen>

#include <thread>

namespace mirokel {

Workbench::Workbench()
{
    main = std::make_unique<MainWindow>(handlers, mainMenu());
    app = std::make_unique<Application>(Application{main->window(), appState, clock});
    app->simulation.threads = std::max(1u, std::thread::hardware_concurrency());
    app->simulation.cancel = &cancel;
    app->simulation.progress = [this](std::int64_t done, std::int64_t total) {
        main->reportProgress(done, total, cancel);
    };
    handlers.paint = [this](Canvas& canvas, std::int32_t width, std::int32_t height) {
        onPaint(main->window(), appState, canvas, clock, width, height);
    };
    handlers.command = [this](std::uint16_t id) {
        cancel = false;
        onCommand(*app, id);
        main->endProgress();
    };
    handlers.buttonDown = [this](std::int16_t x, std::int16_t y) { onLButtonDown(*app, 0, x, y); };
    handlers.buttonUp = [this](std::int16_t x, std::int16_t y) { onLButtonUp(*app, x, y); };
    handlers.mouseMove = [this](std::int16_t x, std::int16_t y) { onMouseMove(*app, x, y); };
    handlers.tminEntered = [this] { onTminEditEnter(*app); };
    handlers.keyDown = [this](int key) { onKeyDown(*app, key); };
    handlers.closing = [this] {
        if (started) shutDownApplication(main->window(), appState);
        started = false;
    };
}

Workbench::~Workbench()
{
    if (started) shutDownApplication(main->window(), appState);
}

bool Workbench::start()
{
    initialiseStaticState(appState);
    started = startApplication(main->window(), appState);
    if (!started) {
        shutDownApplication(main->window(), appState);
        return false;
    }
    // Maximized whatever the launch asks; the screen's size is given first so that the
    // window is large even where no window manager maximizes it.
    if (const QScreen* screen = main->screen()) main->setGeometry(screen->availableGeometry());
    main->showMaximized();
    return true;
}

} // namespace mirokel
