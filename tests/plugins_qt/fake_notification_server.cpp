// A notification server for tests: keeps every Notify call and, on the test's word, raises the
// signals a real server raises when the user acts on a notification.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

const char kPath[] = "/org/freedesktop/Notifications";
const char kInterface[] = "org.freedesktop.Notifications";

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList calls;
    uint nextId = 40;

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout) {
        const uint id = replaces ? replaces : ++nextId;
        calls << QStringList{app, QString::number(replaces), summary, body, actions.join(','), QString::number(timeout),
                             QString::number(id), icon, hints.value("desktop-entry").toString()}
                     .join(QChar(0x1f));
        return id;
    }
    QStringList GetCapabilities() { return {"actions", "body"}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = "zeltochat tests";
        version = "1.0";
        specVersion = "1.2";
        return "fake-notifier";
    }
    void CloseNotification(uint id) { Emit("NotificationClosed", {id, 3u}); }

public:
    static void Emit(const char* name, const QVariantList& args) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, name);
        signal.setArguments(args);
        QDBusConnection::sessionBus().send(signal);
    }
};

class Control : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.zeltochat.TestControl")

public:
    explicit Control(Notifications& n) : n_(n) {}

public slots:
    QStringList Calls() { return n_.calls; }
    void Invoke(uint id, const QString& action) { Notifications::Emit("ActionInvoked", {id, action}); }
    void Closed(uint id) { Notifications::Emit("NotificationClosed", {id, 2u}); }

private:
    Notifications& n_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Notifications notifications;
    Control control(notifications);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kPath, &notifications, QDBusConnection::ExportAllSlots) ||
        !bus.registerObject("/control", &control, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.zeltochat.TestControl") || !bus.registerService(kInterface))
        return 1;
    return app.exec();
}

#include "fake_notification_server.moc"
