#include "plugins/desktopnotify/desktop_notifier.h"

#include <algorithm>

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
constexpr qsizetype kMaxSenders = 64;
// The installed icon's name and the desktop entry's (zeltochat.desktop), so the desktop shows
// our icon and groups the notifications under the program.
const char kIconName[] = "zeltochat";
const char kDesktopEntry[] = "zeltochat";

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
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopEntry)}};
    call << QStringLiteral("Zelto Chat") << IdOf(title) << QString::fromLatin1(kIconName) << title << EscapeBody(body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Open")} << hints << expireMs;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    bool ok = false;
    const uint id = reply.arguments().constFirst().toUInt(&ok);
    if (!ok) return false;
    Remember(title, id);
    return true;
}

uint DesktopNotifier::IdOf(const QString& sender) const {
    for (const auto& [name, id] : shown_)
        if (name == sender) return id;
    return 0;
}

void DesktopNotifier::Remember(const QString& sender, uint id) {
    shown_.removeIf([&](const QPair<QString, uint>& s) { return s.first == sender || s.second == id; });
    shown_.append({sender, id});
    if (shown_.size() > kMaxSenders) shown_.removeFirst();
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    // Other programs' notifications raise the same signal.
    const bool ours = std::any_of(shown_.cbegin(), shown_.cend(), [id](const auto& s) { return s.second == id; });
    if (id == 0 || !ours || action != QLatin1String("default")) return;
    if (host_ && host_->bringMainWindowToFront) host_->bringMainWindowToFront(host_->context);
}

void DesktopNotifier::OnClosed(uint id, uint) {
    // A closed notification cannot be replaced any more; the next one starts afresh.
    shown_.removeIf([id](const QPair<QString, uint>& s) { return s.second == id; });
}

}  // namespace desktopnotify
