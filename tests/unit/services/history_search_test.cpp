// Finding text in every month's history files, and reading entries back.
#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "base/cp1251_case.h"
#include "services/history.h"
#include "services/history_search.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

namespace {

std::string Cp(const char* utf8) { return Utf8ToCp1251(utf8); }

// A line under a name, as the chat writes it into the history.
std::string Named(const std::string& name, const std::string& text) {
    return "<span OnMouseOver=\"this.className='usernameover'\" OnMouseOut=\"this.className='username'\" "
           "class=\"username\">&lt;" +
           name + "&gt;</span>: " + text;
}

std::vector<std::string> Texts(const std::vector<HistoryHit>& hits) {
    std::vector<std::string> texts;
    for (const HistoryHit& h : hits) texts.push_back(Cp1251ToUtf8(h.entry.text));
    return texts;
}

}  // namespace

TEST(Cp1251Case, FoldsLatinAndEveryCyrillicCapital) {
    EXPECT_EQ(Cp1251Lower(Cp("ПРИВЕТ, World! ЁЖ ЇІЄҐЎ ЂЃЉЊЌЋЏЈЅ")), Cp("привет, world! ёж їієґў ђѓљњќћџјѕ"));
    // Small letters, digits and signs stay as they are.
    const std::string same = Cp("абвгдеёжзийклмнопрстуфхцчшщъыьэюя 0123 «»№");
    EXPECT_EQ(Cp1251Lower(same), same);
    EXPECT_EQ(FindNoCaseCp1251(Cp("Встреча в ПЯТНИЦУ"), Cp("пятницу")), 10u);
    EXPECT_EQ(FindNoCaseCp1251(Cp("Встреча"), Cp("встречи")), std::string::npos);
}

TEST(HistorySearch, EveryMonthAndBothFilesNewestFirstCaseIgnored) {
    TempRoot root(false);
    FakeClock clock(1761998400);  // 2025-11-01 12:00:00
    {
        ChatHistory history(clock);
        history.AppendHistory(Named("Bob", Cp("Обед в ПЯТНИЦУ")), false, true);
        clock.AdvanceMs(3600 * 1000);
        history.AppendHistory(Named("Carol", "nothing here"), true, true);
        clock.Set(1765188000);  // 2025-12-08 10:00:00
        history.AppendHistory(Named("Alice", Cp("в пятницу &lt;b&gt;в два&lt;/b&gt;")), true, true);
        clock.AdvanceMs(60 * 1000);
        history.AppendHistory(Named("Bob", Cp("пятница отменяется")), false, true);
        clock.AdvanceMs(60 * 1000);
        history.AppendHistory(Named("Carol", Cp("Пятницу жду")), true, true);
    }
    // Files of other names, and folders that are no month, are not the chat's.
    root.Write("history/2025_12/notes.htm", Cp("пятницу"));
    root.Write("history/old/11-2025_Main.htm", Cp("пятницу"));

    const std::vector<HistoryHit> hits = SearchHistory("history", Cp("пЯтНиЦу"));
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(Texts(hits), (std::vector<std::string>{"Пятницу жду", "в пятницу <b>в два</b>", "Обед в ПЯТНИЦУ"}));
    EXPECT_EQ(hits[0].entry.sender, "Carol");
    EXPECT_EQ(hits[0].entry.DateText(), "08/12/2025 10:02:00");
    EXPECT_TRUE(hits[0].isMain);
    EXPECT_EQ(hits[0].file, "history/2025_12/12-2025_Main.htm");
    // The older month's private file, dated by its own time stamp.
    EXPECT_EQ(hits[2].entry.sender, "Bob");
    EXPECT_EQ(hits[2].entry.DateText(), "01/11/2025 12:00:00");
    EXPECT_FALSE(hits[2].isMain);
    EXPECT_EQ(hits[2].file, "history/2025_11/2025_private_alert.htm");

    // The visible text is searched, the name too, not the markup around it.
    EXPECT_EQ(SearchHistory("history", "<b>").size(), 1u);
    EXPECT_TRUE(SearchHistory("history", "username").empty());
    EXPECT_TRUE(SearchHistory("history", "&lt;").empty());
    EXPECT_EQ(SearchHistory("history", "<carol>").size(), 2u);
    EXPECT_EQ(Texts(SearchHistory("history", Cp("ПЯТНИЦ"), 2)),
              (std::vector<std::string>{"Пятницу жду", "пятница отменяется"}));
    EXPECT_TRUE(SearchHistory("history", "  ").empty());
    EXPECT_TRUE(SearchHistory("no-such-folder", "a").empty());
}

TEST(HistorySearch, LimitKeepsTheNewestOfABigMonth) {
    TempRoot root(false);
    FakeClock clock(1765152000);  // 2025-12-08 00:00:00
    ChatHistory history(clock);
    for (int i = 0; i < 500; ++i) {
        history.AppendHistory(Named("Bob", "line " + std::to_string(i)), i % 2 == 0, true);
        clock.AdvanceMs(1000);
    }
    const std::vector<HistoryHit> hits = SearchHistory("history", "LINE", 7);
    ASSERT_EQ(hits.size(), 7u);
    for (size_t i = 0; i < hits.size(); ++i) EXPECT_EQ(hits[i].entry.text, "line " + std::to_string(499 - i));
    EXPECT_EQ(SearchHistory("history", "line").size(), kHistorySearchLimit);
}

TEST(HistorySearch, EntriesReadBackAsWritten) {
    // Without a time stamp only the folder's month is known; a line break inside an entry keeps
    // it one entry; a cut-off tag shows nothing.
    TempRoot root(false);
    root.Write("history/2024_02/02-2024_Main.htm",
               std::string(kHistoryCharsetLine) + "Entered the chat: <b>Bob</b>\n<br>[29/02/2024] [23:59:59] " +
                   Named("Bob", "two\nlines &amp; &#1103;&#128512; &nbsp;x") + "\n<br>[3/02/2024] [bad] <i\n<br>");
    const std::vector<HistoryEntry> all = LastHistoryEntries("history/2024_02/02-2024_Main.htm", 10, 2024, 2);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].text, "Entered the chat: Bob");
    EXPECT_EQ(all[0].sender, "");
    EXPECT_EQ(all[0].DateText(), "02/2024");
    EXPECT_EQ(all[1].sender, "Bob");
    EXPECT_EQ(all[1].text, Cp("two lines & я") + "&#128512; x");
    EXPECT_EQ(all[1].DateText(), "29/02/2024 23:59:59");
    EXPECT_EQ(all[2].text, "[3/02/2024] [bad]");
    EXPECT_EQ(all[2].day, 0);

    const std::vector<HistoryEntry> last = LastHistoryEntries("history/2024_02/02-2024_Main.htm", 2, 2024, 2);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].sender, "Bob");
    // A character outside the code page is found the way it is typed.
    EXPECT_EQ(SearchHistory("history", Cp("Я😀")).size(), 1u);
}

}  // namespace zc
