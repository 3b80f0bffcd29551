#include "qt/qt_single_instance_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace zc {

namespace {
constexpr int kConnectWaitMs = 500;
const QByteArray kShowRequest = "show";

bool IsOursAndClosed(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool IsPrivateDirectory(const QString& dir) {
    struct stat st {};
    return dir.startsWith(u'/') && ::stat(QFile::encodeName(dir).constData(), &st) == 0 && IsOursAndClosed(st);
}

// Made by us; a folder of ours that was opened up is closed again, anything else is refused.
bool MakePrivateDirectory(const QString& dir) {
    const QByteArray path = QFile::encodeName(dir);
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
    return (st.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}
}  // namespace

QString QtSingleInstanceLock::PrivateDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (IsPrivateDirectory(runtime)) return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.startsWith(u'/')) return {};
    ::mkdir(QFile::encodeName(cache).constData(), 0700);
    const QString program = cache + QStringLiteral("/zeltochat"), run = program + QStringLiteral("/run");
    if (!MakePrivateDirectory(program) || !MakePrivateDirectory(run)) return {};
    return run;
}

QString QtSingleInstanceLock::SocketPath(const std::string& name) {
    const QString dir = PrivateDirectory();
    return dir.isEmpty() ? QString() : dir + u'/' + ServerName(name);
}

QtSingleInstanceLock::QtSingleInstanceLock() = default;

QtSingleInstanceLock::~QtSingleInstanceLock() { Release(); }

QString QtSingleInstanceLock::ServerName(const std::string& name) {
    QString safe;
    for (unsigned char c : name) safe += (c < 0x80 && std::isalnum(c)) ? QChar(c) : QChar(u'_');
    return QStringLiteral("zeltochat-%1-%2").arg(geteuid()).arg(safe);
}

bool QtSingleInstanceLock::IsHeldElsewhere(const std::string& name) {
    const QString server = SocketPath(name);
    if (server.isEmpty() || (IsHeld() && heldName_ == server)) return false;
    QLocalSocket probe;
    probe.connectToServer(server);
    const bool answered = probe.waitForConnected(kConnectWaitMs);
    probe.abort();
    return answered;
}

bool QtSingleInstanceLock::ActivateHolder(const std::string& name) {
    const QString server = SocketPath(name);
    if (server.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(kShowRequest + '\n');
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kConnectWaitMs);
    return sent;
}

bool QtSingleInstanceLock::Acquire(const std::string& name) {
    const QString server = SocketPath(name);
    if (server.isEmpty()) return false;
    if (IsHeld()) return heldName_ == server;
    auto s = std::make_unique<QLocalServer>();
    // No socket options: with them Qt renames the socket into place and would silently take
    // the name from a running copy. The folder keeps other users out.
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
