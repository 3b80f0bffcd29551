#include "plugins/tipbubble/tip_bubble_wnd.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace tipbubble {
namespace {

QColor FromColourRef(quint32 c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

TipBubbleWnd::TipBubbleWnd(const QString& text, int displayMs, quint32 background, quint32 textColour,
                           quint32 highlight, const ZcHost* host)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      text_(text),
      displayMs_(displayMs),
      background_(FromColourRef(background)),
      textColour_(FromColourRef(textColour)),
      highlight_(FromColourRef(highlight)),
      host_(host) {
    setObjectName("TipBubbleWnd");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // Coarse timers may fire 5 % early, which is most of the show delay on a long display time.
    for (QTimer* t : {&showTimer_, &displayTimer_, &closeTimer_}) {
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
    }
    connect(&showTimer_, &QTimer::timeout, this, &TipBubbleWnd::ShowNow);
    connect(&displayTimer_, &QTimer::timeout, this, [this] { closeTimer_.start(kCloseDelayMs); });
    connect(&closeTimer_, &QTimer::timeout, this, &TipBubbleWnd::Close);
    showTimer_.start(kShowDelayMs);
}

QPolygon TipBubbleWnd::Tail() const {
    // A tail hanging from the right part of the body towards the corner of the screen.
    const int w = bodySize_.width(), h = bodySize_.height();
    const int right = qMax(0, w - 12), left = qMax(0, right - 20);
    return QPolygon({QPoint(left, h), QPoint(right, h), QPoint(right + 6, h + kTailBand)});
}

void TipBubbleWnd::ShowNow() {
    const QRect measured = fontMetrics().boundingRect(QRect(), Qt::AlignHCenter | Qt::TextExpandTabs, text_);
    bodySize_ = QSize(measured.width() + 24, measured.height() + 20);
    const int w = bodySize_.width(), fullHeight = bodySize_.height() + kTailBand;
    setFixedSize(w, fullHeight);
    setMask(QRegion(Body()).united(QRegion(Tail())));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 800, 600);
    move(area.x() + area.width() - w - 3, area.y() + area.height() - fullHeight - 3);
    show();
    raise();
    displayTimer_.start(displayMs_);
}

void TipBubbleWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = bodySize_.width(), h = bodySize_.height();
    QPainterPath outline;
    outline.addRect(Body());
    QPainterPath tail;
    tail.addPolygon(Tail());
    tail.closeSubpath();
    outline = outline.united(tail);
    p.fillPath(outline, highlight_);
    // The highlight stays as a band at the top, below the body and in the tail.
    p.fillRect(QRect(QPoint(0, 3), QPoint(w - 1, h - 5)), background_);
    // The frame follows the region's edge, body and tail as one outline.
    QPainterPath frame;
    frame.addRect(QRectF(0.5, 0.5, w - 1, h - 1));
    QPainterPath frameTail;
    frameTail.addPolygon(QPolygonF(Tail()).translated(0.5, -0.5));
    frameTail.closeSubpath();
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame.united(frameTail));
    p.setPen(textColour_);
    p.drawText(QRect(QPoint(3, 10), QPoint(w - 1, h + kTailBand - 1)), Qt::AlignHCenter | Qt::AlignTop | Qt::TextExpandTabs,
               text_);
}

void TipBubbleWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (host_ && host_->bringMainWindowToFront) host_->bringMainWindowToFront(host_->context);
        Close();
    } else if (event->button() == Qt::RightButton) {
        Close();
    }
}

void TipBubbleWnd::Close() {
    showTimer_.stop();
    displayTimer_.stop();
    closeTimer_.stop();
    hide();
    deleteLater();
}

}  // namespace tipbubble
