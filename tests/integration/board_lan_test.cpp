// The board across several chats on one fake LAN.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/ini_file.h"
#include "net/board_requests.h"
#include "net/chat_packet.h"
#include "services/board_store.h"
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

// A packet as a stranger sends it to one victim, any sender address and identity it likes.
void Inject(Host& victim, const std::string& ip, const std::string& id, int command, const std::string& body,
            const std::string& target = kEveryone) {
    victim.dlg().OnPacketText(victim.dlg().Codec().EncodeText(ip + "(" + id + ")||Mallory||||" + target + "||0||" +
                                                              std::to_string(command) + "||" + body + "//end"),
                              ip);
}

// A message file as a peer sends it, text at most as long as a packet carries.
std::string PeerRecord(Host& sender, std::time_t created, const std::string& life, const std::string& text,
                       const std::string& author = "Mallory", const std::string& ip = "10.0.0.66") {
    const std::string t = std::to_string(created);
    std::string record = t + ".mes;<TimeLife>\n" + life + "\n</TimeLife>\n<CreateTime>\n" + t +
                         "\n</CreateTime>\n<MessageCategory>\n1\n<UserName>\n" + author + "\n<IP>\n" + ip +
                         "\n<MessageDate>\n08-12-2025 10:00\n<MessageBody>\n" + text;
    while (!sender.dlg().PacketFits(CMD_BOARD_MESSAGE, record, kEveryone)) record.resize(record.size() - 6);
    return record;
}

std::string Repeated(const std::string& piece, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += piece;
    return text;
}

