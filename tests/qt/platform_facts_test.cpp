#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "qt/posix_system_facts.h"
#include "qt/qt_clock.h"
#include "qt/qt_process_starter.h"
#include "qt/unix_signal_quit.h"
#include "qt/virtual_keys.h"
#include "qt_test_env.h"
#include "support/temp_root.h"

namespace zc {
namespace {

bool IsIpv4(const std::string& s) {
    in_addr a{};
    return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

TEST(PosixSystemFactsTest, LocalIpv4PrefersAPresentInterfaceAddress) {
    PosixSystemFacts facts;
    const std::string any = facts.LocalIpv4("");
    // Never the loopback address by itself; empty when the host has no other.
    EXPECT_TRUE(any.empty() || (IsIpv4(any) && any.rfind("127.", 0) != 0)) << any;
    EXPECT_EQ(any, facts.LocalIpv4("0.0.0.0"));
    // lo is up wherever these tests run; asked for by name, it is taken.
    EXPECT_EQ("127.0.0.1", facts.LocalIpv4("127.0.0.1"));
    // An address no interface has falls back to the first one.
    EXPECT_EQ(any, facts.LocalIpv4("192.0.2.77"));
    EXPECT_EQ(any, facts.LocalIpv4("not an address"));
}

TEST(PosixSystemFactsTest, ProcessFacts) {
    PosixSystemFacts facts;
    const std::filesystem::path exe = facts.ExecutablePath();
    EXPECT_TRUE(exe.is_absolute());
    EXPECT_EQ("zqt_tests", exe.filename());
    EXPECT_FALSE(facts.ComputerName().empty());
    EXPECT_FALSE(facts.UserName().empty());

    ::setenv("ZC_FACTS_TEST", "a b=c", 1);
    EXPECT_EQ("a b=c", facts.EnvironmentValue("ZC_FACTS_TEST"));
    ::unsetenv("ZC_FACTS_TEST");
    EXPECT_EQ("", facts.EnvironmentValue("ZC_FACTS_TEST"));
}

TEST(QtClockTest, SleepMovesTheMonotonicClock) {
    QtClock clock;
    const auto before = clock.MonotonicMs();
    clock.SleepMs(30);
    const auto slept = clock.MonotonicMs() - before;
    EXPECT_GE(slept, 30);
    EXPECT_LT(slept, 1000);
    const std::time_t now = clock.Now();
    EXPECT_LE(std::abs(now - std::time(nullptr)), 1);
    const std::tm tm = clock.LocalTime(0);
    EXPECT_TRUE(tm.tm_year == 69 || tm.tm_year == 70);  // the epoch, in any time zone
}

TEST(QtProcessStarterTest, StartsInTheGivenFolder) {
    test::TempRoot dir(false);
    const std::string work = dir.Path() + "work dir";
    std::filesystem::create_directory(work);
    QtProcessStarter starter;
    ASSERT_TRUE(starter.StartDetached("/bin/sh", {"-c", "pwd > \"$0\"", "out.txt"}, work));
    auto written = [&] {
        std::error_code ec;
        return std::filesystem::file_size(work + "/out.txt", ec) > 0 && !ec;
    };
    ASSERT_TRUE(test::PumpUntil(written));
    EXPECT_EQ(work + "\n", test::ReadFileBytes(work + "/out.txt"));
    EXPECT_FALSE(starter.StartDetached(dir.Path() + "no-such-program", {}, work));
}

TEST(UnixSignalQuitTest, SignalArrivesAsACallOnTheEventLoop) {
    test::QtApp();
    std::vector<int> got;
    {
        UnixSignalQuit quit([&](int s) { got.push_back(s); });
        ASSERT_TRUE(quit.Installed());
        ::raise(SIGTERM);
        ::raise(SIGINT);
        EXPECT_TRUE(got.empty());  // not from inside the handler
        ASSERT_TRUE(test::PumpUntil([&] { return got.size() == 2; }));
        EXPECT_EQ((std::vector<int>{SIGTERM, SIGINT}), got);
    }
    // Uninstalled again: the old disposition is back.
    struct sigaction now {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(SIG_DFL, now.sa_handler);
}

TEST(VirtualKeysTest, HotKeyCodes) {
    EXPECT_EQ(112, VirtualKeyFromQt(Qt::Key_F1, false));
    EXPECT_EQ(116, VirtualKeyFromQt(Qt::Key_F5, false));
    EXPECT_EQ(122, VirtualKeyFromQt(Qt::Key_F11, false));
    EXPECT_EQ(123, VirtualKeyFromQt(Qt::Key_F12, false));
    EXPECT_EQ(27, VirtualKeyFromQt(Qt::Key_Escape, false));
    EXPECT_EQ('A', VirtualKeyFromQt(Qt::Key_A, false));
    EXPECT_EQ('Z', VirtualKeyFromQt(Qt::Key_Z, false));
    EXPECT_EQ('0', VirtualKeyFromQt(Qt::Key_0, false));
    EXPECT_EQ(96 + 7, VirtualKeyFromQt(Qt::Key_7, true));
    EXPECT_EQ(13, VirtualKeyFromQt(Qt::Key_Enter, true));
    EXPECT_EQ(0, VirtualKeyFromQt(Qt::Key_Shift, false));
    EXPECT_EQ(0, VirtualKeyFromQt(Qt::Key_Plus, false));
    EXPECT_EQ(107, VirtualKeyFromQt(Qt::Key_Plus, true));
}

}  // namespace
}  // namespace zc
