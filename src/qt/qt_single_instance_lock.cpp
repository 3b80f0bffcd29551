#include "qt/qt_single_instance_lock.h"

#include <unistd.h>

#include <cctype>

#include <QLocalServer>
#include <QLocalSocket>

namespace zc {

namespace {
constexpr int kConnectWaitMs = 500;
const QByteArray kShowRequest = "show";
}  // namespace

QtSingleInstanceLock::QtSingleInstanceLock() = default;

QtSingleInstanceLock::~QtSingleInstanceLock() { Release(); }

QString QtSingleInstanceLock::ServerName(const std::string& name) {
    QString safe;
    for (unsigned char c : name) safe += (c < 0x80 && std::isalnum(c)) ? QChar(c) : QChar(u'_');
    return QStringLiteral("zeltochat-%1-%2").arg(geteuid()).arg(safe);
}

bool QtSingleInstanceLock::IsHeldElsewhere(const std::string& name) {
    const QString server = ServerName(name);
    if (IsHeld() && heldName_ == server) return false;
    QLocalSocket probe;
    probe.connectToServer(server);
    const bool answered = probe.waitForConnected(kConnectWaitMs);
    probe.abort();
    return answered;
}

bool QtSingleInstanceLock::ActivateHolder(const std::string& name) {
    QLocalSocket socket;
    socket.connectToServer(ServerName(name));
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(kShowRequest + '\n');
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kConnectWaitMs);
    return sent;
}

bool QtSingleInstanceLock::Acquire(const std::string& name) {
    const QString server = ServerName(name);
    if (IsHeld()) return heldName_ == server;
    auto s = std::make_unique<QLocalServer>();
    // No socket options: with them Qt renames the socket into place and would silently take
    // the name from a running copy. The name holds the user id, the umask keeps others out.
    if (!s->listen(server)) {
        // A socket file nobody answers on is left from a copy that crashed.
        if (s->serverError() != QAbstractSocket::AddressInUseError || IsHeldElsewhere(name)) return false;
        QLocalServer::removeServer(server);
        if (!s->listen(server)) return false;
    }
    QObject::connect(s.get(), &QLocalServer::newConnection, s.get(), [this] { OnNewConnection(); });
    server_ = std::move(s);
    heldName_ = server;
    return true;
}

void QtSingleInstanceLock::Release() {
    if (!server_) return;
    server_->close();
    server_.reset();
    heldName_.clear();
}

bool QtSingleInstanceLock::IsHeld() const { return server_ && server_->isListening(); }

void QtSingleInstanceLock::SetActivateHandler(std::function<void()> onActivateRequest) {
    onActivate_ = std::move(onActivateRequest);
}

void QtSingleInstanceLock::OnNewConnection() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] { ReadRequests(client); });
        QObject::connect(client, &QLocalSocket::disconnected, client, [this, client] {
            // The request may arrive together with the hang-up.
            ReadRequests(client);
            client->deleteLater();
        });
        ReadRequests(client);
    }
}

void QtSingleInstanceLock::ReadRequests(QLocalSocket* client) {
    while (client->canReadLine()) {
        if (client->readLine().trimmed() == kShowRequest && onActivate_) onActivate_();
    }
    // Nobody sends long requests; a peer that does is cut off.
    if (client->bytesAvailable() > 256) client->abort();
}

}  // namespace zc
