// Relays of two sites through a real mosquitto, and two gateways on one segment.
#include <fcntl.h>
#include <net/if.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>

#include "relay/broker_config.h"
#include "relay/peer_gateways.h"
#include "relay_group_member.h"
#include "relay_test_server.h"

extern char** environ;

namespace zc::relay::test {
namespace {

uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {Ip("127.0.0.1")}, {}};
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

// The chat's presence query, as a copy at `address` sends it.
std::string PresenceQuery(std::string_view address) {
    CSubstCodec codec;
    codec.SetTables(SubstTableA(), SubstTableB());
    return codec.EncodeText(std::string(address) + "(TESTER01)||Tester||||0.0||0||2||Tester//end");
}

// mosquitto on 127.0.0.1, from the Debian package, with a configuration of our own.
class Broker {
public:
    Broker() : port_(FreePort()), conf_(::testing::TempDir() + "mosquitto-" + std::to_string(port_) + ".conf") {
        std::ofstream(conf_) << "listener " << port_ << " 127.0.0.1\nallow_anonymous true\npersistence false\n";
    }
    ~Broker() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::remove(conf_.c_str());
    }
    bool Start() {
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"mosquitto", "-c", conf_.c_str(), nullptr};
        const int rc = posix_spawnp(&pid_, "mosquitto", &quiet, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (rc != 0) return pid_ = -1, false;
        for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(50ms))
            if (TestClient(port_).Ok()) return true;
        return false;
    }
    uint16_t Port() const { return port_; }

private:
    uint16_t port_;
    std::string conf_;
    pid_t pid_ = -1;
};

// A TCP forwarder in front of the broker, so that one relay's link can be cut while others stay.
class LinkCutter {
public:
    explicit LinkCutter(uint16_t brokerPort) : broker_(brokerPort) {
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{AF_INET, 0, {Ip("127.0.0.1")}, {}};
        socklen_t len = sizeof a;
        bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(listen_, 8);
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Forward(); });
    }
    ~LinkCutter() {
        stop_ = true;
        thread_.join();
        close(listen_);
    }
    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    // While set, the links through it are closed and new ones refused.
    std::atomic<bool> cut{false};

private:
    void Forward() {
        std::vector<int> ends;  // pairs: client, broker
        while (!stop_) {
            std::vector<pollfd> fds{{listen_, POLLIN, 0}};
            for (int fd : ends) fds.push_back({fd, POLLIN, 0});
            poll(fds.data(), fds.size(), 50);
            char buffer[65536];
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents && !cut) continue;
                const ssize_t n = cut ? 0 : read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0 && send(ends[(i - 1) ^ 1], buffer, static_cast<size_t>(n), MSG_NOSIGNAL) == n) continue;
                const size_t pair = (i - 1) & ~size_t{1};
                if (ends[pair] < 0) continue;
                close(ends[pair]);
                close(ends[pair + 1]);
                ends[pair] = ends[pair + 1] = -1;
            }
            std::erase(ends, -1);
            if (!fds[0].revents) continue;
            const int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            const int upstream = cut ? -1 : socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in to{AF_INET, htons(broker_), {Ip("127.0.0.1")}, {}};
            if (upstream < 0 || connect(upstream, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
                close(client);
                if (upstream >= 0) close(upstream);
                continue;
            }
            ends.insert(ends.end(), {client, upstream});
        }
        for (int fd : ends) close(fd);
    }

    uint16_t broker_, port_ = 0;
    int listen_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A relay on its own thread, as the program runs it, with its log kept.
class Relay {
public:
    explicit Relay(RelayConfig config) : server_(std::move(config), [this](const std::string& l) { log.Add(l); }) {}
    ~Relay() { Stop(); }
    bool Start() {
        std::string error;
        if (!server_.Listen(error) || pipe2(stop_, O_CLOEXEC) != 0) return false;
        thread_ = std::thread([this] { server_.Run(stop_[0]); });
        return !log.WaitFor("broker link up: ", 10s).empty();
    }
    void Stop() {
        if (!thread_.joinable()) return;
        [[maybe_unused]] ssize_t n = write(stop_[1], "x", 1);
        thread_.join();
        for (int fd : stop_) close(fd);
    }
    std::unique_ptr<TestClient> Connect() {
        auto c = std::make_unique<TestClient>(server_.Port());
        EXPECT_NE(log.WaitFor("connect " + c->Peer() + " "), "");
        return c;
    }
    const RelayStats& Stats() const { return server_.Stats(); }
    LogRecorder log;

private:
    RelayServer server_;
    std::thread thread_;
    int stop_[2] = {-1, -1};
};

RelayConfig SiteRelay(const std::string& url, const char* site, const char* groupInterface = nullptr,
                      uint16_t groupPort = 0) {
    RelayConfig config;
    config.bindAddress = "127.0.0.1";
    config.port = 0;
    config.checkSenders = true;
    EXPECT_EQ(ParseBrokerUrl(url, config.broker), "");
    config.broker.site = site;
    // A relay without a segment stands for the far sites: its clients name addresses off lo.
    config.nat = !groupInterface;
    if (groupInterface) {
        config.gateway = true;
        config.group = {groupInterface, "225.0.0.1", groupPort, 1};
    }
    return config;
}

