#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "relay/output_queue.h"
#include "relay/stream_splitter.h"

namespace zc::relay {
namespace {

// The packets of one Feed output, each with its zero byte.
std::vector<std::string> Packets(const std::string& out) {
    std::vector<std::string> packets;
    for (size_t start = 0, zero; (zero = out.find('\0', start)) != std::string::npos; start = zero + 1)
        packets.push_back(out.substr(start, zero - start + 1));
    return packets;
}

std::vector<std::string> FeedAll(StreamSplitter& splitter, const std::vector<std::string>& reads, bool& ok) {
    std::string out;
    ok = true;
    for (const std::string& r : reads) ok = splitter.Feed(r.data(), r.size(), out) && ok;
    // Only whole packets leave the splitter.
    EXPECT_TRUE(out.empty() || out.back() == '\0');
    return Packets(out);
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

TEST(StreamSplitter, PacketOf4096BytesPassesAndOneMoreWithoutZeroOverflows) {
    {
        // The longest text the chat sends, split over reads, then its zero byte alone.
        StreamSplitter s;
        bool ok = false;
        const std::string text(kMaxPacketText, 'a');
        auto out = FeedAll(s, {text.substr(0, 1000), text.substr(1000), "\0"s}, ok);
        EXPECT_TRUE(ok);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], text + '\0');
        EXPECT_FALSE(s.Overflowed());
        // And again in one read, behind another packet.
        out = FeedAll(s, {"x\0"s + text + '\0'}, ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(out, (std::vector<std::string>{"x\0"s, text + '\0'}));
    }
    {
        // Split over reads: the limit counts the whole unfinished packet.
        StreamSplitter s;
        bool ok = true;
        auto out = FeedAll(s, {std::string(4000, 'a'), std::string(96, 'b')}, ok);
        EXPECT_TRUE(ok);
        out = FeedAll(s, {"b"s}, ok);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(s.Overflowed());
        EXPECT_TRUE(out.empty());
        // Once overflowed the stream stays refused, even if a zero byte comes now.
        std::string more;
        EXPECT_FALSE(s.Feed("\0x\0", 3, more));
        EXPECT_TRUE(more.empty());
    }
    {
        // 4097 bytes followed by the zero in the same read are too long.
        StreamSplitter s;
        bool ok = true;
        auto out = FeedAll(s, {"ok\0"s + std::string(kMaxPacketText + 1, 'c') + '\0'}, ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(out, (std::vector<std::string>{"ok\0"s}));
    }
}

std::shared_ptr<const std::string> Packet(size_t size, char fill) {
    return std::make_shared<const std::string>(size, fill);
}

TEST(OutputQueue, RefusesWhatWouldPassTheLimitAndFreesRoomAsItDrains) {
    OutputQueue q;
    // 256 chunks of 4096 bytes are exactly 1 MiB.
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(q.Push(Packet(4096, 'a'))) << i;
    EXPECT_EQ(q.Pending(), kMaxBacklogBytes);
    EXPECT_FALSE(q.Push(Packet(1, 'b')));
    EXPECT_EQ(q.Pending(), kMaxBacklogBytes);

    q.Consume(100);
    EXPECT_FALSE(q.Push(Packet(101, 'b')));
    EXPECT_TRUE(q.Push(Packet(100, 'b')));
    EXPECT_EQ(q.Pending(), kMaxBacklogBytes);
}

TEST(OutputQueue, GatheredWritesResumeWherePartialWritesStopped) {
    OutputQueue q(64);
    ASSERT_TRUE(q.Push(std::make_shared<const std::string>("first\0"s)));
    ASSERT_TRUE(q.Push(std::make_shared<const std::string>("second\0third\0"s)));
    ASSERT_TRUE(q.Push(std::make_shared<const std::string>("fourth\0"s)));
    EXPECT_EQ(q.Pending(), 26u);

    // Writes that end inside a chunk and take all they are given; with room for two entries
    // per write, a large write still leaves the third chunk for the next one.
    std::string sent;
    for (size_t step : {2u, 100u, 3u, 100u}) {
        iovec iov[2];
        const size_t n = q.Gather(iov, 2);
        ASSERT_GT(n, 0u);
        size_t wrote = 0;
        for (size_t i = 0; i < n && wrote < step; ++i) {
            const size_t take = std::min(step - wrote, iov[i].iov_len);
            sent.append(static_cast<const char*>(iov[i].iov_base), take);
            wrote += take;
        }
        q.Consume(wrote);
        EXPECT_EQ(q.Pending(), 26u - sent.size());
    }
    EXPECT_EQ(sent, "first\0second\0third\0fourth\0"s);
    EXPECT_TRUE(q.Empty());
    EXPECT_EQ(q.Packets(), 0u);
    iovec none[1];
    EXPECT_EQ(q.Gather(none, 1), 0u);
}

}  // namespace
}  // namespace zc::relay
