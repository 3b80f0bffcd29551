#include "gui/unread_badge.h"

#include <algorithm>

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace zc {

UnreadBadge::UnreadBadge(QWidget* button) : QWidget(button->parentWidget()), button_(button) {
    setObjectName("UnreadBadge_" + button->objectName());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(10);
    setFont(bold);
    button->installEventFilter(this);
    // Gone with its button: skins are loaded again and their buttons made anew.
    connect(button, &QObject::destroyed, this, &QObject::deleteLater);
    hide();
}

void UnreadBadge::SetCount(int count) {
    const QString text = count <= 0           ? QString()
                         : count > kShownMost ? QString("%1+").arg(kShownMost)
                                              : QString::number(count);
    if (text == text_) return;
    text_ = text;
    Place();
    update();
}

void UnreadBadge::Place() {
    if (!button_ || text_.isEmpty() || !button_->isVisible()) {
        hide();
        return;
    }
    const int h = 16;
    const int w = std::max(h, QFontMetrics(font()).horizontalAdvance(text_) + 8);
    // Its centre a little inside the button's corner: over the button, but not off the window.
    const QRect b = button_->geometry();
    const int left = std::clamp(b.right() - w / 2 - 1, 0, std::max(0, parentWidget()->width() - w));
    const int top = std::clamp(b.top() - h / 2 + 3, 0, std::max(0, parentWidget()->height() - h));
    setGeometry(left, top, w, h);
    show();
    raise();
}

bool UnreadBadge::eventFilter(QObject* watched, QEvent* event) {
    if (watched == button_) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::ZOrderChange: Place(); break;
            default: break;
        }
    }
    return false;
}

void UnreadBadge::paintEvent(QPaintEvent*) {
    if (text_.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(QColor(0xE0, 0x1E, 0x1E));
    painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace zc
