#include <gtest/gtest.h>

#include <filesystem>

#include "services/board_entries.h"
#include "services/board_store.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

namespace {

const char kBody[] = "Selling a bike\r\n\r\nCall [URL]http://x.test[/URL]";

// Everything below the root except the board folder, to prove nothing escaped it.
std::vector<std::string> FilesOutsideBoard(const TempRoot& root) {
    std::vector<std::string> found;
    for (auto& e : std::filesystem::recursive_directory_iterator(root.Path())) {
        const std::string rel = std::filesystem::relative(e.path(), root.Path()).string();
        if (rel != "board" && rel.rfind("board/", 0) != 0) found.push_back(rel);
    }
    return found;
}

std::string Message(long long created, const std::string& life, const std::string& category = "1",
                    const std::string& name = "Bob") {
    return "<TimeLife>\n" + life + "\n</TimeLife>\n<CreateTime>\n" + std::to_string(created) +
           "\n</CreateTime>\n<MessageCategory>\n" + category + "\n<UserName>\n" + name +
           "\n<IP>\n10.0.0.2\n<MessageDate>\n01-01-2025 00:00\n<MessageBody>\nhi";
}

}  // namespace

TEST(Board, PostedAndReceivedFilesMatchTheirGoldenBytes) {
    TempRoot root(false);
    FakeClock clock(1765188000);
    const std::string wire = SaveBoardMessage(clock, kBody, "Alice", "3", "10.0.0.1");
    const std::string posted = ReadGolden("board/posted.mes");
    EXPECT_EQ(root.Read("board/1765188000.mes"), posted);
    EXPECT_EQ(wire, "1765188000.mes;" + posted);

    // The answer to a request re-reads the file line by line, so it ends in a line feed.
    const std::string item = ReadBoardFileForSend("1765188000.mes");
    EXPECT_EQ(item, "1765188000.mes;" + ReadGolden("board/received_item.mes"));

    // What 16 and 31 carry is stored as it came, through the same split at the first ";".
    std::filesystem::remove_all(root.Path() + "board");
    ASSERT_TRUE(WriteBoardFile("1765188000.mes", item.substr(item.find(';') + 1)));
    EXPECT_EQ(root.Read("board/1765188000.mes"), ReadGolden("board/received_item.mes"));
    ASSERT_TRUE(WriteBoardFile("1765188000.mes", wire.substr(wire.find(';') + 1)));
    EXPECT_EQ(root.Read("board/1765188000.mes"), posted);
    EXPECT_EQ(FilesOutsideBoard(root), std::vector<std::string>{});  // no temporary left behind
    EXPECT_EQ(BoardFileNames(), std::vector<std::string>{"1765188000.mes"});

    // A category outside 1..4 is stored as 4, the readers' default.
    clock.Set(1765188001);
    SaveBoardMessage(clock, "x", "Alice", "9", "");
    EXPECT_NE(root.Read("board/1765188001.mes").find("<MessageCategory>\n4\n<UserName>\nAlice\n<IP>\n0.0.0.0\n"),
              std::string::npos);
}

TEST(Board, OwnMessagesByNameAndAddress) {
    TempRoot root(false);
    FakeClock clock(1765188000);
    SaveBoardMessage(clock, "a", "Alice", "1", "10.0.0.1");
    clock.Set(1765188005);
    SaveBoardMessage(clock, "b", "Alice", "2", "10.0.0.1");
    clock.Set(1765188009);
    SaveBoardMessage(clock, "c", "alice", "2", "10.0.0.1");
    WriteBoardFile("1765188010.mes", Message(1765188010, "2592000", "1", "Alice"));  // other address
    EXPECT_EQ(ListOwnBoardFiles("Alice", "10.0.0.1"), "1765188000.mes;1765188005.mes;");
    EXPECT_EQ(ListOwnBoardFiles("Nobody", "10.0.0.1"), "");
    EXPECT_TRUE(IsOwnBoardMessage("board/1765188009.mes", "alice"));
    EXPECT_FALSE(IsOwnBoardMessage("board/1765188009.mes", "Alice"));
    EXPECT_FALSE(IsOwnBoardMessage("board/404.mes", "Alice"));
    EXPECT_EQ(ReadBoardFileForSend("404.mes"), "");
}

TEST(Board, ExpiryFollowsTheTimeLifeLine) {
    TempRoot root(false);
    FakeClock clock(2000000000);
    const long long now = 2000000000;
    struct Case {
        const char* name;
        long long age;
        std::string life;
        bool alive;
    } cases[] = {
        {"1.mes", 30LL * 86400, "2592000", true},       // written by us: 30 days, whatever the setting
        {"2.mes", 30LL * 86400 + 1, "2592000", false},
        {"3.mes", 5LL * 86400, "60", true},             // too short to be used: the setting's 7 days
        {"4.mes", 7LL * 86400 + 1, "60", false},
        {"5.mes", 3600, "600", true},                   // raised to one hour
        {"6.mes", 3601, "600", false},
        {"7.mes", 8LL * 86400, "", false},              // no value: the setting
        {"8.mes", 6LL * 86400, "", true},
    };
    for (const Case& c : cases) ASSERT_TRUE(WriteBoardFile(c.name, Message(now - c.age, c.life)));
    for (const Case& c : cases) {
        EXPECT_EQ(CheckBoardExpiry(clock, std::string("board/") + c.name, 7), c.alive) << c.name;
        EXPECT_EQ(root.Exists(std::string("board/") + c.name), c.alive) << c.name;
    }
    // A file without a closing tag has no TimeLife value at all.
    root.Write("board/9.mes", "<TimeLife>\n2592000\n<CreateTime>\n" + std::to_string(now - 2 * 86400) +
                                  "\n</CreateTime>\n");
    EXPECT_EQ(ReadBoardTag("TimeLife", "board/9.mes"), "");
    EXPECT_FALSE(CheckBoardExpiry(clock, "board/9.mes", 1));
}

