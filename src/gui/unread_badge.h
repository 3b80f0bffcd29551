#pragma once
#include <QPointer>
#include <QWidget>

namespace zc {

// The unread count of a page, a small red disc at its button's top-right corner. It lives
// beside the button, not in it, so it may stand over the button's edge; it follows the
// button's place and visibility and lets every click through to it.
class UnreadBadge : public QWidget {
    Q_OBJECT

public:
    explicit UnreadBadge(QWidget* button);
    void SetCount(int count);
    // What the disc says: the count, "99+" past 99, empty at 0 (hidden then).
    QString Text() const { return text_; }
    // "99+" above this.
    static constexpr int kShownMost = 99;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    QPointer<QWidget> button_;
    QString text_;
};

}  // namespace zc
