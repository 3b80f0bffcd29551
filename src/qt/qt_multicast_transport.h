#pragma once
#include <QObject>
#include <QUdpSocket>
#include <netinet/in.h>

#include "platform/network.h"
#include "qt/packet_queue.h"

namespace zc {

// The multicast group: one socket bound to the port that receives, one that sends.
class QtMulticastTransport : public QObject, public MulticastTransport {
    Q_OBJECT
    static constexpr qint64 kMaxDatagram = 4097;  // 4096 characters and the zero byte
public:
    explicit QtMulticastTransport(PacketTextHandler onText);
    ~QtMulticastTransport() override;
    bool JoinGroup(const std::string& group, int port, int ttl, const std::string& interfaceAddr,
                   const std::string& sendFrom = {}) override;
    void LeaveGroup() override;
    bool Send(const std::string& bytes) override;
    void ShutdownAndClose() override;

private:
    void OnReadyRead();
    void CloseSockets();
    PacketTextHandler onText_;
    PacketQueue queue_{onText_};
    QUdpSocket* groupSocket_ = nullptr;
    QUdpSocket* sendSocket_ = nullptr;
    ip_mreq membership_{};
    bool joined_ = false;
    QHostAddress destination_;
    quint16 port_ = 0;
};

}  // namespace zc
