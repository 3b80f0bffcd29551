#include "qt/qt_relay_transport.h"

namespace zc {

QtRelayTransport::QtRelayTransport(PacketTextHandler onText, int connectTimeoutMs)
    : onText_(std::move(onText)), timeoutMs_(connectTimeoutMs) {
    connect(&socket_, &QTcpSocket::readyRead, this, &QtRelayTransport::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, [this] { socket_.close(); });
}

QtRelayTransport::~QtRelayTransport() { socket_.abort(); }

bool QtRelayTransport::Connect(const std::string& server, int port) {
    socket_.connectToHost(QString::fromStdString(server), static_cast<quint16>(port));
    if (!socket_.waitForConnected(timeoutMs_)) return false;
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

bool QtRelayTransport::Send(const std::string& bytes) {
    if (socket_.state() != QAbstractSocket::ConnectedState) return false;
    return socket_.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

void QtRelayTransport::ShutdownAndClose() {
    socket_.flush();
    socket_.disconnectFromHost();
    socket_.close();
}

void QtRelayTransport::OnReadyRead() {
    // Only read here; the packets reach the chat from the queue, which may close this socket.
    const QByteArray data = socket_.readAll();
    for (std::string& p : stream_.Feed(data.constData(), static_cast<size_t>(data.size()))) queue_.Push(std::move(p), {});
}

}  // namespace zc
