// Board messages from a stranger: nobody else's message can be replaced or deleted, one address
// holds a few places, a full board keeps the newest by time, and a flood builds no page nobody looks at.
#include <gtest/gtest.h>

#include "net/board_requests.h"
#include "services/board_store.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

constexpr std::time_t kNow = 1765188000;

struct BoardStrangers : ThreeHosts {
    void SetUp() override {
        ThreeHosts::SetUp();
        for (Host* h : {&alice, &bob, &carol}) h->chat.clock.Set(kNow);
    }
    // A board packet to Bob as the datagram from ip would bring it.
    void Send(const std::string& ip, const std::string& id, const std::string& name, int command,
              const std::string& body) {
        bob.dlg().OnPacketText(bob.dlg().Codec().EncodeText(ip + "(" + id + ")||" + name + "||||0.0||0||" +
                                                            std::to_string(command) + "||" + body + "//end"),
                               ip);
    }
    void Post(const std::string& ip, const std::string& id, const std::string& author, std::time_t name,
              std::time_t created, const std::string& text = "cheap watches") {
        Send(ip, id, author, CMD_BOARD_MESSAGE,
             std::to_string(name) + ".mes;<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n" + std::to_string(created) +
                 "\n</CreateTime>\n<MessageCategory>\n1\n<UserName>\n" + author + "\n<IP>\n" + ip +
                 "\n<MessageDate>\n08-12-2025 10:00\n<MessageBody>\n" + text);
    }
    // Twenty posts from each of `addresses` new addresses, created from `created` down.
    void Fill(int firstAddress, int addresses, std::time_t created, std::time_t nameAhead = 0) {
        for (int a = firstAddress; a < firstAddress + addresses; ++a)
            for (size_t i = 0; i < kMaxBoardPostsPerAddress; ++i, --created)
                Post(Ip(a), Id(a), "Peer", created + nameAhead, created);
    }
    static std::string Ip(int a) { return "10.1." + std::to_string(a / 256) + "." + std::to_string(a % 256); }
    static std::string Id(int a) { return "0300" + std::to_string(10000000 + a); }
    std::string Stored(const std::string& name) {
        return bob.root.Exists("board/" + name) ? bob.root.Read("board/" + name) : "";
    }
};

}  // namespace

TEST_F(BoardStrangers, NobodyButTheAuthorReplacesOrDeletesAMessage) {
    alice.dlg().ShowPage(PageMode::Board);
    ASSERT_TRUE(alice.dlg().SendChatMessage("bike for sale"));
    lan.Pump();
    const std::string name = std::to_string(kNow) + ".mes", original = Stored(name);
    ASSERT_NE(original.find("bike for sale"), std::string::npos);

    const std::string aliceId = alice.dlg().OwnId();
    Post("10.0.0.66", "0200000000AA", "Mallory", kNow, kNow);  // in the stranger's own name
    Post("10.0.0.66", "0200000000AA", "Alice", kNow, kNow);    // in Alice's name, from elsewhere
    Post("10.0.0.1", "0200000000BB", "Alice", kNow, kNow);     // a second copy at Alice's address
    Post("10.0.0.66", aliceId, "Alice", kNow, kNow);           // with Alice's identity, from elsewhere
    for (const auto& [ip, id, who] :
         {std::tuple{"10.0.0.66", "0200000000AA", "Mallory"}, std::tuple{"10.0.0.1", "0200000000BB", "Alice"},
          std::tuple{"10.0.0.66", aliceId.c_str(), "Alice"}})
        Send(ip, id, who, CMD_BOARD_DELETE, "board\\" + name);
    EXPECT_EQ(Stored(name), original);

    // Names that are not their creation time: the "9..." that sorted after every honest name,
    // one dated far ahead to match it, one a week off.
    Post("10.0.0.66", "0200000000AA", "Mallory", 9999999999, kNow);
    Post("10.0.0.66", "0200000000AA", "Mallory", 2147000000, 2147000000);
    Post("10.0.0.66", "0200000000AA", "Mallory", kNow - 7 * 86400, kNow);
    for (const char* forged : {"9999999999.mes", "2147000000.mes"})
        EXPECT_FALSE(bob.root.Exists(std::string("board/") + forged));
    EXPECT_FALSE(bob.root.Exists("board/" + std::to_string(kNow - 7 * 86400) + ".mes"));
    bob.dlg();
    EXPECT_EQ(Count(bob.chat.LogText(), ":::Board message from 10.0.0.66 refused"), 1u);  // one line a minute
    EXPECT_EQ(Count(bob.chat.LogText(), ":::Board message from 10.0.0.1 refused"), 1u);

    // Alice herself still can.
    alice.dlg().DeleteBoardMessage("board\\" + name);
    lan.Pump();
    EXPECT_FALSE(bob.root.Exists("board/" + name));
}

TEST_F(BoardStrangers, AFloodFillsAFewPlacesKeepsTheNewestAndBuildsThePageOnlyWhenShown) {
    alice.dlg().ShowPage(PageMode::Board);
    ASSERT_TRUE(alice.dlg().SendChatMessage("honest notice"));
    lan.Pump();
    const std::string honest = std::to_string(kNow) + ".mes";
    for (Host* h : {&alice, &bob, &carol}) h->chat.clock.Set(kNow + 3600);

    // 1,100 posts from one address: twenty stay, one log line a minute says so.
    BoardState& board = bob.dlg().Board();
    const size_t filesRead = board.files.FilesRead(), built = board.entries.Built();
    for (int i = 1; i <= 1100; ++i) Post("10.0.0.66", "0200000000AA", "Mallory", kNow - i, kNow - i);
    EXPECT_EQ(board.files.PostsAt("10.0.0.66"), kMaxBoardPostsPerAddress);
    bob.dlg();
    EXPECT_EQ(Count(bob.chat.LogText(), "refused: the address has 20 messages stored already"), 1u);

    // A board full of older messages whose names sort after the honest one: the oldest by time go.
    Fill(0, 52, kNow - 20000, 86000);
    EXPECT_EQ(board.files.Files(), kMaxBoardFiles);
    EXPECT_TRUE(bob.root.Exists("board/" + honest));
    EXPECT_TRUE(bob.root.Exists("board/" + std::to_string(kNow - 20000 + 86000) + ".mes"));   // newest of them
    EXPECT_FALSE(bob.root.Exists("board/" + std::to_string(kNow - 21039 + 86000) + ".mes"));  // oldest

    // Not in front, the page cost nothing however many were stored: no file read, no entry built.
    EXPECT_EQ(board.files.FilesRead(), filesRead);
    EXPECT_EQ(board.entries.Built(), built);

    // Opened, it is built once without reading a file; in front, it follows new posts at most
    // once a second.
    bob.dlg().ShowPage(PageMode::Board);
    EXPECT_EQ(board.entries.Built(), built + kMaxBoardFiles);
    EXPECT_EQ(board.files.FilesRead(), filesRead);
    EXPECT_NE(bob.Page(ViewRole::Board).find(honest), std::string::npos);
    for (int i = 0; i < 10; ++i) Post(Ip(100), Id(100), "Peer", kNow + 100 + i, kNow + 100 + i);
    EXPECT_EQ(board.entries.Built(), built + kMaxBoardFiles + 1);
    bob.chat.timers.Advance(1000);
    EXPECT_EQ(board.entries.Built(), built + kMaxBoardFiles + 10);
    EXPECT_NE(bob.Page(ViewRole::Board).find(std::to_string(kNow + 109) + ".mes"), std::string::npos);
}

}  // namespace zc
