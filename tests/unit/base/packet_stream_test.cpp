#include "base/packet_stream.h"

#include <gtest/gtest.h>

namespace zc {

TEST(PacketStream, SplitsAtZeroBytesAndKeepsTheUnfinishedPart) {
    PacketStream stream;
    const std::string two("one\0two\0thr", 11);
    EXPECT_EQ(stream.Feed(two.data(), two.size()), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(stream.Pending(), 3u);
    const std::string rest("ee\0\0", 4);
    EXPECT_EQ(stream.Feed(rest.data(), rest.size()), (std::vector<std::string>{"three"}));
    EXPECT_EQ(stream.Pending(), 0u);
}

TEST(PacketStream, OverlongGarbageIsDroppedAndTheStreamRecovers) {
    PacketStream stream;
    const std::string junk(5000, 'x');
    EXPECT_TRUE(stream.Feed(junk.data(), junk.size()).empty());
    EXPECT_EQ(stream.Pending(), 0u);
    const std::string next("ok\0", 3);
    EXPECT_EQ(stream.Feed(next.data(), next.size()), (std::vector<std::string>{"ok"}));
    const std::string big = std::string(4200, 'y') + std::string(1, '\0');
    auto packets = stream.Feed(big.data(), big.size());
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].size(), 4096u);  // cut, so its terminator check refuses it
}

TEST(PacketStream, TheLongestPacketArrivesWholeAcrossReads) {
    PacketStream stream;
    const std::string longest(4096, 'z');
    EXPECT_TRUE(stream.Feed(longest.data(), 4000).empty());
    const std::string rest = longest.substr(4000) + std::string(1, '\0');
    const auto packets = stream.Feed(rest.data(), rest.size());
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], longest);
}

}  // namespace zc
