#include "net/user_roster.h"

#include <gtest/gtest.h>

#include "net/flood_guard.h"

namespace zc {

TEST(Roster, SameNicknameIsShownWithTheIdentity) {
    CUserRoster r;
    r.AddOrUpdate("AAA", "10.0.0.1", "Ann", 1, "");
    r.AddOrUpdate("BBB", "10.0.0.2", "Ann", 2, "b.jpg");
    ASSERT_EQ(r.Entries().size(), 2u);
    EXPECT_EQ(r.NameOf("AAA"), "Ann");
    EXPECT_EQ(r.NameOf("BBB"), "Ann(BBB)");
    EXPECT_EQ(r.NameOf("CCC"), "CCC");
    EXPECT_EQ(r.IpOfName("Ann(BBB)"), "10.0.0.2");
    EXPECT_EQ(r.IpOfName("Ann"), "10.0.0.1");
    EXPECT_EQ(r.IpOfName("Zed"), "");
}

TEST(Roster, KnownEntriesAreNeverChangedByArrival) {
    CUserRoster r;
    r.AddOrUpdate("AAA", "10.0.0.1", "Ann", 1, "");
    r.AddOrUpdate("AAA", "10.0.0.1", "Annie", 3, "x.jpg");
    ASSERT_EQ(r.Entries().size(), 1u);
    EXPECT_EQ(r.Entries()[0].nickname, "Ann");
    r.AddOrUpdate("AAA", "10.0.0.9", "Ann", 1, "");  // a new address gives a second entry
    EXPECT_EQ(r.Entries().size(), 2u);
    r.SetMode("AAA", 3, "Busy", "a.jpg");
    EXPECT_EQ(r.Find("AAA")->modeText, "Busy ");
    EXPECT_EQ(r.Find("AAA")->active, 0);
    EXPECT_TRUE(r.Remove("AAA"));
    EXPECT_FALSE(r.Remove("NONE"));
}

TEST(Roster, GroupsAndConferenceMembers) {
    CUserRoster r;
    r.SetGroupNames({"Staff", "Dev"});
    r.AddOrUpdate("AAA", "10.0.0.1", "Ann", 1, "");
    r.SetGroup("AAA", 5);
    EXPECT_EQ(r.GroupOf(0), 0);  // out of range reads as the first group
    r.SetGroup("AAA", 1);
    EXPECT_EQ(r.GroupOf(0), 1);
    EXPECT_EQ(r.GroupIndex("Dev"), 1);
    EXPECT_EQ(r.GroupIndex("Nobody"), kNoGroup);
    r.AddMember("AAA");
    r.AddMember("AAA");
    EXPECT_TRUE(r.IsMember("AAA"));
    r.RemoveMember("AAA");
    EXPECT_FALSE(r.IsMember("AAA"));
}

TEST(FloodGuard, BurstPenaltyAndSwitchOff) {
    FloodGuard g;
    g.Reset();
    std::int64_t t = 1000;
    for (int i = 0; i < 15; ++i) EXPECT_EQ(g.Check(t + i / 4), FloodGuard::Verdict::Allowed) << i;
    EXPECT_EQ(g.Check(t + 4), FloodGuard::Verdict::Refused);
    EXPECT_EQ(g.Check(t + 19), FloodGuard::Verdict::Refused);  // 15 s after the refusal: not yet
    EXPECT_EQ(g.Check(t + 35), FloodGuard::Verdict::Allowed);
    // A gap longer than the window starts a new burst.
    FloodGuard h;
    h.Reset();
    for (int i = 0; i < 30; ++i) EXPECT_EQ(h.Check(t + i * 6), FloodGuard::Verdict::Allowed);
    h.SetLimit(0);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(h.Check(t), FloodGuard::Verdict::Allowed);
}

}  // namespace zc
