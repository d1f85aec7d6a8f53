// The paint handler of the main window: lays the window out, draws the view of the view
// mode, the button faces and the value selectors.
#pragma once

#include "app/app_state.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

// Paints the client area from the state. The platform has begun painting and set the
// canvas's clip; this selects the window font (restored at the end), stores its line
// height and character width and every layout member, and draws in this order: the view
// of dwViewMode, its button faces, the selectors. clientWidth, clientHeight: R and B.
// The clock gives the local-time texts of the statistics view.
void onPaint(Window& window, AppState& state, Canvas& canvas, Clock& clock, std::int32_t clientWidth,
             std::int32_t clientHeight);

} // namespace mirokel
