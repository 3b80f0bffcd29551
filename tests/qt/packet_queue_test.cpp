#include "qt/packet_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "qt_test_env.h"

namespace zc {
using namespace zc::test;

TEST(PacketQueue, PacketsReachTheChatFromTheLoopInOrderASliceAtATime) {
    QtApp();
    std::vector<std::string> got;
    PacketQueue queue([&](const std::string& text, const std::string&) { got.push_back(text); });
    for (int i = 0; i < 200; ++i) queue.Push(std::to_string(i));
    EXPECT_TRUE(got.empty());  // nothing inside the reader
    QCoreApplication::processEvents();
    EXPECT_LE(got.size(), static_cast<size_t>(PacketQueue::kSlice));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 200; }));
    for (int i = 0; i < 200; ++i) EXPECT_EQ(got[static_cast<size_t>(i)], std::to_string(i));
}

TEST(PacketQueue, AFullQueueDropsAndADeliveryMayEndItsOwner) {
    QtApp();
    int delivered = 0;
    std::unique_ptr<PacketQueue> queue;
    queue = std::make_unique<PacketQueue>([&](const std::string&, const std::string&) {
        ++delivered;
        // The chat may close the transport that owns the queue while it delivers.
        if (delivered == 3) queue.reset();
    });
    for (size_t i = 0; i < PacketQueue::kMaxWaiting + 10; ++i) queue->Push("x");
    EXPECT_EQ(queue->Dropped(), 10u);
    PumpFor(50);
    EXPECT_EQ(delivered, 3);
    EXPECT_EQ(queue, nullptr);
}

TEST(PacketQueue, OneSourcesFloodNeitherPushesOutNorDelaysAColleaguesPacket) {
    QtApp();
    std::vector<std::pair<std::string, std::string>> got;
    PacketQueue queue([&](const std::string& text, const std::string& source) { got.emplace_back(text, source); });
    for (int i = 0; i < 20000; ++i) queue.Push("flood", "10.0.0.66");
    EXPECT_TRUE(queue.Push("hello", "10.0.0.2"));
    EXPECT_EQ(queue.Waiting(), PacketQueue::kMaxWaiting);
    EXPECT_EQ(queue.Dropped(), 20000 - PacketQueue::kMaxWaiting + 1);  // the flood's own, one made room
    QCoreApplication::processEvents();
    ASSERT_GE(got.size(), 2u);
    const std::pair<std::string, std::string> hello{"hello", "10.0.0.2"};
    EXPECT_TRUE(got[0] == hello || got[1] == hello);  // sources take turns
}

}  // namespace zc
