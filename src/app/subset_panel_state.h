// The storage of the subset selection panel (the composed subset and the reserved
// subsets) and the commits that hand them to the current series.
#pragma once

#include "app/app_state.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

// Makes sure the panel's storage exists: 10 member slots, 10 reserved rows. Returns 1, or
// 0 after an out-of-memory message, the whole storage then released (capacities and
// counts 0).
std::int32_t prepareSubsetPanel(Window& window, AppState& state);

// Releases the whole storage of the panel; capacities and counts become 0.
void releaseSubsetPanel(AppState& state);

// When count < capacity: copies the members into row `count`, stores their number and
// returns count + 1; otherwise returns count unchanged.
std::int32_t reserveSubset(const std::int32_t* members, std::int32_t size, std::int32_t* sizes,
                           std::int32_t* const* rows, std::int32_t count, std::int32_t capacity);

// Hands the composed subset (modes other than 40) or the reserved subsets with the
// current one (mode 40) to the current series, as they are.
void handSubsetsToSeries(Window& window, AppState& state);

// The panel's " OK " commit: as handSubsetsToSeries, but only when there is something to
// hand over (a member, or in mode 40 a reserved subset). False when there is nothing.
bool commitSubsetPanel(Window& window, AppState& state);

} // namespace mirokel
