// The menu bar of the main window: popups, items and separators in their order.
#pragma once

#include "platform/menu.h"

#include <vector>

namespace mirokel {

// " File", " Processing", " Settings" (with " Select Task Type" and " Select Series
// Type" first) and " Else One".
const std::vector<MenuEntry>& mainMenu();

} // namespace mirokel
