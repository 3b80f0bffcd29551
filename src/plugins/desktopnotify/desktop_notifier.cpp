#include "plugins/desktopnotify/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace desktopnotify {
namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
const char kInterface[] = "org.freedesktop.Notifications";
// The chat's thread waits for the answer, so a stuck server must not hold it long.
constexpr int kCallTimeoutMs = 2000;

}  // namespace

QString EscapeBody(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '&': out += QLatin1String("&amp;"); break;
            case '<': out += QLatin1String("&lt;"); break;
            case '>': out += QLatin1String("&gt;"); break;
            case '"': out += QLatin1String("&quot;"); break;
            case '\'': out += QLatin1String("&#39;"); break;
            default: out += c;
        }
    }
    return out;
}

bool DesktopNotifier::EnsureListening() {
    if (listening_) return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    listening_ = bus.connect(kService, kPath, kInterface, "ActionInvoked", this,
                             SLOT(OnActionInvoked(uint, QString))) &&
                 bus.connect(kService, kPath, kInterface, "NotificationClosed", this, SLOT(OnClosed(uint, uint)));
    return listening_;
}

bool DesktopNotifier::Notify(const QString& title, const QString& body, int expireMs) {
    if (!EnsureListening()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    call << QStringLiteral("Zelto Chat") << lastId_ << QString() << title << EscapeBody(body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Open")} << QVariantMap() << expireMs;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    bool ok = false;
    const uint id = reply.arguments().constFirst().toUInt(&ok);
    if (!ok) return false;
    lastId_ = id;
    return true;
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    // Other programs' notifications raise the same signal.
    if (id == 0 || id != lastId_ || action != QLatin1String("default")) return;
    if (host_ && host_->bringMainWindowToFront) host_->bringMainWindowToFront(host_->context);
}

void DesktopNotifier::OnClosed(uint id, uint) {
    // A closed notification cannot be replaced any more; the next one starts afresh.
    if (id == lastId_) lastId_ = 0;
}

}  // namespace desktopnotify
