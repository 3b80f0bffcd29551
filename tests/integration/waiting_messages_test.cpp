// Private messages that wait for a user who is away, and reach only that user.
#include <gtest/gtest.h>

#include "net/chat_packet.h"
#include "net/commands.h"
#include "net/waiting_delivery.h"
#include "services/waiting_messages.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// The same folder started again, as the user would, on the same LAN and address.
std::unique_ptr<FakeChat> Restart(FakeLan& lan, FakeLockBoard& board, Host& host, std::time_t now) {
    host.dlg();  // its folder is the current one
    auto again = std::make_unique<FakeChat>(board, "/tmp/zc-no-autostart", true, &lan, host.chat.system.ip);
    again->system.ip = host.chat.system.ip;
    again->system.hardware = host.chat.system.hardware;
    again->clock.Set(now);
    EXPECT_TRUE(again->Use().OnInitDialog());
    again->timers.Advance(2000);  // the network starts a moment after the window
    return again;
}

size_t PrivatesTo(FakeLan& lan, CChatMainDlg& decoder, const std::string& target, size_t from) {
    size_t n = 0;
    for (size_t i = from; i < lan.Wire().size(); ++i) {
        const std::string& bytes = lan.Wire()[i];
        const CChatPacket p = ParsePacketText(decoder.Codec().DecodeText(bytes.substr(0, bytes.find('\0'))));
        if ((p.command == CMD_PRIVATE || p.command == CMD_ALERT) && p.target == target) ++n;
    }
    return n;
}

}  // namespace

TEST_F(ThreeHosts, AMessageToSomeoneAwayWaitsThroughARestartAndReachesOnlyThem) {
    const std::string bobId = bob.dlg().OwnId();
    bob.dlg().ExitMain();
    lan.Pump();

    // Alice writes to Bob, who has left: kept, and she is told.
    ASSERT_TRUE(alice.dlg().SendChatMessage("MSG->Bob: lunch at one?"));
    EXPECT_NE(alice.Body().find("Bob is not here; the message will be delivered when Bob comes back"), std::string::npos);
    ASSERT_EQ(alice.dlg().Waiting().All().size(), 1u);
    // Nobody she never met is written to for later.
    EXPECT_FALSE(alice.dlg().SendChatMessage("MSG->Zed: hello"));

    // A stranger takes Bob's name under another identity: it gets nothing.
    const size_t mark = lan.Wire().size();
    const std::string forged = "10.0.0.9(0200000000FF)||Bob||||0.0||0||4||1:here//end";
    alice.dlg().OnPacketText(alice.dlg().Codec().EncodeText(forged), "10.0.0.9");
    EXPECT_EQ(PrivatesTo(lan, alice.dlg(), "0200000000FF", mark), 0u);
    EXPECT_EQ(alice.dlg().Waiting().All().size(), 1u);

    // Alice's program is restarted, and Bob comes back an hour later.
    alice.dlg().ExitMain();
    FakeLockBoard aliceBoard, bobBoard;
    auto alice2 = Restart(lan, aliceBoard, alice, alice.chat.clock.Now() + 60);
    ASSERT_EQ(alice2->dlg->Waiting().All().size(), 1u);
    const size_t before = lan.Wire().size();
    auto bob2 = Restart(lan, bobBoard, bob, bob.chat.clock.Now() + 3600);
    alice2->Use();
    alice2->clock.Set(bob2->clock.Now());
    lan.Pump();

    // He gets it once, marked with when it was written; Alice is told it went.
    EXPECT_EQ(PrivatesTo(lan, *alice2->dlg, bobId, before), 1u);
    const std::string bobPage = bob2->ChatView()->Body();
    EXPECT_EQ(Count(bobPage, "lunch at one?"), 1u);
    EXPECT_NE(bobPage.find("(written 08.12.2025 10:00) lunch at one?"), std::string::npos);
    EXPECT_NE(alice2->ChatView()->Body().find("Delivered to Bob (written 08.12.2025 10:00): lunch at one?"), std::string::npos);
    EXPECT_TRUE(alice2->dlg->Waiting().All().empty());
    for (int i = 0; i < 3; ++i) {
        alice2->Use();
        alice2->timers.Advance(30000);
        lan.Pump();
    }
    EXPECT_EQ(PrivatesTo(lan, *alice2->dlg, bobId, before), 1u);
    bob2->Use().ExitMain();
    alice2->Use().ExitMain();
}

TEST_F(ThreeHosts, AQuietListedUserWhoDoesNotAnswerGetsTheMessageWhenBack) {
    // Carol's machine sleeps: no exit, she just stops answering, and is still listed.
    const std::string carolId = carol.dlg().OwnId(), bobId = bob.dlg().OwnId();
    carol.chat.dlg.reset();
    alice.dlg();
    alice.chat.clock.AdvanceMs(25000);  // quiet for longer than a message is trusted to arrive
    ASSERT_NE(alice.dlg().Roster().Find(carolId), nullptr);

    ASSERT_TRUE(alice.dlg().SendChatMessage("MSG->Carol: are you there?"));
    ASSERT_TRUE(alice.dlg().SendChatMessage("MSG->Bob: and you?"));
    lan.Pump();  // everybody is asked; only Bob answers
    alice.dlg();
    alice.chat.timers.Advance(kAnswerWaitMs);
    const std::string page = alice.Body();
    EXPECT_NE(page.find("Carol is not here; the message will be delivered when Carol comes back"), std::string::npos);
    EXPECT_EQ(page.find("Bob is not here"), std::string::npos);
    ASSERT_EQ(alice.dlg().Waiting().All().size(), 1u);

    FakeLockBoard board;
    const size_t before = lan.Wire().size();
    auto carol2 = Restart(lan, board, carol, alice.chat.clock.Now() + 600);
    lan.Pump();
    EXPECT_EQ(PrivatesTo(lan, alice.dlg(), carolId, before), 1u);
    EXPECT_EQ(Count(carol2->ChatView()->Body(), "are you there?"), 1u);
    EXPECT_EQ(Count(bob.Body(), "and you?"), 1u);
    EXPECT_EQ(PrivatesTo(lan, alice.dlg(), bobId, before), 0u);  // Bob had it the first time
    carol2->Use().ExitMain();
}

}  // namespace zc
