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
    // A second post in the same second keeps the first and takes the next second's name.
    EXPECT_EQ(SaveBoardMessage(clock, "y", "Alice", "1", "").substr(0, 15), "1765188002.mes;");
    EXPECT_NE(root.Read("board/1765188001.mes").find("\nx"), std::string::npos);
    EXPECT_NE(root.Read("board/1765188002.mes").find("<CreateTime>\n1765188001\n"), std::string::npos);
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
        {"10.mes", 30LL * 86400, "2147483647", true},  // a peer's longer life counts as 30 days
        {"11.mes", 30LL * 86400 + 1, "2147483647", false},
        {"12.mes", -3600, "2592000", true},             // a peer's clock a little ahead
        {"13.mes", -2LL * 86400, "2592000", false},     // dated far ahead: would never expire
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

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct CountingFormat {
    FakeClock clock{1765188000};
    int converted = 0;
    BoardEntryFormat Format(const std::string& key) {
        return {clock,
                30,
                [this](const std::string& s) { ++converted; return "{" + s + "}"; },
                [](const std::string& s) { return s; },
                [](const std::string& s) { return "<n>" + s + "</n>"; },
                [](const std::string&) { return std::string(); },
                "Delete",
                [](const std::string& entry) { return "<e>" + entry + "</e>"; },
                key};
    }
};

}  // namespace

TEST(Board, IndexConvertsOnlyTheMessagesThatChanged) {
    TempRoot root(false);
    CountingFormat counting;
    for (int i = 0; i < 50; ++i)
        WriteBoardFile(std::to_string(1765100000 + i) + ".mes", Message(1765100000 + i, "2592000", "2"));
    BoardIndex index;
    BoardEntries entries;
    const std::string first = entries.Rows(index, counting.Format("k"));
    EXPECT_EQ(first, BuildBoardEntries(counting.Format("")));
    EXPECT_EQ(Count(first, "<e><table"), 50u);  // each entry linked on its own
    EXPECT_EQ(entries.Built(), 50u);

    counting.converted = 0;
    EXPECT_EQ(entries.Rows(index, counting.Format("k")), first);
    EXPECT_EQ(counting.converted, 0);
    EXPECT_EQ(index.FilesRead(), 50u);

    // A new file, a file rewritten with other bytes, a file removed behind our back.
    WriteBoardFile("1765100100.mes", Message(1765100100, "2592000", "2", "Newcomer"));
    WriteBoardFile("1765100003.mes", Message(1765100003, "2592000", "2", "Rewritten"));
    root.Remove("board/1765100004.mes");
    const std::string second = entries.Rows(index, counting.Format("k"));
    EXPECT_EQ(entries.Built(), 52u);
    EXPECT_EQ(index.FilesRead(), 52u);
    EXPECT_EQ(second, BuildBoardEntries(counting.Format("")));
    EXPECT_LT(second.find("{Newcomer}"), second.find("{Rewritten}"));
    EXPECT_EQ(second.find("board\\1765100004.mes"), std::string::npos);
    EXPECT_EQ(index.Files(), 50u);

    // Other settings: every entry is built again.
    entries.Rows(index, counting.Format("other"));
    EXPECT_EQ(entries.Built(), 102u);
}

TEST(Board, TrimDropsPeersOldestCopiesFirstAndOwnMessagesLast) {
    TempRoot root(false);
    std::string own;
    for (int i = 0; i < 5; ++i) {
        const std::string name = std::to_string(1765000000 + i) + ".mes";
        WriteBoardFile(name, Message(1765000000 + i, "2592000", "1", "Alice"));  // oldest of all
        own += name + ";";
    }
    for (size_t i = 0; i < kMaxBoardFiles; ++i)
        WriteBoardFile(std::to_string(1765100000 + i) + ".mes", Message(1765100000 + i, "2592000"));
    BoardIndex index;
    EXPECT_EQ(index.Trim("Alice", "10.0.0.2"), 5u);
    EXPECT_TRUE(index.Full());
    EXPECT_EQ(index.Files(), kMaxBoardFiles);
    EXPECT_EQ(index.OwnNames("Alice", "10.0.0.2"), own);
    EXPECT_FALSE(root.Exists("board/1765100004.mes"));  // the five oldest of Bob's
    EXPECT_TRUE(root.Exists("board/1765100005.mes"));
    EXPECT_EQ(index.Trim("Alice", "10.0.0.2"), 0u);

    // Own means name and address: an "Alice" elsewhere is a peer, and her oldest copy goes.
    WriteBoardFile("1765200000.mes", Message(1765200000, "2592000"));
    index.Refresh();  // written behind the index's back
    EXPECT_EQ(index.Trim("Alice", "10.0.0.9"), 1u);
    EXPECT_FALSE(root.Exists("board/1765000000.mes"));
    EXPECT_EQ(BoardFileNames().size(), kMaxBoardFiles);

    // Size counts too: a few big files push out the rest, the user's own message stays.
    std::filesystem::remove_all(root.Path() + "board");
    WriteBoardFile("1765300000.mes", Message(1765300000, "2592000", "1", "Alice"));
    const std::string big = Message(1765300001, "2592000") + std::string(kMaxBoardBytes / 3, 'x');
    for (int i = 1; i <= 4; ++i) WriteBoardFile(std::to_string(1765300000 + i) + ".mes", big);
    index.Refresh();
    EXPECT_EQ(index.Trim("Alice", "10.0.0.2"), 2u);
    EXPECT_LE(index.Bytes(), kMaxBoardBytes);
    EXPECT_TRUE(root.Exists("board/1765300000.mes"));
    EXPECT_TRUE(root.Exists("board/1765300004.mes"));
    EXPECT_FALSE(root.Exists("board/1765300002.mes"));
}

}  // namespace zc
