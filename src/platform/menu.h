// A menu bar described as data: popups with their items (command id and text, exactly as
// shown, and whether the item can carry a check mark), sub-popups and separators, in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirokel {

struct MenuEntry {
    enum class Kind { item, separator, popup };
    Kind kind = Kind::item;
    std::uint16_t id = 0;            // command of an item
    std::string text;                // text of an item or a popup
    std::vector<MenuEntry> entries;  // entries of a popup
    bool checkable = false;          // an item that commands check and uncheck; others show no check box
};

} // namespace mirokel
