#pragma once
#include <QObject>
#include <QPoint>

namespace zc {

// Where the user last pressed a mouse button or asked for a context menu, in the coordinates
// Qt gives our windows. Menus open there: on Wayland QCursor::pos() is only known while the
// pointer is over one of our surfaces, and may be stale by the time a page event arrives.
class ClickPoint : public QObject {
public:
    // Watches every event of the application from now on.
    ClickPoint();
    ~ClickPoint() override;
    // The last click; the cursor position before the first one.
    QPoint Last() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint last_;
    bool known_ = false;
};

}  // namespace zc
