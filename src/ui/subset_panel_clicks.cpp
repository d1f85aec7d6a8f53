// Clicks on the subset selection panel: composing the subset from the pulse cells, marking
// and deleting members, reserving subsets, and leaving the panel with or without a commit.
#include "ui/subset_panel_clicks.h"

#include "app/command_ids.h"
#include "app/subset_panel_state.h"
#include "ui/mouse.h"

#include <algorithm>

namespace mirokel {

namespace {

constexpr std::int32_t resultView = 6;

// Indexes of ButtonsWhileSelectedSubsetRect, in label order.
enum PanelButton : std::int32_t { deleteAll = 0, deleteMarked = 1, cancel = 2, ok = 3, accept = 4, clearAll = 5 };
constexpr std::int32_t plainPanelButtons = 4; // " Accept " and " Clear All " need more
constexpr std::int32_t labelledButtons = 6;   // buttons with a label and an action

constexpr std::int32_t noHit = -1;

bool storageReady(const AppState& s)
{
    return s.dwSubsetCapacity > 0 && s.selectedSubset != nullptr && s.adwSubsetMarks != nullptr &&
           s.possibleSubsetRect != nullptr;
}

// Members and marks zeroed, no member left.
void clearComposedSubset(AppState& s)
{
    std::fill_n(s.selectedSubset, s.dwSubsetCapacity, 0);
    std::fill_n(s.adwSubsetMarks, s.dwSubsetCapacity, 0);
    s.dwSubsetSize = 0;
}

// The pulse cell (index into lpRequiredList) under the point.
std::int32_t pulseCellAt(const AppState& s, std::int32_t x, std::int32_t y)
{
    if (s.lpRequiredList == nullptr) return noHit;
    const auto cells = std::min<std::int32_t>(s.wRequiredCount, static_cast<std::int32_t>(s.arcSubsetCells.size()));
    for (std::int32_t i = 0; i < cells; ++i)
        if (pointInRect(s.arcSubsetCells[static_cast<std::size_t>(i)], x, y)) return i;
    return noHit;
}

// The panel button under the point; the last two only in the tuple panel.
std::int32_t panelButtonAt(const AppState& s, std::int32_t x, std::int32_t y)
{
    if (s.ButtonsWhileSelectedSubsetRect == nullptr) return noHit;
    const std::int32_t buttons = s.dwPanelButtons > plainPanelButtons ? labelledButtons : plainPanelButtons;
    for (std::int32_t b = 0; b < buttons; ++b)
        if (pointInRect(s.ButtonsWhileSelectedSubsetRect[b], x, y)) return b;
    return noHit;
}

// The kept reserved row whose frame is under the point.
std::int32_t reservedRowAt(const AppState& s, std::int32_t x, std::int32_t y)
{
    if (s.possibleSubsetArrayRect == nullptr) return noHit;
    const std::int32_t rows = std::min(s.dwReservedCount, s.dwReservedCapacity);
    for (std::int32_t i = 0; i < rows; ++i)
        if (pointInRect(s.possibleSubsetArrayRect[i][s.dwSubsetCapacity], x, y)) return i;
    return noHit;
}

// Removes every marked member of the composed subset, from the last to the first; the
// later members and their marks move down by one each time.
void removeMarkedMembers(AppState& s)
{
    for (std::int32_t j = s.dwSubsetSize - 1; j >= 0; --j) {
        if (s.adwSubsetMarks[j] != 1) continue;
        const std::int32_t last = s.dwSubsetSize - 1;
        std::copy(s.selectedSubset + j + 1, s.selectedSubset + s.dwSubsetSize, s.selectedSubset + j);
        std::copy(s.adwSubsetMarks + j + 1, s.adwSubsetMarks + s.dwSubsetSize, s.adwSubsetMarks + j);
        s.selectedSubset[last] = 0; // the vacated slot holds no member
        s.adwSubsetMarks[last] = 0;
        --s.dwSubsetSize;
    }
}

// A pulse cell: the marked members make room, then the pulse is appended unmarked while a
// slot is free.
void clickPulseCell(Application& app, std::int32_t cell)
{
    AppState& s = app.state;
    removeMarkedMembers(s);
    if (s.dwSubsetSize < s.dwSubsetCapacity) {
        s.selectedSubset[s.dwSubsetSize] = s.lpRequiredList[cell];
        s.adwSubsetMarks[s.dwSubsetSize] = 0;
        ++s.dwSubsetSize;
    }
    onCommand(app, command::repaintStrip);
}

// The strip: the member under the point becomes the only marked one; elsewhere no member
// stays marked.
void clickStrip(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    std::fill_n(s.adwSubsetMarks, s.dwSubsetCapacity, 0);
    for (std::int32_t j = 0; j < s.dwSubsetSize; ++j) {
        if (pointInRect(s.possibleSubsetRect[j], x, y)) {
            s.adwSubsetMarks[j] = 1;
            break;
        }
    }
    onCommand(app, command::repaintStrip);
}

void leaveWithoutCommit(Application& app)
{
    AppState& s = app.state;
    clearComposedSubset(s);
    s.dwViewMode = resultView;
    s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = s.dwRepaintLostDataBox = 0;
    onCommand(app, command::nextData);
}

// " OK ": with nothing to commit the panel stays and only its rows and strip repaint.
void leaveWithCommit(Application& app)
{
    AppState& s = app.state;
    if (!commitSubsetPanel(app.window, s)) {
        onCommand(app, command::repaintReservedRows);
        return;
    }
    s.dwRepaintButtonColumn = 1;
    s.dwViewMode = resultView;
    s.dwRepaintLostDataBox = 0;
    onCommand(app, command::nextData);
}

// " Accept ": the composed subset becomes the newest reserved subset and the current one;
// with every row taken nothing is stored and the last row becomes the current one.
void acceptSubset(Application& app)
{
    AppState& s = app.state;
    s.dwJustAccepted = 1;
    s.dwReservedCount = reserveSubset(s.selectedSubset, s.dwSubsetSize, s.selectedSubsetArraySize,
                                      s.lpReservedSubsets, s.dwReservedCount, s.dwReservedCapacity);
    s.dwCurrentReserved = s.dwReservedCount;
    onCommand(app, command::repaintReservedRows);
}

void clearReservedSubsets(Application& app)
{
    AppState& s = app.state;
    s.dwJustAccepted = 1;
    s.dwReservedCount = 0;
    onCommand(app, command::repaintReservedRows);
}

void clickPanelButton(Application& app, std::int32_t button)
{
    AppState& s = app.state;
    switch (button) {
    case deleteAll:
        clearComposedSubset(s);
        onCommand(app, command::repaintStrip);
        break;
    case deleteMarked:
        removeMarkedMembers(s);
        onCommand(app, command::repaintStrip);
        break;
    case cancel: leaveWithoutCommit(app); break;
    case ok: leaveWithCommit(app); break;
    case accept: acceptSubset(app); break;
    case clearAll: clearReservedSubsets(app); break;
    default: break;
    }
}

} // namespace

bool onSubsetPanelClick(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    if (!storageReady(s)) return false;
    if (const std::int32_t cell = pulseCellAt(s, x, y); cell != noHit) {
        clickPulseCell(app, cell);
        return true;
    }
    if (pointInRect(s.rcSubsetStrip, x, y)) {
        clickStrip(app, x, y);
        return true;
    }
    if (const std::int32_t button = panelButtonAt(s, x, y); button != noHit) {
        clickPanelButton(app, button);
        return true;
    }
    if (const std::int32_t row = reservedRowAt(s, x, y); row != noHit) {
        s.dwCurrentReserved = row + 1;
        onCommand(app, command::repaintReservedRows);
        return true;
    }
    return false;
}

} // namespace mirokel
