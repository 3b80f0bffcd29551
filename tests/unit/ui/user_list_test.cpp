#include "ui/html/user_list_page.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/ini_file.h"
#include "base/settings.h"
#include "base/text_helpers.h"
#include "net/user_roster.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) parts.push_back(part);
    if (!text.empty() && text.back() == sep) parts.emplace_back();
    return parts;
}

// The golden roster: records entered the way the dispatcher enters them, avatars in the folder.
struct GoldenList {
    GoldenList() {
        std::istringstream in(ReadGolden("userlist/roster.txt"));
        std::string line;
        std::vector<std::string> groups;
        while (std::getline(in, line)) {
            const std::string key = ExtractField(line, "=", 0), value = ExtractField(line, "=", 1);
            if (key == "own") ownId = value;
            else if (key == "size") user.maxAvatarSize = ParseInt(value);
            else if (key == "label") label = value;
            else if (key == "groups") roster.SetGroupNames(Split(value, '|'));
            else if (key == "avatars")
                for (const std::string& file : Split(value, ' ')) root.Write("avatars/" + file, "picture");
            else if (key == "user") {
                const std::vector<std::string> f = Split(value, '|');
                EXPECT_EQ(f.size(), 7u) << line;
                if (f.size() != 7) continue;
                roster.AddOrUpdate(f[0], f[1], f[2], 1, f[4]);
                roster.SetMode(f[0], 1, f[3], f[4]);
                if (f[0] != ownId) {  // a peer's texts as sent, beside the cleaned ones
                    roster.SetSentName(f[0], f[2]);
                    roster.SetSentModeText(f[0], f[3]);
                }
                roster.SetGroup(f[0], ParseInt(f[5]));
                roster.SetActive(f[0], ParseInt(f[6]));
            }
        }
        user.doNotSortByName = false;
    }
    UserListContext Context() const { return {roster, user, ownId, root.Path(), label}; }
    std::string Golden(const std::string& name) const {
        return ReplaceAll(ReadGolden("userlist/" + name), "@ROOT@", root.Path());
    }
    TempRoot root{false};
    CUserRoster roster;
    LocalUser user;
    std::string ownId, label;
};

// What a page's element holds after setting its inner HTML, as the browser would keep it.
struct PageElements {
    SetElementHtml Setter() {
        return [this](const std::string& id, const std::string& html) {
            const std::string open = "<span id=\"" + id + "\">";
            const size_t at = page.find(open);
            if (at == std::string::npos) return false;
            const size_t close = page.find("</span>", at);
            page.replace(at + open.size(), close - at - open.size(), html);
            return true;
        };
    }
    std::string page;
};

}  // namespace

TEST(UserList, ShortenText) {
    EXPECT_EQ(ShortenText("12345678901234567", true), "12345678901234567");
    EXPECT_EQ(ShortenText("123456789012345678", true), "12345678901234567...");
    EXPECT_EQ(ShortenText("123456789012345678", false), "123456789012345678");
    EXPECT_EQ(ShortenText("", true), "");
    // A character reference is one character, and a cut never splits one.
    EXPECT_EQ(ShortenText("123456789012345&#128512;xyz", true), "123456789012345&#128512;x...");
    EXPECT_EQ(ShortenText("1234567890123456&#128512;", true), "1234567890123456&#128512;");
}

TEST(UserList, GoldenShell) {
    GoldenList g;
    EXPECT_EQ(UserListShell(g.root.Path(), "def", "list.css"), g.Golden("shell.html"));
    FakeView view(ViewRole::UserList);
    ASSERT_TRUE(PrepareUserList(&view, g.root.Path(), "def", "list.css"));
    EXPECT_EQ(view.Page(), g.Golden("shell.html"));
    EXPECT_FALSE(PrepareUserList(nullptr, g.root.Path(), "def", "list.css"));
}

TEST(UserList, GoldenPlainRowsSortedByName) {
    GoldenList g;
    EXPECT_EQ(UserListTable(g.Context()), g.Golden("plain.html"));
    // Groups on, but the second chat page is in front: still plain.
    g.user.groupsOn = true;
    g.user.pageMode = PageMode::Conference;
    EXPECT_EQ(UserListTable(g.Context()), g.Golden("plain.html"));
}

TEST(UserList, GoldenGroupedRows) {
    GoldenList g;
    g.user.groupsOn = true;
    g.user.pageMode = PageMode::Board;
    EXPECT_EQ(UserListTable(g.Context()), g.Golden("grouped.html"));
}

