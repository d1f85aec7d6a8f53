// Building and running the dialogs and message boxes with Qt Widgets.
#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include <map>

namespace mirokel {

namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::exclamation: return QMessageBox::Warning;
    case MessageIcon::information: return QMessageBox::Information;
    case MessageIcon::question: return QMessageBox::Question;
    case MessageIcon::stop: return QMessageBox::Critical;
    case MessageIcon::none: break;
    }
    return QMessageBox::NoIcon;
}

// A dialog built from its description; controls are laid out top to bottom, a static
// followed by an edit sharing one row, and every control after a group box inside it
// until the next group box. Tab follows the order of the description.
class BuiltDialog {
public:
    BuiltDialog(QWidget* owner, const DialogDescription& description, DialogValues& values, const DialogClick& onClick)
        : dialog(owner), values(values), onClick(onClick)
    {
        dialog.setWindowTitle(qt(description.title));
        auto* layout = new QVBoxLayout(&dialog);
        QFormLayout* form = new QFormLayout;
        layout->addLayout(form);
        const auto& controls = description.controls;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const DialogControl& control = controls[i];
            if (control.kind == ControlKind::groupBox) {
                auto* group = new QGroupBox(qt(control.text));
                form = new QFormLayout(group);
                layout->addWidget(group);
                continue;
            }
            const bool pairedWithEdit = control.kind == ControlKind::staticText && i + 1 < controls.size() &&
                                        controls[i + 1].kind == ControlKind::edit;
            if (pairedWithEdit) {
                QLabel* label = makeLabel(control);
                QLineEdit* edit = makeEdit(controls[++i]);
                form->addRow(label, edit);
            } else {
                form->addRow(makeWidget(control));
            }
        }
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    }

    QDialog dialog;
    QDialogButtonBox* buttons = nullptr;

    // The texts typed into the edits, into the values.
    void collectTexts()
    {
        for (const auto& [id, edit] : edits) values.texts[id] = edit->text().toStdString();
    }

private:
    QLabel* makeLabel(const DialogControl& control)
    {
        const auto shown = values.texts.find(control.id);
        auto* label = new QLabel(control.id != 0 && shown != values.texts.end() ? qt(shown->second) : qt(control.text));
        label->setEnabled(control.enabled);
        return label;
    }

    QLineEdit* makeEdit(const DialogControl& control)
    {
        auto* edit = new QLineEdit(qt(values.text(control.id)));
        edit->setEnabled(control.enabled);
        edit->setMaxLength(99);
        edits[control.id] = edit;
        return edit;
    }

    QWidget* makeWidget(const DialogControl& control)
    {
        switch (control.kind) {
        case ControlKind::edit: return makeEdit(control);
        case ControlKind::radioButton: {
            auto* radio = new QRadioButton(qt(control.text));
            radio->setChecked(values.checked(control.id));
            radio->setEnabled(control.enabled);
            groupOf(control.group)->addButton(radio, control.id);
            QObject::connect(radio, &QRadioButton::clicked, radio, [this, id = control.id, group = control.group] {
                for (QAbstractButton* other : groups[group]->buttons()) values.checks[groups[group]->id(other)] = false;
                values.checks[id] = true;
                if (onClick) onClick(id, values);
            });
            return radio;
        }
        case ControlKind::checkBox: {
            auto* box = new QCheckBox(qt(control.text));
            box->setChecked(values.checked(control.id));
            box->setEnabled(control.enabled);
            QObject::connect(box, &QCheckBox::clicked, box, [this, id = control.id](bool checked) {
                values.checks[id] = checked;
                if (onClick) onClick(id, values);
            });
            return box;
        }
        default: return makeLabel(control);
        }
    }

    QButtonGroup* groupOf(std::int32_t group)
    {
        QButtonGroup*& buttonGroup = groups[group];
        if (buttonGroup == nullptr) buttonGroup = new QButtonGroup(&dialog);
        return buttonGroup;
    }

    DialogValues& values;
    const DialogClick& onClick;
    std::map<std::int32_t, QLineEdit*> edits;
    std::map<std::int32_t, QButtonGroup*> groups;
};

// Runs `work` on the window's thread and waits for it.
template <class Work>
void onWindowThread(QWidget* owner, Work&& work)
{
    if (QThread::currentThread() == owner->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(owner, std::forward<Work>(work), Qt::BlockingQueuedConnection);
}

} // namespace

void QtMessageBox::showMessage(std::string_view text, std::string_view caption, MessageIcon icon)
{
    const QString shownText = qt(text);
    const QString shownCaption = qt(caption);
    onWindowThread(owner, [&] {
        QMessageBox box(qtIcon(icon), shownCaption, shownText, QMessageBox::Ok, owner);
        box.exec();
    });
}

bool QtDialogs::runDialog(const DialogDescription& description, DialogValues& values, const DialogClick& onClick,
                          const DialogCheck& onOk)
{
    BuiltDialog built(owner, description, values, onClick);
    QObject::connect(built.buttons, &QDialogButtonBox::accepted, &built.dialog, [&] {
        built.collectTexts();
        const std::string refusal = onOk ? onOk(values) : std::string();
        if (refusal.empty()) {
            built.dialog.accept();
            return;
        }
        QMessageBox::warning(&built.dialog, qt(description.title), qt(refusal));
    });
    return built.dialog.exec() == QDialog::Accepted;
}

std::string QtDialogs::chooseSaveFile(const SaveFileRequest& request)
{
    QFileDialog dialog(owner, qt(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const auto& [label, pattern] : request.filters) filters << qt(label);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
    dialog.setDefaultSuffix(qt(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    // Qt's own dialog: it behaves the same on every desktop, and without one.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

} // namespace mirokel
