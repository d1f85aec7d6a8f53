// Settings, selection, file and repaint commands.
#include "app/application.h"
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "app/subset_panel_state.h"
#include "export/snapshot.h"
#include "model/params_header.h"
#include "model/subsets.h"

#include <algorithm>

namespace mirokel {

namespace {

void checkOnly(Application& app, std::span<const std::uint16_t> items, std::uint16_t checked)
{
    for (const std::uint16_t item : items) app.window.services.checkMenuItem(item, item == checked);
}

// " New pulses... ": repairs the list, lets the user edit it, and derives the in-use
// flags from it, whether the dialog was accepted or not.
void editRequiredList(Application& app)
{
    AppState& s = app.state;
    if (s.lpRequiredList == nullptr || s.wRequiredCount > s.wRequiredCapacity) {
        s.wRequiredCount = s.wAlphabetSize;
        s.lpRequiredList = getRequiredList(app.window, s.wRequiredCount, s.lpRequiredList);
        s.wRequiredCapacity = s.wRequiredCount;
        if (s.lpRequiredList == nullptr) {
            s.wRequiredCount = s.wRequiredCapacity = 0;
            return;
        }
    }
    runRequiredEtalonsDialog(app.window, s);
    for (std::uint16_t i = 0; i < s.wRequiredCount; ++i)
        if (s.lpRequiredList[i] > s.wAlphabetSize) s.lpRequiredList[i] = static_cast<std::uint16_t>(i + 1);
    std::uint16_t* end = s.lpRequiredList + s.wRequiredCount;
    for (std::uint16_t i = 0; i < s.wRequiredCapacity && i < alphabetSlots; ++i)
        s.awEtalonInUse[i] = std::find(s.lpRequiredList, end, static_cast<std::uint16_t>(i + 1)) != end ? 1 : 0;
}

void selectTaskType(Application& app, std::uint16_t item, std::uint16_t taskType)
{
    AppState& s = app.state;
    s.wTaskType = taskType;
    checkOnly(app, command::taskTypeItems, item);
    const bool tuples = s.wSeriesType == series_type::fixedTuples || s.wSeriesType == series_type::unfixedTuples;
    if (taskType == task_type::detection && !tuples) {
        // Detection works on the one selected etalon.
        s.wProcessingMode = task_type::detection;
        std::fill_n(s.awEtalonInUse.begin(), std::min<std::size_t>(s.wAlphabetSize, alphabetSlots), 0);
        if (s.dwSelectedEtalon >= 1 && s.dwSelectedEtalon <= s.wAlphabetSize)
            s.awEtalonInUse[static_cast<std::size_t>(s.dwSelectedEtalon - 1)] = 1;
        setListFromInUseFlags(s);
    } else {
        s.wProcessingMode = processingModeFor(taskType, s.wSeriesType);
    }
    if (taskType == task_type::seriesProcessing) s.wResultKind = 1;
}

void selectSeriesType(Application& app, std::uint16_t item, std::uint16_t seriesType)
{
    AppState& s = app.state;
    s.wSeriesType = seriesType;
    checkOnly(app, command::seriesTypeItems, item);
    if (seriesType != series_type::fixedCutOff && seriesType != series_type::unfixedCutOff) resetWholePulseLevels(s);
}

// " Subset settings ...": the dialog, then the composed subset or the reserved subsets are
// handed to the series, whether the dialog was accepted or not.
void editSubsetSettings(Application& app)
{
    runSubsetSettingsDialog(app.window, app.state);
    handSubsetsToSeries(app.window, app.state);
}

// 211: the selector choices become the settings; the series in force keeps its values
// until the next build.
void applySelectors(Application& app)
{
    AppState& s = app.state;
    chooseSeriesLength(s, dwSeriesLengthTable[static_cast<std::size_t>(s.dwSeriesLengthIndex)]);
    s.wNoiseSetting = static_cast<std::int16_t>(dwNoiseLevelTable[static_cast<std::size_t>(s.dwNoiseLevelIndex)]);
    s.wLostDataSetting = static_cast<std::int16_t>(dwLostDataTable[static_cast<std::size_t>(s.dwLostDataIndex)]);
    s.wMakeEnergyDefault = s.wProcEnergyDefault = static_cast<std::int16_t>(100 - s.wLostDataSetting);
    app.window.services.invalidateAll();
}

// An alphabet cell enlarged by 1 to the left and top and 3 to the right and bottom.
void repaintCell(Application& app, std::int32_t etalon)
{
    if (etalon < 1 || etalon > static_cast<std::int32_t>(alphabetSlots)) return;
    const Rect& c = app.state.arcAlphabetCells[static_cast<std::size_t>(etalon - 1)];
    app.window.services.invalidate({c.left - 1, c.top - 1, c.right + 3, c.bottom + 3}, true);
}

void repaintReservedRows(Application& app)
{
    AppState& s = app.state;
    for (std::int32_t i = 0; i < s.dwReservedCapacity && s.possibleSubsetArrayRect != nullptr; ++i)
        repaintRect(app, s.possibleSubsetArrayRect[i][s.dwSubsetCapacity]);
    repaintRect(app, s.rcSubsetStrip);
}

} // namespace

bool runSettingsCommand(Application& app, std::uint16_t id)
{
    AppState& s = app.state;
    switch (id) {
    case command::newPulses: editRequiredList(app); return true;
    case command::detection: selectTaskType(app, id, task_type::detection); return true;
    case command::recognition: selectTaskType(app, id, task_type::recognition); return true;
    case command::jointDetection: selectTaskType(app, id, task_type::jointDetection); return true;
    case command::seriesProcessing: selectTaskType(app, id, task_type::seriesProcessing); return true;
    case command::fixedWhole: selectSeriesType(app, id, series_type::fixedWhole); return true;
    case command::unfixedWhole: selectSeriesType(app, id, series_type::unfixedWhole); return true;
    case command::fixedCutOff: selectSeriesType(app, id, series_type::fixedCutOff); return true;
    case command::unfixedCutOff: selectSeriesType(app, id, series_type::unfixedCutOff); return true;
    case command::fixedTuples: selectSeriesType(app, id, series_type::fixedTuples); return true;
    case command::unfixedTuples: selectSeriesType(app, id, series_type::unfixedTuples); return true;
    case command::selectSetOfPulses:
        s.dwViewMode = 9;
        repaintGraph(app);
        return true;
    case command::viewSeriesParameters:
        s.dwViewMode = 10;
        s.lpParamsHeader = getParamsHeader(app.window, s.lpSeriesHeader, s.lpParamsHeader);
        repaintGraph(app);
        return true;
    case command::saveImage: MakeSnapshot(app.window, s.szSnapshotFileName); return true;
    case command::saveResults: saveResults(app); return true;
    case command::exit:
    case command::exitRequest: app.window.services.closeWindow(); return true;
    case command::subsetSettings: editSubsetSettings(app); return true;
    case command::drawingSettings: runDrawingSettingsDialog(app.window, s); return true;
    case command::repaintWindow: app.window.services.invalidateAll(); return true;
    case command::applySelectors: applySelectors(app); return true;
    case command::repaintSelectedCell:
        repaintCell(app, s.dwSelectedEtalon);
        if (s.wProcessingMode == task_type::detection) {
            repaintCell(app, s.dwPreviousEtalon);
        } else {
            repaintRect(app, s.rcSelectAllButton);
        }
        return true;
    case command::repaintGraphAndButtons:
        repaintGraph(app);
        if (s.wProcessingMode != task_type::detection) repaintRect(app, s.rcSelectAllButton);
        if (s.dwRepaintButtonColumn == 1) {
            repaintEnlarged(app, s.rcButtonColumn);
            s.dwRepaintButtonColumn = 0;
        }
        return true;
    case command::repaintStrip: repaintRect(app, s.rcSubsetStrip); return true;
    case command::repaintGraph: repaintGraph(app); return true;
    case command::repaintGraphNoErase: repaintGraph(app, false); return true;
    case command::repaintReservedRows: repaintReservedRows(app); return true;
    default: return false; // 40014, 207, 217, 219, 220 and unknown ids do nothing
    }
}

} // namespace mirokel
