#include <gtest/gtest.h>

#include "net/transfer_asks.h"

namespace zc {

using Kind = TransferAsks::Kind;

TEST(TransferAsks, AnAnswerCountsOnceForItsPeerKindAndNameWithinAMinute) {
    TransferAsks asks;
    asks.Asked(Kind::File, "A1", "a.txt", 100);
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "B2", "a.txt", 101));      // somebody else
    EXPECT_FALSE(asks.TakeAnswer(Kind::Avatar, "A1", "a.txt", 101));    // another kind
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "A1", "../a.txt", 101));   // another name
    EXPECT_TRUE(asks.TakeAnswer(Kind::File, "A1", "a.txt", 160));
    EXPECT_FALSE(asks.TakeAnswer(Kind::File, "A1", "a.txt", 160));      // used up

    asks.Asked(Kind::Desktop, "A1", "", 100);
    EXPECT_TRUE(asks.Waiting(Kind::Desktop, 150));
    EXPECT_FALSE(asks.TakeAnswer(Kind::Desktop, "A1", "", 161));  // too late
    EXPECT_FALSE(asks.TakeAnswer(Kind::Desktop, "A1", "", 99));   // a clock set back
}

TEST(TransferAsks, StateStaysBoundedWhateverPeersAndUsersDo) {
    TransferAsks asks;
    for (int i = 0; i < 1000; ++i) asks.Asked(Kind::Avatar, "P" + std::to_string(i), "x.png", 5);
    // Only the newest asks are kept.
    EXPECT_FALSE(asks.TakeAnswer(Kind::Avatar, "P0", "x.png", 6));
    EXPECT_TRUE(asks.TakeAnswer(Kind::Avatar, "P999", "x.png", 6));
    EXPECT_TRUE(asks.TakeAnswer(Kind::Avatar, "P" + std::to_string(1000 - TransferAsks::kMaxAsks), "x.png", 6));

    // One open question per peer, a few in all; a closed one frees its place.
    for (size_t i = 0; i < TransferAsks::kMaxOpenQuestions; ++i) EXPECT_TRUE(asks.OpenQuestion("Q" + std::to_string(i)));
    EXPECT_FALSE(asks.OpenQuestion("Q0"));
    EXPECT_FALSE(asks.OpenQuestion("new"));
    asks.CloseQuestion("Q0");
    EXPECT_TRUE(asks.OpenQuestion("new"));
}

}  // namespace zc