// Delivery once, no echoes and the segment rule are shown by the two-site namespace run; here the
// status answer and a cut of one relay's link, which that run cannot make.
TEST(RelayBroker, StatusAndALinkCutWithPresenceCaughtUp) {
    GroupMember member(19011);
    ASSERT_TRUE(member.Ok()) << "multicast on lo is needed: run inside the test network namespace";
    Broker broker;
    ASSERT_TRUE(broker.Start()) << "mosquitto (Debian package mosquitto) did not start";
    LinkCutter cutter(broker.Port());
    const std::string url = "mqtt://127.0.0.1:" + std::to_string(broker.Port());
    Relay a(SiteRelay(url, "a")), b(SiteRelay(cutter.Url(), "b", "lo", 19011));
    for (Relay* relay : {&a, &b}) ASSERT_TRUE(relay->Start());
    auto atA = a.Connect(), atB = b.Connect();

    const std::string hello = WirePacket("hello from site a", "10.1.0.5");
    atA->SendPacket(hello);
    EXPECT_EQ(atB->NextPacket(), hello);
    EXPECT_EQ(member.Received(), std::vector<std::string>{hello});

    atB->SendPacket(std::string(kStatusRequest));
    EXPECT_EQ(atB->NextPacket(), "zeltorelay-status\ngateway: 225.0.0.1:19011 on 127.0.0.1, TTL 1\nbroker: " +
                                     cutter.Url() + " site b room main, link up\nsites: a\n");

    // Site b's link breaks; a presence query meanwhile reaches site a once the link is back.
    cutter.cut = true;
    EXPECT_NE(b.log.WaitFor("broker link down: "), "");
    EXPECT_NE(b.log.WaitFor("broker link down: ").find(", retrying in 1 s"), std::string::npos);
    auto asker = b.Connect();
    asker->SendPacket(std::string(kStatusRequest));
    EXPECT_NE(asker->NextPacket().value_or("").find(", link down since "), std::string::npos);
    const std::string who = PresenceQuery("127.0.0.1");
    atB->SendPacket(who);
    EXPECT_EQ(atA->NextPacket(500ms), std::nullopt);
    cutter.cut = false;
    EXPECT_TRUE(b.log.WaitCount("broker link up: ", 2, 10s));
    EXPECT_EQ(atA->NextPacket(), who);
    EXPECT_EQ(b.log.Count("broker link down: "), 1u);  // once per change, not per retry

    b.Stop();
    EXPECT_EQ(b.Stats().fromBroker, 1u);
}

// Gives lo the extra addresses two gateways of one segment need; only in a namespace of our own.
bool AddLoopbackAddresses() {
    struct if_nameindex* names = if_nameindex();
    bool onlyLoopback = names != nullptr;
    for (struct if_nameindex* n = names; n && n->if_index != 0; ++n) onlyLoopback = onlyLoopback && n->if_name == std::string("lo");
    if (names) if_freenameindex(names);
    return onlyLoopback && std::system("ip addr replace 127.0.0.2/8 dev lo && ip addr replace 127.0.0.3/8 dev lo") == 0;
}

TEST(RelayBroker, TwoGatewaysOnOneSegmentSendEachPacketOnce) {
    if (!AddLoopbackAddresses()) GTEST_SKIP() << "needs a network namespace of its own with only lo";
    GroupMember member(19012);
    ASSERT_TRUE(member.Ok());
    Broker broker;
    ASSERT_TRUE(broker.Start()) << "mosquitto (Debian package mosquitto) did not start";
    const std::string url = "mqtt://127.0.0.1:" + std::to_string(broker.Port());
    RelayConfig lowConfig = SiteRelay(url, "near", "127.0.0.2", 19012), highConfig = SiteRelay(url, "near", "127.0.0.3", 19012);
    lowConfig.peers = {Ip("127.0.0.3")};
    highConfig.peers = {Ip("127.0.0.2")};
    Relay far(SiteRelay(url, "far"));
    auto low = std::make_unique<Relay>(lowConfig);
    Relay high(highConfig);
    for (Relay* relay : {&far, low.get(), &high}) ASSERT_TRUE(relay->Start());
    auto remote = far.Connect(), nearby = high.Connect();

    std::vector<std::string> lines;
    for (int i = 0; i < 5; ++i) remote->SendPacket(lines.emplace_back(WirePacket("line " + std::to_string(i), "10.9.0.7")));
    EXPECT_EQ(member.Received(), lines);
    for (const std::string& line : lines) EXPECT_EQ(nearby->NextPacket(), line);
    EXPECT_EQ(nearby->NextPacket(300ms), std::nullopt);

    // Without the lowest gateway packets still come, held back twice; then at once.
    low.reset();
    for (const char* text : {"late", "late again", "prompt"}) {
        const auto sent = Clock::now();
        remote->SendPacket(WirePacket(text, "10.9.0.7"));
        EXPECT_EQ(member.Next(), WirePacket(text, "10.9.0.7"));
        const auto took = Clock::now() - sent;
        if (std::string(text).starts_with("late")) {
            EXPECT_GE(took, PeerGateways::kHold);
        } else {
            EXPECT_LT(took, PeerGateways::kHold);
        }
        EXPECT_EQ(member.Received(), std::vector<std::string>{});
        EXPECT_EQ(nearby->NextPacket(), WirePacket(text, "10.9.0.7"));  // the gateway's clients at once
    }
    nearby->SendPacket(std::string(kStatusRequest));
    EXPECT_NE(nearby->NextPacket().value_or("").find("\npeers: 127.0.0.2 down since "), std::string::npos);
}

}  // namespace
}  // namespace zc::relay::test
