// The installed zeltorelay program: arguments, exit status, log lines and SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "relay_test_client.h"

extern char** environ;

namespace zc::relay::test {
namespace {

class RelayProcess {
public:
    // `launcher` goes before the program, e.g. prlimit to run it with fewer descriptors.
    explicit RelayProcess(const std::vector<std::string>& args, const std::vector<std::string>& launcher = {}) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        std::vector<std::string> all = launcher;
        all.push_back(ZC_RELAY_BIN);
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, all[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        outFd_ = out[0];
        errFd_ = err[0];
    }
    ~RelayProcess() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (outFd_ >= 0) close(outFd_);
        if (errFd_ >= 0) close(errFd_);
    }

    bool Started() const { return pid_ > 0; }
    void Signal(int sig) { kill(pid_, sig); }

    // Exit status once the program ended within `timeout`, or nullopt (it is then killed).
    std::optional<int> Wait(std::chrono::milliseconds timeout = 2000ms) {
        const auto deadline = Clock::now() + timeout;
        while (!status_) {
            int status = 0;
            Drain(errFd_, err_, 0);
            Drain(outFd_, out_, 0);
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (Clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(10ms);
        }
        Drain(errFd_, err_, 0);
        Drain(outFd_, out_, 0);
        return status_;
    }

    // Waits until standard error holds a match of `pattern`; returns its last group, or
    // nullopt on timeout.
    std::optional<std::string> WaitForError(const std::regex& pattern, std::chrono::milliseconds timeout = 3000ms) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            std::smatch m;
            if (std::regex_search(err_, m, pattern)) return m[m.size() - 1].str();
            if (Clock::now() >= deadline) return std::nullopt;
            Drain(errFd_, err_, 50);
        }
    }

    const std::string& Err() const { return err_; }
    const std::string& Out() const { return out_; }

private:
    static void Drain(int fd, std::string& into, int waitMs) {
        pollfd p{fd, POLLIN, 0};
        while (poll(&p, 1, waitMs) > 0) {
            char buf[4096];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) return;
            into.append(buf, static_cast<size_t>(n));
            waitMs = 0;
        }
    }

    pid_t pid_ = -1;
    int outFd_ = -1, errFd_ = -1;
    std::string out_, err_;
    std::optional<int> status_;
};

TEST(RelayProgram, RelaysLogsConnectionsAndStopsCleanlyOnSigterm) {
    RelayProcess relay({"--bind", "127.0.0.1", "--port", "0"});
    ASSERT_TRUE(relay.Started());
    const auto listening = relay.WaitForError(std::regex(R"(listening on 127\.0\.0\.1:(\d+))"));
    ASSERT_TRUE(listening) << relay.Err();
    const auto port = static_cast<uint16_t>(std::stoi(*listening));

    {
        TestClient a(port), b(port);
        if (!a.Ok() || !b.Ok()) GTEST_SKIP() << "cannot connect to 127.0.0.1; run inside a network namespace with lo up";
        ASSERT_TRUE(relay.WaitForError(std::regex("connect " + b.Peer() + " "))) << relay.Err();
        ASSERT_TRUE(a.SendPacket(WirePacket("through the program")));
        EXPECT_EQ(b.NextPacket(), WirePacket("through the program"));
        a.Close();
        EXPECT_TRUE(relay.WaitForError(std::regex("disconnect " + a.Peer() + ": "))) << relay.Err();
        // b is still connected when the signal comes.
        relay.Signal(SIGTERM);
        EXPECT_EQ(relay.Wait(), 0) << relay.Err();
        EXPECT_TRUE(b.WaitClosed());
    }
    EXPECT_NE(relay.Err().find("connect 127.0.0.1:"), std::string::npos);
    EXPECT_NE(relay.Err().find("stopped by SIGTERM"), std::string::npos) << relay.Err();
}

