#pragma once
#include <QObject>
#include <QTcpSocket>

#include "base/packet_stream.h"
#include "platform/network.h"
#include "qt/packet_queue.h"

namespace zc {

// One TCP connection to the relay server; packets end at their zero byte.
class QtRelayTransport : public QObject, public RelayTransport {
    Q_OBJECT
public:
    explicit QtRelayTransport(PacketTextHandler onText, int connectTimeoutMs = 5000);
    ~QtRelayTransport() override;
    bool Connect(const std::string& server, int port) override;
    bool Send(const std::string& bytes) override;
    void ShutdownAndClose() override;

private:
    void OnReadyRead();
    PacketTextHandler onText_;
    PacketQueue queue_{onText_};
    QTcpSocket socket_;
    PacketStream stream_;
    int timeoutMs_;
};

}  // namespace zc
