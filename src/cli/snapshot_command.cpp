// `snapshot`: the window brought to a view by the commands a user would give, painted at
// the chosen size as the window paints it (text through Qt's fonts, offscreen) and
// written by the writers of " Save image as...".
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/settings.h"
#include "cli/simulation_run.h"
#include "export/snapshot.h"
#include "platform/output_file.h"
#include "platform/paint_record.h"
#include "platform/qt/qt_png.h"
#include "platform/qt/qt_text_engine.h"
#include "ui/paint.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>

namespace mirokel::cli {

namespace {

constexpr std::int32_t leastWidth = 800, leastHeight = 600; // the window's minimum size
constexpr std::int32_t greatestSide = 8192;

enum class View { alphabet, series, subsets, params, stats };

const std::pair<const char*, View> viewNames[] = {{"alphabet", View::alphabet}, {"series", View::series},
                                                  {"subsets", View::subsets},   {"params", View::params},
                                                  {"stats", View::stats}};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// "WxH" with both within the window's sizes, or nothing.
std::optional<Size> parseSize(const std::string& text)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    const std::optional<NumberList> sides = parseNumberList(text.substr(0, x) + "," + text.substr(x + 1));
    if (!sides || sides->size() != 2) return std::nullopt;
    const std::int64_t w = (*sides)[0], h = (*sides)[1];
    if (w < leastWidth || h < leastHeight || w > greatestSide || h > greatestSide) return std::nullopt;
    return Size{static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

// `taskType`: the task type in force once the settings are applied.
std::string checkSnapshotOptions(const SnapshotOptions& o, View view, std::int64_t taskType)
{
    if (o.runs && *o.runs < 0) return "--runs must be 0 or more.";
    if (o.runs && view == View::stats) return "--runs does not apply to --view stats.";
    const bool showOptions = o.handling || o.viewCase || o.bounds || o.upperBound;
    if (showOptions && view != View::stats)
        return "--handling, --view-case, --bounds and --upper-bound apply to --view stats only.";
    // Handling 3 and the bounds are choices of the dialog of recognition only.
    const bool recognition = taskType == task_type::recognition;
    if (o.handling && (*o.handling < 1 || *o.handling > (recognition ? 3 : 2)))
        return recognition ? "--handling must be 1, 2 or 3." : "--handling must be 1 or 2 (3 needs --task 2).";
    if (o.viewCase && *o.viewCase != 1 && *o.viewCase != 2) return "--view-case must be 1 or 2.";
    if (o.bounds && !recognition) return "--bounds needs the recognition task (--task 2).";
    if (o.bounds && *o.bounds != 0 && *o.bounds != 1) return "--bounds must be 0 or 1.";
    if (snapshotFormatOf(o.outPath) == SnapshotFormat::none)
        return "--out must end in .bmp, .pcx, .png or .svg (\"" + o.outPath + "\").";
    return {};
}

// The answer to " Show Statistical Simulation": clicks on the radio buttons chosen, and
// on the check boxes whose state must change from what the dialog shows.
DialogAnswer showAnswer(const SnapshotOptions& o, const AppState& state)
{
    namespace id = dialog_id;
    DialogAnswer answer;
    if (o.handling) {
        const std::int32_t radios[] = {id::restoringError, id::detectionError, id::recognitionError};
        answer.clicks.push_back(radios[*o.handling - 1]);
    }
    if (o.viewCase) answer.clicks.push_back(*o.viewCase == 1 ? id::componentwise : id::summaryView);
    if (o.bounds && (*o.bounds != 0) != (state.dwBoundsIncluded != 0)) answer.clicks.push_back(id::boundsIncluded);
    if (o.upperBound) {
        if (state.dwFixedUpperBound == 0) answer.clicks.push_back(id::fixedUpperBound);
        answer.texts[id::upperBound] = *o.upperBound;
    }
    return answer;
}

// Qt's fonts need a Gui application; without a display it runs offscreen.
void useOffscreenWithoutDisplay()
{
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The headless window's client area: every command is followed by the paint of what it
// invalidated, as the window paints after each message.
class PaintedWindow {
public:
    PaintedWindow(Session& session, Size size) : session(session), surface(size.width, size.height)
    {
        session.services().picture = &surface;
        session.services().pngEncoder = encodePngWithQt;
        session.services().fullPaintRecorder = [this](PaintRecord& record) {
            Surface scratch(surface.width(), surface.height());
            Canvas recording(scratch, text);
            recording.record(&record);
            paintView(recording);
            return true;
        };
        // The window's first paint, when it is shown.
        session.services().invalidateAll();
        paint();
    }
    void command(std::uint16_t id)
    {
        onCommand(session.app(), id);
        paint();
    }
    void paint()
    {
        session.services().paintInvalidated(canvas, [this] { paintView(canvas); });
    }
    PictureView picture() const { return {surface.pixels(), surface.width(), surface.height()}; }

private:
    void paintView(Canvas& on)
    {
        onPaint(session.window(), session.state(), on, session.app().clock, surface.width(), surface.height());
    }

    Session& session;
    Surface surface;
    QtTextEngine text;
    Canvas canvas{surface, text};
};

// Brings the window to the view; false when a command could not do its work (its message
// already on standard error).
bool bringToView(Session& session, PaintedWindow& window, View view, const CommandLine& line)
{
    AppState& s = session.state();
    if (view == View::stats) {
        queueSimulationAnswers(session.dialogs(), line.settings, line.simulate.grid);
        runSimulation(session, line.simulate.threads);
        session.forwardRefusals();
        window.paint();
        if (s.lpRestErrorHeader == nullptr || s.lpRestErrorHeader->ifComplete == 0) {
            printError(simulationInterrupted() ? "the simulation was interrupted" : "the simulation did not complete");
            return false;
        }
        session.dialogs().answers.push_back(showAnswer(line.snapshot, s));
        window.command(command::showStatisticalSimulation);
        if (session.forwardRefusals() > 0) return false;
        return true;
    }
    const std::int64_t runs = line.snapshot.runs.value_or(view == View::series ? 1 : 0);
    for (std::int64_t i = 0; i < runs; ++i) {
        session.app().seriesRefused = false;
        window.command(command::processingNextData);
        if (s.lpSeriesHeader == nullptr || session.app().seriesRefused) return false;
    }
    switch (view) {
    case View::alphabet:
        if (s.dwViewMode != 5) {
            // What the "Restart" face does for series of single pulses.
            s.dwViewMode = 5;
            s.dwRepaintButtonColumn = 1;
            window.command(command::repaintGraphAndButtons);
        }
        return true;
    case View::series: return true;
    case View::subsets: window.command(command::selectSetOfPulses); return true;
    case View::params: window.command(command::viewSeriesParameters); return true;
    case View::stats: break;
    }
    return true;
}

} // namespace

int snapshotCommand(const CommandLine& line)
{
    const SnapshotOptions& o = line.snapshot;
    std::optional<View> view;
    for (const auto& [name, value] : viewNames)
        if (o.view == name) view = value;
    if (!view) return refuse("--view must be alphabet, series, subsets, params or stats (\"" + o.view + "\").");
    const std::optional<Size> size = parseSize(o.size);
    if (!size)
        return refuse(formatText("--size must be WxH from %dx%d to %dx%d (\"%s\").", leastWidth, leastHeight,
                                 greatestSide, greatestSide, o.size.c_str()));

    useOffscreenWithoutDisplay();
    int argc = 1;
    char name[] = "mirokel-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication gui(argc, argv);

    Session session;
    if (!session.start()) return exitFailed;
    std::string refusal = checkSettings(line.settings, session.state());
    if (refusal.empty())
        refusal = checkSnapshotOptions(o, *view, line.settings.task.value_or(session.state().wTaskType));
    if (refusal.empty() && *view == View::stats)
        refusal = checkSimulateOptions(line.settings, line.simulate, session.state());
    if (!refusal.empty()) return refuse(refusal);
    // The path is checked before the work, so that one that cannot be written costs none.
    OutputTarget target;
    if (std::string fault = checkOutputPath(o.outPath, target); !fault.empty())
        return refuse("cannot write the picture: " + fault);

    noteSubsetCommit(applySettings(session.app(), line.settings));
    PaintedWindow window(session, *size);
    if (!bringToView(session, window, *view, line)) return exitFailed;
    const bool written = writeSnapshotFile(session.window(), o.outPath, snapshotFormatOf(o.outPath), window.picture());
    return written ? exitDone : exitFailed;
}

} // namespace mirokel::cli
