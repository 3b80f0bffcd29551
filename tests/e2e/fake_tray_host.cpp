// A notification area for tests: the StatusNotifierWatcher a desktop panel runs on the session
// bus. Qt shows its tray icon there once it is registered; each icon that registers is printed
// as "item <bus name>", so the test can read the icon's tool tip and click it over the bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <cstdio>

namespace {

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
    Q_PROPERTY(int ProtocolVersion READ Version)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ Items)

public:
    bool HostRegistered() const { return true; }
    int Version() const { return 0; }
    QStringList Items() const { return items_; }

public slots:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
        // Some items give their object path; the caller's own name then reaches them.
        const QString name = service.startsWith('/') ? message.service() : service;
        items_ << name;
        std::printf("item %s\n", qPrintable(name));
        std::fflush(stdout);
        emit StatusNotifierItemRegistered(name);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList items_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/StatusNotifierWatcher", &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties |
                                QDBusConnection::ExportAllSignals) ||
        !bus.registerService("org.kde.StatusNotifierWatcher")) {
        std::fprintf(stderr, "fake_tray_host: cannot take the watcher's name on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_tray_host.moc"
