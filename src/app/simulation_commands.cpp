// "Statistical Simulation": parameter entry, summary, preparation and the run; and "Show
// Statistical Simulation": the choice of the error view.
#include "app/application.h"
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "engine/rest_error_header.h"
#include "engine/simulation.h"
#include "platform/allocation.h"

#include <algorithm>
#include <utility>

namespace mirokel {

namespace {

constexpr const char* errorsCaption = " About RestoreErrorHeader ";

bool prepareCreateSeriesDialog(Application& app)
{
    onCommand(app, command::createSeriesDialog);
    return app.state.dwDialogAccepted != 0;
}

// The first simulation of the process sets the etalon sequence to the default etalon
// (enlarged first to wMaxPulses entries when it is shorter).
void resetSequenceOnce(Application& app)
{
    AppState& s = app.state;
    if (s.dwFirstSimulation == 0) return;
    if (s.wEtalonSequenceSize < s.wMaxPulses) {
        auto* larger = allocateArray<std::uint16_t>(s.wMaxPulses);
        if (larger == nullptr) {
            showMessage(app.window, "Нет памяти для lpEtalonSequence!", " Statistical Simulation ",
                        MessageIcon::exclamation);
            return;
        }
        std::copy_n(s.lpEtalonSequence, s.wEtalonSequenceSize, larger);
        releaseMemory(s.lpEtalonSequence);
        s.lpEtalonSequence = larger;
        s.wEtalonSequenceSize = s.wMaxPulses;
    }
    std::fill_n(s.lpEtalonSequence, s.wMaxPulses, static_cast<std::uint16_t>(s.dwDefaultEtalon));
    s.dwFirstSimulation = 0;
}

// 214: the series parameters, the grid, and their commit.
void enterParameters(Application& app)
{
    AppState& s = app.state;
    if (!prepareCreateSeriesDialog(app)) return;
    const auto length = static_cast<std::uint32_t>(s.dwSeriesLengthInput);
    s.wMinPulsesInput = static_cast<std::uint16_t>((length + s.wImpulseSize - 1u) / s.wTmaxInput);
    s.wMaxPulsesInput = static_cast<std::uint16_t>((length - s.wImpulseSize + s.wTminInput) / s.wTminInput);
    resetSequenceOnce(app);
    runLocationParametersDialog(app.window, s);
    if (s.dwDialogAccepted == 0) return;
    s.dwSeriesLengthSetting = s.dwSeriesLength = s.dwSeriesLengthInput;
    s.wTmin = s.wTminInput;
    s.wTmax = s.wTmaxInput;
    s.wMakeEnergyLevel = s.wMakeEnergyInput;
    s.wProcEnergyLevel = s.wProcEnergyInput;
    s.wMinPulses = s.wMinPulsesInput;
    s.wMaxPulses = s.wMaxPulsesInput;
    if (s.wPulsesIncrement == 0) s.wPulsesIncrement = 1;
    s.wPulseSteps = static_cast<std::uint16_t>((std::int32_t{s.wMaxPulses} - s.wMinPulses) / s.wPulsesIncrement + 1);
}

std::string summaryText(const AppState& s)
{
    return "Create series parameters:\n" + formatText("длина серии: %d\n", s.dwSeriesLength) +
           formatText("wTmin: %d\n", s.wTmin) + formatText("wTmax: %d\n", s.wTmax) +
           formatText("длина эталона: %d\n", s.wImpulseSize) +
           formatText("MinPulses: %d -> %d\n", s.wMinPulsesInput, s.wMinPulses) +
           formatText("MaxPulses: %d -> %d\n", s.wMaxPulsesInput, s.wMaxPulses) + "\n" +
           formatText("pulses: %d, from %d to %d incr %d \n", s.wPulseSteps, s.wMinPulses, s.wMaxPulses,
                      s.wPulsesIncrement) +
           formatText("noise level: from %d to %d incr %d\n", s.wNoiseInitial, s.wNoiseSteps, s.wNoiseIncrement) +
           formatText("number of repeats: %d\n", s.wRepeats);
}

void showSimulation(Application& app);

// What a simulation changes besides its results, kept so that a run that does not
// complete can give it back: the series record (the run's working series), the etalon
// sequence and its first-run flag, the random streams and the view mode. The next
// command then gives the same numbers as if the run had never started.
class SimulationUndo {
public:
    explicit SimulationUndo(Window& window) : window(window) {}
    ~SimulationUndo()
    {
        freeSeriesHeader(series);
        releaseMemory(sequence);
    }
    SimulationUndo(const SimulationUndo&) = delete;
    SimulationUndo& operator=(const SimulationUndo&) = delete;

    // False after an out-of-memory message.
    bool save(const AppState& s)
    {
        if (s.lpSeriesHeader != nullptr) {
            series = copySeriesHeader(window, *s.lpSeriesHeader, nullptr);
            if (series == nullptr) return false;
        }
        if (s.wEtalonSequenceSize > 0) {
            sequence = allocateArray<std::uint16_t>(s.wEtalonSequenceSize);
            if (sequence == nullptr) {
                showMessage(window, "Нет памяти для lpEtalonSequence!", " Statistical Simulation ",
                            MessageIcon::exclamation);
                return false;
            }
            std::copy_n(s.lpEtalonSequence, s.wEtalonSequenceSize, sequence);
        }
        sequenceSize = s.wEtalonSequenceSize;
        firstSimulation = s.dwFirstSimulation;
        streams = s.streams;
        viewMode = s.dwViewMode;
        return true;
    }

