#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "relay/output_queue.h"
#include "relay/stream_splitter.h"

namespace zc::relay {
namespace {

std::vector<std::string> FeedAll(StreamSplitter& splitter, const std::vector<std::string>& reads, bool& ok) {
    std::vector<std::string> out;
    ok = true;
    for (const std::string& r : reads) ok = splitter.Feed(r.data(), r.size(), out) && ok;
    return out;
}

using namespace std::string_literals;

TEST(StreamSplitter, CutsPacketsAtZeroBytesAcrossReads) {
    StreamSplitter s;
    bool ok = false;
    // Three packets in one read, the zero byte kept with each.
    auto out = FeedAll(s, {"one\0two\0three\0"s}, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, (std::vector<std::string>{"one\0"s, "two\0"s, "three\0"s}));
    EXPECT_EQ(s.Buffered(), 0u);

    // One packet over three reads, the next one starting in the last read.
    out = FeedAll(s, {"ab"s, "cd"s, "ef\0gh"s}, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, (std::vector<std::string>{"abcdef\0"s}));
    EXPECT_EQ(s.Buffered(), 2u);
    out = FeedAll(s, {"\0"s}, ok);
    EXPECT_EQ(out, (std::vector<std::string>{"gh\0"s}));

    // Lone zero bytes carry nothing and are dropped.
    out = FeedAll(s, {"\0\0x\0\0"s}, ok);
    EXPECT_EQ(out, (std::vector<std::string>{"x\0"s}));
}

TEST(StreamSplitter, PacketOf4095BytesPassesAnd4096WithoutZeroOverflows) {
    {
        StreamSplitter s;
        bool ok = false;
        const std::string text(4095, 'a');
        auto out = FeedAll(s, {text.substr(0, 1000), text.substr(1000), "\0"s}, ok);
        EXPECT_TRUE(ok);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], text + '\0');
        EXPECT_FALSE(s.Overflowed());
    }
    {
        // Split over reads: the limit counts the whole unfinished packet.
        StreamSplitter s;
        bool ok = true;
        auto out = FeedAll(s, {std::string(4000, 'a'), std::string(96, 'b')}, ok);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(s.Overflowed());
        EXPECT_TRUE(out.empty());
        // Once overflowed the stream stays refused, even if a zero byte comes now.
        std::vector<std::string> more;
        EXPECT_FALSE(s.Feed("\0x\0", 3, more));
        EXPECT_TRUE(more.empty());
    }
    {
        // 4096 bytes followed by the zero in the same read are still too long.
        StreamSplitter s;
        bool ok = true;
        auto out = FeedAll(s, {"ok\0"s + std::string(4096, 'c') + '\0'}, ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(out, (std::vector<std::string>{"ok\0"s}));
    }
}

std::shared_ptr<const std::string> Packet(size_t size, char fill) {
    return std::make_shared<const std::string>(size, fill);
}

TEST(OutputQueue, RefusesWhatWouldPassTheLimitAndFreesRoomAsItDrains) {
    OutputQueue q;
    // 256 full-size packets are exactly 1 MiB.
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(q.Push(Packet(kMaxPacketBytes, 'a'))) << i;
    EXPECT_EQ(q.Pending(), kMaxBacklogBytes);
    EXPECT_FALSE(q.Push(Packet(1, 'b')));
    EXPECT_EQ(q.Pending(), kMaxBacklogBytes);

    q.Consume(100);
    EXPECT_FALSE(q.Push(Packet(101, 'b')));
    EXPECT_TRUE(q.Push(Packet(100, 'b')));
    EXPECT_EQ(q.Pending(), kMaxBacklogBytes);
}

TEST(OutputQueue, PartialWritesKeepEachPacketWholeAndInOrder) {
    OutputQueue q(64);
    ASSERT_TRUE(q.Push(std::make_shared<const std::string>("first\0"s)));
    ASSERT_TRUE(q.Push(std::make_shared<const std::string>("second\0"s)));
    EXPECT_EQ(q.Pending(), 13u);

    // Front never runs into the next packet, however the writes fall.
    std::string sent;
    for (size_t step : {2u, 3u, 1u, 4u, 100u}) {
        const std::string_view front = q.Front();
        ASSERT_FALSE(front.empty());
        const size_t n = std::min(step, front.size());
        sent.append(front.substr(0, n));
        EXPECT_LE(front.size(), 7u);
        q.Consume(n);
    }
    EXPECT_EQ(sent, "first\0second\0"s);
    EXPECT_TRUE(q.Empty());
    EXPECT_EQ(q.Pending(), 0u);
    EXPECT_TRUE(q.Front().empty());
}

}  // namespace
}  // namespace zc::relay
