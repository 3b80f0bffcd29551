// The desktop window and the history: Ctrl+F's search window and the day pages it opens, and
// unread counts on the page buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <QTreeWidget>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "gui/chat_main_window.h"
#include "gui/history_search_window.h"
#include "gui/unread_badge.h"
#include "platform/window_commands.h"
#include "services/history.h"
#include "support/lan_host.h"
#include "support/temp_root.h"

namespace zc {
namespace {

struct HostedOnLan {
    HostedOnLan() {
        alice.Start();
        window.AttachChat(&alice.dlg());
    }
    ~HostedOnLan() { window.AttachChat(nullptr); }
    // A public message from a peer that is no chat of ours; a crowd of them, as one peer's lines
    // past a person's pace are held back.
    void Hear(const std::string& text) {
        const std::string n = std::to_string(100 + heard_++ % 150);
        alice.dlg().OnPacketText(alice.dlg().Codec().EncodeText(
            "10.0.0." + n + "(0200000000" + n + ")||Mallory||||" + std::string(kEveryone) + "||0||6||1:" + text + "//end"));
    }
    int heard_ = 0;
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

TEST(HistoryWindow, CtrlFFindsEveryMonthAndOpensTheDaysPage) {
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
    // That day's page, made apart from the history folder.
    const std::string opened = h.alice.chat.shell.opened.back();
    EXPECT_EQ(opened.rfind(h.alice.root.Path(), 0), std::string::npos) << opened;
    EXPECT_NE(opened.find("/2024-03-05_private.htm"), std::string::npos) << opened;
    EXPECT_NE(search->Status()->text().indexOf("05/03/2024"), -1) << search->Status()->text().toStdString();

    search->Search("no such words");
    EXPECT_EQ(results->topLevelItemCount(), 0);
    EXPECT_FALSE(search->Status()->text().isEmpty());
    search->close();
}

TEST(HistoryWindow, APickedResultOpensThatDaysEntriesOnAPageOfTheirOwn) {
    HostedOnLan h;
    const std::string file = "history/2024_03/03-2024_Main.htm";
    auto entry = [](const std::string& stamp, const std::string& text) {
        return stamp + "<span class=\"username\">&lt;Bob&gt;</span>: " + text + "\n<br>";
    };
    h.alice.root.Write(file, std::string(kHistoryCharsetLine) + entry("[04/03/2024] [23:00:00] ", "lunch yesterday") +
                                 entry("[05/03/2024] [09:00:00] ", "<b>lunch</b> today") +
                                 entry("[05/03/2024] [13:00:00] ", "after lunch") +
                                 entry("[06/03/2024] [08:00:00] ", "lunch tomorrow") + entry("", "lunch, no date"));
    h.window.ShowHistorySearch();
    HistorySearchWindow* search = h.window.HistorySearch();
    ASSERT_NE(search, nullptr);
    search->Search("lunch");
    QTreeWidget* results = search->Results();
    ASSERT_EQ(results->topLevelItemCount(), 5);
    int after = -1, undated = -1;
    for (int i = 0; i < 5; ++i) {
        if (results->topLevelItem(i)->text(2) == "after lunch") after = i;
        if (results->topLevelItem(i)->text(0) == "03/2024") undated = i;
    }
    ASSERT_GE(after, 0);
    ASSERT_GE(undated, 0);

    search->OpenResult(after);
    const std::string page = h.alice.chat.shell.opened.back();
    EXPECT_EQ(test::ReadFileBytes(page),
              std::string(kHistoryCharsetLine) + "<h3>" + h.alice.dlg().Language().LangString(14) +
                  ": 05/03/2024</h3>\n" +
                  entry("[05/03/2024] [09:00:00] ", "<b>lunch</b> today") +
                  entry("[05/03/2024] [13:00:00] ", "after lunch"));
    // Opened again after the file grew: the same page, written anew.
    h.alice.root.Write(file, h.alice.root.Read(file) + entry("[05/03/2024] [20:00:00] ", "late"));
    search->OpenResult(after);
    EXPECT_EQ(h.alice.chat.shell.opened.back(), page);
    EXPECT_NE(test::ReadFileBytes(page).find("late"), std::string::npos);

    // Without a date only the month is known: its file opens.
    search->OpenResult(undated);
    EXPECT_EQ(h.alice.chat.shell.opened.back(), h.alice.root.Path() + file);
    EXPECT_NE(search->Status()->text().indexOf("[03/2024]"), -1) << search->Status()->text().toStdString();
    // Where no program opens it, the window says so instead of "is open".
    h.alice.chat.shell.noViewer = true;
    for (int row : {after, undated}) {
        search->OpenResult(row);
        EXPECT_TRUE(search->Status()->text().startsWith("No program could open")) << search->Status()->text().toStdString();
    }

    // The pages go with the window.
    delete search;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(page)));
}

TEST(HistoryWindow, PageButtonBadgesFollowTheUnreadCount) {
    HostedOnLan h;
    h.window.SetMainElements(SkinMainElements{});
    const std::string picture = h.alice.root.Path() + "skins/skinthemes/def/btn_main.png";
    for (const auto& [name, command] : {std::pair{"MAIN", ID_SHOW_MAIN}, std::pair{"BOARD", ID_SHOW_BOARD}}) {
        SkinButton b;
        b.name = name;
        b.command = command;
        // The main page's button keeps to the right edge.
        b.align = name == std::string("MAIN") ? SkinAlign::Right : SkinAlign::Left;
        b.left = name == std::string("MAIN") ? 120 : 20;
        b.top = 30;
        h.window.AddButton(b, picture);
    }
    h.window.resize(400, 300);
    h.window.FinishLayout();
    h.window.show();
    QApplication::processEvents();
    QToolButton* main = h.window.findChild<QToolButton*>("MAIN");
    QToolButton* board = h.window.findChild<QToolButton*>("BOARD");
    UnreadBadge* badge = h.window.findChild<UnreadBadge*>("UnreadBadge_MAIN");
    ASSERT_NE(badge, nullptr);
    EXPECT_FALSE(badge->isVisible());

    board->click();
    for (const char* text : {"one", "two", "three"}) h.Hear(text);
    QApplication::processEvents();
    EXPECT_EQ(badge->Text(), "3");
    ASSERT_TRUE(badge->isVisible());
    EXPECT_FALSE(h.window.findChild<UnreadBadge*>("UnreadBadge_BOARD")->isVisible());
    // At the button's top-right corner, over it, and drawn: red with white digits.
    const QRect b = main->geometry(), r = badge->geometry();
    EXPECT_TRUE(b.intersects(r));
    EXPECT_GT(r.right(), b.center().x());
    EXPECT_LE(r.top(), b.top() + 4);
    const QImage shot = h.window.grab().toImage();
    int red = 0, white = 0;
    for (int y = r.top() + 2; y < r.bottom() - 1; ++y)
        for (int x = r.left() + 2; x < r.right() - 1; ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++red;
            if (c.red() > 230 && c.green() > 230 && c.blue() > 230) ++white;
        }
    EXPECT_GT(red, r.width() * r.height() / 4);
    EXPECT_GT(white, 4);
    // Clicks on the badge still reach the button under it.
    EXPECT_TRUE(badge->testAttribute(Qt::WA_TransparentForMouseEvents));

    for (int i = 0; i < 97; ++i) h.Hear("more");
    EXPECT_EQ(badge->Text(), "99+");
    EXPECT_EQ(main->toolTip().toStdString(), h.Lang(19) + " (100)");
    // The button moves with the window's size: the badge with it.
    h.window.resize(500, 300);
    h.window.FinishLayout();
    QApplication::processEvents();
    EXPECT_EQ(main->x(), 380);
    EXPECT_TRUE(main->geometry().intersects(badge->geometry()));
    EXPECT_GT(badge->geometry().right(), main->geometry().center().x());

    main->click();
    QApplication::processEvents();
    EXPECT_EQ(badge->Text(), "");
    EXPECT_FALSE(badge->isVisible());
    h.window.hide();
}

}  // namespace zc
