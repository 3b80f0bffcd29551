// The terminal client and the history: the lines from before its start, and /search.
#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "cli/console_dialogs.h"
#include "cli/terminal_session.h"
#include "support/captured_console.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

struct CliHistory : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6)};
    CapturedConsole out;
    ConsoleDialogs dialogs{out.console};
    TerminalSession session{alice.dlg(), dialogs, out.console};
    void StartBoth() {
        for (Host* h : {&alice, &bob}) {
            h->dlg();
            h->Start();
            lan.Pump();
        }
        alice.dlg();
        session.SetReady();
    }
};

std::string Entry(const std::string& stamp, const std::string& name, const std::string& utf8) {
    return stamp + " <span class=\"username\">&lt;" + name + "&gt;</span>: " + Utf8ToCp1251(utf8) + "\n<br>";
}

}  // namespace

TEST_F(CliHistory, StartPrintsTheLastFiftyUnderTheSameCaptionAsThePage) {
    // This month's public file (the fake clock's December 2025) with 60 lines, and last month's.
    std::string month = kHistoryCharsetLine;
    for (int i = 1; i <= 60; ++i) month += Entry("[08/12/2025] [09:00:00]", "Bob", "строка " + std::to_string(i));
    alice.root.Write("history/2025_12/12-2025_Main.htm", month);
    alice.root.Write("history/2025_11/11-2025_Main.htm", Entry("[30/11/2025] [09:00:00]", "Bob", "old month"));
    StartBoth();
    session.PrintEarlier();

    const std::vector<std::string> lines = out.Lines();
    ASSERT_EQ(lines.size(), 52u) << out.Text();
    EXPECT_EQ(lines[0], "-- earlier --");
    EXPECT_EQ(lines[1], "[08/12/2025 09:00:00] <Bob> строка 11");
    EXPECT_EQ(lines[50], "[08/12/2025 09:00:00] <Bob> строка 60");
    EXPECT_EQ(lines[51], "--");
    EXPECT_EQ(alice.dlg().EarlierLines().size(), 50u);
}

TEST_F(CliHistory, SearchPrintsDateSenderTextAndFileNewestFirst) {
    alice.root.Write("history/2024_03/2024_private_alert.htm",
                     Entry("[05/03/2024] [09:15:00]", "Carol", "ПЯТНИЦА, \xF0\x9F\x98\x80 &lt;ok&gt;"));
    StartBoth();
    session.PrintEarlier();
    EXPECT_EQ(out.Text(), "");  // nothing this month yet: no caption either

    ASSERT_TRUE(bob.dlg().SendChatMessage(Utf8ToCp1251("встреча в пятницу")));
    lan.Pump();
    const size_t mark = out.Text().size();
    session.OnLine("/search Пятниц");
    const std::string shown = out.Text().substr(mark);
    const size_t newer = shown.find("] <Bob> встреча в пятницу  (history/2025_12/12-2025_Main.htm)\n");
    const size_t older = shown.find(
        "[05/03/2024 09:15:00] [private] <Carol> ПЯТНИЦА, \xF0\x9F\x98\x80 <ok>  (history/2024_03/2024_private_alert.htm)\n");
    ASSERT_NE(newer, std::string::npos) << shown;
    ASSERT_NE(older, std::string::npos) << shown;
    EXPECT_LT(newer, older);
    EXPECT_NE(shown.find("-- 2 found, newest first"), std::string::npos) << shown;

    session.OnLine("/search nowhere at all");
    EXPECT_NE(out.Text().find("-- nothing in the history holds nowhere at all"), std::string::npos);
    session.OnLine("/search   ");
    EXPECT_NE(out.Text().find("-- /search takes the text to find"), std::string::npos);
}

TEST_F(CliHistory, DayPrintsThatDaysEntriesOfOneFile) {
    alice.root.Write("history/2024_03/03-2024_Main.htm",
                     std::string(kHistoryCharsetLine) + Entry("[04/03/2024] [23:59:59]", "Bob", "вчера") +
                         Entry("[05/03/2024] [09:15:00]", "Bob", "утро") +
                         Entry("[05/03/2024] [18:00:00]", "Carol", "вечер") +
                         Entry("[06/03/2024] [00:00:00]", "Bob", "завтра"));
    alice.root.Write("history/2024_03/2024_private_alert.htm", Entry("[05/03/2024] [10:00:00]", "Carol", "тихо"));
    StartBoth();
    const size_t mark = out.Text().size();
    session.OnLine("/day 05/03/2024");
    EXPECT_EQ(out.Text().substr(mark),
              "[05/03/2024 09:15:00] <Bob> утро\n"
              "[05/03/2024 18:00:00] <Carol> вечер\n"
              "-- 2 entries of 05/03/2024 in history/2024_03/03-2024_Main.htm\n");
    session.OnLine("/day 05/03/2024 private");
    EXPECT_NE(out.Text().find("[05/03/2024 10:00:00] [private] <Carol> тихо\n"), std::string::npos) << out.Text();
    session.OnLine("/day 07/03/2024");
    EXPECT_NE(out.Text().find("-- nothing in the history of 07/03/2024\n"), std::string::npos);
    for (const char* bad : {"/day", "/day 5/3/2024", "/day 30/02/2024", "/day 05/03/2024 secret"}) {
        const size_t before = out.Text().size();
        session.OnLine(bad);
        EXPECT_EQ(out.Text().substr(before),
                  "-- /day takes a date as DD/MM/YYYY, and private for private messages and alerts\n")
            << bad;
    }
}

}  // namespace zc
