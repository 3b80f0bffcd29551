#include <gtest/gtest.h>

#include "net/transfer_asks.h"

namespace zc {

using Kind = TransferAsks::Kind;

TEST(TransferAsks, AnAnswerCountsOnceForItsPeerAddressKindAndNameWithinAMinute) {
    TransferAsks asks;
    const std::string ip = "10.0.0.1";
    asks.Asked(Kind::File, "A1", ip, "a.txt", 100);
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "B2", ip, "a.txt", 101));          // somebody else
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "A1", "10.0.0.66", "a.txt", 101));  // from another address
    EXPECT_FALSE(asks.TakeAnswer(Kind::Avatar, "A1", ip, "a.txt", 101));        // another kind
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "A1", ip, "../a.txt", 101));       // another name
    EXPECT_TRUE(asks.TakeAnswer(Kind::File, "A1", ip, "a.txt", 160));
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "A1", ip, "a.txt", 160));  // used up

    asks.Asked(Kind::Desktop, "A1", ip, "", 100);
    EXPECT_TRUE(asks.Waiting(Kind::Desktop, 150));
    EXPECT_FALSE(asks.TakeAnswer(Kind::Desktop, "A1", ip, "", 161));  // too late
    EXPECT_FALSE(asks.TakeAnswer(Kind::Desktop, "A1", ip, "", 99));   // a clock set back
    // An ask made where no address was known is answered by nobody.
    asks.Asked(Kind::ProcessList, "A1", "", "", 100);
    EXPECT_FALSE(asks.TakeAnswer(Kind::ProcessList, "A1", "", "", 100));
}

TEST(TransferAsks, StateStaysBoundedWhateverPeersAndUsersDo) {
    TransferAsks asks;
    for (int i = 0; i < 1000; ++i) asks.Asked(Kind::Avatar, "P" + std::to_string(i), "10.0.0.1", "x.png", 5);
    // Only the newest asks are kept.
    EXPECT_FALSE(asks.TakeAnswer(Kind::Avatar, "P0", "10.0.0.1", "x.png", 6));
    EXPECT_TRUE(asks.TakeAnswer(Kind::Avatar, "P999", "10.0.0.1", "x.png", 6));
    EXPECT_TRUE(asks.TakeAnswer(Kind::Avatar, "P" + std::to_string(1000 - TransferAsks::kMaxAsks), "10.0.0.1",
                                "x.png", 6));
}

}  // namespace zc
