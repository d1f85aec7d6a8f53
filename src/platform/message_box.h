// Modal message boxes owned by the main window: text, caption, icon and an OK button.
#pragma once

#include <string_view>

namespace mirokel {

enum class MessageIcon { none, exclamation, information, question, stop };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows the box and returns when the user has pressed OK. Texts are UTF-8. The worker
    // threads of a simulation may call it too.
    virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

} // namespace mirokel
