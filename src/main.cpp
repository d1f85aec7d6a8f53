// The workbench's entry point: the main window on a display, the headless demonstration
// without one.
#include "headless_demo.h"
#include "workbench.h"

#include <QApplication>

#include <cstdlib>

namespace {

// Qt is told where to show the window, or there is an X or Wayland display.
bool hasDisplay()
{
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!hasDisplay()) return mirokel::runHeadlessDemo();
    QApplication application(argc, argv);
    mirokel::Workbench workbench;
    if (!workbench.start()) return 0; // the start-up showed "Fatal Error"
    return QApplication::exec();
}
