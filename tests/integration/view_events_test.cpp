#include "app/view_events.h"

#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "support/chat_fixture.h"

namespace zc {
using namespace zc::test;

namespace {
struct Started {
    Started() { EXPECT_TRUE(chat.dlg->OnInitDialog()); }
    WindowRequest Fire(ViewRole role, ViewEventKind kind, const std::string& cls, const std::string& text,
                         const std::string& parent = "", const std::string& outer = "") {
        ViewEvent e;
        e.kind = kind;
        e.className = cls;
        e.innerText = text;
        e.parentClass = parent;
        e.outerHtml = outer;
        return chat.dlg->OnViewEvent(role, e);
    }
    FakeLockBoard board;
    FakeChat chat{board};
};
}  // namespace

TEST(ViewEvents, NameClicksAddressOrReply) {
    TempRoot root;
    WriteIniValue("profiles/default.cfg", "OVERRIDE", "Boss_APPEAL", " -- ");
    Started s;
    s.chat.window.SetInputText("hello");
    s.Fire(ViewRole::ChatText, ViewEventKind::Click, "username", "<Bob>");
    EXPECT_EQ(s.chat.window.InputText(), "Bob: hello");
    s.chat.window.SetInputText("");
    s.Fire(ViewRole::ChatText, ViewEventKind::Click, "usernameover", "<Boss>");
    EXPECT_EQ(s.chat.window.InputText(), "Boss --  ");
    s.Fire(ViewRole::ChatText, ViewEventKind::Click, "username", "<Bob>", "alert");
    EXPECT_EQ(s.chat.window.InputText(), "ALERT->Bob:");
    s.Fire(ViewRole::ChatText, ViewEventKind::Click, "username", "<Bob>", "private");
    EXPECT_EQ(s.chat.window.InputText(), "MSG->Bob:");
}

TEST(ViewEvents, LinksOpenTheAttributeValueNotTheEscapedHtml) {
    TempRoot root;
    Started s;
    auto link = [&](const std::string& href, const std::string& outer, ViewEventKind kind = ViewEventKind::Click,
                    int clicks = 1) {
        ViewEvent e;
        e.kind = kind;
        e.className = "urllink";
        e.href = href;
        e.outerHtml = outer;
        e.clickCount = clicks;
        s.chat.dlg->OnViewEvent(ViewRole::ChatText, e);
    };
    link("http:", "<a class=\"urllink\" href=\"http:\">x</a>");
    EXPECT_TRUE(s.chat.shell.opened.empty());
    // The browser's outer HTML writes the "&" of a query as "&amp;"; the address is the attribute.
    link("http://example.invalid/a?x=1&y=2",
         "<a class=\"urllink\" href=\"http://example.invalid/a?x=1&amp;y=2\">http://example.invalid/a?x=1&amp;y=2</a>");
    // A double click on a link is one click on it.
    link("http://www.example.org", "", ViewEventKind::Click);
    link("http://www.example.org", "", ViewEventKind::Click, 2);
    link("http://www.example.org", "", ViewEventKind::DoubleClick, 2);
    ViewEvent picture;
    picture.className = "image";
    picture.src = "file:///srv/my pics/cat.png";
    picture.outerHtml = "<img class=\"image\" src=\"file:///srv/my pics/cat.png\">";
    for (ViewEventKind kind : {ViewEventKind::Click, ViewEventKind::Click, ViewEventKind::DoubleClick}) {
        picture.kind = kind;
        s.chat.dlg->OnViewEvent(ViewRole::ChatText, picture);
        picture.clickCount = 2;
    }
    // A picture a peer sent opens the folder that holds it (see LinkToOpen).
    EXPECT_EQ(s.chat.shell.opened, (std::vector<std::string>{"http://example.invalid/a?x=1&y=2", "http://www.example.org",
                                                             "file:///srv/my%20pics/"}));
}

// The browser reports a double click as click, click (count 2), double click.
TEST(ViewEvents, DoubleClickOnANameAddressesItOnce) {
    TempRoot root;
    Started s;
    s.chat.window.SetInputText("hi");
    auto press = [&](ViewRole role, ViewEventKind kind, int clicks, const std::string& text, const std::string& id) {
        ViewEvent e;
        e.kind = kind;
        e.className = "username";
        e.innerText = text;
        e.id = id;
        e.clickCount = clicks;
        s.chat.dlg->OnViewEvent(role, e);
    };
    press(ViewRole::ChatText, ViewEventKind::Click, 1, "<Bob>", "");
    press(ViewRole::ChatText, ViewEventKind::Click, 2, "<Bob>", "");
    press(ViewRole::ChatText, ViewEventKind::DoubleClick, 2, "<Bob>", "");
    EXPECT_EQ(s.chat.window.InputText(), "Bob: hi");
    s.chat.window.SetInputText("");
    press(ViewRole::UserList, ViewEventKind::Click, 1, "Bob", "10.0.0.2");
    press(ViewRole::UserList, ViewEventKind::Click, 2, "Bob", "10.0.0.2");
    press(ViewRole::UserList, ViewEventKind::DoubleClick, 2, "Bob", "10.0.0.2");
    EXPECT_EQ(s.chat.window.InputText(), "Bob: ");
}

TEST(ViewEvents, SmileGoesInAtTheCaret) {
    TempRoot root;
    Started s;
    s.chat.window.SetInputText("see you");
    s.chat.window.PutCaret(3);
    ViewEvent e;
    e.kind = ViewEventKind::MouseDown;
    e.className = "smiles";
    e.title = ":)";
    s.chat.dlg->OnViewEvent(ViewRole::Smiles, e);
    EXPECT_EQ(s.chat.window.InputText(), "see :)  you");
    EXPECT_EQ(s.chat.window.InputCaret(), 7u);
    // The next one follows the first, not the end of the text.
    e.title = ":(";
    s.chat.dlg->OnViewEvent(ViewRole::Smiles, e);
    EXPECT_EQ(s.chat.window.InputText(), "see :)  :(  you");
}

TEST(ViewEvents, TranslateKeyRetypesOnlyTheSelection) {
    TempRoot root;
    Started s;
    const int key = s.chat.dlg->Global().hotKeys.translate;
    s.chat.window.SetInputText("ghbdtn ghbdtn");
    s.chat.window.Select(7, 13);
    EXPECT_TRUE(s.chat.dlg->OnKeyDown(key));
    EXPECT_EQ(s.chat.window.InputText(), "ghbdtn \xEF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(s.chat.window.InputCaret(), 13u);
    // Nothing selected: the whole text, as the menu item does it too.
    s.chat.dlg->TranslateInput();
    EXPECT_EQ(s.chat.window.InputText(), "\xEF\xF0\xE8\xE2\xE5\xF2 ghbdtn");
}

TEST(ViewEvents, MenusByViewAndClass) {
    TempRoot root;
    Started s;
    EXPECT_EQ(s.Fire(ViewRole::ChatText, ViewEventKind::ContextMenu, "username", "<Bob>").action, WindowAction::None);
    WindowRequest r = s.Fire(ViewRole::UserList, ViewEventKind::ContextMenu, "username", "Bob");
    EXPECT_EQ(r.action, WindowAction::UserMenu);
    EXPECT_EQ(r.picked, "Bob");
    EXPECT_EQ(s.Fire(ViewRole::UserList, ViewEventKind::ContextMenu, "groupname", "Nobody").action, WindowAction::None);
    // The heading as a theme shows it, in capitals: the group's menu, under the group's own name.
    s.chat.dlg->Roster().SetGroupNames({"Everyone", "Team \xC0\xE1"});
    r = s.Fire(ViewRole::UserList, ViewEventKind::ContextMenu, "groupname", "TEAM \xC0\xC1");
    EXPECT_EQ(r.action, WindowAction::GroupMenu);
    EXPECT_EQ(r.picked, "Team \xC0\xE1");
    EXPECT_EQ(s.Fire(ViewRole::Smiles, ViewEventKind::ContextMenu, "category", "").action, WindowAction::None);
    // A right click beside every element of a chat page offers copying.
    EXPECT_EQ(s.Fire(ViewRole::ChatText, ViewEventKind::ContextMenu, "", "").action, WindowAction::CopyMenu);
    EXPECT_EQ(s.Fire(ViewRole::ChatText, ViewEventKind::ContextMenu, "myname", "Me").action, WindowAction::OwnMenu);
}

}  // namespace zc
