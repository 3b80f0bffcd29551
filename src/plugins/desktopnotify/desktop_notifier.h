#pragma once
#include <QObject>
#include <QString>

#include "zeltochat/plugin_api.h"

namespace desktopnotify {

// Shows the chat's notifications through the desktop's notification server on the session
// bus, and brings the chat to the front when the user picks one of ours.
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

    const ZcHost* host_ = nullptr;
    uint lastId_ = 0;
    bool listening_ = false;
};

// Notification servers may read markup in the body; our texts are plain.
QString EscapeBody(const QString& text);

}  // namespace desktopnotify