TEST(Board, PeerNamesCannotReachOutsideTheFolder) {
    TempRoot root(false);
    root.Write("keep.mes", "keep");
    root.Write("board/1.mes", Message(1, "2592000"));
    const std::string longName(300, '1');
    for (const std::string& name : {std::string("../keep.mes"), std::string("..\\keep.mes"), std::string("/tmp/1.mes"),
                                    std::string("a/1.mes"), std::string("1.mes/"), std::string(""),
                                    std::string(".mes"), std::string("1.txt"), std::string("1.mes.mes"),
                                    std::string("-1.mes"), std::string(" 1.mes"), longName + ".mes",
                                    std::string("12345678901.mes"), std::string("1\n.mes")}) {
        EXPECT_FALSE(IsBoardFileName(name)) << name;
        EXPECT_FALSE(WriteBoardFile(name, "evil")) << name;
        EXPECT_EQ(ReadBoardFileForSend(name), "") << name;
        EXPECT_EQ(BoardPathOfWirePath("board\\" + name), "") << name;
    }
    for (const std::string& path : {std::string("board\\..\\keep.mes"), std::string("board/1.mes"),
                                    std::string("board\\"), std::string("keep.mes"), std::string("/board\\1.mes"),
                                    std::string("BOARD\\1.mes"), std::string("")})
        EXPECT_EQ(BoardPathOfWirePath(path), "") << path;
    EXPECT_EQ(BoardPathOfWirePath("board\\1.mes"), "board/1.mes");
    EXPECT_EQ(root.Read("keep.mes"), "keep");
    EXPECT_EQ(FilesOutsideBoard(root), std::vector<std::string>{"keep.mes"});
}

TEST(Board, EntriesNewestFirstPerCategory) {
    TempRoot root(false);
    FakeClock clock(1765188000);
    WriteBoardFile("1765100000.mes", Message(1765100000, "2592000", "2", "Bob"));
    WriteBoardFile("1765100001.mes", Message(1765100001, "2592000", "2", "Carol"));
    WriteBoardFile("1765100002.mes", Message(1765100002, "2592000", "x", "Dan"));  // unreadable category
    WriteBoardFile("1700000000.mes", Message(1700000000, "2592000", "1", "Old"));  // expired
    root.Write("board/notes.mes", Message(1765100003, "2592000", "1", "Stray"));   // not a board name
    BoardEntryFormat f{clock, 30, [](const std::string& s) { return "{" + s + "}"; },
                       [](const std::string& s) { return s + "!"; },
                       [](const std::string& s) { return "<n>" + s + "</n>"; },
                       [](const std::string& s) { return s == "{Carol}" ? std::string("red") : std::string(); },
                       "Delete"};
    const std::string html = BuildBoardEntries(f);
    EXPECT_FALSE(root.Exists("board/1700000000.mes"));
    EXPECT_EQ(html.find("Old"), std::string::npos);
    EXPECT_EQ(html.find("Stray"), std::string::npos);
    const size_t row2 = html.find("<tr id=\"20\"><td><br>"), row3 = html.find("<tr id=\"30\">");
    const size_t carol = html.find("<n>{Carol}</n>"), bob = html.find("<n>{Bob}</n>"), dan = html.find("{Dan}");
    ASSERT_NE(row2, std::string::npos);
    EXPECT_LT(row2, carol);
    EXPECT_LT(carol, bob);  // the later file first
    EXPECT_LT(bob, row3);
    EXPECT_GT(dan, html.find("<tr id=\"40\">"));
    EXPECT_EQ(html.find("<tr id=\"10\"><td><br></td></tr>\n"), 0u);
    const std::string bobEntry =
        "<table height=1 width=\"100%\" border=0><tr valign=top><td width=10% nowrap>"
        "<span class=\"time\">{01-01-2025 00:00}</span><br><n>{Bob}</n><br></td><td>"
        "<table align=right border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td id=\"board\\1765100000.mes\" "
        "title=\"Delete\" class=\"deletemessage\" scope=\"row\">X</td></tr></table>"
        "<span class=\"message\">{hi}!<br></span><br><br></td></tr></table>\n";
    EXPECT_NE(html.find(bobEntry), std::string::npos);
    EXPECT_NE(html.find("<span class=\"message\" style=\"color:red\">{hi}!<br>"), std::string::npos);
}

}  // namespace zc
