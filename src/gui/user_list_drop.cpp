#include "gui/user_list_drop.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWebEngineScript>
#include <QWebEngineView>

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

std::string PickedUserOfHit(const QVariant& hit) {
    const QVariantList fields = hit.toList();
    if (fields.size() != 3) return {};
    const QString kind = fields[0].toString();
    if (kind != "username" && kind != "userimage") return {};
    const QString id = fields[1].toString(), text = fields[2].toString().trimmed();
    return Utf8ToCp1251((id.isEmpty() ? text : id).toStdString());
}

void UserListDrops::AcceptDropsOn(QWebEngineView* view) {
    if (view) view->setAcceptDrops(true);
}

bool UserListDrops::Filter(QWebEngineView* view, QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop && type != QEvent::DragLeave)
        return false;
    if (!view || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != view && !view->isAncestorOf(widget)) return false;
    if (type == QEvent::DragLeave) {
        dragPath_.clear();
        return true;
    }

    auto* drag = static_cast<QDropEvent*>(event);
    std::string path = DroppedLocalFile(drag->mimeData());
    if (type == QEvent::DragEnter) dragPath_ = path;
    // Some sources' data can no longer be read once the file lands (seen between two Qt
    // programs on X): it is the same drag, so the file it brought in is the one.
    else if (path.empty()) path = dragPath_;
    if (type == QEvent::Drop) dragPath_.clear();
    if (path.empty() || (canOffer_ && !canOffer_())) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (type != QEvent::Drop) return true;

    const QPointF at = QPointF(widget->mapTo(view, drag->position().toPoint())) / view->zoomFactor();
    QPointer<QWebEngineView> guard(view);
    OnDrop onDrop = onDrop_;
    view->page()->runJavaScript(UserAtPointScript(at.x(), at.y()), QWebEngineScript::ApplicationWorld,
                                [guard, onDrop, path](const QVariant& hit) {
                                    if (!guard) return;
                                    const std::string picked = PickedUserOfHit(hit);
                                    if (!picked.empty() && onDrop) onDrop(picked, path);
                                });
    return true;
}

}  // namespace zc
