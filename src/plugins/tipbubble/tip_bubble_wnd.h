#pragma once
#include <QString>
#include <QTimer>
#include <QWidget>

#include "zeltochat/plugin_api.h"

namespace tipbubble {

// The notification bubble: a frameless pop-up at the bottom right of the screen that never
// takes the focus. It waits a moment before it shows (so a burst of requests shows only the
// last), stays for the display time and then closes itself.
class TipBubbleWnd : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text CONSTANT)

public:
    static constexpr int kShowDelayMs = 100;
    static constexpr int kCloseDelayMs = 100;
    static constexpr int kTailBand = 25;

    TipBubbleWnd(const QString& text, int displayMs, quint32 background, quint32 textColour,
                 quint32 highlight, const ZcHost* host);

    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ShowNow();
    void Close();
    QRect Body() const { return QRect(0, 0, bodySize_.width(), bodySize_.height()); }
    QPolygon Tail() const;

    QString text_;
    int displayMs_;
    QColor background_, textColour_, highlight_;
    const ZcHost* host_;
    QSize bodySize_;
    QTimer showTimer_, displayTimer_, closeTimer_;
};

}  // namespace tipbubble
