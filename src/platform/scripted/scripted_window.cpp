// Recorders of the headless window.
#include "platform/scripted/scripted_window.h"

namespace mirokel {

void RecordingMessageBox::showMessage(std::string_view text, std::string_view caption, MessageIcon icon)
{
    const std::lock_guard<std::mutex> guard(lock);
    messages.push_back({std::string(text), std::string(caption), icon});
}

void RecordingWindowServices::setTminEditText(std::string_view text)
{
    tminEditText = std::string(text);
}

} // namespace mirokel
