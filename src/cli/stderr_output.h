// Everything mirokel-cli writes on standard error: the message boxes of the workbench,
// refusals, notes, and the progress line of a long simulation. One lock orders them, as
// worker threads of a simulation may show message boxes while the progress line is
// drawn; a message breaks an open progress line first.
#pragma once

#include "platform/message_box.h"

#include <string>
#include <string_view>

namespace mirokel::cli {

// Message boxes printed as "[caption] text" the moment they are shown.
class PrintingMessageBox final : public MessageBox {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

void printMessage(std::string_view text, std::string_view caption);

// "mirokel-cli: message".
void printError(const std::string& message);

// printError, and the exit status of a refusal.
int refuse(const std::string& message);

// "mirokel-cli: note: text".
void printNote(const char* text);

// Replaces the open progress line by `text` (opening one when none is open).
void showProgressLine(const std::string& text);

// Ends the open progress line, if any.
void endProgressLine();

} // namespace mirokel::cli