TEST(UserList, ArrivalOrderWhenNotSorted) {
    GoldenList g;
    g.user.doNotSortByName = true;
    const std::string html = UserListTable(g.Context());
    size_t last = 0;
    for (const CUserRecord& r : g.roster.Entries()) {
        // The own row carries the nickname as its id; every other record its identity.
        const std::string mark = r.id == g.ownId ? "class=myname" : "class=username id=\"" + r.id + "\"";
        const size_t at = html.find(mark);
        ASSERT_NE(at, std::string::npos) << r.nickname;
        EXPECT_GT(at, last) << r.nickname;
        last = at;
    }
}

TEST(UserList, RefreshFillsTheShell) {
    GoldenList g;
    PageElements page;
    page.page = UserListShell(g.root.Path(), "def", "list.css");
    ASSERT_TRUE(RefreshUserList(page.Setter(), g.Context()));
    EXPECT_EQ(page.page, ReplaceAll(g.Golden("shell.html"), "<span id=\"LIST_TEXT\"></span>",
                                    "<span id=\"LIST_TEXT\">" + g.Golden("plain.html") + "</span>"));
    // A second rebuild replaces the table instead of adding to it.
    g.roster.Remove("11aa22bb33cc");
    ASSERT_TRUE(RefreshUserList(page.Setter(), g.Context()));
    EXPECT_EQ(page.page.find("11aa22bb33cc"), std::string::npos);
    EXPECT_EQ(page.page.find("<table"), page.page.rfind("<table"));

    PageElements blank;  // no element: nothing happens
    EXPECT_FALSE(RefreshUserList(blank.Setter(), g.Context()));
    EXPECT_EQ(blank.page, "");
    EXPECT_FALSE(RefreshUserList(SetElementHtml(), g.Context()));

    FakeView view(ViewRole::UserList);
    ASSERT_TRUE(PrepareUserList(&view, g.root.Path(), "def", "list.css"));
    ASSERT_TRUE(RefreshUserList(&view, g.Context()));
    EXPECT_EQ(view.InnerHtmlById("LIST_TEXT"), UserListTable(g.Context()));
    EXPECT_FALSE(RefreshUserList(static_cast<HtmlView*>(nullptr), g.Context()));
}

TEST(UserList, AssignGroupWritesTheMemberKey) {
    TempRoot root(false);
    const std::string profile = "profiles/default.cfg";
    root.Write(profile, "[GROUPS]\r\nGROUPON=1\r\n");
    CUserRoster roster;
    roster.SetGroupNames({"Friends", "Work", "Other"});
    roster.AddOrUpdate("aa11", "10.0.0.1", "Ann Lee=1", 1, "");
    roster.AddOrUpdate("bb22", "10.0.0.2", "Bob", 1, "");

    // Picked by identity from the list page; beyond the last group becomes 1.
    EXPECT_TRUE(AssignGroup(roster, profile, "aa11", 7));
    EXPECT_EQ(ReadIniValue(profile, "GROUPMEMBER", "AnnLee1"), "1");
    EXPECT_EQ(roster.Find("aa11")->group, 1);

    // Picked by name from a chat page.
    EXPECT_TRUE(AssignGroup(roster, profile, "Bob", 2));
    EXPECT_EQ(ReadIniValue(profile, "GROUPMEMBER", "Bob"), "2");
    EXPECT_EQ(roster.Find("bb22")->group, 2);

    // A one-character pick names nobody.
    EXPECT_FALSE(AssignGroup(roster, profile, "B", 0));
    EXPECT_EQ(ReadIniValue(profile, "GROUPMEMBER", "B"), "");

    // Somebody no longer in the roster is still written for the next time they come.
    EXPECT_TRUE(AssignGroup(roster, profile, "Gone Guy", 3));
    EXPECT_EQ(ReadIniValue(profile, "GROUPMEMBER", "GoneGuy"), "3");
    EXPECT_EQ(ReadIniValue(profile, "GROUPS", "GROUPON"), "1");

    // The rebuilt list shows Ann under the second heading.
    LocalUser user;
    user.groupsOn = true;
    user.doNotSortByName = true;
    const std::string html = UserListTable({roster, user, "zz", root.Path(), "Avatar:"});
    const size_t work = html.find(">Work<"), other = html.find(">Other<"), ann = html.find(">Ann Lee=1<");
    ASSERT_NE(ann, std::string::npos);
    EXPECT_GT(ann, work);
    EXPECT_LT(ann, other);
}

}  // namespace zc
