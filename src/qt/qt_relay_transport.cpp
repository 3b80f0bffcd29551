#include "qt/qt_relay_transport.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>

namespace zc {
namespace {

// A relay that vanished without closing (power cut, cable) is noticed within about a minute:
// 20 s idle, then three probes 10 s apart; unacknowledged data gives up after 60 s.
void KeepAliveShort(QTcpSocket& socket) {
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = static_cast<int>(socket.socketDescriptor());
    if (fd < 0) return;
    const int idle = 20, interval = 10, count = 3;
    const unsigned userTimeoutMs = 60000;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}

}  // namespace

QtRelayTransport::QtRelayTransport(PacketTextHandler onText, RelayTiming timing)
    : onText_(std::move(onText)), timing_(timing), nextRetryMs_(timing.firstRetryMs) {
    connectTimer_.setSingleShot(true);
    retryTimer_.setSingleShot(true);
    connect(&socket_, &QTcpSocket::readyRead, this, &QtRelayTransport::OnReadyRead);
    connect(&socket_, &QTcpSocket::connected, this, &QtRelayTransport::OnConnected);
    connect(&socket_, &QTcpSocket::disconnected, this, &QtRelayTransport::OnFailed);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &QtRelayTransport::OnFailed);
    connect(&connectTimer_, &QTimer::timeout, this, &QtRelayTransport::OnFailed);
    connect(&retryTimer_, &QTimer::timeout, this, &QtRelayTransport::Attempt);
}

QtRelayTransport::~QtRelayTransport() {
    state_ = State::Closed;
    socket_.abort();
}

bool QtRelayTransport::Connect(const std::string& server, int port) {
    if (server.empty() || port <= 0 || port > 65535) return false;
    server_ = QString::fromStdString(server);
    port_ = static_cast<quint16>(port);
    nextRetryMs_ = timing_.firstRetryMs;
    firstAttempt_ = true;
    Attempt();
    return true;
}

void QtRelayTransport::Attempt() {
    socket_.abort();
    stream_ = PacketStream();  // a packet cut off by the drop never ends
    state_ = State::Connecting;
    connectTimer_.start(timing_.connectTimeoutMs);
    socket_.connectToHost(server_, port_);
}

void QtRelayTransport::OnConnected() {
    if (state_ != State::Connecting) return;
    connectTimer_.stop();
    state_ = State::Up;
    nextRetryMs_ = timing_.firstRetryMs;
    KeepAliveShort(socket_);
    if (!waiting_.empty()) socket_.write(waiting_.data(), static_cast<qint64>(waiting_.size()));
    waiting_.clear();
    firstAttempt_ = false;
    Tell(RelayEvent::Up);
}

void QtRelayTransport::OnFailed() {
    if (state_ != State::Connecting && state_ != State::Up) return;
    // Set before abort(), which may come straight back here through disconnected().
    state_ = State::Waiting;
    connectTimer_.stop();
    socket_.abort();
    firstAttempt_ = false;
    waiting_.clear();  // the Down event says they did not go
    retryTimer_.start(nextRetryMs_);
    nextRetryMs_ = std::min(nextRetryMs_ * 2, timing_.maxRetryMs);
    Tell(RelayEvent::Down);
}

bool QtRelayTransport::Send(const std::string& bytes) {
    if (state_ == State::Connecting && firstAttempt_) {
        if (waiting_.size() + bytes.size() > kRelayWriteLimit) return RefuseFull();
        waiting_ += bytes;
        return true;
    }
    if (state_ != State::Up) return false;
    if (static_cast<size_t>(socket_.bytesToWrite()) + bytes.size() > kRelayWriteLimit) return RefuseFull();
    full_ = false;
    return socket_.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

bool QtRelayTransport::RefuseFull() {
    // One report per spell of a full buffer, not one per refused packet.
    if (!full_) Tell(RelayEvent::WriteBufferFull);
    full_ = true;
    return false;
}

void QtRelayTransport::ShutdownAndClose() {
    state_ = State::Closed;
    connectTimer_.stop();
    retryTimer_.stop();
    waiting_.clear();
    socket_.flush();
    socket_.disconnectFromHost();
    socket_.close();
}

void QtRelayTransport::Tell(RelayEvent event) {
    // Up and down are told when they change: failed attempts after the first stay quiet.
    if (event != RelayEvent::WriteBufferFull) {
        if (told_ && lastTold_ == event) return;
        told_ = true;
        lastTold_ = event;
    }
    // From the loop: the chat may end this transport in answer.
    QTimer::singleShot(0, this, [this, event] {
        if (onEvent_) onEvent_(event);
    });
}

void QtRelayTransport::OnReadyRead() {
    // Only read here; the packets reach the chat from the queue, which may close this socket.
    const QByteArray data = socket_.readAll();
    for (std::string& p : stream_.Feed(data.constData(), static_cast<size_t>(data.size()))) queue_.Push(std::move(p), {});
}

}  // namespace zc
