#pragma once
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include "zeltochat/plugin_api.h"

namespace desktopnotify {

// Shows the chat's notifications through the desktop's notification server on the session
// bus, one per sender (a new line from the same sender replaces the last), and brings the chat
// to the front when the user picks one of ours.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    void SetHost(const ZcHost* host) { host_ = host; }
    // True when the server took the notification.
    bool Notify(const QString& title, const QString& body, int expireMs);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    bool EnsureListening();
    uint IdOf(const QString& sender) const;
    void Remember(const QString& sender, uint id);

    const ZcHost* host_ = nullptr;
    // The server's id of each sender's notification, the latest last; a flood of strangers'
    // names only pushes the oldest out.
    QList<QPair<QString, uint>> shown_;
    bool listening_ = false;
};

// Notification servers may read markup in the body; our texts are plain.
QString EscapeBody(const QString& text);

}  // namespace desktopnotify
