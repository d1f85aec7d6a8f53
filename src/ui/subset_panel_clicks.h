// The targets of the subset selection panel (view mode 9): the pulse cells, the strip of
// the composed subset, the panel's buttons and the rows of the reserved subsets. The press
// handler tests them before the targets the panel shares with the result view.
#pragma once

#include "app/application.h"

#include <cstdint>

namespace mirokel {

// Handles a press at (x, y) on the panel, in the order pulse cells, strip, " Delete All ",
// " Delete ", " Cancel ", " OK ", " Accept " and " Clear All " (only when the tuple panel
// with its six buttons was drawn last), reserved rows. True when a target was hit (its
// command has then run); false when the press goes on to the shared targets, and always
// while the panel's storage does not exist.
bool onSubsetPanelClick(Application& app, std::int32_t x, std::int32_t y);

} // namespace mirokel
