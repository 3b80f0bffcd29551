#include "ui/html/smiles_window.h"

#include <gtest/gtest.h>

#include "base/debug_log.h"
#include "base/text_helpers.h"
#include "support/fakes.h"
#include "support/temp_root.h"
#include "ui/html/smile_alias.h"
#include "ui/html/smiles_page.h"

namespace zc {
using namespace zc::test;

TEST(SmilesPage, GoldenPageAndItsWriting) {
    TempRoot root(false);
    root.Write("smiles/smilesalias.cfg", ReadGolden("smiles/aliases.cfg"));
    for (const char* name : {"smile.svg", "laugh.svg", "double.svg", "wink.svg", "pair.svg", "half.svg", "second.svg",
                             "sad.svg", "web.svg", "cool.svg", "tongue.svg", "quoted.svg", "heart.svg", "empty.svg"})
        root.Write(std::string("smiles/") + name, "<svg/>");
    FakeClock clock;
    DebugLog log(clock, "");
    SmileAliasTable table;
    ASSERT_TRUE(ReadSmilesAlias(table, log));

    const std::string page = SmilesPage(table, root.Path(), "def", "smiles.css");
    EXPECT_EQ(page, ReplaceAll(ReadGolden("smiles/page.html"), "@ROOT@", root.Path()));

    FakeView view(ViewRole::Smiles);
    EXPECT_TRUE(SetSmilesList(&view, page, log));
    EXPECT_EQ(view.Page(), page);
    view.failWrites = true;
    EXPECT_FALSE(SetSmilesList(&view, page, log));
    EXPECT_FALSE(SetSmilesList(nullptr, page, log));
    const std::string written = ReadFileBytes(log.CurrentFilePath());
    const size_t start = written.find(":::SetSmileList...");
    ASSERT_NE(start, std::string::npos);
    const size_t ok = written.find(":::SetSmilesList...OK", start);
    ASSERT_NE(ok, std::string::npos);
    EXPECT_NE(written.find(":::SetSmileList...", ok), std::string::npos);
    EXPECT_NE(written.find(":::SetSmilesList...FALSE", ok), std::string::npos);
}

TEST(SmilesPage, EmptyTableStillMakesAPage) {
    SmileAliasTable table;
    const std::string page = SmilesPage(table, "/r/", "blue", "list.css");
    EXPECT_NE(page.find("<LINK href=\"/r/skins/skinthemes/blue/list.css\" type=text/css rel=stylesheet></head>"),
              std::string::npos);
    EXPECT_NE(page.find("<span class=\"TEXT_SMILES\"></span></body></html>"), std::string::npos);
}

TEST(SmilesWindow, PlacedBesideTheMainWindow) {
    const WindowRect main{100, 50, 500, 650};
    const WindowRect room = SmilesWindowRect(main, 1920);
    EXPECT_EQ(room.left, 500);
    EXPECT_EQ(room.right, 700);
    EXPECT_EQ(room.top, 50);
    EXPECT_EQ(room.bottom, 650);

    // At the right screen edge it ends 10 pixels before the edge, over the main window.
    const WindowRect edge = SmilesWindowRect({1500, 40, 1920, 700}, 1920);
    EXPECT_EQ(edge.right, 1910);
    EXPECT_EQ(edge.right - edge.left, 200);
    EXPECT_EQ(edge.top, 40);
    EXPECT_EQ(edge.bottom, 700);

    // Exactly 200 pixels left is not more than 200.
    EXPECT_EQ(SmilesWindowRect({1000, 0, 1720, 600}, 1920).left, 1710);
    EXPECT_EQ(SmilesWindowRect({1000, 0, 1719, 600}, 1920).left, 1719);
}

TEST(SmilesWindow, BuiltOnOpeningAndDestroyedAfterHiding) {
    SmilesWindowLife life(false);
    auto open = life.Toggle();
    EXPECT_TRUE(open.create);
    EXPECT_FALSE(open.destroy);
    EXPECT_TRUE(open.show);
    EXPECT_TRUE(life.Visible());

    auto hide = life.Toggle();
    EXPECT_TRUE(hide.hide);
    EXPECT_TRUE(hide.armDestroyTimer);
    EXPECT_FALSE(hide.show);
    EXPECT_TRUE(life.DestroyTimerExpired());
    EXPECT_FALSE(life.Exists());

    // Opened again within the second: the old window goes, and so does its pending destruction.
    life.Toggle();
    life.Hide();
    auto reopen = life.Toggle();
    EXPECT_TRUE(reopen.destroy);
    EXPECT_TRUE(reopen.create);
    EXPECT_TRUE(reopen.cancelDestroyTimer);
    EXPECT_FALSE(life.DestroyTimerExpired());  // a late expiry must not take the shown window
    EXPECT_TRUE(life.Exists());

    // Hiding twice arms the timer once; hiding with no window does nothing.
    EXPECT_TRUE(life.Hide().armDestroyTimer);
    EXPECT_FALSE(life.Hide().armDestroyTimer);
    life.DestroyTimerExpired();
    const auto nothing = life.Hide();
    EXPECT_FALSE(nothing.hide || nothing.armDestroyTimer);
}

TEST(SmilesWindow, KeptFromStartUp) {
    SmilesWindowLife life(true);
    life.Prepared();
    EXPECT_TRUE(life.Exists());
    EXPECT_FALSE(life.Visible());
    auto open = life.Toggle();
    EXPECT_FALSE(open.create || open.destroy);
    EXPECT_TRUE(open.show);
    auto hide = life.Toggle();
    EXPECT_TRUE(hide.hide);
    EXPECT_FALSE(hide.armDestroyTimer);
    EXPECT_TRUE(life.Exists());

    // Without a window (it went with the views) the toggle makes one in this mode too.
    life.Gone();
    EXPECT_TRUE(life.Toggle().create);
}

TEST(SmilesWindow, AliasGoesInAtTheCaret) {
    InputEdit mid = InsertSmileAlias("hello world", 5, ":)");
    EXPECT_EQ(mid.text, "hello :)  world");
    EXPECT_EQ(mid.caret, 9u);
    InputEdit empty = InsertSmileAlias("", 0, ";)");
    EXPECT_EQ(empty.text, " ;) ");
    EXPECT_EQ(empty.caret, 4u);
    InputEdit beyond = InsertSmileAlias("hi", 40, "8)");
    EXPECT_EQ(beyond.text, "hi 8) ");
    EXPECT_EQ(beyond.caret, 6u);
}

}  // namespace zc
