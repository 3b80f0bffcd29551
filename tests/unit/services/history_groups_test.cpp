#include <gtest/gtest.h>

#include "services/history.h"
#include "services/user_groups.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

TEST(History, MonthsAndYearsSplitTheFiles) {
    TempRoot root(false);
    FakeClock clock(1767225599);  // 2025-12-31 23:59:59
    ChatHistory history(clock);
    history.AppendHistory("<b>last</b>", true, true);
    history.AppendHistory("secret", false, false);
    clock.AdvanceMs(1000);
    history.AppendHistory("first", true, true);
    history.AppendHistory("new year", false, true);
    EXPECT_EQ(root.Read("history/2025_12/12-2025_Main.htm"),
              std::string(kHistoryCharsetLine) + "[31/12/2025] [23:59:59] <b>last</b>\n<br>");
    EXPECT_EQ(root.Read("history/2025_12/2025_private_alert.htm"), std::string(kHistoryCharsetLine) + "secret\n<br>");
    EXPECT_EQ(root.Read("history/2026_01/01-2026_Main.htm"),
              std::string(kHistoryCharsetLine) + "[01/01/2026] [00:00:00] first\n<br>");
    EXPECT_EQ(root.Read("history/2026_01/2026_private_alert.htm"),
              std::string(kHistoryCharsetLine) + "[01/01/2026] [00:00:00] new year\n<br>");
}

TEST(UserGroups, MemberKeysAndAddressRanges) {
    TempRoot root(false);
    EXPECT_EQ(MemberKey("a b=c"), "abc");
    root.Write("p.cfg", "[GROUPS]\r\nGROUP1MASK=192.168.0.1-192.168.0.2\r\nGROUP2MASK=10.0.0.2-10.0.0.20\r\n"
                        "GROUP3MASK=10.251.0.13-10.251.0.13\r\n[GROUPMEMBER]\r\nabc=2\r\nbig=7\r\nblank= \r\n");
    EXPECT_EQ(GroupOfMember("p.cfg", "a b=c", 3), 2);
    EXPECT_EQ(GroupOfMember("p.cfg", "big", 3), 0);
    EXPECT_EQ(GroupOfMember("p.cfg", "blank", 3), 0);
    // Addresses compare as numbers, both ends included.
    for (const char* inside : {"10.0.0.2", "10.0.0.11", "10.0.0.20"}) EXPECT_EQ(GroupOfAddress("p.cfg", inside, 3), 1);
    for (const char* outside : {"10.0.0.1", "10.0.0.100", "10.0.0.3x"}) EXPECT_EQ(GroupOfAddress("p.cfg", outside, 3), 0);
    EXPECT_EQ(GroupOfAddress("p.cfg", "10.251.0.13", 3), 2);
    EXPECT_EQ(WriteMemberGroup("p.cfg", "New One", 9, 3), 1);
    EXPECT_EQ(GroupOfMember("p.cfg", "NewOne", 3), 1);
}

}  // namespace zc
