#pragma once
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include "base/packet_stream.h"
#include "platform/network.h"
#include "qt/packet_queue.h"

namespace zc {

// How long an attempt may take and how the pauses between attempts grow.
struct RelayTiming {
    int connectTimeoutMs = 5000;
    int firstRetryMs = 1000;
    int maxRetryMs = 30000;
};

// One TCP connection to the relay server; packets end at their zero byte. Connecting never
// blocks the window: the socket connects in the background, and after a drop or a failed
// attempt it tries again, pausing twice as long each time up to a cap, from the start once up.
class QtRelayTransport : public QObject, public RelayTransport {
    Q_OBJECT
public:
    explicit QtRelayTransport(PacketTextHandler onText, RelayTiming timing = {});
    ~QtRelayTransport() override;
    bool Connect(const std::string& server, int port) override;
    bool IsConnected() const override { return state_ == State::Up; }
    void SetEventHandler(std::function<void(RelayEvent)> onEvent) override { onEvent_ = std::move(onEvent); }
    bool Send(const std::string& bytes) override;
    void ShutdownAndClose() override;

private:
    enum class State { Closed, Connecting, Up, Waiting };
    void Attempt();
    void OnConnected();
    void OnFailed();
    void Tell(RelayEvent event);
    bool RefuseFull();
    void OnReadyRead();

    PacketTextHandler onText_;
    PacketQueue queue_{onText_};
    QTcpSocket socket_;
    PacketStream stream_;
    RelayTiming timing_;
    QTimer connectTimer_;
    QTimer retryTimer_;
    State state_ = State::Closed;
    QString server_;
    quint16 port_ = 0;
    int nextRetryMs_ = 0;
    // Until the first attempt ends, packets wait for it (the presence sent at start-up).
    bool firstAttempt_ = false;
    std::string waiting_;
    bool full_ = false;
    bool told_ = false;
    RelayEvent lastTold_ = RelayEvent::Down;
    std::function<void(RelayEvent)> onEvent_;
};

}  // namespace zc
