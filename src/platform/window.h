// The handle that the core passes around where the window system is needed: the owner
// of message boxes, the window's services and its dialogs. The references outlive every
// call.
#pragma once

#include "platform/dialogs.h"
#include "platform/message_box.h"
#include "platform/window_services.h"

#include <string>
#include <string_view>

namespace mirokel {

struct Window {
    MessageBox& messageBox;
    WindowServices& services;
    Dialogs& dialogs;
};

inline void showMessage(Window& window, std::string_view text, std::string_view caption,
                        MessageIcon icon = MessageIcon::none)
{
    window.messageBox.showMessage(text, caption, icon);
}

// printf-style formatting into a string (the system's message texts use %d and %s).
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace mirokel
