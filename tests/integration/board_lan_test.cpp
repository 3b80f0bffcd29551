// The board across several chats on one fake LAN.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/ini_file.h"
#include "net/chat_packet.h"
#include "support/chat_fixture.h"

namespace zc {
using namespace zc::test;

namespace {

FakeLockBoard& Prepare(FakeLockBoard& board, const std::string& name) {
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", name);
    return board;
}

struct Host {
    Host(FakeLan& lan, const std::string& name, const std::string& ip, char last)
        : chat(Prepare(board, name), "/tmp/zc-no-autostart", true, &lan) {
        chat.system.ip = ip;
        chat.system.hardware = std::string("\x02\x00\x00\x00\x00", 5) + last;
    }
    void Start() {
        EXPECT_TRUE(chat.Use().OnInitDialog());
        chat.timers.Advance(2000);
    }
    CChatMainDlg& dlg() { return chat.Use(); }
    std::string Body() const { return chat.ChatView() ? chat.ChatView()->Body() : ""; }
    std::string BoardPage() const { return chat.views.Live(ViewRole::Board) ? chat.views.Live(ViewRole::Board)->Page() : ""; }
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat;
};

// The packets of one command on the wire since a mark, decoded by a host's codec.
std::vector<CChatPacket> Sent(FakeLan& lan, Host& decoder, int command, size_t from = 0) {
    std::vector<CChatPacket> found;
    for (size_t i = from; i < lan.Wire().size(); ++i) {
        const std::string& bytes = lan.Wire()[i];
        CChatPacket p = ParsePacketText(decoder.dlg().Codec().DecodeText(bytes.substr(0, bytes.find('\0'))));
        if (p.command == command) found.push_back(p);
    }
    return found;
}

struct BoardHosts : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", '\x01'};
    Host bob{lan, "Bob", "10.0.0.2", '\x02'};
    Host carol{lan, "Carol", "10.0.0.3", '\x03'};
    void SetUp() override {
        for (Host* h : {&alice, &bob, &carol}) {
            h->Start();
            lan.Pump();
        }
    }
    // Alice posts from her board page into the tab she has open.
    std::string Post(const std::string& text, const std::string& tab, std::time_t at) {
        for (Host* h : {&alice, &bob, &carol}) h->chat.clock.Set(at);
        alice.dlg().ShowPage(PageMode::Board);
        alice.dlg().OnBoardCategory(tab);
        EXPECT_TRUE(alice.dlg().SendChatMessage(text));
        lan.Pump();
        return std::to_string(at) + ".mes";
    }
};

}  // namespace

TEST_F(BoardHosts, PostGoesIntoTheOpenTabOnEveryCopy) {
    const std::string name = Post("garage sale [URL]http://x.test[/URL]", "3", 1765188000);
    const std::string own = alice.root.Read("board/" + name);
    EXPECT_NE(own.find("<MessageCategory>\n3\n<UserName>\nAlice\n<IP>\n10.0.0.1\n"), std::string::npos);
    for (Host* h : {&bob, &carol}) EXPECT_EQ(h->root.Read("board/" + name), own) << h->dlg().User().nickname;
    EXPECT_EQ(Sent(lan, alice, 16).size(), 1u);
    EXPECT_EQ(alice.Body().find("garage sale"), std::string::npos);  // not on the chat page

    // Receivers rebuild their board page; the tab they picked survives the rebuild.
    bob.dlg().OnBoardCategory("3");
    bob.dlg().ShowPage(PageMode::Board);
    const std::string page = bob.BoardPage();
    EXPECT_NE(page.find("<tr id=\"30\"><td><br><table height=1"), std::string::npos);
    EXPECT_NE(page.find("show_s(3);</script></body></html>"), std::string::npos);
    EXPECT_NE(page.find("class=\"urllink\""), std::string::npos);
    EXPECT_NE(page.find("id=\"board\\" + name + "\""), std::string::npos);
    EXPECT_NE(carol.BoardPage().find("show_s(1);"), std::string::npos);  // nothing picked: tab 1
}

TEST_F(BoardHosts, AListWithOneMissingNameCausesOneRequest) {
    const std::string first = Post("first", "1", 1765188000);
    const std::string second = Post("second", "2", 1765188100);
    ASSERT_TRUE(bob.root.Exists("board/" + first));
    bob.root.Remove("board/" + first);

    const size_t mark = lan.Wire().size();
    bob.dlg().SetChatMode(2);  // Alice answers the mode change with her own list
    lan.Pump();
    const auto lists = Sent(lan, alice, 17, mark);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].body, first + ";" + second + ";");
    EXPECT_EQ(lists[0].target, bob.dlg().OwnId());
    const auto requests = Sent(lan, alice, 32, mark);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, first);
    EXPECT_EQ(requests[0].target, alice.dlg().OwnId());
    EXPECT_EQ(Sent(lan, alice, 31, mark).size(), 1u);
    EXPECT_EQ(bob.root.Read("board/" + first), alice.root.Read("board/" + first) + "\n");
}

