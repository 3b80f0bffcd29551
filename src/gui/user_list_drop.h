#pragma once
#include <functional>
#include <string>

#include <QString>
#include <QVariant>

class QEvent;
class QMimeData;
class QObject;
class QWebEngineView;

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

// Files dropped from the desktop onto a user of the list. The page itself never sees the drop
// (pages take no drops); the user under the pointer is asked of the page when the file lands.
class UserListDrops {
public:
    using OnDrop = std::function<void(const std::string& picked, const std::string& path)>;
    UserListDrops(std::function<bool()> canOffer, OnDrop onDrop)
        : canOffer_(std::move(canOffer)), onDrop_(std::move(onDrop)) {}

    // Makes the view a drop target; its events then come to Filter.
    static void AcceptDropsOn(QWebEngineView* view);
    // For an event filter that sees the view's events and its children's: true when the event
    // was a drag over the view and has been dealt with.
    bool Filter(QWebEngineView* view, QObject* watched, QEvent* event);

private:
    std::function<bool()> canOffer_;
    OnDrop onDrop_;
    std::string dragPath_;  // the file of the drag under way
};

}  // namespace zc