TEST(RelayProgram, HelpAndBadArguments) {
    {
        RelayProcess relay({"--help"});
        ASSERT_TRUE(relay.Started());
        EXPECT_EQ(relay.Wait(), 0);
        for (const char* option : {"--port", "--bind", "--echo", "--max-clients", "--max-per-address",
                                   "--greeting-timeout", "--quiet-timeout"})
            EXPECT_NE(relay.Out().find(option), std::string::npos) << option;
    }
    const std::vector<std::vector<std::string>> bad = {
        {"--port", "70000"}, {"--port", "9x"}, {"--port"}, {"--port="}, {"--bind", "300.1.2.3"},
        {"--echo=yes"}, {"--verbose"}, {"9011"}, {"--max-clients", "0"}, {"--max-clients", "-5"},
        {"--quiet-timeout", "1"}, {"--quiet-timeout=2s"}, {"--max-per-address", "0"}, {"--greeting-timeout", "0"},
        {"--greeting-timeout=90000"},
    };
    for (const auto& args : bad) {
        RelayProcess relay(args);
        ASSERT_TRUE(relay.Started());
        EXPECT_EQ(relay.Wait(), 1) << args[0];
        EXPECT_NE(relay.Err().find("zeltorelay: "), std::string::npos) << args[0] << ": " << relay.Err();
        EXPECT_EQ(relay.Err().find("listening"), std::string::npos) << args[0];
    }
}

TEST(RelayProgram, PortInUseIsAnErrorWithStatus1) {
    int holder = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(holder, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(holder, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(holder, 1) != 0) {
        close(holder);
        GTEST_SKIP() << "127.0.0.1 unavailable; run inside a network namespace with lo up";
    }
    socklen_t len = sizeof addr;
    getsockname(holder, reinterpret_cast<sockaddr*>(&addr), &len);
    const std::string port = std::to_string(ntohs(addr.sin_port));

    RelayProcess relay({"--bind", "127.0.0.1", "--port", port});
    ASSERT_TRUE(relay.Started());
    EXPECT_EQ(relay.Wait(), 1);
    EXPECT_NE(relay.Err().find("cannot listen on 127.0.0.1:" + port), std::string::npos) << relay.Err();
    close(holder);
}

TEST(RelayProgram, OutOfDescriptorsRefusesAtOnceLogsOnceAndRecovers) {
    // Few descriptors: the served clients use them up and the rest must be told no at once.
    RelayProcess relay({"--bind", "127.0.0.1", "--port", "0"}, {"prlimit", "--nofile=16:16"});
    ASSERT_TRUE(relay.Started());
    const auto listening = relay.WaitForError(std::regex(R"(listening on 127\.0\.0\.1:(\d+))"));
    ASSERT_TRUE(listening) << relay.Err();
    const auto port = static_cast<uint16_t>(std::stoi(*listening));

    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 30; ++i) {
        clients.push_back(std::make_unique<TestClient>(port));
        if (!clients.back()->Ok()) GTEST_SKIP() << "cannot connect to 127.0.0.1; run inside a network namespace with lo up";
    }
    ASSERT_TRUE(relay.WaitForError(std::regex("refused 127\\.0\\.0\\.1:\\d+: out of file descriptors"))) << relay.Err();
    // No second line, however long past the 200 ms an accept retry would take.
    const std::string fdLine = "(out of file descriptors|Too many open files)";
    EXPECT_FALSE(relay.WaitForError(std::regex(fdLine + "[\\s\\S]*" + fdLine), 700ms)) << relay.Err();

    std::vector<TestClient*> served, refused;
    for (auto& c : clients) (relay.Err().find("connect " + c->Peer() + " ") != std::string::npos ? served : refused).push_back(c.get());
    ASSERT_GE(served.size(), 2u) << relay.Err();
    ASSERT_GE(refused.size(), 15u) << relay.Err();
    for (TestClient* c : refused) EXPECT_TRUE(c->WaitClosed(3000ms)) << c->Peer() << " was left waiting";

    // The served clients were never disturbed.
    ASSERT_TRUE(served[0]->SendPacket(WirePacket("served all along")));
    EXPECT_EQ(served[1]->NextPacket(), WirePacket("served all along"));

    // Once descriptors are free again a newcomer is served.
    const std::string leaving = served.back()->Peer();
    served.back()->Close();
    ASSERT_TRUE(relay.WaitForError(std::regex("disconnect " + leaving + ": "))) << relay.Err();
    TestClient newcomer(port);
    ASSERT_TRUE(relay.WaitForError(std::regex("connect " + newcomer.Peer() + " "))) << relay.Err();
    EXPECT_NE(relay.Err().find("accepting again after refusing"), std::string::npos);
    ASSERT_TRUE(newcomer.SendPacket(WirePacket("newcomer")));
    EXPECT_EQ(served[0]->NextPacket(), WirePacket("newcomer"));
}

}  // namespace
}  // namespace zc::relay::test
