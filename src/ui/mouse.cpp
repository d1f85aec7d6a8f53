// The press handler of the main window, one group of targets per view mode followed by
// the value selectors, and the key handler.
#include "ui/mouse.h"

#include "app/command_ids.h"
#include "app/subset_panel_state.h"
#include "ui/layout.h"
#include "ui/params_view_input.h"
#include "ui/subset_panel_clicks.h"

#include <algorithm>
#include <span>

namespace mirokel {

namespace {

constexpr std::int32_t alphabetView = 5, resultView = 6, subsetPanelView = 9, paramsView = 10;
constexpr std::int16_t fullEnergy = 100; // percent
constexpr std::int32_t noHit = -1;

// Key codes that ask for a full repaint.
constexpr std::int32_t repaintKeyFirst = 0, repaintKeyLast = 1;

std::size_t alphabetCount(const AppState& s) { return std::min<std::size_t>(s.wAlphabetSize, alphabetSlots); }

void clearSelectorRepaints(AppState& s)
{
    s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = s.dwRepaintLostDataBox = 0;
}

// The first of the first `count` rectangles that holds the point.
std::int32_t rectAt(std::span<const Rect> rects, std::int32_t count, std::int32_t x, std::int32_t y)
{
    const auto n = std::min<std::int32_t>(count, static_cast<std::int32_t>(rects.size()));
    for (std::int32_t i = 0; i < n; ++i)
        if (pointInRect(rects[static_cast<std::size_t>(i)], x, y)) return i;
    return noHit;
}

// ---- Shared steps ----

void openSubsetPanel(Application& app)
{
    app.state.dwViewMode = subsetPanelView;
    onCommand(app, command::selectSetOfPulses);
}

// The next data is built and processed and shown in the result view; the selectors keep
// their pictures and the button column is redrawn.
void processNextData(Application& app)
{
    AppState& s = app.state;
    s.dwViewMode = resultView;
    clearSelectorRepaints(s);
    s.dwRepaintButtonColumn = 1;
    onCommand(app, command::nextData);
}

// "Restart": tuple series go back to the subset panel, the others to the alphabet panel.
void restart(Application& app)
{
    AppState& s = app.state;
    if (isTupleSeriesType(s.wSeriesType)) {
        openSubsetPanel(app);
        return;
    }
    s.dwViewMode = alphabetView;
    s.dwRepaintButtonColumn = 1;
    onCommand(app, command::repaintGraphAndButtons);
}

// "Select All" or "Unselect All", whichever face the last paint showed; both lead to the
// alphabet panel. repaintColumn: the button column changes too (leaving another view).
bool clickSelectFace(Application& app, std::int32_t x, std::int32_t y, bool repaintColumn)
{
    AppState& s = app.state;
    if (!hasSelectFace(s.wProcessingMode)) return false;
    if (s.dwSelectAllShown == 1 && pointInRect(s.rcSelectAllButton, x, y)) {
        std::fill_n(s.awEtalonInUse.begin(), alphabetCount(s), std::uint16_t{1});
        setListFromInUseFlags(s); // 1, 2, …, wAlphabetSize
    } else if (s.dwSelectAllShown == 0 && pointInRect(s.rcUnselectAllButton, x, y)) {
        s.awEtalonInUse.fill(0);
        s.wRequiredCount = 0;
    } else {
        return false;
    }
    s.dwViewMode = alphabetView;
    if (repaintColumn) s.dwRepaintButtonColumn = 1;
    onCommand(app, command::repaintGraphAndButtons);
    return true;
}

// ---- View mode 5: the alphabet panel ----

void clickAlphabetCell(Application& app, std::size_t i)
{
    AppState& s = app.state;
    if (s.wProcessingMode == task_type::detection) {
        // Detection works on one etalon: the clicked one becomes the only one in use.
        if (s.awEtalonInUse[i] != 1) {
            std::fill_n(s.awEtalonInUse.begin(), alphabetCount(s), std::uint16_t{0});
            s.awEtalonInUse[i] = 1;
        }
        s.dwRepaintButtonColumn = 1;
        clearSelectorRepaints(s);
    } else {
        s.awEtalonInUse[i] = s.awEtalonInUse[i] == 1 ? 0 : 1;
    }
    s.dwViewMode = alphabetView;
    setListFromInUseFlags(s);
    s.dwPreviousEtalon = s.dwSelectedEtalon;
    s.dwSelectedEtalon = static_cast<std::int32_t>(i) + 1;
    onCommand(app, command::repaintSelectedCell);
}

// "Next" on the alphabet panel: the etalons in use become the list; a tuple series without
// a composed subset goes to the subset panel first, no etalon in use leaves everything as
// it is.
void nextFromAlphabet(Application& app)
{
    AppState& s = app.state;
    setListFromInUseFlags(s);
    if (isTupleSeriesType(s.wSeriesType) && s.dwSubsetSize == 0) {
        // Shown at once, as the same press does in the result and series parameters views.
        openSubsetPanel(app);
        return;
    }
    if (s.wRequiredCount == 0) {
        s.dwViewMode = alphabetView;
        onCommand(app, command::nothing207);
        return;
    }
    processNextData(app);
}

bool clickAlphabetTargets(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    const auto cell = rectAt(s.arcAlphabetCells, static_cast<std::int32_t>(alphabetCount(s)), x, y);
    if (cell != noHit) {
        clickAlphabetCell(app, static_cast<std::size_t>(cell));
        return true;
    }
    if (pointInRect(s.rcNextButton, x, y)) {
        nextFromAlphabet(app);
        return true;
    }
    if (pointInRect(s.rcExitButton, x, y)) {
        onCommand(app, command::exitRequest);
        return true;
    }
    return clickSelectFace(app, x, y, false);
}

// ---- View mode 6, also after the panel's own targets in view mode 9 ----

// A reserved subset listed by the result view of tuple recognition becomes the current one
// and is handed to the series before the next data.
bool clickReservedListEntry(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    if (!isTupleSeriesType(s.wSeriesType) || s.wProcessingMode != processing_mode::tupleRecognition) return false;
    if (s.lpReservedListRect == nullptr) return false;
    const std::int32_t count = std::min(s.dwReservedCount, s.dwReservedCapacity);
    const std::int32_t entry = rectAt(std::span<const Rect>(s.lpReservedListRect, static_cast<std::size_t>(count)),
                                      count, x, y);
    if (entry == noHit) return false;
    s.dwCurrentReserved = entry + 1;
    handSubsetsToSeries(app.window, s);
    onCommand(app, command::nextData);
    return true;
}

// "Next" in the result view or the panel: a subset is composed first for a fixed tuple
// series; in the panel the subset is committed, and with nothing to commit the panel stays.
void nextFromResult(Application& app, bool inPanel)
{
    AppState& s = app.state;
    if (s.wSeriesType == series_type::fixedTuples && s.dwSubsetSize == 0) {
        openSubsetPanel(app);
        return;
    }
    if (inPanel && !commitSubsetPanel(app.window, s)) {
        onCommand(app, command::repaintReservedRows);
        return;
    }
    processNextData(app);
}

bool clickResultTargets(Application& app, std::int32_t x, std::int32_t y, bool inPanel)
{
    AppState& s = app.state;
    if (!inPanel && clickReservedListEntry(app, x, y)) return true;
    if (pointInRect(s.rcRestartButton, x, y)) {
        restart(app);
        return true;
    }
    if (pointInRect(s.rcNextButton, x, y)) {
        nextFromResult(app, inPanel);
        return true;
    }
    if (pointInRect(s.rcExitButton, x, y)) {
        onCommand(app, command::exitRequest);
        return true;
    }
    return clickSelectFace(app, x, y, true);
}

// ---- View mode 10: the targets it shares with the other views ----

bool clickParamsViewSharedTargets(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    if (pointInRect(s.rcRestartButton, x, y)) {
        restart(app);
        return true;
    }
    if (pointInRect(s.rcNextButton, x, y)) {
        if (isTupleSeriesType(s.wSeriesType) && s.dwSubsetSize == 0) {
            openSubsetPanel(app);
        } else {
            processNextData(app);
        }
        return true;
    }
    if (pointInRect(s.rcExitButton, x, y)) {
        onCommand(app, command::exitRequest);
        return true;
    }
    return clickSelectFace(app, x, y, true);
}

// ---- The value selectors ----

// The next data with the new choice: the button column repaints unless the result view is
// already shown.
void processChoice(Application& app)
{
    AppState& s = app.state;
    s.dwRepaintButtonColumn = s.dwViewMode == resultView ? 0 : 1;
    s.dwViewMode = resultView;
    onCommand(app, command::nextData);
}

// After a series length or noise choice: a tuple series without a composed subset goes to
// the panel; in the panel the subset is committed first and with nothing to commit the
// panel stays.
void processChoiceOfTupleAwareSelector(Application& app)
{
    AppState& s = app.state;
    if (isTupleSeriesType(s.wSeriesType) && s.dwSubsetSize == 0) {
        openSubsetPanel(app);
        return;
    }
    if (s.dwViewMode == subsetPanelView && !commitSubsetPanel(app.window, s)) {
        onCommand(app, command::repaintReservedRows);
        return;
    }
    processChoice(app);
}

// Each selector: the chosen index changes at once; without an etalon in use the choices
// are only applied and the window repainted. A box repaints after processing only when its
// choice changed.
void chooseSeriesLengthOption(Application& app, std::int32_t option)
{
    AppState& s = app.state;
    const std::int32_t previous = s.dwSeriesLengthIndex;
    s.dwSeriesLengthIndex = option + 1;
    if (s.wRequiredCount == 0) {
        onCommand(app, command::applySelectors);
        return;
    }
    chooseSeriesLength(s, dwSeriesLengthTable[static_cast<std::size_t>(option + 1)]);
    s.dwRepaintSeriesLengthBox = previous != option + 1 ? 1 : 0;
    processChoiceOfTupleAwareSelector(app);
}

void chooseNoiseOption(Application& app, std::int32_t option)
{
    AppState& s = app.state;
    const std::int32_t previous = s.dwNoiseLevelIndex;
    s.dwNoiseLevelIndex = option + 1;
    if (s.wRequiredCount == 0) {
        onCommand(app, command::applySelectors);
        return;
    }
    s.wNoiseSetting = static_cast<std::int16_t>(dwNoiseLevelTable[static_cast<std::size_t>(option + 1)]);
    s.dwRepaintNoiseBox = previous != option + 1 ? 1 : 0;
    processChoiceOfTupleAwareSelector(app);
}

// Lost data exists only for cut-off series, which are never tuple series.
void chooseLostDataOption(Application& app, std::int32_t option)
{
    AppState& s = app.state;
    const std::int32_t previous = s.dwLostDataIndex;
    s.dwLostDataIndex = option + 1;
    if (s.wRequiredCount == 0) {
        onCommand(app, command::applySelectors);
        return;
    }
    s.wLostDataSetting = static_cast<std::int16_t>(dwLostDataTable[static_cast<std::size_t>(option + 1)]);
    s.wMakeEnergyDefault = s.wProcEnergyDefault = static_cast<std::int16_t>(fullEnergy - s.wLostDataSetting);
    s.dwRepaintLostDataBox = previous != option + 1 ? 1 : 0;
    processChoice(app);
}

void clickSelectors(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    if (const auto option = rectAt(s.arcSeriesLengthOptions, dwSeriesLengthTable[0], x, y); option != noHit) {
        chooseSeriesLengthOption(app, option);
        return;
    }
    if (const auto option = rectAt(s.arcNoiseOptions, dwNoiseLevelTable[0], x, y); option != noHit) {
        chooseNoiseOption(app, option);
        return;
    }
    if (s.wSeriesType == series_type::unfixedCutOff || s.wSeriesType == series_type::fixedCutOff) {
        if (const auto option = rectAt(s.arcLostDataOptions, dwLostDataTable[0], x, y); option != noHit) {
            chooseLostDataOption(app, option);
            return;
        }
    }
    onCommand(app, command::nothing207);
}

} // namespace

bool pointInRect(const Rect& area, std::int32_t x, std::int32_t y)
{
    return area.left <= x && x <= area.right && area.top <= y && y <= area.bottom;
}

void onLButtonDown(Application& app, [[maybe_unused]] std::int32_t flag, std::int16_t x, std::int16_t y)
{
    bool handled = false;
    switch (app.state.dwViewMode) {
    case alphabetView: handled = clickAlphabetTargets(app, x, y); break;
    case resultView: handled = clickResultTargets(app, x, y, false); break;
    case subsetPanelView: handled = onSubsetPanelClick(app, x, y) || clickResultTargets(app, x, y, true); break;
    case paramsView: handled = onParamsViewPress(app, x, y) || clickParamsViewSharedTargets(app, x, y); break;
    default: break; // view modes 7 and 8 have only the selectors
    }
    if (!handled) clickSelectors(app, x, y);
}

void onLButtonUp(Application& app, std::int16_t x, std::int16_t y)
{
    if (app.state.dwViewMode == paramsView) onParamsViewRelease(app, x, y);
}

void onMouseMove(Application& app, std::int16_t x, std::int16_t y)
{
    if (app.state.dwViewMode == paramsView) onParamsViewMove(app, x, y);
}

void onTminEditEnter(Application& app)
{
    if (app.state.dwViewMode == paramsView && app.state.lpParamsHeader != nullptr) acceptParamsViewTmin(app);
}

void onKeyDown(Application& app, std::int32_t key)
{
    if (key >= repaintKeyFirst && key <= repaintKeyLast) app.window.services.invalidateAll();
}

} // namespace mirokel
