// View mode 10, the series parameters view: the admissible start positions of the pulses
// of a series as a diagram, pulse number k across and start position p up, bounded by
// four lines (from a+ with steps of Tmax, back from b with steps of Tmin, from a with
// steps of Tmin, back from b− with steps of Tmax); the pulse counts to pick under the
// axis, the dotted levels a+ and b− to drag, a readout of the values, the Tmin entry and
// the buttons " Cancel " and " OK ".
#pragma once

#include "app/app_state.h"
#include "model/params_header.h"
#include "platform/canvas.h"
#include "platform/window.h"

namespace mirokel {

// Near-white: what the incremental paint draws old lines and dots again with.
constexpr Color paramsEraseColor{250, 250, 250};

// Draws the view of `params` in rcGraph with the layout of the current paint (rcGraph,
// dwLineHeight, dwCharWidth). While dwRedraw is 1 it draws over the previous picture:
// the background and frames are kept, and what changed since the last paint is erased
// first (old lines and dots drawn again in near-white, old value labels covered, the
// pulse numbers above a decreased pulse count cleared). Stores what the mouse handling
// tests and the next paint compares with (rcFrame, rcPlot, the pick rectangles, the
// handles, the hit lines, the lines, dots, labels and marker as drawn, the values as
// drawn), rcParamsCancel and rcParamsOk, shows the Tmin entry beside " Tmin ", and sets
// dwRedraw to 0. Draws nothing without a record.
void drawParamsView(Window& window, Canvas& canvas, AppState& state, ParamsHeader* params);

} // namespace mirokel