size_t Lines(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

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
    carol.dlg().ShowPage(PageMode::Board);
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

TEST_F(BoardHosts, AMessageFullOfLinksWithAnEndlessLifeIsConvertedOnceAndLivesThirtyDays) {
    const std::time_t created = 1765188000;
    for (Host* h : {&alice, &bob, &carol}) h->chat.clock.Set(created);
    bob.dlg().SendPacket(CMD_BOARD_MESSAGE,
                         PeerRecord(bob, created, "2147483647", Repeated("www.a ", 670), "Bob", "10.0.0.2"), kEveryone);
    lan.Pump();
    BoardState& board = carol.dlg().Board();
    ASSERT_TRUE(carol.root.Exists("board/1765188000.mes"));
    carol.dlg().ShowPage(PageMode::Board);
    EXPECT_GT(Lines(carol.BoardPage(), "class=\"urllink\""), 500u);
    carol.dlg().ShowPage(PageMode::Main);
    const size_t built = board.entries.Built(), read = board.files.FilesRead();

    // Every later post costs Carol one entry when she looks, not the big one again, and no file read.
    for (int i = 1; i <= 5; ++i) Post("later " + std::to_string(i), "2", created + 60 * i);
    EXPECT_EQ(board.entries.Built(), built);
    carol.dlg().ShowPage(PageMode::Board);
    EXPECT_EQ(board.entries.Built(), built + 5);
    EXPECT_EQ(board.files.FilesRead(), read);
    EXPECT_NE(carol.BoardPage().find("later 5"), std::string::npos);

    // 30 days on it is gone, whatever its TimeLife said; the later posts stay.
    carol.chat.clock.Set(created + kLongestBoardLife + 1);
    carol.dlg().ShowBoardPage();
    EXPECT_FALSE(carol.root.Exists("board/1765188000.mes"));
    EXPECT_EQ(board.files.Files(), 5u);
    EXPECT_EQ(carol.BoardPage().find("urllink"), std::string::npos);
}

TEST_F(BoardHosts, AFloodOfDistinctPostsKeepsTheBoardWithinItsLimits) {
    const std::time_t start = 1765188000;
    carol.chat.clock.Set(start);
    carol.dlg().ShowPage(PageMode::Board);
    ASSERT_TRUE(carol.dlg().SendChatMessage("my own bike for sale"));
    lan.Pump();
    const std::string own = "board/" + std::to_string(start) + ".mes";
    ASSERT_TRUE(carol.root.Exists(own));
    carol.dlg();
    carol.root.Write("notes.txt", "mine");
    auto outsideBoard = [&] {
        std::vector<std::string> found;
        for (auto& e : std::filesystem::recursive_directory_iterator(carol.root.Path())) {
            const std::string rel = std::filesystem::relative(e.path(), carol.root.Path()).string();
            if (rel.rfind("board", 0) != 0 && rel.rfind("logs", 0) != 0)
                found.push_back(rel + ":" + std::to_string(e.is_regular_file() ? e.file_size() : 0));
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    const std::vector<std::string> before = outsideBoard();
    BoardState& board = carol.dlg().Board();
    const size_t built = board.entries.Built();
    const size_t wire = lan.Wire().size();

    const int posts = 700;  // about 2.8 MB of messages, from as many addresses as it takes
    for (int i = 1; i <= posts; ++i) {
        const int sender = i % 35;
        const std::string ip = "10.0.0." + std::to_string(100 + sender);
        Inject(carol, ip, "02000000AA" + std::to_string(10 + sender), CMD_BOARD_MESSAGE,
               PeerRecord(carol, start + i, "2592000", "post " + std::to_string(i) + " " + std::string(4000, 'z'),
                          "Mallory", ip));
    }

    // The page in front follows at most once a second: here, while no time passes, once.
    EXPECT_EQ(board.entries.Built(), built + 1);
    std::uintmax_t bytes = 0;
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(carol.root.Path() + "board")) {
        bytes += e.file_size();
        ++files;
    }
    EXPECT_LE(bytes, kMaxBoardBytes);
    EXPECT_GT(bytes, kMaxBoardBytes - 8192);
    EXPECT_LT(files, static_cast<size_t>(posts));
    EXPECT_TRUE(carol.root.Exists(own));  // the user's own message is not what goes
    EXPECT_FALSE(carol.root.Exists("board/" + std::to_string(start + 1) + ".mes"));
    EXPECT_TRUE(carol.root.Exists("board/" + std::to_string(start + posts) + ".mes"));
    carol.dlg();
    EXPECT_EQ(Lines(carol.chat.LogText(), ":::Board full"), 1u);
    EXPECT_EQ(lan.Wire().size(), wire);  // nothing sent in reply
    EXPECT_EQ(outsideBoard(), before);
    EXPECT_LT(carol.BoardPage().size(), 2 * kMaxBoardBytes);
}

TEST_F(BoardHosts, AListOfHundredsOfNamesAsksAFewAtATimeEvenForAForgedSender) {
    // A list of names nobody has, as long as a packet carries, many of them repeated.
    std::string list;
    for (int i = 0; list.size() < 3900; ++i) list += (i % 2 ? "1.mes;" : std::to_string(1000 + i) + ".mes;");
    size_t mark = lan.Wire().size();
    Inject(carol, "10.0.0.2", bob.dlg().OwnId(), CMD_BOARD_LIST, list, carol.dlg().OwnId());
    lan.Pump();
    EXPECT_EQ(Sent(lan, alice, 32, mark).size(), BoardRequests::kOutstanding);
    EXPECT_EQ(lan.Wire().size() - mark, BoardRequests::kOutstanding);  // no list, no answer
    carol.dlg();  // its log is read from its own folder
    EXPECT_EQ(Lines(carol.chat.LogText(), ":::Board list of"), 1u);

    // Sent in Alice's name with her real messages: Carol fetches them from her as answers come,
    // never more than a few at a time and never more than one list's worth.
    alice.dlg().ShowPage(PageMode::Board);
    std::string names;
    for (int i = 0; i < 70; ++i) {
        for (Host* h : {&alice, &bob, &carol}) h->chat.clock.Set(1765188000 + 10 * i);
        ASSERT_TRUE(alice.dlg().SendChatMessage("note " + std::to_string(i)));
        lan.Pump();
        names += std::to_string(1765188000 + 10 * i) + ".mes;";
        carol.root.Remove("board/" + std::to_string(1765188000 + 10 * i) + ".mes");
    }
    mark = lan.Wire().size();
    Inject(carol, "10.0.0.1", alice.dlg().OwnId(), CMD_BOARD_LIST, names + names, carol.dlg().OwnId());
    lan.Pump();
    size_t out = 0, most = 0, requests = 0, answers = 0;
    for (size_t i = mark; i < lan.Wire().size(); ++i) {
        const std::string& bytes = lan.Wire()[i];
        const CChatPacket p = ParsePacketText(alice.dlg().Codec().DecodeText(bytes.substr(0, bytes.find('\0'))));
        ASSERT_TRUE(p.command == CMD_BOARD_REQUEST || p.command == CMD_BOARD_ITEM) << p.command;
        if (p.command == CMD_BOARD_REQUEST) ++requests, ++out;
        else ++answers, --out;
        most = std::max(most, out);
    }
    EXPECT_EQ(requests, BoardRequests::kNamesPerList);
    EXPECT_EQ(answers, BoardRequests::kNamesPerList);
    EXPECT_EQ(most, BoardRequests::kOutstanding);
    // Of those, Carol keeps as many as one address may have stored.
    EXPECT_EQ(carol.dlg().Board().files.OwnNames("Alice", "10.0.0.1").size(), 15 * kMaxBoardPostsPerAddress);

    // An answer nobody asked for is not stored.
    Inject(carol, "10.0.0.1", alice.dlg().OwnId(), CMD_BOARD_ITEM,
           PeerRecord(alice, 1765100000, "2592000", "unasked"), carol.dlg().OwnId());
    EXPECT_FALSE(carol.root.Exists("board/1765100000.mes"));
}

TEST_F(BoardHosts, AnOwnListLongerThanAPacketGoesOutInSeveral) {
    alice.dlg().ShowPage(PageMode::Board);
    std::string names;
    for (int i = 0; i < 320; ++i) {  // 15 bytes a name: about 4,800 bytes of list
        alice.chat.clock.Set(1765188000 + 10 * i);
        ASSERT_TRUE(alice.dlg().SendChatMessage("note " + std::to_string(i)));
        names += std::to_string(1765188000 + 10 * i) + ".mes;";
    }
    const size_t mark = lan.Wire().size();
    alice.dlg().SendOwnBoardList(bob.dlg().OwnId());
    const std::vector<CChatPacket> lists = Sent(lan, bob, CMD_BOARD_LIST, mark);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].body + lists[1].body, names);
    EXPECT_EQ(lists[0].body.back(), ';');
}

}  // namespace zc
