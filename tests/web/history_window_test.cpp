// The desktop window and the history: Ctrl+F's search window, and unread counts on the page buttons.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <QTreeWidget>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "gui/chat_main_window.h"
#include "gui/history_search_window.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"

namespace zc {
namespace {

struct HostedOnLan {
    HostedOnLan() {
        alice.Start();
        window.AttachChat(&alice.dlg());
    }
    ~HostedOnLan() { window.AttachChat(nullptr); }
    // A public message from a peer that is no chat of ours.
    void Hear(const std::string& text) {
        alice.dlg().OnPacketText(alice.dlg().Codec().EncodeText(
            "10.0.0.66(0200000000AA)||Mallory||||" + std::string(kEveryone) + "||0||6||1:" + text + "//end"));
    }
    std::string Lang(int n) { return Cp1251ToUtf8(alice.dlg().Language().LangString(n)); }
    test::FakeLan lan;
    test::Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};
    ChatMainWindow window;
};

}  // namespace

TEST(HistoryWindow, PageButtonsCountWhatCameWhileTheirPageWasNotShown) {
    HostedOnLan h;
    h.window.SetMainElements(SkinMainElements{});
    const std::string picture = h.alice.root.Path() + "skins/skinthemes/def/btn_main.png";
    for (const auto& [name, command] : {std::pair{"MAIN", ID_SHOW_MAIN}, std::pair{"BOARD", ID_SHOW_BOARD}}) {
        SkinButton b;
        b.name = name;
        b.command = command;
        h.window.AddButton(b, picture);
    }
    QToolButton* main = h.window.findChild<QToolButton*>("MAIN");
    QToolButton* board = h.window.findChild<QToolButton*>("BOARD");
    board->click();
    for (const char* text : {"one", "two", "three"}) h.Hear(text);
    EXPECT_EQ(main->toolTip().toStdString(), h.Lang(19) + " (3)");
    EXPECT_EQ(board->toolTip().toStdString(), h.Lang(16));
    main->click();
    EXPECT_EQ(main->toolTip().toStdString(), h.Lang(19));
}

TEST(HistoryWindow, CtrlFFindsEveryMonthAndOpensTheMonthsFile) {
    HostedOnLan h;
    h.Hear(Utf8ToCp1251("встреча в ПЯТНИЦУ"));
    h.alice.root.Write("history/2024_03/2024_private_alert.htm",
                       "[05/03/2024] [09:15:00] <span class=\"username\">&lt;Carol&gt;</span>: " +
                           Utf8ToCp1251("пятница &#128512;") + "\n<br>");

    QShortcut* find = h.window.findChild<QShortcut*>();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->key(), QKeySequence(QKeySequence::Find));
    emit find->activated();
    HistorySearchWindow* search = h.window.HistorySearch();
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());

    search->Search(QString::fromUtf8("Пятниц"));
    QTreeWidget* results = search->Results();
    ASSERT_EQ(results->topLevelItemCount(), 2);
    EXPECT_EQ(results->topLevelItem(0)->text(1), "<Mallory>");
    EXPECT_EQ(results->topLevelItem(0)->text(2), QString::fromUtf8("встреча в ПЯТНИЦУ"));
    EXPECT_FALSE(results->topLevelItem(0)->font(2).italic());
    EXPECT_EQ(results->topLevelItem(1)->text(0), "05/03/2024 09:15:00");
    EXPECT_EQ(results->topLevelItem(1)->text(2), QString::fromUtf8("пятница 😀"));
    EXPECT_TRUE(results->topLevelItem(1)->font(2).italic());  // a private one

    emit results->itemActivated(results->topLevelItem(1), 0);
    ASSERT_FALSE(h.alice.chat.shell.opened.empty());
    EXPECT_EQ(h.alice.chat.shell.opened.back(), h.alice.root.Path() + "history/2024_03/2024_private_alert.htm");
    EXPECT_NE(search->Status()->text().indexOf("[05/03/2024]"), -1) << search->Status()->text().toStdString();

    search->Search("no such words");
    EXPECT_EQ(results->topLevelItemCount(), 0);
    EXPECT_FALSE(search->Status()->text().isEmpty());
    search->close();
}

}  // namespace zc
