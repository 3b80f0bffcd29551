#include "qt/qt_relay_transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTcpServer>

#include "qt_test_env.h"

namespace zc {
using test::PumpFor;
using test::PumpUntil;

TEST(QtRelayTransport, NeverWaitsForTheRelayComesBackAfterARestartAndBoundsItsBuffer) {
    test::QtApp();
    std::vector<RelayEvent> events;
    const auto ignore = [](const std::string&, const std::string&) {};
    // A listener whose one-place backlog is taken drops further SYNs: a relay that does not answer.
    const int silent = socket(AF_INET, SOCK_STREAM, 0), filler = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    bind(silent, reinterpret_cast<sockaddr*>(&a), len);
    listen(silent, 0);
    getsockname(silent, reinterpret_cast<sockaddr*>(&a), &len);
    connect(filler, reinterpret_cast<sockaddr*>(&a), len);
    auto mute = std::make_unique<QtRelayTransport>(ignore, RelayTiming{300, 100, 200});
    mute->SetEventHandler([&](RelayEvent e) { events.push_back(e); });
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(mute->Connect("127.0.0.1", ntohs(a.sin_port)));
    EXPECT_LT(clock.elapsed(), 50);
    PumpFor(200);
    EXPECT_TRUE(events.empty());  // still trying: not refused, unanswered
    PumpFor(1000);                // several attempts time out, told once
    EXPECT_EQ(events, std::vector<RelayEvent>{RelayEvent::Down});
    mute.reset();
    close(filler);
    close(silent);

    events.clear();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    QtRelayTransport relay(ignore, {1000, 100, 400});
    relay.SetEventHandler([&](RelayEvent e) { events.push_back(e); });
    ASSERT_TRUE(relay.Connect("127.0.0.1", port));
    ASSERT_TRUE(PumpUntil([&] { return server.hasPendingConnections(); }));
    server.nextPendingConnection()->abort();  // the relay restarts
    server.close();
    ASSERT_TRUE(PumpUntil([&] { return events.size() == 2; }));
    PumpFor(1000);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    ASSERT_TRUE(PumpUntil([&] { return relay.IsConnected(); }, 3000));
    // The relay stops reading: refused past the bound, told once.
    const std::string packet = std::string(4095, 'x') + '\0';
    size_t accepted = 0;
    while (relay.Send(packet) && accepted <= kRelayWriteLimit) accepted += packet.size();
    EXPECT_EQ(accepted, kRelayWriteLimit);
    PumpFor(20);
    EXPECT_EQ(events, (std::vector<RelayEvent>{RelayEvent::Up, RelayEvent::Down, RelayEvent::Up,
                                                RelayEvent::WriteBufferFull}));
}

}  // namespace zc