    // Puts the saved objects back in place of the current ones.
    void restore(AppState& s)
    {
        freeSeriesHeader(s.lpSeriesHeader);
        s.lpSeriesHeader = std::exchange(series, nullptr);
        releaseMemory(s.lpEtalonSequence);
        s.lpEtalonSequence = std::exchange(sequence, nullptr);
        s.wEtalonSequenceSize = sequenceSize;
        s.dwFirstSimulation = firstSimulation;
        s.streams = streams;
        s.dwViewMode = viewMode;
    }

private:
    Window& window;
    SeriesHeader* series = nullptr;
    std::uint16_t* sequence = nullptr;
    std::uint16_t sequenceSize = 0;
    std::int32_t firstSimulation = 0;
    RandomStreams streams;
    std::int32_t viewMode = 0;
};

// Says that a run which had started did not complete, and how far it got.
void reportIncompleteRun(Application& app, const SimulationReach& reach)
{
    if (reach.total == 0) return; // refused before its first series, with its own message
    const bool cancelled = app.simulation.cancel != nullptr && app.simulation.cancel->load();
    const RestErrorHeader* previous = app.state.lpRestErrorHeader;
    const bool kept = previous != nullptr && previous->ifComplete != 0;
    const std::string text =
        formatText(cancelled ? "Simulation cancelled after %lld of %lld series" : "Simulation stopped after %lld of %lld series",
                   static_cast<long long>(reach.processed), static_cast<long long>(reach.total)) +
        (kept ? "; the previous results are kept." : ".");
    showMessage(app.window, text, " Statistical Simulation ", cancelled ? MessageIcon::information : MessageIcon::exclamation);
}

// The working series, a fresh error record and the run. True when the run completed and
// its results replaced the previous ones; otherwise its message has been shown.
bool prepareAndRun(Application& app)
{
    AppState& s = app.state;
    s.lpSeriesHeader = getCutOffSeriesHeader(app.window, s.wAlphabetSize, s.wImpulseSize, s.wTmin, s.wTmax,
                                             static_cast<std::uint32_t>(s.dwSeriesLength), s.lpSeriesHeader);
    if (s.lpSeriesHeader == nullptr) {
        showMessage(app.window, "Не могу выделить память для lpCutOffSeriesHeader!", " About getCutOffSeriesHeader ",
                    MessageIcon::exclamation);
        return false;
    }
    RestErrorHeader* fresh = getRestErrHeader(app.window, s.wPulseSteps, s.wNoiseSteps, s.wRepeats, nullptr);
    if (fresh == nullptr) {
        showMessage(app.window, "Нет RestoreErrorHeader!", errorsCaption);
        return false;
    }
    if (initRestErrHeader(app.window, s.wPulseSteps, s.wMinPulses, s.wPulsesIncrement, s.wNoiseSteps,
                          s.wNoiseInitial, s.wNoiseIncrement, static_cast<std::int32_t>(s.wRepeats), fresh) == 0) {
        showMessage(app.window, "Ошибка initRestErrHeader!", errorsCaption);
        freeRestErrHeader(app.window, fresh);
        return false;
    }
    SimulationContext context{s.streams, s.wAmplitude, s.wSubsetProceeding, app.clock,
                              s.dwSimStartTime, s.dwSimEndTime, app.simulation};
    const std::int32_t complete =
        statCutoffDavrune(app.window, fresh, s.wAlphabetSize, s.aEtalons, s.wRequiredCount, s.lpRequiredList,
                          s.wSeriesType, s.wProcessingMode, static_cast<std::uint16_t>(s.wMakeEnergyLevel),
                          static_cast<std::uint16_t>(s.wProcEnergyLevel), s.lpSeriesHeader, context);
    if (complete != 1) {
        freeRestErrHeader(app.window, fresh);
        reportIncompleteRun(app, context.reach);
        return false;
    }
    freeRestErrHeader(app.window, std::exchange(s.lpRestErrorHeader, fresh));
    return true;
}

// 40012. The run fills a fresh error record that replaces the previous one only when the
// run completes; a run that does not complete gives back what it changed and keeps the
// previous results.
void simulate(Application& app)
{
    AppState& s = app.state;
    s.wLostDataLevel = s.wLostDataSetting;
    s.wMakeEnergyLevel = s.wMakeEnergyDefault;
    s.wProcEnergyLevel = s.wProcEnergyDefault;
    s.dwDialogAccepted = 0;
    SimulationUndo undo(app.window);
    if (!undo.save(s)) return;
    enterParameters(app);
    if (s.dwDialogAccepted == 0) return;
    showMessage(app.window, summaryText(s), "getPulseEstAsRepeats");
    if (!prepareAndRun(app)) {
        undo.restore(s);
        return;
    }
    showSimulation(app);
}

// 40015: the statistics dialog of the task type, the view selector, and the repaint.
void showSimulation(Application& app)
{
    AppState& s = app.state;
    if (s.lpRestErrorHeader == nullptr || s.lpRestErrorHeader->ifComplete == 0) return;
    s.wResultKind = 2;
    runStatisticsDialog(app.window, s, s.wTaskType == task_type::recognition);
    deriveStatView(s);
    repaintGraph(app);
    repaintEnlarged(app, s.rcButtonColumn);
    s.dwRepaintButtonColumn = 0;
    repaintFlaggedBoxes(app);
    s.dwViewMode = 6;
}

} // namespace

bool runSimulationCommand(Application& app, std::uint16_t id)
{
    switch (id) {
    case command::statisticalSimulation: simulate(app); return true;
    case command::simulationParameters: enterParameters(app); return true;
    case command::showStatisticalSimulation: showSimulation(app); return true;
    default: return false;
    }
}

} // namespace mirokel
