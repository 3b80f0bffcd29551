#include "qt/qt_multicast_transport.h"


#include <arpa/inet.h>
#include <sys/socket.h>

namespace zc {

// Room for a burst of several hundred packets between two reads.
static constexpr int kReceiveBuffer = 4 * 1024 * 1024;

QtMulticastTransport::QtMulticastTransport(PacketTextHandler onText) : onText_(std::move(onText)) {}

QtMulticastTransport::~QtMulticastTransport() { CloseSockets(); }

bool QtMulticastTransport::JoinGroup(const std::string& group, int port, int ttl, const std::string& interfaceAddr,
                                     const std::string& sendFrom) {
    CloseSockets();
    groupSocket_ = new QUdpSocket(this);
    if (!groupSocket_->bind(QHostAddress::AnyIPv4, static_cast<quint16>(port),
                            QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return false;
    const int fd = static_cast<int>(groupSocket_->socketDescriptor());
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_DONTROUTE, &on, sizeof on);
    int buffer = kReceiveBuffer;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);

    membership_.imr_multiaddr.s_addr = inet_addr(group.c_str());
    membership_.imr_interface.s_addr = inet_addr(interfaceAddr.c_str());
    if (setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership_, sizeof membership_) != 0) return false;
    joined_ = true;
    connect(groupSocket_, &QUdpSocket::readyRead, this, &QtMulticastTransport::OnReadyRead);

    destination_ = QHostAddress(QString::fromStdString(group));
    port_ = static_cast<quint16>(port);
    sendSocket_ = new QUdpSocket(this);
    if (!sendSocket_->bind(QHostAddress::AnyIPv4, 0)) return false;
    const int sfd = static_cast<int>(sendSocket_->socketDescriptor());
    setsockopt(sfd, SOL_SOCKET, SO_DONTROUTE, &on, sizeof on);
    in_addr from = membership_.imr_interface;
    if (!sendFrom.empty()) from.s_addr = inet_addr(sendFrom.c_str());
    if (from.s_addr != INADDR_ANY && from.s_addr != INADDR_NONE)
        setsockopt(sfd, IPPROTO_IP, IP_MULTICAST_IF, &from, sizeof from);
    const unsigned char hops = static_cast<unsigned char>(ttl);
    return setsockopt(sfd, IPPROTO_IP, IP_MULTICAST_TTL, &hops, sizeof hops) == 0;
}

void QtMulticastTransport::LeaveGroup() {
    if (!groupSocket_ || !joined_) return;
    const int fd = static_cast<int>(groupSocket_->socketDescriptor());
    if (setsockopt(fd, IPPROTO_IP, IP_DROP_MEMBERSHIP, &membership_, sizeof membership_) == 0) {
        joined_ = false;
        CloseSockets();
    }
}

void QtMulticastTransport::ShutdownAndClose() { CloseSockets(); }

void QtMulticastTransport::CloseSockets() {
    joined_ = false;
    for (QUdpSocket** s : {&groupSocket_, &sendSocket_}) {
        if (*s) {
            (*s)->close();
            (*s)->deleteLater();
            *s = nullptr;
        }
    }
}

bool QtMulticastTransport::Send(const std::string& bytes) {
    if (!sendSocket_) return false;
    return sendSocket_->writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), destination_, port_) >= 0;
}

void QtMulticastTransport::OnReadyRead() {
    // Only read here; the packets reach the chat from the queue.
    while (groupSocket_ && groupSocket_->hasPendingDatagrams()) {
        // The longest packet a sender may send is 4096 characters and its zero byte.
        char buffer[kMaxDatagram + 1] = {};
        const qint64 pending = groupSocket_->pendingDatagramSize();
        QHostAddress from;
        const qint64 n = groupSocket_->readDatagram(buffer, kMaxDatagram, &from);
        // A datagram that does not fit is dropped, as a failed read; so is one past a full queue.
        if (n < 0 || pending > kMaxDatagram) continue;
        buffer[n] = '\0';
        // The source decides which packets this one may speak for; one we cannot tell is nobody's.
        bool isV4 = false;
        const quint32 v4 = from.toIPv4Address(&isV4);
        queue_.Push(std::string(buffer), isV4 ? QHostAddress(v4).toString().toStdString() : "?");
    }
}

}  // namespace zc
