#include "gui/click_point.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>

namespace zc {

ClickPoint::ClickPoint() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

ClickPoint::~ClickPoint() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

QPoint ClickPoint::Last() const { return known_ ? last_ : QCursor::pos(); }

bool ClickPoint::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            last_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            known_ = true;
            break;
        case QEvent::ContextMenu:
            // A menu key press has no pointer: its position is the focus widget's.
            last_ = static_cast<QContextMenuEvent*>(event)->globalPos();
            known_ = true;
            break;
        default: break;
    }
    return false;
}

}  // namespace zc
