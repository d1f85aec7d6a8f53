// The pointer and the Tmin entry in the series parameters view (view mode 10): the hit
// tests of the two lines the user drags, the interval or level a point gives, whether an
// interval may be set, and the presses, moves and releases. Drags and picks change only
// the view's record and repaint the graph without erasing, so that the next paint is
// incremental; " OK " and " Cancel " leave the view and start the next data.
#pragma once

#include "app/application.h"
#include "model/params_header.h"

#include <cstdint>
#include <string>

namespace mirokel {

// Whether (x, y) lies on the hit line lnTmax (lnTmin): x from the line's left to its right
// end, y within h of the line's height at x. A line whose two ends share an x is never hit.
bool hitTmaxLine(std::int32_t x, std::int32_t y, const ParamsHeader& params);
bool hitTminLine(std::int32_t x, std::int32_t y, const ParamsHeader& params);

// The interval the dragged Tmax line would have if it passed through (x, y): the slope from
// (pulse 1, a+) to the point, rounded; the Tmin line: the slope from the point to
// (pulse M, b). 0 when the pointer is not over that line (dwHoverTmax, dwHoverTmin 0) or
// the point gives no positive denominator. Worked in 64 bits: the products of the plot's
// size and the series' positions outgrow 32 bits on large screens.
std::int32_t tmaxFromPoint(std::int32_t x, std::int32_t y, const ParamsHeader& params);
std::int32_t tminFromPoint(std::int32_t x, std::int32_t y, const ParamsHeader& params);

// Whether a dragged interval v is admissible. With c(T) the fewest pulses that span from
// a+ to b− with steps of at most T (1 when a+ ≥ b−) and n(T) the most pulses with steps of
// at least T: acceptTmin(v) when v lies from the pulse length to Tmax and
// c(Tmax) ≤ M ≤ n(v); acceptTmax(v) when v lies above Tmin up to b− and
// c(v) ≤ M ≤ n(Tmin). An interval of 0 or less is never admissible.
bool acceptTmin(std::int32_t value, const ParamsHeader& params);
bool acceptTmax(std::int32_t value, const ParamsHeader& params);

// The level of a dragged a+ or b− at height y of the plot: a at the plot's bottom, b at
// its top, not bounded; a when the plot has no height.
std::int32_t levelFromPoint(std::int32_t y, const ParamsHeader& params);

// The Tmin typed into the entry as " OK " reads it: at most 100 characters, leading
// blanks, an optional sign, then the decimal digits up to the first other character (0
// without a digit), kept in 16 bits as wTmin keeps it.
std::uint16_t readTypedTmin(const std::string& text);

// A press on one of the view's own targets, in this order: " Cancel ", " OK ", a pulse
// count under the axis, the a+ handle, the b− handle, the Tmin line, the Tmax line. True
// when one was hit (its change made, its command run); false when none was, and always
// while there is no record.
bool onParamsViewPress(Application& app, std::int32_t x, std::int32_t y);

// " OK ", also Enter in the entry: a typed Tmin that the series builder can use becomes
// wTmin, the entry is hidden and the next data starts (or the subset panel opens for a
// tuple series without a composed subset). A Tmin it cannot use is refused with the
// message the " Create series... " dialog gives, and nothing changes.
void acceptParamsViewTmin(Application& app);

// A move: a drag in progress moves its level or line (a line whose new interval is not
// admissible stays and its drag ends); without a drag the hover states of the two
// handles and the two lines follow the pointer, each on its own, capturing the mouse and
// showing a resize cursor on entering and restoring the saved cursor on leaving.
void onParamsViewMove(Application& app, std::int32_t x, std::int32_t y);

// A release ends the drag in progress at (x, y).
void onParamsViewRelease(Application& app, std::int32_t x, std::int32_t y);

} // namespace mirokel
