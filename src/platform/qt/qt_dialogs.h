// Message boxes and modal dialogs of the main window, built with Qt Widgets from the
// dialogs' descriptions. Calls from other threads are carried to the window's thread.
#pragma once

#include "platform/dialogs.h"
#include "platform/message_box.h"

class QWidget;

namespace mirokel {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* owner) : owner(owner) {}
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;

private:
    QWidget* owner;
};

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner) : owner(owner) {}
    bool runDialog(const DialogDescription& description, DialogValues& values, const DialogClick& onClick,
                   const DialogCheck& onOk) override;
    std::string chooseSaveFile(const SaveFileRequest& request) override;

private:
    QWidget* owner;
};

} // namespace mirokel
