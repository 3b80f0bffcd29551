#include "gui/portal_screenshot.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace zc {
namespace {

const char kService[] = "org.freedesktop.portal.Desktop";
const char kPath[] = "/org/freedesktop/portal/desktop";
const char kRequest[] = "org.freedesktop.portal.Request";

// Receives the request's one Response signal on the waiting thread.
class PortalAnswer : public QObject {
    Q_OBJECT
public:
    explicit PortalAnswer(QEventLoop* loop) : loop_(loop) {}
    bool answered = false;
    uint response = 2;
    QVariantMap results;

public slots:
    void OnResponse(uint code, const QVariantMap& values) {
        answered = true;
        response = code;
        results = values;
        loop_->quit();
    }

private:
    QEventLoop* loop_;
};

// Where the portal will put the request: known before the call, so no answer can come first.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace('.', '_');
    return QString("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QImage Ask(int timeoutMs, QString* why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *why = "no session bus, so no desktop portal to ask";
        return {};
    }
    QEventLoop loop;
    PortalAnswer answer(&loop);
    const QString token = QString("zeltochat%1").arg(QRandomGenerator::global()->generate());
    QString path = RequestPath(bus, token);
    bus.connect(kService, path, kRequest, "Response", &answer, SLOT(OnResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.portal.Screenshot", "Screenshot");
    call << QString() << QVariantMap{{"handle_token", token}, {"interactive", false}};
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        bus.disconnect(kService, path, kRequest, "Response", &answer, SLOT(OnResponse(uint, QVariantMap)));
        *why = "the desktop portal's Screenshot does not answer (" + reply.errorMessage() + ")";
        return {};
    }
    // Older portals choose the path themselves.
    const QString handle = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
    if (!handle.isEmpty() && handle != path) {
        bus.disconnect(kService, path, kRequest, "Response", &answer, SLOT(OnResponse(uint, QVariantMap)));
        path = handle;
        bus.connect(kService, path, kRequest, "Response", &answer, SLOT(OnResponse(uint, QVariantMap)));
    }
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!answer.answered) loop.exec();
    bus.disconnect(kService, path, kRequest, "Response", &answer, SLOT(OnResponse(uint, QVariantMap)));
    if (!answer.answered) {
        *why = "the desktop did not answer the snapshot request in time";
        return {};
    }
    if (answer.response != 0) {
        *why = "the desktop refused the snapshot";
        return {};
    }
    const QUrl uri(answer.results.value("uri").toString());
    if (!uri.isLocalFile()) {
        *why = "the desktop portal gave no file for the snapshot";
        return {};
    }
    QImage image(uri.toLocalFile());
    // The file was made for us alone; the picture goes out as the chat's own file.
    QFile::remove(uri.toLocalFile());
    if (image.isNull()) *why = "the desktop portal's snapshot cannot be read";
    return image;
}

}  // namespace

QImage PortalScreenshot(QString* why, int timeoutMs) {
    QString reason;
    QImage image;
    QThread* thread = QThread::create([&] { image = Ask(timeoutMs, &reason); });
    thread->start();
    thread->wait();
    delete thread;
    if (why) *why = reason;
    return image;
}

}  // namespace zc

#include "portal_screenshot.moc"
