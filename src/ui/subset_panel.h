// View mode 9, the subset selection panel: the pulses in use as cells, the strip of the
// composed subset and the row of buttons; in processing mode 40 also the reserved subsets
// in two columns, the current one in red. Also the raised text button of the panel.
#pragma once

#include "app/app_state.h"
#include "platform/canvas.h"
#include "platform/window.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace mirokel {

// Background of the panel and of its buttons.
constexpr Color subsetPanelColor{235, 240, 225};

// The labels of the panel's buttons, in the order of ButtonsWhileSelectedSubsetRect. The
// plain panel shows the first four, the tuple panel all six.
namespace subset_button {
constexpr std::int32_t deleteAll = 0, deleteMarked = 1, cancel = 2, ok = 3, accept = 4, clearAll = 5;
constexpr std::int32_t plainCount = 4, tupleCount = 6;
} // namespace subset_button
constexpr std::array<std::string_view, subset_button::tupleCount> apszSubsetButtons{
    " Delete All ", " Delete ", " Cancel ", " OK ", " Accept ", " Clear All "};

// The plain panel (processing modes other than 40) in rcGraph, from the state: the
// wRequiredCount pulses of lpRequiredList, the composed subset, the four buttons. Needs the
// layout of the current paint (rcGraph, dwLineHeight, dwCharWidth); the etalon shapes,
// wPulsesListCapacity E (cells) and wMaxPulses S (strip slots) come from lpSeriesHeader;
// without a series both count as 0. Prepares the panel's storage when it is absent and
// creates ButtonsWhileSelectedSubsetRect (8 entries) when absent. Stores arcSubsetCells
// (E of them), rcSubsetStrip, possibleSubsetRect (min(S, 10) slots, or dwSubsetSize when
// more members were composed, so that each member shows in a slot), the button
// rectangles and dwPanelButtons = 4. Returns 1, or 0 when nothing was drawn because an allocation failed
// (message shown, the panel's whole storage released).
std::int32_t drawSubsetPanel(Window& window, Canvas& canvas, AppState& state);

// The tuple panel (processing mode 40): as drawSubsetPanel with six buttons (the array
// created with 6 entries), then the reserved subsets with their frames and member
// rectangles stored in possibleSubsetArrayRect. When dwJustAccepted is 1 every member of
// the composed subset is marked first; dwJustAccepted is 0 at the end.
std::int32_t drawTupleSubsetPanel(Window& window, Canvas& canvas, AppState& state);

// A raised text button over `rect` (l, t, r, b; the frame covers columns l … r and rows
// t … b) with the canvas's current brush, its label centred horizontally and placed by the
// line height of the current font. The pen is left as it was.
void drawRaisedButton(Canvas& canvas, const Rect& rect, std::string_view label);

} // namespace mirokel
