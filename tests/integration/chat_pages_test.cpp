// What the user sees of sending, pages and lists as the chat runs among other copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/ini_file.h"
#include "net/transfer_requests.h"
#include "net/user_roster.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"
#include "ui/html/user_list_page.h"
#include "services/info_card.h"
#include <map>

namespace zc {
using namespace zc::test;

namespace {
const std::string kMacA("\x02\x00\x00\x00\x00\x01", 6), kMacB("\x02\x00\x00\x00\x00\x02", 6),
    kMacC("\x02\x00\x00\x00\x00\x03", 6);
}  // namespace

TEST(Lan, HandlerAndOwnLinesCarryTheTimeStampNetworkStartLinesDoNot) {
    FakeLan lan;
    Host alice(lan, "Alice", "10.0.0.1", kMacA);
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "SHOWTIME", "1");
    Host bob(lan, "Bob", "10.0.0.2", kMacB);
    alice.Start();
    bob.Start();
    lan.Pump();
    alice.dlg().SetChatMode(2);
    lan.Pump();
    const std::string body = alice.Body();
    const std::string joined = alice.dlg().Language().LangString(122);
    ASSERT_NE(body.find(joined.substr(0, 10)), std::string::npos);
    EXPECT_EQ(body.find("</span><span class=\"alert\">" + joined.substr(0, 10)), std::string::npos);
    EXPECT_NE(body.find("</span><span class=\"enteruser\">"), std::string::npos);   // Bob came
    EXPECT_NE(body.find("</span><span class=\"changemode\">"), std::string::npos);  // our own mode
}

TEST_F(ThreeHosts, JoiningAConferenceBringsItsPageUpOnBothSides) {
    const int bobLists = bob.dlg().UserListRebuilds();
    ASSERT_TRUE(alice.dlg().InviteToConference("Bob"));
    lan.Pump();
    ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    lan.Pump();
    for (Host* h : {&alice, &bob}) {
        EXPECT_EQ(h->dlg().User().pageMode, PageMode::Conference) << h->dlg().User().nickname;
        EXPECT_TRUE(h->chat.views.Live(ViewRole::SecondText)->Visible());
        EXPECT_FALSE(h->chat.views.Live(ViewRole::ChatText)->Visible());
    }
    // The list follows the page: the conference page lists the conference.
    EXPECT_GT(bob.dlg().UserListRebuilds(), bobLists);
    const int before = alice.dlg().UserListRebuilds();
    alice.dlg().OnCommand(ID_SHOW_MAIN);
    EXPECT_EQ(alice.dlg().UserListRebuilds(), before + 1);
    EXPECT_TRUE(alice.chat.views.Live(ViewRole::ChatText)->Visible());
}

TEST_F(ThreeHosts, TextThatCannotGoOutStaysAndTheChatSaysWhy) {
    const size_t sent = lan.Wire().size();
    auto refused = [&](const std::string& typed, const std::string& why) {
        EXPECT_FALSE(alice.dlg().SendChatMessage(typed)) << typed;
        EXPECT_NE(alice.Body().find(why), std::string::npos) << typed;
    };
    refused("MSG->Zed:hello", "Nobody called Zed is here; nothing was sent");
    refused("ALERT->bob:wrong case", "Nobody called bob is here");
    refused("MSG->Bob without a colon", "Write the name and a colon first: MSG-&gt;Name: text");
    refused("SOUND->Zed", "Nobody called Zed is here");
    refused("MSGGROUP->Nope:x", "There is no user group Nope");
    refused(std::string(5000, 'x'), "The text is too long to send; nothing was sent");
    EXPECT_EQ(lan.Wire().size(), sent);
    EXPECT_EQ(alice.Body().find("xxxxxxxx"), std::string::npos);  // never shown as sent

    alice.dlg().OnCommand(ID_SHOW_CONFERENCE);
    EXPECT_FALSE(alice.dlg().SendChatMessage("anyone?"));
    EXPECT_NE(alice.Page(ViewRole::SecondText).find("Nobody is in the conference"), std::string::npos);
    EXPECT_EQ(lan.Wire().size(), sent);

    // A board post that cannot be saved is neither sent nor lost.
    alice.dlg().OnCommand(ID_SHOW_BOARD);
    std::filesystem::remove_all("board");
    { std::ofstream("board") << "a file where the folder should be"; }
    EXPECT_FALSE(alice.dlg().SendChatMessage("for sale: bicycle"));
    EXPECT_NE(alice.Body().find("The board message could not be saved in board"), std::string::npos);
    EXPECT_EQ(lan.Wire().size(), sent);
    std::filesystem::remove("board");
    EXPECT_TRUE(alice.dlg().SendChatMessage("for sale: bicycle"));
    EXPECT_EQ(lan.Wire().size(), sent + 1);
}

TEST_F(ThreeHosts, TheUserListKeepsItsUsersThroughARefresh) {
    alice.chat.timers.Advance(4000);
    ASSERT_NE(alice.Page(ViewRole::UserList).find("Carol"), std::string::npos);
    alice.dlg().RefreshPresence();
    EXPECT_NE(alice.Page(ViewRole::UserList).find("Carol"), std::string::npos);  // no blink to "only me"
    lan.Pump();
    alice.chat.timers.Advance(4000);
    EXPECT_NE(alice.Page(ViewRole::UserList).find("Carol"), std::string::npos);
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), 3u);
}

