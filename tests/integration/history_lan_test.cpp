// History that follows the user: lines from before a restart, searching, and unread counts.
#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "support/lan_host.h"
#include "ui/html/earlier_lines.h"

namespace zc {
using namespace zc::test;

namespace {

struct TwoHosts : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6)};
    void SetUp() override {
        for (Host* h : {&alice, &bob}) {
            h->Start();
            lan.Pump();
        }
    }
    // Paced, so the flood guard lets every line go.
    void Say(Host& from, const std::string& text) {
        ASSERT_TRUE(from.dlg().SendChatMessage(text)) << text;
        lan.Pump();
        for (Host* h : {&alice, &bob}) h->chat.timers.Advance(6000);
    }
};

}  // namespace

TEST_F(TwoHosts, RestartShowsTheLastFiftyLinesUnderTheSeparatorInOrder) {
    for (int i = 0; i < 200; ++i) Say(alice, i == 190 ? "Tom & \"Jerry\" " + Utf8ToCp1251("привет") : "line " + std::to_string(i));
    alice.dlg().ExitMain();

    // The same folder started again.
    FakeLockBoard board;
    FakeChat again(board, "/tmp/zc-no-autostart", true, &lan, "10.0.0.1");
    again.system.ip = "10.0.0.1";
    again.system.hardware = std::string("\x02\x00\x00\x00\x00\x01", 6);
    ASSERT_TRUE(again.Use().OnInitDialog());
    const std::string body = again.ChatView()->Body();

    // The greeting is first and as it always was; the separator follows it.
    const std::string greeting = again.dlg->Language().LangString(72) + " Zelto Chat ";
    const size_t separator = body.find("&gt;&gt; earlier</span>");
    ASSERT_NE(separator, std::string::npos);
    EXPECT_LT(body.find(greeting), separator);
    EXPECT_LT(body.find("www.zeltochat.org"), separator);

    ASSERT_EQ(again.dlg->EarlierLines().size(), kEarlierLinesShown);
    EXPECT_EQ(body.find("line 149<"), std::string::npos);
    size_t last = separator;
    for (int i = 150; i < 200; ++i) {
        const std::string text = i == 190 ? "Tom &amp; &quot;Jerry&quot; " + Utf8ToCp1251("привет")
                                          : "line " + std::to_string(i);
        const size_t at = body.find("<span>" + text + "</span>");
        ASSERT_NE(at, std::string::npos) << i;
        EXPECT_GT(at, last) << i;
        last = at;
    }
    // Each under its date and the name the page makes clickable, as a new line would be.
    EXPECT_NE(body.find("<span class=\"time\">[08/12/2025 10:"), std::string::npos);
    EXPECT_EQ(Count(body, "class=\"username\">&lt;Alice&gt;</span>"), 50u);
    EXPECT_EQ(again.dlg->EarlierLines().front().text, "line 150");
    // Lines from the file are not new: nothing is unread.
    EXPECT_EQ(again.dlg->UnreadTotal(), 0);
    again.dlg->ExitMain();
}

TEST_F(TwoHosts, SearchFindsEveryMonthAndOpensTheFile) {
    Say(bob, Utf8ToCp1251("Встреча в ПЯТНИЦУ"));
    ASSERT_TRUE(bob.dlg().SendChatMessage(Utf8ToCp1251("MSG->Alice: до пятницы")));
    lan.Pump();
    // An older month's private file, as an earlier year of use left it.
    alice.root.Write("history/2024_03/2024_private_alert.htm",
                     "[05/03/2024] [09:15:00] <span class=\"username\">&lt;Carol&gt;</span>: " +
                         Utf8ToCp1251("пятница!") + "\n<br>");

    const std::vector<HistoryHit> hits = alice.dlg().FindInHistory(Utf8ToCp1251("пятниц"));
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].entry.text, Utf8ToCp1251("до пятницы"));
    EXPECT_FALSE(hits[0].isMain);
    EXPECT_EQ(hits[1].entry.text, Utf8ToCp1251("Встреча в ПЯТНИЦУ"));
    EXPECT_EQ(hits[1].entry.sender, "Bob");
    EXPECT_TRUE(hits[1].isMain);
    EXPECT_EQ(hits[2].entry.sender, "Carol");
    EXPECT_EQ(hits[2].entry.DateText(), "05/03/2024 09:15:00");

    ASSERT_TRUE(alice.dlg().OpenHistoryFile(hits[2]));
    EXPECT_EQ(alice.chat.shell.opened.back(), alice.root.Path() + "history/2024_03/2024_private_alert.htm");
}

