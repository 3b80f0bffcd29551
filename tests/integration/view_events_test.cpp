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

TEST(ViewEvents, LinksOpenOnlyWithARealTarget) {
    TempRoot root;
    Started s;
    s.Fire(ViewRole::ChatText, ViewEventKind::Click, "urllink", "x", "", "<a class=\"urllink\" href=\"http:\">x</a>");
    EXPECT_TRUE(s.chat.shell.opened.empty());
    s.Fire(ViewRole::ChatText, ViewEventKind::Click, "urllink", "x", "",
           "<a class=\"urllink\" href=\"http://www.example.org\" title=\"www.example.org\">www.example.org</a>");
    s.Fire(ViewRole::ChatText, ViewEventKind::DoubleClick, "image", "", "",
           "<img class=\"image\" src=\"file:///srv/pics/cat.png\" title=\"/srv/pics/cat.png\">");
    EXPECT_EQ(s.chat.shell.opened, (std::vector<std::string>{"http://www.example.org", "file:///srv/pics/cat.png"}));
}

TEST(ViewEvents, MenusByViewAndClass) {
    TempRoot root;
    Started s;
    EXPECT_EQ(s.Fire(ViewRole::ChatText, ViewEventKind::ContextMenu, "username", "<Bob>").action, WindowAction::None);
    WindowRequest r = s.Fire(ViewRole::UserList, ViewEventKind::ContextMenu, "username", "Bob");
    EXPECT_EQ(r.action, WindowAction::UserMenu);
    EXPECT_EQ(r.picked, "Bob");
    EXPECT_EQ(s.Fire(ViewRole::UserList, ViewEventKind::ContextMenu, "groupname", "Nobody").action, WindowAction::None);
    EXPECT_EQ(s.Fire(ViewRole::Smiles, ViewEventKind::ContextMenu, "category", "").action, WindowAction::None);
    // A right click beside every element of a chat page offers copying.
    EXPECT_EQ(s.Fire(ViewRole::ChatText, ViewEventKind::ContextMenu, "", "").action, WindowAction::CopyMenu);
    EXPECT_EQ(s.Fire(ViewRole::ChatText, ViewEventKind::ContextMenu, "myname", "Me").action, WindowAction::OwnMenu);
}

}  // namespace zc
