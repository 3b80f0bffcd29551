#include "qt/qt_relay_transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <vector>

#include "qt_test_env.h"

namespace zc {
namespace {

using test::PumpFor;
using test::PumpUntil;

struct Watched {
    std::vector<std::string> texts;
    std::vector<RelayEvent> events;
    QtRelayTransport relay;
    explicit Watched(RelayTiming timing)
        : relay([this](const std::string& t, const std::string&) { texts.push_back(t); }, timing) {
        relay.SetEventHandler([this](RelayEvent e) { events.push_back(e); });
    }
};

// A listener whose one-place backlog is taken: further SYNs are dropped, the connect hangs.
int SilentListener(int& filler, quint16& port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    listen(fd, 0);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    filler = socket(AF_INET, SOCK_STREAM, 0);
    connect(filler, reinterpret_cast<sockaddr*>(&a), len);
    return fd;
}

TEST(QtRelayTransport, ConnectsWithoutWaitingAndAnUnansweredAttemptIsToldOnce) {
    test::QtApp();
    int filler = -1;
    quint16 port = 0;
    const int listener = SilentListener(filler, port);
    Watched w({.connectTimeoutMs = 300, .firstRetryMs = 100, .maxRetryMs = 200});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(w.relay.Connect("127.0.0.1", port));
    EXPECT_LT(clock.elapsed(), 50);
    EXPECT_FALSE(w.relay.IsConnected());
    EXPECT_TRUE(w.relay.Send(std::string("who\0", 4)));  // waits for the first attempt
    PumpFor(200);
    EXPECT_TRUE(w.events.empty());  // still trying: the relay does not answer, it does not refuse
    // Several timed-out attempts, one line's worth of news.
    PumpFor(1000);
    EXPECT_EQ(w.events, std::vector<RelayEvent>{RelayEvent::Down});
    EXPECT_FALSE(w.relay.Send(std::string("hi\0", 3)));
    w.relay.ShutdownAndClose();
    close(filler);
    close(listener);
}

TEST(QtRelayTransport, ComesBackAfterARelayRestartAndBoundsWhatWaitsToBeWritten) {
    test::QtApp();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    Watched w({.connectTimeoutMs = 1000, .firstRetryMs = 100, .maxRetryMs = 400});
    ASSERT_TRUE(w.relay.Connect("127.0.0.1", port));
    EXPECT_TRUE(w.relay.Send(std::string("who\0", 4)));
    ASSERT_TRUE(PumpUntil([&] { return server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_TRUE(PumpUntil([&] { return peer->bytesAvailable() >= 4; }));
    EXPECT_EQ(peer->readAll(), QByteArray("who\0", 4));  // the packet sent while connecting
    peer->write(QByteArray("one\0tw", 6));
    peer->write(QByteArray("o\0", 2));
    ASSERT_TRUE(PumpUntil([&] { return w.texts.size() == 2; }));
    EXPECT_EQ(w.texts, (std::vector<std::string>{"one", "two"}));

    // The relay goes away for a while: one Down, however many attempts fail meanwhile.
    peer->abort();
    server.close();
    ASSERT_TRUE(PumpUntil([&] { return w.events.size() == 2; }));
    EXPECT_FALSE(w.relay.IsConnected());
    EXPECT_FALSE(w.relay.Send(std::string("lost\0", 5)));
    PumpFor(1000);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    ASSERT_TRUE(PumpUntil([&] { return w.relay.IsConnected(); }, 3000));
    PumpFor(20);
    EXPECT_EQ(w.events, (std::vector<RelayEvent>{RelayEvent::Up, RelayEvent::Down, RelayEvent::Up}));

    // A relay that stops reading: refused past the bound, told once.
    const std::string packet(4095, 'x');
    size_t accepted = 0;
    while (w.relay.Send(packet + '\0') && accepted < 2 * kRelayWriteLimit) accepted += 4096;
    EXPECT_LE(accepted, kRelayWriteLimit);
    EXPECT_GE(accepted, kRelayWriteLimit - 4096);
    EXPECT_FALSE(w.relay.Send(packet + '\0'));
    PumpFor(20);
    EXPECT_EQ(w.events.back(), RelayEvent::WriteBufferFull);
    EXPECT_EQ(w.events.size(), 4u);
}

}  // namespace
}  // namespace zc
