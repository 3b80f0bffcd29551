// Cyrillic folders, file names and links: the chat's texts are windows-1251, the file system
// and the desktop take UTF-8.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/link_policy.h"
#include "base/cp1251.h"
#include "base/file_url.h"
#include "base/message_text.h"
#include "base/settings.h"
#include "net/user_roster.h"
#include "support/temp_root.h"
#include "ui/html/skin_theme.h"
#include "ui/html/user_list_page.h"

namespace zc {
using test::TempRoot;

namespace {
std::string Cp(const std::string& utf8) { return Utf8ToCp1251(utf8); }
}  // namespace

TEST(CyrillicNames, PicturesLinksAndStyleSheetsUnderCyrillicFolders) {
    TempRoot root(false);
    const std::string folder = root.Path() + "Иван/Изображения/";  // the file system's UTF-8
    root.Write("Иван/Изображения/кот #1.png", std::string("\x89PNG\r\n\x1a\n", 8) + "rest of it");
    root.Write("Иван/Изображения/не кот.png", "#!/bin/sh\n");
    const std::string cat = folder + "кот #1.png";

    // A picture the user typed (in the chat's code page) shows, its address encoded.
    const std::string shown = MessageTextSanitizer("[IMG]" + Cp(cat) + "[/IMG]", true);
    EXPECT_EQ(shown, "<img class=\"image\" src=\"" + FileUrl(cat) + "\" title=\"" + Cp(cat) + "\">");
    EXPECT_EQ(FileUrl(cat).find_first_of("# "), std::string::npos);

    // A click on it opens the picture itself, also with the page's "?n"; a file that only says
    // it is a picture opens its folder; web addresses open as written.
    EXPECT_EQ(LinkToOpen(FileUrl(cat) + "?3"), FileUrl(cat));
    EXPECT_EQ(LinkToOpen(Cp(cat)), FileUrl(cat));
    EXPECT_EQ(LinkToOpen(Cp(folder + "не кот.png")), FileUrl(folder));
    EXPECT_EQ(LinkToOpen(Cp("http://www.пример.рф/статья?q=ёжик&#128512;")), "http://www.пример.рф/статья?q=ёжик😀");

    // Style sheets of a program folder with Cyrillic letters resolve to its files.
    EXPECT_EQ(StyleSheetHref("/home/Иван/zeltochat/", Cp("тема"), "text.css"),
              "/home/%D0%98%D0%B2%D0%B0%D0%BD/zeltochat/skins/skinthemes/%D1%82%D0%B5%D0%BC%D0%B0/text.css");
    EXPECT_EQ(PercentDecoded(StyleSheetHref(folder, "def", "a.css")), folder + "skins/skinthemes/def/a.css");
}

TEST(CyrillicNames, UserListSortsAndShowsCyrillicAvatars) {
    TempRoot root(false);
    root.Write("avatars/ёжик \"в\" тумане.jpg", "picture");
    CUserRoster roster;
    LocalUser user;
    user.doNotSortByName = false;
    user.groupsOn = false;
    const char* const names[] = {"Жанна", "ёлка", "Євген", "Ігор", "Їжак", "Йосип", "Иван", "Ґанок", "Гена",
                                 "Ўладзь", "Уля", "Фёдор", "Ева", "Zoe", "anna"};
    int n = 0;
    for (const char* name : names) {
        const std::string id = "00000000000" + std::to_string(n % 10) + std::to_string(n / 10);
        roster.AddOrUpdate(id, "10.0.0." + std::to_string(++n), Cp(name), 1, Cp("ёжик \"в\" тумане.jpg"));
    }
    const std::string html = Cp1251ToUtf8(UserListTable({roster, user, "", root.Path(), "Avatar:"}));
    const char* const order[] = {"anna", "Zoe", "Гена", "Ґанок", "Ева", "ёлка", "Євген", "Жанна", "Иван",
                                 "Ігор", "Їжак", "Йосип", "Уля", "Ўладзь", "Фёдор"};
    size_t last = 0;
    for (const char* name : order) {
        const size_t at = html.find(std::string(">") + name + "<");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name;
        last = at;
    }
    // The avatar's file is found under its own name; the page carries it encoded and as text.
    EXPECT_NE(html.find("src=\"" + PercentEncodedPath(root.Path() + "avatars/ёжик \"в\" тумане.jpg") + "\""),
              std::string::npos);
    EXPECT_NE(html.find("Avatar: ёжик &quot;в&quot; тумане.jpg\">"), std::string::npos);
}

}  // namespace zc
