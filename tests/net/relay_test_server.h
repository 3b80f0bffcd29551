#pragma once
// The relay server running in-process on 127.0.0.1, on its own thread, for tests with real
// TCP clients. Its log lines are kept so a test can wait for the server to see something.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "relay/relay_server.h"
#include "relay_test_client.h"

namespace zc::relay::test {

// Log lines of the server thread, so a test can wait for the server to see a connection.
class LogRecorder {
public:
    void Add(const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        changed_.notify_all();
    }
    // Waits for a line starting with `prefix`; returns it, or "" on timeout.
    std::string WaitFor(const std::string& prefix, std::chrono::milliseconds timeout = 5000ms) {
        std::unique_lock lock(mutex_);
        std::string found;
        changed_.wait_for(lock, timeout, [&] {
            for (const auto& l : lines_)
                if (l.starts_with(prefix)) return found = l, true;
            return false;
        });
        return found;
    }
    // Waits until `n` lines start with `prefix`; false on timeout.
    bool WaitCount(const std::string& prefix, size_t n, std::chrono::milliseconds timeout = 5000ms) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            return static_cast<size_t>(std::count_if(lines_.begin(), lines_.end(),
                                                     [&](const auto& l) { return l.starts_with(prefix); })) >= n;
        });
    }
    bool Has(const std::string& prefix) { return Count(prefix) > 0; }
    size_t Count(const std::string& prefix) {
        std::lock_guard lock(mutex_);
        return static_cast<size_t>(
            std::count_if(lines_.begin(), lines_.end(), [&](const auto& l) { return l.starts_with(prefix); }));
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

class RelaySocketTest : public ::testing::Test {
protected:
    virtual void Configure(RelayConfig&) const {}

    void SetUp() override {
        RelayConfig config;
        config.bindAddress = "127.0.0.1";
        config.port = 0;
        Configure(config);
        server_ = std::make_unique<RelayServer>(config, [this](const std::string& l) { log_.Add(l); });
        std::string error;
        if (!server_->Listen(error)) GTEST_SKIP() << "127.0.0.1 unavailable (" << error << "); run inside a network namespace with lo up";
        ASSERT_NE(server_->Port(), 0);
        ASSERT_EQ(pipe2(stop_, O_CLOEXEC), 0);
        thread_ = std::thread([this] { runResult_ = server_->Run(stop_[0]); });
        TestClient probe(server_->Port());
        if (!probe.Ok()) GTEST_SKIP() << "cannot connect to 127.0.0.1; run inside a network namespace with lo up";
        // Gone before the test starts, so it takes no place a test counts on.
        ASSERT_NE(log_.WaitFor("connect " + probe.Peer() + " "), "");
        probe.Close();
        ASSERT_NE(log_.WaitFor("disconnect " + probe.Peer() + ":"), "");
    }

    void TearDown() override {
        StopServer();
        for (int fd : stop_)
            if (fd >= 0) close(fd);
    }

    // Ends the server thread, after which its Stats() may be read.
    void StopServer() {
        if (!thread_.joinable()) return;
        EXPECT_EQ(write(stop_[1], "x", 1), 1);
        thread_.join();
        EXPECT_TRUE(runResult_);
    }

    // A connected client the server has already accepted, so it gets every later packet.
    std::unique_ptr<TestClient> Connect(int receiveBuffer = 0, const char* from = "127.0.0.1") {
        auto c = std::make_unique<TestClient>(server_->Port(), receiveBuffer, from);
        EXPECT_TRUE(c->Ok());
        EXPECT_NE(log_.WaitFor("connect " + c->Peer() + " "), "") << "server never saw " << c->Peer();
        return c;
    }

    std::unique_ptr<RelayServer> server_;
    LogRecorder log_;
    std::thread thread_;
    int stop_[2] = {-1, -1};
    bool runResult_ = false;
};

class EchoRelaySocketTest : public RelaySocketTest {
protected:
    void Configure(RelayConfig& config) const override { config.echo = true; }
};

}  // namespace zc::relay::test
