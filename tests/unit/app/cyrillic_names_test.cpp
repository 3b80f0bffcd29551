// Cyrillic file names and links beyond what the desktop run shows: the chat's texts are
// windows-1251, the file system and the desktop take UTF-8.
#include <gtest/gtest.h>

#include "app/link_policy.h"
#include "base/cp1251.h"
#include "base/file_url.h"
#include "base/settings.h"
#include "net/user_roster.h"
#include "support/temp_root.h"
#include "ui/html/user_list_page.h"

namespace zc {

TEST(CyrillicNames, LinksOpenAsWrittenPicturesOnlyWhenTheyArePictures) {
    test::TempRoot root(false);
    const std::string folder = root.Path() + "Изображения/";
    root.Write("Изображения/кот #1.png", std::string("\x89PNG\r\n\x1a\n", 8) + "rest");
    root.Write("Изображения/не кот.png", "#!/bin/sh\n");
    const std::string cat = folder + "кот #1.png";
    EXPECT_EQ(LinkToOpen(FileUrl(cat) + "?3"), FileUrl(cat));  // "#" encoded, the page's "?n" dropped
    EXPECT_EQ(LinkToOpen(Utf8ToCp1251(cat)), FileUrl(cat));
    EXPECT_EQ(LinkToOpen(Utf8ToCp1251(folder + "не кот.png")), FileUrl(folder));
    EXPECT_EQ(LinkToOpen(Utf8ToCp1251("http://www.пример.рф/?q=ёжик&#128512;")), "http://www.пример.рф/?q=ёжик😀");
}

TEST(CyrillicNames, UserListSortsAsAReaderAndFindsAvatarsByTheirOwnName) {
    test::TempRoot root(false);
    root.Write("avatars/ёжик \"в\" [тумане].jpg", "picture");
    CUserRoster roster;
    LocalUser user;
    user.doNotSortByName = false;
    user.groupsOn = false;
    const char* const names[] = {"Жанна", "ёлка", "Євген", "Ігор", "Їжак", "Йосип", "Иван", "Ґанок",
                                 "Гена",  "Ўладзь", "Уля", "Фёдор", "Ева", "Zoe", "anna"};
    int n = 0;
    for (const char* name : names) {
        const std::string i = std::to_string(++n);
        roster.AddOrUpdate("id" + i, "10.0.0." + i, Utf8ToCp1251(name), 1, Utf8ToCp1251("ёжик \"в\" [тумане].jpg"));
    }
    const std::string html = Cp1251ToUtf8(UserListTable({roster, user, "", root.Path(), "Avatar:"}));
    size_t last = 0;
    for (const char* name : {"anna", "Zoe", "Гена", "Ґанок", "Ева", "ёлка", "Євген", "Жанна", "Иван", "Ігор", "Їжак",
                             "Йосип", "Уля", "Ўладзь", "Фёдор"}) {
        const size_t at = html.find(std::string(">") + name + "<");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name;
        last = at;
    }
    EXPECT_NE(html.find("src=\"" + PercentEncodedPath(root.Path() + "avatars/ёжик \"в\" [тумане].jpg") + "\""),
              std::string::npos);
    EXPECT_NE(html.find("Avatar: ёжик &quot;в&quot; [тумане].jpg\">"), std::string::npos);
}

}  // namespace zc
