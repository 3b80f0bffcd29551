#include "gui/user_list_drop.h"

#include <algorithm>
#include <cstdlib>

#include <QDropEvent>
#include <QGuiApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <xcb/xcb.h>

#include "base/cp1251.h"

namespace zc {

std::string DroppedLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    if (!QFileInfo(path).isFile()) return {};
    return QFile::encodeName(path).toStdString();
}

QString UserAtPointScript(double x, double y) {
    // The nearest of these classes decides, so the own entry is never taken for a peer.
    return QString(R"JS((function (x, y) {
  var known = {username: 1, userimage: 1, myname: 1, myimage: 1};
  var t = document.elementFromPoint(x, y);
  while (t && (t.nodeType !== 1 || !known[t.className])) t = t.parentNode;
  return t ? [t.className, t.id || '', t.innerText || ''] : null;
})(%1, %2))JS")
        .arg(x, 0, 'f', 1)
        .arg(y, 0, 'f', 1);
}

QString NamePlacesScript() {
    // The same classes as a hit takes for a user (the own entry has classes of its own).
    return R"JS((function () {
  var out = [];
  document.querySelectorAll('.username, .userimage').forEach(function (e) {
    if (e.className !== 'username' && e.className !== 'userimage') return;
    var r = e.getBoundingClientRect();
    out.push([r.left, r.top, r.right, r.bottom]);
  });
  return out;
})())JS";
}

std::string PickedUserOfHit(const QVariant& hit) {
    const QVariantList fields = hit.toList();
    if (fields.size() != 3) return {};
    const QString kind = fields[0].toString();
    if (kind != "username" && kind != "userimage") return {};
    const QString id = fields[1].toString(), text = fields[2].toString().trimmed();
    return Utf8ToCp1251((id.isEmpty() ? text : id).toStdString());
}

std::optional<PointerState> PointerOver(const QWidget* widget) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !widget || !x11->connection()) return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const QWidget* top = widget->window();
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, static_cast<xcb_window_t>(top->winId())), nullptr);
    if (!reply) return std::nullopt;
    const qreal ratio = top->devicePixelRatioF();
    PointerState state;
    state.at = widget->mapFrom(top, QPointF(reply->win_x / ratio, reply->win_y / ratio));
    state.buttonDown = reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3);
    const bool sameScreen = reply->same_screen;
    std::free(reply);
    if (!sameScreen) return std::nullopt;
    return state;
}

void UserListDrops::AcceptDropsOn(QWebEngineView* view) {
    if (view) view->setAcceptDrops(true);
}

void UserListDrops::AskPage(QWebEngineView* view, QPointF at, std::function<void(const std::string&)> done) {
    at /= view->zoomFactor();
    QPointer<QWebEngineView> guard(view);
    view->page()->runJavaScript(UserAtPointScript(at.x(), at.y()), QWebEngineScript::ApplicationWorld,
                                [guard, done = std::move(done)](const QVariant& hit) {
                                    if (guard) done(PickedUserOfHit(hit));
                                });
}

void UserListDrops::Land(QWebEngineView* view, QPointF at, const std::string& path) {
    AskPage(view, at, [onDrop = onDrop_, onMissed = onMissed_, path](const std::string& picked) {
        if (!picked.empty()) {
            if (onDrop) onDrop(picked, path);
        } else if (onMissed) {
            onMissed();
        }
    });
}

bool UserListDrops::Filter(QWebEngineView* view, QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop && type != QEvent::DragLeave)
        return false;
    if (!view || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != view && !view->isAncestorOf(widget)) return false;
    // The point comes from the pointer itself: the drag's own position is mapped through the
    // window's place as Qt last heard of it, which a window manager leaves stale for a while
    // after the window shows.
    const std::optional<PointerState> pointer = PointerOver(view);
    if (type == QEvent::DragLeave) {
        const std::string path = dragPath_;
        dragPath_.clear();
        // A source lets go over a spot we refused by leaving: the button up with the pointer
        // still over the list is a drop all the same.
        if (!path.empty() && pointer && !pointer->buttonDown && view->rect().contains(pointer->at.toPoint()) &&
            (!canOffer_ || canOffer_()))
            Land(view, pointer->at, path);
        return true;
    }

    auto* drag = static_cast<QDropEvent*>(event);
    std::string path = DroppedLocalFile(drag->mimeData());
    if (type == QEvent::DragEnter) {
        dragPath_ = path;
        AskNamePlaces(view);
    }
    // Some sources' data can no longer be read once the file lands (seen between two Qt
    // programs on X): it is the same drag, so the file it brought in is the one.
    else if (path.empty()) path = dragPath_;
    if (type == QEvent::Drop) dragPath_.clear();
    if (path.empty() || (canOffer_ && !canOffer_())) {
        drag->ignore();
        return true;
    }
    const QPointF at = pointer ? pointer->at : QPointF(widget->mapTo(view, drag->position().toPoint()));
    if (type == QEvent::Drop) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        Land(view, at, path);
        return true;
    }
    // Moves are answered at once from where the page said the names are (until it has said,
    // the drag is let in); the drop itself asks the page again.
    const QPointF inPage = at / view->zoomFactor();
    const bool overName = !namePlaces_ || std::any_of(namePlaces_->begin(), namePlaces_->end(),
                                                      [&](const QRectF& r) { return r.contains(inPage); });
    if (type == QEvent::DragEnter || overName) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
    } else {
        drag->ignore();
    }
    return true;
}

void UserListDrops::AskNamePlaces(QWebEngineView* view) {
    namePlaces_.reset();
    QPointer<QWebEngineView> guard(view);
    view->page()->runJavaScript(NamePlacesScript(), QWebEngineScript::ApplicationWorld,
                                [this, guard](const QVariant& places) {
                                    if (!guard) return;
                                    namePlaces_.emplace();
                                    for (const QVariant& place : places.toList()) {
                                        const QVariantList r = place.toList();
                                        if (r.size() == 4)
                                            namePlaces_->push_back(QRectF(QPointF(r[0].toDouble(), r[1].toDouble()),
                                                                         QPointF(r[2].toDouble(), r[3].toDouble())));
                                    }
                                });
}

}  // namespace zc
