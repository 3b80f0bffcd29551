#include "options/options_hotkeys_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "qt/virtual_keys.h"

namespace zc {

CHotKeyEdit::CHotKeyEdit(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

void CHotKeyEdit::keyPressEvent(QKeyEvent* event) {
    event->accept();
    switch (event->key()) {
        // Pressed on the way to another key; the chat never matches them alone.
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            return;
        default:
            emit KeyCaptured(VirtualKeyFromQt(event->key(), event->modifiers() & Qt::KeypadModifier));
    }
}

COptionsHotKeysPage::COptionsHotKeysPage(const OptionsStore& store, QWidget* parent)
    : COptionsPage(store, parent), saved_(LoadHotKeys(store.SettingsFile())), current_(saved_) {
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(Tr(211, "Hot keys"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    form->addRow(title);
    const QString captions[] = {Tr(134, "Mode") + " 1", Tr(134, "Mode") + " 2", Tr(134, "Mode") + " 3",
                                Tr(134, "Mode") + " 4", Tr(212, "Refresh the user list"),
                                Tr(213, "Change the keyboard layout of the typed text"), Tr(214, "Open the smiles list")};
    for (size_t i = 0; i < kHotKeyNames.size(); ++i) {
        auto* edit = edits_[i] = new CHotKeyEdit;
        edit->setObjectName(kHotKeyNames[i]);
        auto* clear = new QPushButton(Tr(215, "Clear"));
        clear->setObjectName(QString(kHotKeyNames[i]) + "Clear");
        errors_[i] = ErrorLabel(QString(kHotKeyNames[i]) + "Error");
        connect(edit, &CHotKeyEdit::KeyCaptured, this, [this, i](int code) { Capture(i, code); });
        connect(clear, &QPushButton::clicked, this, [this, i] {
            current_[i] = 0;
            errors_[i]->hide();
            Show(i);
        });
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(clear);
        auto* field = new QWidget;
        field->setLayout(row);
        row->setContentsMargins(0, 0, 0, 0);
        form->addRow(captions[i], WithError(field, errors_[i]));
        Show(i);
    }
    auto* note = new QLabel(Tr(223, "Hot keys take effect when the chat is started again"));
    note->setObjectName("hotKeysNote");
    note->setWordWrap(true);
    form->addRow(note);
}

QString COptionsHotKeysPage::Problem(HotKeyProblem problem) const {
    switch (problem) {
        case HotKeyProblem::OptionsKey: return Tr(218, "F11 opens the options; it cannot be a hot key");
        case HotKeyProblem::EscapeKey: return Tr(219, "Escape hides the window; it cannot be a hot key");
        case HotKeyProblem::TypingKey: return Tr(221, "This key is needed in the input line; choose a function key");
        case HotKeyProblem::None: break;
    }
    return {};
}

void COptionsHotKeysPage::Complain(size_t index, const QString& message) {
    errors_[index]->setText(message);
    errors_[index]->show();
}

void COptionsHotKeysPage::Capture(size_t index, int code) {
    // A refused key leaves the field as it was.
    if (code == 0) return Complain(index, Tr(222, "The chat does not know this key"));
    const HotKeyProblem problem = CheckHotKey(code);
    if (problem != HotKeyProblem::None) return Complain(index, Problem(problem));
    for (size_t i = 0; i < current_.size(); ++i)
        if (i != index && current_[i] == code) return Complain(index, Tr(220, "This key is already set for another action"));
    current_[index] = code;
    errors_[index]->hide();
    Show(index);
}

void COptionsHotKeysPage::Show(size_t index) {
    const int code = current_[index];
    const std::string name = VirtualKeyName(code);
    if (code == 0)
        edits_[index]->setText(Tr(216, "No key"));
    else if (name.empty())
        edits_[index]->setText(Tr(217, "Key code") + " " + QString::number(code));
    else
        edits_[index]->setText(Q(name));
}

bool COptionsHotKeysPage::Check() {
    // Keys typed into the file by hand get the same rules as pressed ones.
    bool ok = true;
    for (size_t i = 0; i < current_.size(); ++i) {
        errors_[i]->hide();
        const HotKeyProblem problem = CheckHotKey(current_[i]);
        if (problem != HotKeyProblem::None)
            Complain(i, Problem(problem));
        else if (EarlierDuplicate(current_, i) >= 0)
            Complain(i, Tr(220, "This key is already set for another action"));
        else
            continue;
        ok = false;
    }
    return ok;
}

bool COptionsHotKeysPage::Write(std::string&) {
    if (!SaveHotKeys(store_.SettingsFile(), saved_, current_)) return false;
    saved_ = current_;
    return true;
}

}  // namespace zc