TEST(BoardLan, ALateJoinerReceivesTheAuthorsMessages) {
    FakeLan lan;
    Host alice(lan, "Alice", "10.0.0.1", '\x01');
    alice.Start();
    lan.Pump();
    alice.dlg().ShowPage(PageMode::Board);
    alice.chat.clock.Set(1765188000);
    alice.dlg().SendChatMessage("before you came");
    alice.chat.clock.Set(1765188060);
    alice.dlg().SendChatMessage("and this too");
    lan.Pump();
    // A copied message of somebody else is not Alice's to hand out.
    alice.dlg();
    alice.root.Write("board/1765100000.mes", "<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n1765100000\n"
                                             "</CreateTime>\n<MessageCategory>\n1\n<UserName>\nZed\n<IP>\n10.0.0.9\n"
                                             "<MessageDate>\nx\n<MessageBody>\nnot mine");

    Host dave(lan, "Dave", "10.0.0.4", '\x04');
    dave.chat.clock.Set(1765188100);
    dave.Start();
    lan.Pump();
    EXPECT_TRUE(dave.root.Exists("board/1765188000.mes"));
    EXPECT_TRUE(dave.root.Exists("board/1765188060.mes"));
    EXPECT_FALSE(dave.root.Exists("board/1765100000.mes"));
    EXPECT_NE(dave.root.Read("board/1765188060.mes").find("<MessageBody>\nand this too\n"), std::string::npos);
}

TEST_F(BoardHosts, TheAuthorsDeleteReachesEveryCopyOthersStayLocal) {
    const std::string name = Post("for sale", "1", 1765188000);
    const std::string id = "board\\" + name;

    // Bob deletes Alice's message: after his confirmation, only his copy goes.
    bob.dlg().OnBoardDelete(id);
    EXPECT_TRUE(bob.root.Exists("board/" + name));  // nothing before the answer
    ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    lan.Pump();
    EXPECT_FALSE(bob.root.Exists("board/" + name));
    EXPECT_TRUE(carol.root.Exists("board/" + name));
    EXPECT_TRUE(Sent(lan, alice, 33).empty());

    // Alice says no first, then yes: her delete goes to everybody.
    alice.dlg().OnBoardDelete(id);
    alice.dlg();
    alice.chat.dialogs.Answer(false);
    EXPECT_TRUE(alice.root.Exists("board/" + name));
    alice.dlg().OnBoardDelete(id);
    alice.dlg();
    alice.chat.dialogs.Answer(true);
    lan.Pump();
    for (Host* h : {&alice, &bob, &carol}) EXPECT_FALSE(h->root.Exists("board/" + name)) << h->dlg().User().nickname;
    ASSERT_EQ(Sent(lan, alice, 33).size(), 1u);
    EXPECT_EQ(Sent(lan, alice, 33)[0].body, id);
}

TEST_F(BoardHosts, PeerPacketsNeverTouchFilesOutsideTheBoard) {
    carol.dlg();
    carol.root.Write("keep.mes", "keep");
    carol.root.Write("board/keep.txt", "keep");
    auto listBoard = [&] {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(carol.root.Path() + "board"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = listBoard();
    // Bob's copy is made to send what a hostile peer would.
    for (const char* body : {"../keep.mes;evil", "..\\keep.mes;evil", "/tmp/zc-evil.mes;evil", ";evil", "1.txt;evil"})
        bob.dlg().SendPacket(CMD_BOARD_MESSAGE, body, kEveryone);
    for (const char* path : {"board\\..\\keep.mes", "board\\keep.txt", "keep.mes", "board/../keep.mes", ""})
        bob.dlg().SendPacket(CMD_BOARD_DELETE, path, kEveryone);
    bob.dlg().SendPacket(CMD_BOARD_REQUEST, "../keep.mes", carol.dlg().OwnId());
    lan.Pump();
    EXPECT_EQ(carol.root.Read("keep.mes"), "keep");
    EXPECT_EQ(carol.root.Read("board/keep.txt"), "keep");
    EXPECT_FALSE(carol.root.Exists("zc-evil.mes"));
    EXPECT_TRUE(Sent(lan, alice, 31).empty());
    EXPECT_EQ(listBoard(), before);
}

}  // namespace zc
