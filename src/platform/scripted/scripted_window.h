// The headless window: message boxes and window-service calls are recorded for tests and
// for the batch command line instead of being shown.
#pragma once

#include "platform/window.h"

#include <mutex>
#include <string>
#include <vector>

namespace mirokel {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::none;

    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

// Safe to call from the worker threads of a simulation.
class RecordingMessageBox final : public MessageBox {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    std::vector<RecordedMessage> messages;

private:
    std::mutex lock;
};

class RecordingWindowServices final : public WindowServices {
public:
    void setTminEditText(std::string_view text) override;
    std::string tminEditText = "Tmin Text";
};

// Owns one of each recorder and hands out the Window handle over them.
class ScriptedWindow {
public:
    ScriptedWindow() = default;
    ScriptedWindow(const ScriptedWindow&) = delete;
    ScriptedWindow& operator=(const ScriptedWindow&) = delete;

    Window& window() { return handle; }
    const std::vector<RecordedMessage>& messages() const { return messageBox.messages; }
    void clearMessages() { messageBox.messages.clear(); }

    RecordingMessageBox messageBox;
    RecordingWindowServices services;

private:
    Window handle{messageBox, services};
};

} // namespace mirokel

