#include "services/transfer_worker.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>

#include "services/transfer_stream.h"
#include "support/fake_transfer.h"
#include "support/temp_root.h"

namespace zc {
namespace {

using namespace zc::test;
namespace fs = std::filesystem;

constexpr int kPort = 7000;

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

struct Side {
    TransferResult result;
    std::vector<TransferTick> ticks;
    std::atomic<bool> stop{false};
    // Sees every tick on the worker thread, before it is recorded.
    std::function<void(const TransferTick&)> onTick;

    TransferTickSink Sink() {
        return [this](const TransferTick& t) {
            if (onTick) onTick(t);
            ticks.push_back(t);
        };
    }
};

class TransferWorkerTest : public ::testing::Test {
protected:
    TempRoot root{false};
    FakeTransferSockets sockets;
    Side sender, receiver;

    TransferJob SendJob(const std::string& file) const {
        TransferJob job;
        job.peerIp = "127.0.0.1";
        job.port = kPort;
        job.path = root.Path() + file;
        return job;
    }
    TransferJob ReceiveJob(const std::string& name) const {
        TransferJob job;
        job.peerIp = "127.0.0.1";
        job.port = kPort;
        job.folder = root.Path() + "download";
        job.name = name;
        return job;
    }
    // Both workers at once; the sender on a thread of its own.
    void RunBoth(const TransferJob& send, const TransferJob& receive) { RunBoth(sockets, sender, send, receiver, receive); }
    void RunBoth(TransferSockets& on, Side& s, const TransferJob& send, Side& r, const TransferJob& receive) {
        std::thread t([&] { s.result = RunSendWorker(on, send, s.stop, s.Sink()); });
        r.result = RunReceiveWorker(on, receive, r.stop, r.Sink());
        t.join();
    }
    // The receiving worker against a sender the test plays itself: it sends bytes and closes.
    void ReceiveFrom(Side& r, const TransferJob& receive, const std::string& bytes) {
        std::thread t([&] { r.result = RunReceiveWorker(sockets, receive, r.stop, r.Sink()); });
        std::atomic<bool> never{false};
        std::string why;
        auto link = sockets.Accept(kPort, never, &why);
        EXPECT_TRUE(link) << why;
        for (size_t at = 0; link && at < bytes.size();) {
            const long n = link->Send(bytes.data() + at, bytes.size() - at);
            if (n <= 0) break;
            at += static_cast<size_t>(n);
        }
        link.reset();
        t.join();
    }
};

TEST_F(TransferWorkerTest, EmptyFileIsTheHeaderAloneAndCompletesAtOnce) {
    root.Write("empty.bin", "");
    RunBoth(SendJob("empty.bin"), ReceiveJob("empty.bin"));
    EXPECT_EQ(sender.result.end, TransferEnd::Done) << sender.result.why;
    ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    EXPECT_EQ(receiver.result.path, root.Path() + "download/empty.bin");
    EXPECT_TRUE(root.Exists("download/empty.bin"));
    EXPECT_EQ(root.Read("download/empty.bin"), "");
    for (const Side* side : {&sender, &receiver}) {
        ASSERT_EQ(side->ticks.size(), 2u);
        EXPECT_TRUE(side->ticks[0].connected);
        EXPECT_FALSE(side->ticks[1].connected);
        EXPECT_EQ(side->ticks[1].length, 0u);
        EXPECT_EQ(side->ticks[1].done, 0u);
    }

    // On the wire: four zero bytes and nothing more, whatever the receiver asks for.
    std::thread s([&] { sender.result = RunSendWorker(sockets, SendJob("empty.bin"), sender.stop, sender.Sink()); });
    std::string why;
    auto link = sockets.Connect("127.0.0.1", kPort, receiver.stop, &why);
    ASSERT_TRUE(link) << why;
    char buf[16];
    std::string got;
    while (got.size() < 4) {
        const long n = link->Receive(buf, sizeof buf);
        ASSERT_GT(n, 0);
        got.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, std::string(4, '\0'));
    link.reset();
    s.join();
    EXPECT_EQ(sender.result.end, TransferEnd::Done);
}

TEST_F(TransferWorkerTest, FileArrivesInBlocksOfAtMost4096AndProgressEndsAtItsLength) {
    const std::string data = Pattern(5000, 1);
    root.Write("five.bin", data);
    // The download folder does not exist yet: the receiver makes it.
    RunBoth(SendJob("five.bin"), ReceiveJob("five.bin"));
    EXPECT_EQ(sender.result.end, TransferEnd::Done) << sender.result.why;
    ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    EXPECT_EQ(root.Read("download/five.bin"), data);
    EXPECT_EQ(sender.result.bytes, 5000u);
    EXPECT_EQ(receiver.result.bytes, 5000u);
    // The fake link takes at most 1500 bytes a call, so partial sends were repeated.
    EXPECT_LE(sockets.Net().LargestSend(), kTransferBlockSize);
    EXPECT_LE(sockets.Net().LargestReceive(), kTransferBlockSize);

    for (const Side* side : {&sender, &receiver}) {
        ASSERT_GE(side->ticks.size(), 3u);
        EXPECT_TRUE(side->ticks.front().connected);
        EXPECT_EQ(side->ticks[1].length, 5000u);
        EXPECT_EQ(side->ticks[1].done, 0u);
        for (size_t i = 2; i < side->ticks.size(); ++i) EXPECT_GT(side->ticks[i].done, side->ticks[i - 1].done);
        const TransferTick& last = side->ticks.back();
        EXPECT_EQ(last.done, 5000u);
        EXPECT_EQ(TransferProgress::Text(last.done, last.length), "4 / 4KB");
    }
}

TEST_F(TransferWorkerTest, ConnectRetriesThenGivesUpOrGetsThrough) {
    sockets.Net().connectWaitMs = 0;
    sockets.FailConnects(1000);
    receiver.result = RunReceiveWorker(sockets, ReceiveJob("x.bin"), receiver.stop, receiver.Sink());
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_NE(receiver.result.why.find("refused"), std::string::npos) << receiver.result.why;
    EXPECT_EQ(sockets.ConnectAttempts(), 16);
    EXPECT_EQ(sockets.Pauses(), std::vector<int>(15, 1000));
    EXPECT_TRUE(receiver.ticks.empty());
    EXPECT_FALSE(root.Exists("download"));

    // Refused three times while the sender is not listening yet, then through.
    FakeTransferSockets late;
    late.FailConnects(3);
    root.Write("late.bin", "hello");
    TransferJob receive = ReceiveJob("late.bin");
    receive.retryPauseMs = 250;
    RunBoth(late, sender, SendJob("late.bin"), receiver, receive);
    EXPECT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    EXPECT_EQ(late.ConnectAttempts(), 4);
    EXPECT_EQ(late.Pauses(), std::vector<int>(3, 250));
    EXPECT_EQ(root.Read("download/late.bin"), "hello");
}

TEST_F(TransferWorkerTest, StopEndsWaitsWithoutWritingAFile) {
    // During the connection retries.
    sockets.FailConnects(1000);
    sockets.OnPause([&](int pauses) {
        if (pauses == 3) receiver.stop = true;
    });
    receiver.result = RunReceiveWorker(sockets, ReceiveJob("x.bin"), receiver.stop, receiver.Sink());
    EXPECT_EQ(receiver.result.end, TransferEnd::Stopped);
    EXPECT_EQ(sockets.ConnectAttempts(), 3);
    EXPECT_EQ(sockets.Pauses().size(), 3u);

    // Connected, but cancelled at that moment: no file.
    sockets.FailConnects(0);
    Side quick;
    quick.onTick = [&](const TransferTick& t) {
        if (t.connected) quick.stop = true;
    };
    root.Write("a.bin", "abc");
    RunBoth(sockets, sender, SendJob("a.bin"), quick, ReceiveJob("a.bin"));
    EXPECT_EQ(quick.result.end, TransferEnd::Stopped);
    EXPECT_TRUE(quick.result.path.empty());
    EXPECT_FALSE(root.Exists("download/a.bin"));
    EXPECT_NE(sender.result.end, TransferEnd::Done);

    // The sender, before anybody connects.
    Side idle;
    idle.stop = true;
    idle.result = RunSendWorker(sockets, SendJob("a.bin"), idle.stop, idle.Sink());
    EXPECT_EQ(idle.result.end, TransferEnd::Stopped);
    EXPECT_TRUE(idle.ticks.empty());
}

TEST_F(TransferWorkerTest, CancelOnEitherSideStopsAfterTheCurrentBlock) {
    const std::string data = Pattern(1 << 20, 2);
    root.Write("big.bin", data);
    uint64_t stoppedAt = 0;
    sender.onTick = [&](const TransferTick& t) {
        if (t.done > 0 && !sender.stop) stoppedAt = t.done, sender.stop = true;
    };
    RunBoth(SendJob("big.bin"), ReceiveJob("big.bin"));
    EXPECT_EQ(sender.result.end, TransferEnd::Stopped) << sender.result.why;
    EXPECT_EQ(sender.result.bytes, stoppedAt);
    EXPECT_LT(stoppedAt, data.size());
    // The receiver got everything sent, then the close: a failure, and no partial file kept.
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_TRUE(receiver.result.connectionLost);
    EXPECT_FALSE(root.Exists("download/big.bin"));
    EXPECT_FALSE(root.Exists("download/big.bin.part"));

    Side s2, r2;
    r2.onTick = [&](const TransferTick& t) {
        if (t.done > 0 && !r2.stop) stoppedAt = t.done, r2.stop = true;
    };
    RunBoth(sockets, s2, SendJob("big.bin"), r2, ReceiveJob("big.bin"));
    EXPECT_EQ(r2.result.end, TransferEnd::Stopped) << r2.result.why;
    EXPECT_EQ(r2.result.bytes, stoppedAt);
    EXPECT_TRUE(r2.result.path.empty());
    EXPECT_FALSE(root.Exists("download/big.bin.part"));
    // Nobody reads any more: the sender fails instead of hanging or calling it done.
    EXPECT_EQ(s2.result.end, TransferEnd::Failed);
}

TEST_F(TransferWorkerTest, PeerClosingEarlyIsAConnectionLostAndKeepsNoPartialFile) {
    const std::string part = Pattern(3000, 3);
    ReceiveFrom(receiver, ReceiveJob("cut.bin"), EncodeTransferHeader(10000) + part);
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_EQ(receiver.result.bytes, 3000u);
    EXPECT_EQ(receiver.result.length, 10000u);
    EXPECT_TRUE(receiver.result.connectionLost);
    EXPECT_TRUE(receiver.result.path.empty());
    EXPECT_TRUE(fs::is_empty(root.Path() + "download"));
    EXPECT_NE(receiver.result.why.find("3000 of 10000"), std::string::npos) << receiver.result.why;

    // Closed inside the header.
    Side r2;
    ReceiveFrom(r2, ReceiveJob("cut.bin"), std::string(2, '\0'));
    EXPECT_EQ(r2.result.end, TransferEnd::Failed);
    EXPECT_EQ(r2.ticks.size(), 1u);  // connected, never a length
    EXPECT_FALSE(r2.result.length);
    EXPECT_TRUE(r2.result.connectionLost);
}

TEST_F(TransferWorkerTest, HugeLengthIsOnlyAPromise) {
    const size_t heapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
    size_t heapPeak = heapBefore;
    receiver.onTick = [&](const TransferTick&) {
        const struct mallinfo2 m = mallinfo2();
        heapPeak = std::max(heapPeak, m.uordblks + m.hblkhd);
    };
    const std::string tail = "0123456789";
    ReceiveFrom(receiver, ReceiveJob("huge.bin"), EncodeTransferHeader(0xFFFFFFFFu) + tail);
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_FALSE(root.Exists("download/huge.bin.part"));
    EXPECT_EQ(receiver.ticks.at(1).length, 0xFFFFFFFFu);
    EXPECT_LE(sockets.Net().LargestReceive(), kTransferBlockSize);
    EXPECT_LT(heapPeak - heapBefore, 1u << 20);

    // Bytes past the promised length are not taken.
    Side r2;
    ReceiveFrom(r2, ReceiveJob("short.bin"), EncodeTransferHeader(3) + "abcdefgh");
    EXPECT_EQ(r2.result.end, TransferEnd::Done);
    EXPECT_EQ(root.Read("download/short.bin"), "abc");
}

TEST_F(TransferWorkerTest, DownloadsNeverReplaceWhatTheUserHas) {
    root.Write("download/a.txt", "mine");
    fs::create_symlink(root.Path() + "elsewhere.txt", root.Path() + "download/b.txt");
    root.Write("src.txt", "theirs");
    RunBoth(SendJob("src.txt"), ReceiveJob("a.txt"));
    ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    EXPECT_EQ(receiver.result.path, root.Path() + "download/a (1).txt");
    RunBoth(SendJob("src.txt"), ReceiveJob("a.txt"));
    EXPECT_EQ(receiver.result.path, root.Path() + "download/a (2).txt");
    RunBoth(SendJob("src.txt"), ReceiveJob("b.txt"));
    EXPECT_EQ(receiver.result.path, root.Path() + "download/b (1).txt");
    EXPECT_EQ(root.Read("download/a.txt"), "mine");
    EXPECT_EQ(root.Read("download/a (2).txt"), "theirs");
    EXPECT_FALSE(root.Exists("elsewhere.txt"));  // not written through the dangling link
}

TEST_F(TransferWorkerTest, ADownloadIsNamePartUntilWholeAndThenTakesTheFirstFreeName) {
    const std::string data = Pattern(200000, 5);
    root.Write("src.bin", data);
    bool sawPart = false;
    receiver.onTick = [&](const TransferTick& t) {
        if (t.done == 0 || sawPart) return;
        sawPart = root.Exists("download/x.bin.part") && !root.Exists("download/x.bin");
        // The user saves a file of that name meanwhile: it is kept, the download numbered.
        root.Write("download/x.bin", "mine");
    };
    RunBoth(SendJob("src.bin"), ReceiveJob("x.bin"));
    ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    EXPECT_TRUE(sawPart);
    EXPECT_EQ(receiver.result.path, root.Path() + "download/x (1).bin");
    EXPECT_EQ(root.Read("download/x (1).bin"), data);
    EXPECT_EQ(root.Read("download/x.bin"), "mine");
    EXPECT_FALSE(root.Exists("download/x.bin.part"));
}

TEST_F(TransferWorkerTest, NamesThatAreNoPlainFileAreRefused) {
    for (const std::string name : {"../evil.txt", "sub/evil.txt", "..", "", ".profile", "a\\..\\evil.txt", "x\nevil"}) {
        SCOPED_TRACE(name);
        Side r;
        r.result = RunReceiveWorker(sockets, ReceiveJob(name), r.stop, r.Sink());
        EXPECT_EQ(r.result.end, TransferEnd::Failed);
        EXPECT_TRUE(r.result.path.empty());
    }
    // Refused before anything happened: no connection, no folder, nothing beside it.
    EXPECT_EQ(sockets.ConnectAttempts(), 0);
    EXPECT_FALSE(root.Exists("download"));
    EXPECT_FALSE(root.Exists("evil.txt"));
}

TEST_F(TransferWorkerTest, OverwriteModeReplacesButNeverThroughALink) {
    root.Write("download/snap.bmp", std::string(9000, 'o'));
    root.Write("new.bmp", "new picture");
    TransferJob receive = ReceiveJob("snap.bmp");
    receive.overwrite = true;
    RunBoth(SendJob("new.bmp"), receive);
    ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    EXPECT_EQ(receiver.result.path, root.Path() + "download/snap.bmp");
    EXPECT_EQ(root.Read("download/snap.bmp"), "new picture");

    root.Write("precious.txt", "keep");
    fs::create_symlink(root.Path() + "precious.txt", root.Path() + "download/link.bmp");
    receive.name = "link.bmp";
    RunBoth(SendJob("new.bmp"), receive);
    EXPECT_EQ(receiver.result.end, TransferEnd::Done);
    EXPECT_EQ(root.Read("precious.txt"), "keep");  // the link itself was replaced
    EXPECT_FALSE(fs::is_symlink(root.Path() + "download/link.bmp"));
}

TEST_F(TransferWorkerTest, AReplacementTakesTheNameOnlyWhenWholeAndWithinItsLimit) {
    root.Write("download/face.png", "good picture");
    TransferJob receive = ReceiveJob("face.png");
    receive.overwrite = true;
    receive.maxLength = 1000;
    Side tooLong, cut, whole;
    ReceiveFrom(tooLong, receive, EncodeTransferHeader(1001) + std::string(1001, 'x'));
    EXPECT_NE(tooLong.result.why.find("refused 1001 bytes, at most 1000"), std::string::npos) << tooLong.result.why;
    ReceiveFrom(cut, receive, EncodeTransferHeader(1000) + std::string(500, 'x'));
    EXPECT_EQ(cut.result.end, TransferEnd::Failed);
    // Neither left anything beside the good picture.
    EXPECT_EQ(root.Read("download/face.png"), "good picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(root.Path() + "download"), fs::directory_iterator{}), 1);
    ReceiveFrom(whole, receive, EncodeTransferHeader(1000) + std::string(1000, 'n'));
    EXPECT_EQ(root.Read("download/face.png"), std::string(1000, 'n'));
}

TEST_F(TransferWorkerTest, SenderFailsRatherThanSendAShortOrUndescribableFile) {
    // Missing file: the receiver is told by the close before any length.
    RunBoth(SendJob("missing.bin"), ReceiveJob("m.bin"));
    EXPECT_EQ(sender.result.end, TransferEnd::Failed);
    EXPECT_NE(sender.result.why.find("missing.bin"), std::string::npos);
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);

    // Larger than the 32-bit length (a sparse file, nothing really written).
    {
        root.Write("over.bin", "");
        ASSERT_EQ(::truncate((root.Path() + "over.bin").c_str(), (1LL << 32) + 1), 0);
        Side s, r;
        RunBoth(sockets, s, SendJob("over.bin"), r, ReceiveJob("over.bin"));
        EXPECT_EQ(s.result.end, TransferEnd::Failed);
        EXPECT_NE(s.result.why.find("larger"), std::string::npos) << s.result.why;
        EXPECT_EQ(r.result.end, TransferEnd::Failed);
        EXPECT_EQ(r.result.bytes, 0u);
        root.Remove("over.bin");
    }

    // Shrinks after the length went out.
    const std::string data = Pattern(100000, 4);
    root.Write("shrink.bin", data);
    Side s, r;
    s.onTick = [&](const TransferTick& t) {
        if (!t.connected && t.done == 0) {
            ASSERT_EQ(::truncate((root.Path() + "shrink.bin").c_str(), 50000), 0);
        }
    };
    RunBoth(sockets, s, SendJob("shrink.bin"), r, ReceiveJob("shrink.bin"));
    EXPECT_EQ(s.result.end, TransferEnd::Failed);
    EXPECT_NE(s.result.why.find("shorter"), std::string::npos) << s.result.why;
    EXPECT_EQ(s.result.bytes, 50000u);
    EXPECT_EQ(r.result.end, TransferEnd::Failed);
    EXPECT_FALSE(root.Exists("download/shrink.bin.part"));
}

TEST_F(TransferWorkerTest, OnlyTheAcceptingUserMayTakeTheFile) {
    auto net = std::make_shared<FakeTransferNet>();
    FakeTransferSockets alice(net, "10.0.0.1"), bob(net, "10.0.0.2"), mallory(net, "10.0.0.3");
    root.Write("secret.txt", "for bob");
    TransferJob send = SendJob("secret.txt");
    send.peerIp = "10.0.0.2";
    std::thread s([&] { sender.result = RunSendWorker(alice, send, sender.stop, sender.Sink()); });

    std::atomic<bool> never{false};
    auto intruder = mallory.Connect("10.0.0.1", kPort, never, nullptr);
    ASSERT_TRUE(intruder);
    char buf[16];
    EXPECT_EQ(intruder->Receive(buf, sizeof buf), 0);  // turned away without a byte

    TransferJob receive = ReceiveJob("secret.txt");
    receive.peerIp = "10.0.0.1";
    receiver.result = RunReceiveWorker(bob, receive, receiver.stop, receiver.Sink());
    s.join();
    EXPECT_EQ(sender.result.end, TransferEnd::Done);
    EXPECT_EQ(root.Read("download/secret.txt"), "for bob");
    EXPECT_EQ(std::count_if(sender.ticks.begin(), sender.ticks.end(), [](const TransferTick& t) { return t.connected; }),
              1);
}

TEST_F(TransferWorkerTest, TicksStayNearOneHundredTwentyEight) {
    root.Write("mb.bin", Pattern(1 << 20, 5));
    RunBoth(SendJob("mb.bin"), ReceiveJob("mb.bin"));
    ASSERT_EQ(receiver.result.end, TransferEnd::Done);
    for (const Side* side : {&sender, &receiver}) {
        EXPECT_GE(side->ticks.size(), 100u);
        EXPECT_LE(side->ticks.size(), 131u);
        EXPECT_EQ(side->ticks.back().done, 1u << 20);
    }

    // A sender dribbling a small file one byte at a time.
    sockets.Net().pipeCapacity = 1;
    Side r;
    ReceiveFrom(r, ReceiveJob("drip.bin"), EncodeTransferHeader(255) + Pattern(255, 6));
    ASSERT_EQ(r.result.end, TransferEnd::Done);
    EXPECT_LE(r.ticks.size(), 131u);
    EXPECT_EQ(r.ticks.back().done, 255u);
}

TEST_F(TransferWorkerTest, NoExceptionLeavesAWorker) {
    root.Write("a.bin", "abc");
    receiver.onTick = [](const TransferTick& t) {
        if (t.length > 0) throw std::runtime_error("window gone");
    };
    RunBoth(SendJob("a.bin"), ReceiveJob("a.bin"));
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_NE(sender.result.end, TransferEnd::Done);
}

}  // namespace
}  // namespace zc
