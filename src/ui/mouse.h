// The left mouse button and the keys of the main window. A press is hit-tested against
// the rectangles the last paint stored: first the targets of the view mode, then the three
// value selectors. Releases and moves matter only to the series parameters view. The first hit changes the state and sends at most one command, which
// runs to completion before the handler returns.
#pragma once

#include "app/application.h"
#include "platform/rect.h"

#include <cstdint>

namespace mirokel {

// A press of the left button at the client point (x, y). flag: the key state that came
// with the event; no target depends on it.
void onLButtonDown(Application& app, std::int32_t flag, std::int16_t x, std::int16_t y);

// A release of the left button and a move of the pointer at the client point (x, y):
// only the series parameters view (view mode 10) acts on them, ending or going on with a
// drag and following the pointer over its handles and lines.
void onLButtonUp(Application& app, std::int16_t x, std::int16_t y);
void onMouseMove(Application& app, std::int16_t x, std::int16_t y);

// Enter in the Tmin entry of the series parameters view: acts as its " OK ".
void onTminEditEnter(Application& app);

// A key press. key: the code the platform mapped the key to; 0 and 1 repaint the whole
// window with erasing, every other code is ignored.
void onKeyDown(Application& app, std::int32_t key);

// Whether (x, y) lies in `area`, all four edges included.
bool pointInRect(const Rect& area, std::int32_t x, std::int32_t y);

} // namespace mirokel
