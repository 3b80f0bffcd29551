#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

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
        // A runtime folder of the test's own (QTemporaryDir makes it 0700).
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void TearDown() override {
        for (const auto& [variable, value] : saved) {
            if (value.isNull()) qunsetenv(variable);
            else qputenv(variable, value);
        }
    }
    QString SocketPath() const { return QtSingleInstanceLock::SocketPath(name); }
    std::vector<std::pair<const char*, QByteArray>> saved = {{"XDG_RUNTIME_DIR", qgetenv("XDG_RUNTIME_DIR")},
                                                             {"XDG_CACHE_HOME", qgetenv("XDG_CACHE_HOME")}};
    QTemporaryDir runtime;
    std::string name;
};

TEST_F(QtSingleInstanceLockTest, ServerNameIsPerUserAndFileSafe) {
    const QString server = QtSingleInstanceLock::ServerName("Zelto Chat only one");
    EXPECT_EQ(QStringLiteral("zeltochat-%1-Zelto_Chat_only_one").arg(geteuid()), server);
    EXPECT_FALSE(QtSingleInstanceLock::ServerName("a/../b\xE9").contains(u'/'));
}

TEST_F(QtSingleInstanceLockTest, TheSocketLivesInAFolderOnlyThisUserCanEnter) {
    const QString file = QtSingleInstanceLock::ServerName(name);
    QtSingleInstanceLock lock;
    ASSERT_TRUE(lock.Acquire(name));
    EXPECT_TRUE(QFile::exists(runtime.path() + "/" + file));
    EXPECT_FALSE(QFile::exists(QDir::tempPath() + "/" + file));  // nothing another user could take first
    lock.Release();

    // A runtime folder open to others: a folder of our own under the cache, kept closed.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    const QString fallback = cache.path() + "/zeltochat/run";
    ASSERT_EQ(0, ::chmod(QFile::encodeName(runtime.path()).constData(), 0777));
    ASSERT_TRUE(::mkdir(QFile::encodeName(cache.path() + "/zeltochat").constData(), 0700) == 0 &&
                ::mkdir(QFile::encodeName(fallback).constData(), 0755) == 0);
    ASSERT_TRUE(lock.Acquire(name));
    EXPECT_TRUE(QFile::exists(fallback + "/" + file));
    struct stat st {};
    ASSERT_EQ(0, ::stat(QFile::encodeName(fallback).constData(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    lock.Release();

    // A link planted in its place is refused: no lock rather than somebody else's folder.
    ASSERT_TRUE(QDir(fallback).removeRecursively());
    ASSERT_TRUE(QFile::link(QDir::tempPath(), fallback));
    EXPECT_FALSE(lock.Acquire(name));
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
    client.connectToServer(SocketPath());
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
