#include "gui/input_box.h"

#include <algorithm>

#include <QKeyEvent>
#include <QTextCursor>

namespace zc {

InputBox::InputBox(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void InputBox::SetText(const QString& text) {
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

void InputBox::SetText(const QString& text, int caret) {
    setPlainText(text);
    QTextCursor c = textCursor();
    c.setPosition(std::clamp(caret, 0, static_cast<int>(text.size())));
    setTextCursor(c);
}

int InputBox::SelectionStart() const {
    const QTextCursor c = textCursor();
    return c.hasSelection() ? c.selectionStart() : -1;
}

int InputBox::SelectionLength() const {
    const QTextCursor c = textCursor();
    return c.hasSelection() ? c.selectionEnd() - c.selectionStart() : 0;
}

void InputBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
        insertPlainText("\n");
        return;
    }
    if (enter) {
        if (onEnter_) onEnter_();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

}  // namespace zc
