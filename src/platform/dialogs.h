// Modal parameter dialogs described as data: controls with the system's ids and labels,
// the texts and check states they show, and the reactions to clicks. The platform shows
// such a description (or, headless, answers it from a script) and returns OK or Cancel.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace mirokel {

enum class ControlKind { groupBox, staticText, edit, radioButton, checkBox };

struct DialogControl {
    ControlKind kind;
    std::int32_t id;    // the system's control id (0 for unnamed statics and groups)
    std::string text;   // label of a group, static, radio button or check box
    bool enabled = true;
    std::int32_t group = 0; // radio buttons of one group share it
};

struct DialogDescription {
    std::string title;
    std::vector<DialogControl> controls; // in order, top to bottom; Tab follows it
};

// What the controls show: texts of edits and statics, check states of radio buttons and
// check boxes, by control id.
struct DialogValues {
    std::map<std::int32_t, std::string> texts;
    std::map<std::int32_t, bool> checks;

    std::string text(std::int32_t id) const;
    bool checked(std::int32_t id) const;
};

// Called when the user clicks a radio button or check box; the values already show the
// new check state. Returns nothing; the dialog logic keeps its working choice.
using DialogClick = std::function<void(std::int32_t id, DialogValues& values)>;

// Called on OK with the values typed; returns an empty text to accept, or a message that
// refuses the input (the dialog stays open and shows it).
using DialogCheck = std::function<std::string(const DialogValues& values)>;

// A file name to ask for, as the save dialog asks for it.
struct SaveFileRequest {
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters; // label and pattern, the first preselected
    std::string defaultExtension;  // appended when the name has none
    bool confirmOverwrite = true;  // ask before replacing an existing file
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows the dialog modally. On OK the values hold what the user typed and the result
    // is true; on Cancel the result is false.
    virtual bool runDialog(const DialogDescription& description, DialogValues& values, const DialogClick& onClick,
                           const DialogCheck& onOk) = 0;

    // Asks for the name of a file to write; empty when the user cancelled.
    virtual std::string chooseSaveFile(const SaveFileRequest& request) = 0;
};

} // namespace mirokel
