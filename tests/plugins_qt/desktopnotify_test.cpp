// The desktop notification plug-in against a notification server of the test's own, on a
// private session bus (the test runs under dbus-run-session).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <functional>

#include "plugin_test_support.h"

using plugintest::FakeHost;
using plugintest::Notification;

namespace {

const char* g_serverPath = nullptr;

bool WaitFor(const std::function<bool()>& condition, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() <= limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (condition()) return true;
        QThread::msleep(5);
    }
    return false;
}

bool ServerUp() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.Notifications");
}

QVariantList Control(const char* method, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall("org.zeltochat.TestControl", "/control",
                                                       "org.zeltochat.TestControl", method);
    call.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.arguments();
}

// The calls the server got, each as app, replaces id, summary, body, actions, timeout, id, icon,
// desktop entry.
QList<QStringList> Calls() {
    QList<QStringList> out;
    const QVariantList reply = Control("Calls");
    if (reply.isEmpty()) return out;
    for (const QString& line : reply[0].toStringList()) out << line.split(QChar(0x1f));
    return out;
}

class DesktopNotify : public ::testing::Test {
protected:
    plugintest::Plugin plugin{ZC_PLUGIN_DIR "/desktopnotify.so"};
    FakeHost host;
    QProcess server;

    void StartServer() {
        server.start(g_serverPath, {});
        ASSERT_TRUE(server.waitForStarted());
        ASSERT_TRUE(WaitFor(ServerUp, 5000)) << "the test's notification server did not come up";
    }
    void TearDown() override {
        server.kill();
        server.waitForFinished();
    }
};

}  // namespace

TEST_F(DesktopNotify, SendsTheNotificationAndReplacesTheSameSendersPreviousOne) {
    auto info = plugin.Get<GetPluginInfoFn>("GetPluginInfo");
    ASSERT_NE(info, nullptr);
    PluginInfo pi{};
    int32_t flag = 0;
    info(&pi, &flag);
    EXPECT_EQ(pi.type, ZC_PLUGIN_NOTIFY);
    EXPECT_STREQ(pi.name, "Desktop notifications");

    // Nobody serves notifications yet: a later plug-in should get its turn.
    Notification early(host, "Alice", "nobody listens", 3);
    EXPECT_EQ(plugin.Show(early), 0);

    StartServer();
    // "Алиса" in windows-1251, and a body a server would otherwise read as markup.
    Notification first(host, "\xC0\xEB\xE8\xF1\xE0", "a <b>bold</b> & 'more'", 3);
    EXPECT_EQ(plugin.Show(first), 1);
    Notification second(host, "Bob", "second", 0);
    EXPECT_EQ(plugin.Show(second), 1);
    Notification again(host, "\xC0\xEB\xE8\xF1\xE0", "again", 3);
    EXPECT_EQ(plugin.Show(again), 1);

    const QList<QStringList> calls = Calls();
    ASSERT_EQ(calls.size(), 3);
    ASSERT_EQ(calls[0].size(), 9);
    EXPECT_EQ(calls[0][0], "Zelto Chat");
    EXPECT_EQ(calls[0][1], "0");
    EXPECT_EQ(calls[0][2], QString::fromUtf8("Алиса"));
    EXPECT_EQ(calls[0][3], "a &lt;b&gt;bold&lt;/b&gt; &amp; &#39;more&#39;");
    EXPECT_EQ(calls[0][4], "default,Open");
    EXPECT_EQ(calls[0][5], "3000");
    EXPECT_EQ(calls[0][7], "zeltochat") << "the installed icon's name";
    EXPECT_EQ(calls[0][8], "zeltochat") << "the desktop entry's name";
    EXPECT_EQ(calls[1][1], "0") << "another sender's stands beside it";
    EXPECT_EQ(calls[1][5], "-1") << "no display time: the server's own";
    EXPECT_EQ(calls[2][1], calls[0][6]) << "the same sender's replaces the first";

    // Once the server closed it, the next one is a new notification.
    Control("Closed", {calls[1][6].toUInt()});
    WaitFor([] { return false; }, 300);
    Notification third(host, "Bob", "third", 1);
    EXPECT_EQ(plugin.Show(third), 1);
    ASSERT_EQ(Calls().size(), 4);
    EXPECT_EQ(Calls()[3][1], "0");

    // The server went away: not handled any more.
    server.kill();
    server.waitForFinished();
    ASSERT_TRUE(WaitFor([] { return !ServerUp(); }, 3000));
    Notification late(host, "Dave", "gone", 1);
    EXPECT_EQ(plugin.Show(late), 0);
}

TEST_F(DesktopNotify, ChoosingOurNotificationBringsTheChatForward) {
    StartServer();
    FakeHost initHost;
    auto init = plugin.Get<GetPluginInitFn>("GetPluginInit");
    ASSERT_NE(init, nullptr);
    const uintptr_t hostPointer = reinterpret_cast<uintptr_t>(&initHost.host);
    int32_t reserved = 0;
    init(&hostPointer, &reserved);

    Notification n(host, "Alice", "hello", 2);
    ASSERT_EQ(plugin.Show(n), 1);
    Notification later(host, "Bob", "later", 2);
    ASSERT_EQ(plugin.Show(later), 1);
    // Alice's, though Bob's came after it: each sender's stays ours.
    const uint id = Calls().value(0).value(6).toUInt();
    ASSERT_NE(id, 0u);

    // Another program's notification, or another action on ours, is not a reason.
    Control("Invoke", {id + 100, QString("default")});
    Control("Invoke", {id, QString("snooze")});
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(host.broughtToFront + initHost.broughtToFront, 0);

    Control("Invoke", {id, QString("default")});
    EXPECT_TRUE(WaitFor([&] { return host.broughtToFront == 1; }, 3000));
    EXPECT_EQ(initHost.broughtToFront, 0) << "the host of the latest call is the one to ask";
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: %s FAKE_SERVER\n", argv[0]);
        return 2;
    }
    g_serverPath = argv[1];
    return RUN_ALL_TESTS();
}
