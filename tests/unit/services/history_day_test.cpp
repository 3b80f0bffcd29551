// One day's entries out of a month's history file, and the page made of them.
#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "services/history.h"
#include "services/history_search.h"
#include "support/fakes.h"
#include "support/temp_root.h"
#include "ui/html/history_day_page.h"

namespace zc {
using namespace zc::test;

TEST(HistoryDay, OnlyThatDaysEntriesInOrderAsWritten) {
    TempRoot root(false);
    FakeClock clock(1767182400);  // 2025-12-31 12:00:00
    {
        ChatHistory history(clock);
        history.AppendHistory("<b>last</b> day of the year", true, true);
        clock.AdvanceMs(11 * 3600 * 1000 + 59 * 60 * 1000);  // 23:59
        history.AppendHistory("two\nlines", true, true);
        clock.AdvanceMs(2 * 60 * 1000);  // 2026-01-01 00:01, a new month's file
        history.AppendHistory("new year", true, true);
    }
    const std::string dec = HistoryMonthFile(root.Path() + "history", 2025, 12, true);
    EXPECT_EQ(dec, root.Path() + "history/2025_12/12-2025_Main.htm");
    // Written by hand: the day before, a line without a time stamp, a stamp that is no time.
    std::string bytes = root.Read("history/2025_12/12-2025_Main.htm");
    bytes += "[30/12/2025] [10:00:00] the day before\n<br>no stamp\n<br>[31/12/2025] [xx:00:00] broken\n<br>";
    root.Write("history/2025_12/12-2025_Main.htm", bytes);

    const HistoryDay day = HistoryDayEntries(dec, 2025, 12, 31);
    ASSERT_EQ(day.written.size(), 2u);
    EXPECT_EQ(day.written[0], "[31/12/2025] [12:00:00] <b>last</b> day of the year");
    EXPECT_EQ(day.written[1], "[31/12/2025] [23:59:00] two\nlines");
    EXPECT_FALSE(day.cut);
    EXPECT_EQ(HistoryDayEntries(dec, 2025, 12, 30).written.size(), 1u);
    // The first of January is in January's file, not in December's.
    EXPECT_TRUE(HistoryDayEntries(dec, 2026, 1, 1).written.empty());
    const HistoryDay jan = HistoryDayEntries(HistoryMonthFile(root.Path() + "history", 2026, 1, true), 2026, 1, 1);
    ASSERT_EQ(jan.written.size(), 1u);
    EXPECT_EQ(jan.written[0], "[01/01/2026] [00:01:00] new year");
    EXPECT_TRUE(HistoryDayEntries(dec, 2025, 12, 0).written.empty());
    EXPECT_TRUE(HistoryDayEntries(root.Path() + "history/none.htm", 2025, 12, 31).written.empty());

    const std::string page = HistoryDayPage("31/12/2025 <x>", day, "cut");
    EXPECT_EQ(page, std::string(kHistoryCharsetLine) +
                        "<h3>31/12/2025 &lt;x&gt;</h3>\n"
                        "[31/12/2025] [12:00:00] <b>last</b> day of the year\n<br>"
                        "[31/12/2025] [23:59:00] two\nlines\n<br>");
}

TEST(HistoryDay, AHugeDayKeepsItsLatestEntriesWithinTheBounds) {
    TempRoot root(false);
    std::string bytes = kHistoryCharsetLine;
    for (int i = 0; i < 3000; ++i)
        bytes += "[02/03/2024] [10:00:00] entry " + std::to_string(i) + " " + std::string(1000, 'x') + "\n<br>";
    // A line that never ends: a broken file, read only up to the entry limit.
    bytes += "[03/03/2024] [11:00:00] " + std::string(3u << 20, 'y');
    root.Write("big.htm", bytes);
    const std::string big = root.Path() + "big.htm";

    const HistoryDay byCount = HistoryDayEntries(big, 2024, 3, 2, 100, 1u << 30);
    ASSERT_EQ(byCount.written.size(), 100u);
    EXPECT_TRUE(byCount.cut);
    EXPECT_EQ(byCount.written[0].substr(0, 34), "[02/03/2024] [10:00:00] entry 2900");
    EXPECT_EQ(byCount.written[99].substr(0, 34), "[02/03/2024] [10:00:00] entry 2999");

    const HistoryDay byBytes = HistoryDayEntries(big, 2024, 3, 2, 100000, 200000);
    EXPECT_TRUE(byBytes.cut);
    size_t total = 0;
    for (const std::string& w : byBytes.written) total += w.size();
    EXPECT_LE(total, 200000u);
    EXPECT_GT(total, 190000u);
    EXPECT_EQ(byBytes.written.back().substr(0, 34), "[02/03/2024] [10:00:00] entry 2999");

    const HistoryDay all = HistoryDayEntries(big, 2024, 3, 2);
    EXPECT_FALSE(all.cut);
    EXPECT_EQ(all.written.size(), 3000u);

    // The endless line: kept, cut at the entry limit, even past a smaller byte bound.
    const HistoryDay endless = HistoryDayEntries(big, 2024, 3, 3, 100, 1000);
    ASSERT_EQ(endless.written.size(), 1u);
    EXPECT_FALSE(endless.cut);
    EXPECT_GT(endless.written[0].size(), 1000000u);
    EXPECT_LE(endless.written[0].size(), 1u << 20);

    EXPECT_NE(
        HistoryDayPage("02/03/2024", byCount, "only the latest").find("<p><i>only the latest</i></p>\n[02/03/2024]"),
        std::string::npos);
}

TEST(HistoryDay, DatesAsTypedAreRealCalendarDays) {
    int d = 0, m = 0, y = 0;
    EXPECT_TRUE(ParseHistoryDate("29/02/2024", d, m, y));
    EXPECT_EQ(d * 1000000 + m * 10000 + y, 29022024);
    EXPECT_TRUE(ParseHistoryDate("31/12/1999", d, m, y));
    for (const char* bad : {"29/02/2023", "29/02/1900", "31/04/2024", "00/01/2024", "01/13/2024", "1/1/2024",
                            "01-01-2024", "01/01/2024 ", "01/01/0000", ""})
        EXPECT_FALSE(ParseHistoryDate(bad, d, m, y)) << bad;
    EXPECT_EQ(y, 1999);  // a refused text leaves the date as it was
}

}  // namespace zc
