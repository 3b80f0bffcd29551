#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariant>

class QEvent;
class QMimeData;
class QObject;
class QWebEngineView;
class QWidget;

namespace zc {

// The one local file a drag carries, as the file system's own path; empty when it carries
// anything else (several files, a folder, a web address, text).
std::string DroppedLocalFile(const QMimeData* data);

// A script for the program's own world that names the user-list element at a point of the
// page (CSS pixels): [class, id, inner text], or null.
QString UserAtPointScript(double x, double y);

// The user a drop landed on, as the user menu picks one (the element's id, else its text);
// empty for the own entry and for anything that is not a user.
std::string PickedUserOfHit(const QVariant& hit);

// A script for the program's own world that gives the rectangles of the users' entries
// (CSS pixels, [left, top, right, bottom] each), the own entry not among them.
QString NamePlacesScript();

// The pointer over a widget, as the X server has it: where (widget pixels) and whether a mouse
// button is held. None without an X display.
struct PointerState {
    QPointF at;
    bool buttonDown = false;
};
std::optional<PointerState> PointerOver(const QWidget* widget);

// Files dropped from the desktop onto a user of the list. The page itself never sees the drop
// (pages take no drops): where the names are is asked of the page when a drag comes in, and
// the user under the pointer when the file lands. Beside the names the drag is refused, and
// letting go there says so.
class UserListDrops {
public:
    using OnDrop = std::function<void(const std::string& picked, const std::string& path)>;
    UserListDrops(std::function<bool()> canOffer, OnDrop onDrop, std::function<void()> onMissed = {})
        : canOffer_(std::move(canOffer)), onDrop_(std::move(onDrop)), onMissed_(std::move(onMissed)) {}

    // Makes the view a drop target; its events then come to Filter.
    static void AcceptDropsOn(QWebEngineView* view);
    // For an event filter that sees the view's events and its children's: true when the event
    // was a drag over the view and has been dealt with.
    bool Filter(QWebEngineView* view, QObject* watched, QEvent* event);

private:
    // Asks the page who is at the point; then gives the answer to done, if the view still exists.
    void AskPage(QWebEngineView* view, QPointF at, std::function<void(const std::string& picked)> done);
    void Land(QWebEngineView* view, QPointF at, const std::string& path);

    std::function<bool()> canOffer_;
    OnDrop onDrop_;
    std::function<void()> onMissed_;
    std::string dragPath_;  // the file of the drag under way
    // Where the page has its users' entries (CSS pixels), asked when a drag comes in.
    void AskNamePlaces(QWebEngineView* view);
    std::optional<std::vector<QRectF>> namePlaces_;
};

}  // namespace zc
