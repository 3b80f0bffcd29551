#include "base/debug_log.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using test::TempRoot;

TEST(DebugLog, LinesCarryTimeAndCrLfAndAppend) {
    TempRoot root(false);
    test::FakeClock clock(1765188000);  // 2025-12-08 10:00:00 UTC
    DebugLog log(clock, "");
    log.Write(":::ReadParams:::");
    log.Write("**********************\nZelto Chat 1.0\n", true);
    DebugLog second(clock, "");  // another copy appends to the same day file
    second.Write(":::ExitMain:::");
    EXPECT_EQ(root.Read("logs/2025_12/12-08-2025.txt"),
              "10:00:00 :::ReadParams:::\r\n**********************\nZelto Chat 1.0\n\r\n10:00:00 :::ExitMain:::\r\n");
}

TEST(DebugLog, MidnightAndMonthEndStartNewFiles) {
    TempRoot root(false);
    test::FakeClock clock(1767225599);  // 2025-12-31 23:59:59 UTC
    DebugLog log(clock, "");
    log.Write("before");
    clock.AdvanceMs(1000);
    log.Write("after");
    EXPECT_EQ(root.Read("logs/2025_12/12-31-2025.txt"), "23:59:59 before\r\n");
    EXPECT_EQ(root.Read("logs/2026_01/01-01-2026.txt"), "00:00:00 after\r\n");
    clock.Set(1772323199);  // 2026-02-28 23:59:59
    log.Write("feb");
    clock.AdvanceMs(1000);
    log.Write("mar");
    EXPECT_TRUE(root.Exists("logs/2026_02/02-28-2026.txt"));
    EXPECT_EQ(root.Read("logs/2026_03/03-01-2026.txt"), "00:00:00 mar\r\n");
}

TEST(DebugLog, UnwritableFolderLosesLinesSilently) {
    TempRoot root(false);
    root.Write("logs", "a file where the folder should be");
    test::FakeClock clock;
    DebugLog log(clock, "");
    log.Write("lost");
    EXPECT_EQ(root.Read("logs"), "a file where the folder should be");
}

}  // namespace zc
