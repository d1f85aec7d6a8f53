// The command dispatcher and the repaint requests the commands share.
#include "app/application.h"
#include "app/command_ids.h"

namespace mirokel {

void onCommand(Application& app, std::uint16_t id)
{
    if (runProcessingCommand(app, id)) return;
    if (runSimulationCommand(app, id)) return;
    runSettingsCommand(app, id); // ids of no group do nothing
}

void repaintGraph(Application& app, bool erase)
{
    Rect area = app.state.rcGraph;
    area.top -= 10;
    app.window.services.invalidate(area, erase);
}

void repaintRect(Application& app, const Rect& area) { app.window.services.invalidate(area, true); }

void repaintEnlarged(Application& app, const Rect& area)
{
    app.window.services.invalidate({area.left, area.top, area.right + 1, area.bottom + 1}, true);
}

void repaintFlaggedBoxes(Application& app)
{
    AppState& s = app.state;
    std::int32_t* flags[] = {&s.dwRepaintSeriesLengthBox, &s.dwRepaintNoiseBox, &s.dwRepaintLostDataBox};
    const Rect* boxes[] = {&s.rcSeriesLengthBox, &s.rcNoiseBox, &s.rcLostDataBox};
    for (std::size_t i = 0; i < 3; ++i) {
        if (*flags[i] == 0) continue;
        repaintRect(app, *boxes[i]);
        *flags[i] = 0;
    }
    if (s.dwRepaintButtonColumn == 1) {
        repaintEnlarged(app, s.rcButtonColumn);
        s.dwRepaintButtonColumn = 0;
    }
}

} // namespace mirokel
