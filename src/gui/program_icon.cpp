#include "gui/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zc {

static QPixmap DrawBubble(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 64.0;
    p.scale(s, s);

    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(4, 6, 56, 40), 12, 12);
    QPainterPath tail;
    tail.moveTo(14, 40);
    tail.lineTo(10, 58);
    tail.lineTo(30, 44);
    tail.closeSubpath();
    bubble = bubble.united(tail);

    QLinearGradient fill(0, 6, 0, 58);
    fill.setColorAt(0, QColor(0x4a, 0x9b, 0xe8));
    fill.setColorAt(1, QColor(0x1f, 0x5f, 0xb0));
    p.setPen(QPen(QColor(0x17, 0x46, 0x82), 2));
    p.setBrush(fill);
    p.drawPath(bubble);

    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(20 + i * 12, 26), 4.5, 4.5);
    return pixmap;
}

QIcon MakeProgramIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(DrawBubble(size));
    return icon;
}

}  // namespace zc
