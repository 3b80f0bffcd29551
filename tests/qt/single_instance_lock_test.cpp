#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>

#include "qt/qt_single_instance_lock.h"
#include "qt_test_env.h"

namespace zc {
namespace {

using test::PumpFor;
using test::PumpUntil;

class QtSingleInstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::QtApp();
        static int serial = 0;
        name = "Zelto Chat test " + std::to_string(getpid()) + " " + std::to_string(++serial);
    }
    QString SocketPath() const { return QDir::tempPath() + "/" + QtSingleInstanceLock::ServerName(name); }
    std::string name;
};

TEST_F(QtSingleInstanceLockTest, ServerNameIsPerUserAndFileSafe) {
    const QString server = QtSingleInstanceLock::ServerName("Zelto Chat only one");
    EXPECT_EQ(QStringLiteral("zeltochat-%1-Zelto_Chat_only_one").arg(geteuid()), server);
    EXPECT_FALSE(QtSingleInstanceLock::ServerName("a/../b\xE9").contains(u'/'));
}

TEST_F(QtSingleInstanceLockTest, SecondCopySeesTheHolderAndWakesIt) {
    QtSingleInstanceLock first, second;
    int activations = 0;
    first.SetActivateHandler([&] { ++activations; });

    EXPECT_FALSE(second.IsHeldElsewhere(name));
    EXPECT_FALSE(second.ActivateHolder(name));
    ASSERT_TRUE(first.Acquire(name));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(first.IsHeldElsewhere(name));  // its own lock is not somebody else's
    EXPECT_TRUE(second.IsHeldElsewhere(name));
    EXPECT_FALSE(second.Acquire(name));
    EXPECT_FALSE(second.IsHeld());
    PumpFor(50);
    EXPECT_EQ(0, activations);  // looking is not asking

    EXPECT_TRUE(second.ActivateHolder(name));
    ASSERT_TRUE(PumpUntil([&] { return activations == 1; }));
    EXPECT_TRUE(second.ActivateHolder(name));
    ASSERT_TRUE(PumpUntil([&] { return activations == 2; }));
    PumpFor(50);
    EXPECT_EQ(2, activations);

    first.Release();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_FALSE(QFile::exists(SocketPath()));
    EXPECT_FALSE(second.IsHeldElsewhere(name));
    EXPECT_TRUE(second.Acquire(name));
}

TEST_F(QtSingleInstanceLockTest, OnlyTheShowRequestActivates) {
    QtSingleInstanceLock holder;
    int activations = 0;
    holder.SetActivateHandler([&] { ++activations; });
    ASSERT_TRUE(holder.Acquire(name));

    QLocalSocket client;
    client.connectToServer(QtSingleInstanceLock::ServerName(name));
    ASSERT_TRUE(client.waitForConnected(500));
    client.write("hello\nshowme\nsh");
    client.flush();
    PumpFor(100);
    EXPECT_EQ(0, activations);
    client.write("ow\r\n");  // the rest of a request split over two writes
    client.flush();
    ASSERT_TRUE(PumpUntil([&] { return activations == 1; }));

    // A peer that floods the holder is cut off, and the holder carries on.
    client.write(QByteArray(4096, 'x'));
    client.flush();
    PumpUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }, 1000);
    EXPECT_EQ(1, activations);
    QtSingleInstanceLock other;
    EXPECT_TRUE(other.ActivateHolder(name));
    EXPECT_TRUE(PumpUntil([&] { return activations == 2; }));
}

TEST_F(QtSingleInstanceLockTest, SocketLeftByACrashedCopyIsTakenOver) {
    // What a copy that was killed leaves behind: a socket file nobody listens on.
    const QByteArray path = QFile::encodeName(SocketPath());
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof addr.sun_path);
    memcpy(addr.sun_path, path.constData(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr));
    ::close(fd);
    ASSERT_TRUE(QFile::exists(SocketPath()));

    QtSingleInstanceLock next;
    EXPECT_FALSE(next.IsHeldElsewhere(name));
    ASSERT_TRUE(next.Acquire(name));
    QtSingleInstanceLock probe;
    EXPECT_TRUE(probe.IsHeldElsewhere(name));
}

TEST_F(QtSingleInstanceLockTest, AcquireTwiceKeepsTheLock) {
    QtSingleInstanceLock lock;
    ASSERT_TRUE(lock.Acquire(name));
    EXPECT_TRUE(lock.Acquire(name));
    EXPECT_FALSE(lock.Acquire(name + " other"));  // one lock per object
    QtSingleInstanceLock probe;
    EXPECT_TRUE(probe.IsHeldElsewhere(name));
    lock.Release();
    lock.Release();
    EXPECT_FALSE(probe.IsHeldElsewhere(name));
}

}  // namespace
}  // namespace zc