TEST_F(TwoHosts, UnreadCountsFollowTheWindowAndThePageShown) {
    int changes = 0;
    alice.dlg().SetUnreadListener([&changes] { ++changes; });
    const std::string title = alice.dlg().WindowTitle();

    // Seen as they come: nothing counted.
    Say(bob, "one");
    EXPECT_EQ(alice.dlg().UnreadTotal(), 0);

    alice.dlg().HideToTray();
    for (const char* text : {"two", "three", "four"}) Say(bob, text);
    EXPECT_EQ(alice.dlg().Unread(PageMode::Main), 3);
    EXPECT_EQ(alice.chat.tray.Tip(), title + " (3)");
    EXPECT_EQ(changes, 3);
    // The window's title stays what it is.
    EXPECT_EQ(alice.chat.window.Title(), title);
    // The own lines of the hidden chat are not news to anyone.
    EXPECT_EQ(bob.dlg().UnreadTotal(), 0);

    alice.dlg().ShowFromTray();
    EXPECT_EQ(alice.dlg().UnreadTotal(), 0);
    EXPECT_EQ(alice.chat.tray.Tip(), title);
    EXPECT_EQ(changes, 4);

    // Another page in front: its own lines are seen, the main page's are counted.
    alice.dlg().ShowPage(PageMode::Board);
    Say(bob, "five");
    ASSERT_TRUE(bob.dlg().SendChatMessage("MSG->Alice: psst"));
    lan.Pump();
    EXPECT_EQ(alice.dlg().Unread(PageMode::Main), 2);
    EXPECT_EQ(alice.dlg().Unread(PageMode::Board), 0);
    bob.dlg().ShowPage(PageMode::Board);
    ASSERT_TRUE(bob.dlg().SendChatMessage("for the board"));
    lan.Pump();
    EXPECT_EQ(alice.dlg().Unread(PageMode::Board), 0);  // the board page is the one shown
    alice.dlg().ShowPage(PageMode::Main);
    EXPECT_EQ(alice.dlg().Unread(PageMode::Main), 0);
    ASSERT_TRUE(bob.dlg().SendChatMessage("more for the board"));
    lan.Pump();
    EXPECT_EQ(alice.dlg().Unread(PageMode::Board), 1);
    EXPECT_EQ(alice.chat.tray.Tip(), title + " (1)");
    alice.dlg().ShowPage(PageMode::Board);
    EXPECT_EQ(alice.chat.tray.Tip(), title);

    // Joining and leaving, mode changes, notices and own lines are no messages.
    bob.dlg().ShowPage(PageMode::Main);
    alice.dlg().HideToTray();
    bob.dlg().SetChatMode(2);
    lan.Pump();
    alice.dlg().SendChatMessage("MSG->Nobody: where are you");
    alice.dlg().SendChatMessage("MSG->Bob: here I am");
    alice.dlg().SendChatMessage("ALERT->Bob: wake up");
    lan.Pump();
    EXPECT_EQ(alice.dlg().UnreadTotal(), 0);
    EXPECT_EQ(bob.dlg().Unread(PageMode::Main), 0);  // shown and in front: seen
    bob.dlg().HideToTray();
    alice.chat.timers.Advance(6000);
    alice.dlg().SendChatMessage("MSG->Bob: and now?");
    lan.Pump();
    EXPECT_EQ(bob.dlg().Unread(PageMode::Main), 1);

    // A chat put away before its network is up: the start's own lines are not news.
    Host carol{lan, "Carol", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};
    ASSERT_TRUE(carol.dlg().OnInitDialog());
    carol.dlg().HideToTray();
    carol.chat.timers.Advance(2000);
    lan.Pump();
    EXPECT_TRUE(carol.dlg().Transports().IsActive());
    EXPECT_EQ(carol.dlg().UnreadTotal(), 0);
}

}  // namespace zc
