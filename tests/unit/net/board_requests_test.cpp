#include <gtest/gtest.h>

#include <set>

#include "net/board_requests.h"

namespace zc {
namespace {

std::string ListOf(int from, int count, int repeats = 1) {
    std::string list;
    for (int r = 0; r < repeats; ++r)
        for (int i = 0; i < count; ++i) list += std::to_string(from + i) + ".mes;";
    return list;
}

}  // namespace

TEST(BoardRequests, AListIsAskedForAFewNamesAtATimeEachOnce) {
    BoardRequests requests;
    std::set<std::string> have{"1002.mes"};
    auto has = [&](const std::string& n) { return have.count(n) > 0; };
    std::string note;
    // Junk, a name we have, and every name three times.
    const std::string list = "../x.mes;1.txt;" + ListOf(1000, 10, 3) + "1011.mes";
    auto ask = requests.OnList("P", list, 100, has, note);
    EXPECT_EQ(ask, (std::vector<std::string>{"1000.mes", "1001.mes", "1003.mes", "1004.mes"}));
    EXPECT_EQ(note, "");
    EXPECT_EQ(requests.Waiting("P"), 5u);  // 1011 lacks its ";", 1002 we have

    // The same list again asks for nothing already out.
    EXPECT_TRUE(requests.OnList("P", list, 101, has, note).empty());

    // Only what was asked of this peer counts as an answer; each answer frees one slot.
    EXPECT_FALSE(requests.Answered("Q", "1000.mes"));
    EXPECT_FALSE(requests.Answered("P", "1009.mes"));
    EXPECT_TRUE(requests.Answered("P", "1000.mes"));
    EXPECT_FALSE(requests.Answered("P", "1000.mes"));
    have.insert({"1000.mes", "1005.mes"});  // 1005 came meanwhile as a new message
    EXPECT_EQ(requests.Next("P", 102, has), std::vector<std::string>{"1006.mes"});

    // Another peer's list does not ask again for what is out to P.
    EXPECT_EQ(requests.OnList("Q", ListOf(1001, 8), 103, has, note),
              (std::vector<std::string>{"1007.mes", "1008.mes"}));

    // Unanswered requests are given up after a while, and the slots go to the rest.
    EXPECT_EQ(requests.Next("P", 102 + BoardRequests::kAnswerSeconds, has),
              (std::vector<std::string>{"1009.mes"}));
    EXPECT_EQ(requests.Outstanding("P"), 1u);
    EXPECT_EQ(requests.Waiting("P"), 0u);
}

TEST(BoardRequests, ListsAndPeersAreCapped) {
    BoardRequests requests;
    auto none = [](const std::string&) { return false; };
    std::string note;
    auto ask = requests.OnList("P", ListOf(1000, 300), 0, none, note);
    EXPECT_EQ(ask.size(), BoardRequests::kOutstanding);
    EXPECT_EQ(requests.Waiting("P"), BoardRequests::kNamesPerList - BoardRequests::kOutstanding);
    EXPECT_EQ(note, ":::Board list of P cut to 64 names");
    // One line a minute, however many lists come.
    note.clear();
    requests.OnList("P", ListOf(5000, 300), 10, none, note);
    EXPECT_EQ(note, "");

    // Lists under many forged identities: the oldest peers are dropped, state stays bounded.
    for (int i = 0; i < 100; ++i) requests.OnList("F" + std::to_string(i), ListOf(10000 + 100 * i, 80), 20 + i, none, note);
    EXPECT_EQ(requests.Peers(), BoardRequests::kMaxPeers);
    EXPECT_EQ(requests.Outstanding("P"), 0u);
    EXPECT_EQ(requests.Outstanding("F99"), BoardRequests::kOutstanding);
    EXPECT_EQ(note, ":::Board lists of more than 32 peers, the oldest dropped");
    // A dropped peer's answers are no longer taken.
    EXPECT_FALSE(requests.Answered("F0", "10000.mes"));
}

}  // namespace zc