TEST(Lan, HandSetGroupOfADoubledNicknameSurvivesTheRefresh) {
    FakeLan lan;
    const std::vector<Setting> groups = {{"GROUPS", "GROUPON", "1"}, {"GROUPS", "GROUP0", "Everyone"},
                                         {"GROUPS", "GROUP1", "Team"}};
    Host alice(lan, "Alice", "10.0.0.1", kMacA, groups);
    Host bob(lan, "Bob", "10.0.0.2", kMacB);
    Host otherBob(lan, "Bob", "10.0.0.3", kMacC);
    for (Host* h : {&alice, &bob, &otherBob}) {
        h->Start();
        lan.Pump();
    }
    alice.dlg();
    ASSERT_EQ(alice.dlg().Roster().NameOf("020000000003"), "Bob(020000000003)");
    ASSERT_TRUE(AssignGroup(alice.dlg().Roster(), alice.dlg().User().ProfilePath(), "020000000003", 1));
    alice.dlg().RefreshPresence();
    lan.Pump();
    ASSERT_NE(alice.dlg().Roster().Find("020000000003"), nullptr);
    EXPECT_EQ(alice.dlg().Roster().Find("020000000003")->group, 1);
}

TEST(Lan, GroupsAreReadAgainWhenTheNetworkStartsAgain) {
    FakeLan lan;
    lan.failJoin = true;
    Host alice(lan, "Alice", "10.0.0.1", kMacA, {{"GROUPS", "GROUPON", "1"}, {"GROUPS", "GROUP0", "Old"}});
    alice.Start();
    EXPECT_EQ(alice.dlg().Roster().GroupNames(), std::vector<std::string>{"Old"});
    WriteIniValue("profiles/default.cfg", "GROUPS", "GROUP0", "New");
    lan.failJoin = false;
    alice.dlg().RefreshPresence();
    EXPECT_TRUE(alice.dlg().Transports().IsActive());
    EXPECT_EQ(alice.dlg().Roster().GroupNames(), std::vector<std::string>{"New"});
}

TEST_F(ThreeHosts, ARawPacketDisplaySwitchedOnInTheFileCountsAtOnce) {
    bob.dlg().SendChatMessage("before");
    lan.Pump();
    EXPECT_EQ(alice.Body().find("SYSTEMDEBUG"), std::string::npos);
    alice.dlg();
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "DEBUGCOMMAND", kDebugCommandCode);
    bob.dlg().SendChatMessage("after");
    lan.Pump();
    EXPECT_NE(alice.Body().find("SYSTEMDEBUG"), std::string::npos);
}

}  // namespace zc

namespace zc {

TEST(Lan, AProcessListGoesOnlyWhereTheUserAllowsItAndIsRefusedAloud) {
    FakeLan lan;
    Host alice(lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6));
    Host bob(lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6));
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "ALLOWPROCCES", "1");
    for (Host* h : {&alice, &bob}) {
        h->Start();
        lan.Pump();
    }
    bob.dlg().SendPacket(CMD_PROCLIST_REQUEST, "", alice.dlg().OwnId());  // Alice keeps hers private
    lan.Pump();
    EXPECT_NE(bob.Body().find(bob.dlg().Language().LangString(101)), std::string::npos);
    ASSERT_TRUE(RequestProcessList(alice.dlg(), "Bob"));
    lan.Pump();
    // This test program is one of the processes Bob's list names.
    EXPECT_NE(alice.Body().find(alice.dlg().Language().LangString(62)), std::string::npos);
    EXPECT_NE(alice.Body().find("zunit_tests"), std::string::npos);
}

}  // namespace zc

namespace zc {

TEST_F(ThreeHosts, AnInformationRequestIsAnsweredWithTheCardTheSystemAndTheMemory) {
    const size_t mark = lan.Wire().size();
    ASSERT_TRUE(RequestUserInfo(alice.dlg(), "Bob"));
    lan.Pump();
    EXPECT_NE(alice.Body().find(alice.dlg().Language().LangString(71) + " "), std::string::npos);
    std::string answer;
    for (size_t i = mark; i < lan.Wire().size(); ++i) {
        const std::string& bytes = lan.Wire()[i];
        const CChatPacket p = ParsePacketText(alice.dlg().Codec().DecodeText(bytes.substr(0, bytes.find('\0'))));
        if (p.command == CMD_SYSINFO) answer = p.body;
    }
    ASSERT_EQ(answer.rfind("Alice:", 0), 0u) << answer;
    const auto fields = ParseInfoCard(answer.substr(6));
    std::map<std::string, std::string> card;
    for (const InfoCardField& f : fields) card[std::string(f.tag)] = f.value;
    EXPECT_EQ(card["IP"], "10.0.0.2");
    EXPECT_EQ(card["MAC"], bob.dlg().OwnId());
    EXPECT_EQ(card["ACTIVEW"], "");  // no window title leaves the machine
    EXPECT_NE(card["MEMORY"].find("RAM "), std::string::npos);
    EXPECT_FALSE(card["OS"].empty());
}

}  // namespace zc
