#include "gui/skin_tool_button.h"

#include <QKeyEvent>

namespace zc {

SkinToolButton::SkinToolButton(QWidget* parent) : QToolButton(parent) { setFocusPolicy(Qt::TabFocus); }

void SkinToolButton::SetExplanation(const QString& text) {
    setToolTip(text);
    setAccessibleName(text);
}

void SkinToolButton::keyPressEvent(QKeyEvent* event) {
    // A tool button takes only Space by itself.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        animateClick();
        return;
    }
    QToolButton::keyPressEvent(event);
}

}  // namespace zc
