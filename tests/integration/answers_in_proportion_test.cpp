// A stranger flooding us with requests or lines gets answers, pages and files in proportion.
#include <gtest/gtest.h>

#include <initializer_list>

#include "net/commands.h"
#include "net/line_pacer.h"
#include "net/transfer_requests.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// A stranger at its own address: each packet is one datagram, heard by the given copies.
struct Stranger {
    std::vector<Host*> hears;
    size_t bytesSent = 0;
    void Send(int command, const std::string& body, const std::string& target = kEveryone) {
        const std::string plain = "10.0.0.66(0200000000AA)||Mallory||||" + target + "||0||" + std::to_string(command) +
                                  "||" + body + "//end";
        size_t size = 0;
        for (Host* h : hears) {
            const std::string bytes = h->dlg().Codec().EncodeText(plain);
            size = bytes.size() + 1;
            h->dlg().OnPacketText(bytes, "10.0.0.66");
        }
        bytesSent += size;
    }
};

size_t WireBytesSince(const FakeLan& lan, size_t first) {
    size_t bytes = 0;
    for (size_t i = first; i < lan.Wire().size(); ++i) bytes += lan.Wire()[i].size();
    return bytes;
}

void Advance(std::initializer_list<Host*> hosts, int ms) {
    for (Host* h : hosts) h->chat.timers.Advance(ms);
}

}  // namespace

TEST_F(ThreeHosts, AWhoAndEnterFloodIsAnsweredInProportionWhileARefreshIsAnsweredAtOnce) {
    Stranger mallory{{&alice, &bob, &carol}};
    const size_t wire = lan.Wire().size();
    const std::string history = alice.dlg().History().PathFor(true);
    const size_t stored = alice.root.Read(history).size();
    // 4,000 requests in ten seconds, to three copies.
    for (int i = 0; i < 4000; ++i) {
        mallory.Send(i % 2 ? CMD_WHO : CMD_ENTER, "1:Available");
        if (i % 40 == 39) {
            Advance({&alice, &bob, &carol}, 100);
            lan.Pump();
        }
    }
    lan.Pump();
    EXPECT_LT(WireBytesSince(lan, wire), 2 * mallory.bytesSent);
    // The stranger was answered too, at first.
    EXPECT_GT(WireBytesSince(lan, wire), 0u);
    // Its arrivals were shown like typed lines: a few, not 2,000.
    EXPECT_LT(alice.root.Read(history).size() - stored, 2048u);

    // Bob's refresh right after: both others answer before any time passes.
    bob.dlg().RefreshPresence();
    ASSERT_EQ(bob.dlg().Roster().Find(alice.dlg().OwnId()), nullptr);
    lan.Pump();
    EXPECT_NE(bob.dlg().Roster().Find(alice.dlg().OwnId()), nullptr);
    EXPECT_NE(bob.dlg().Roster().Find(carol.dlg().OwnId()), nullptr);
}

TEST_F(ThreeHosts, ARequestFloodLeavesRoomForTheAnswerWeWaitFor) {
    Stranger mallory{{&bob}};
    const size_t wire = lan.Wire().size();
    // 20,000 information and process-list requests to Bob in ten seconds; Alice asks midway.
    for (int i = 0; i < 20000; ++i) {
        mallory.Send(i % 2 ? CMD_SYSINFO_REQUEST : CMD_PROCLIST_REQUEST, "Mallory", bob.dlg().OwnId());
        if (i % 100 == 99) Advance({&alice, &bob}, 50);
        if (i == 10000) {
            ASSERT_TRUE(RequestUserInfo(alice.dlg(), "Bob"));
            lan.Pump();
            EXPECT_EQ(alice.chat.dialogs.infoCaption, "User information: Bob");
        }
    }
    lan.Pump();
    EXPECT_LT(WireBytesSince(lan, wire), 2 * mallory.bytesSent);
    EXPECT_LT(WireBytesSince(lan, wire), 64u * 1024);
}

TEST_F(ThreeHosts, APublicFloodIsCountedNotShownAndAColleagueStillGetsThrough) {
    Stranger mallory{{&alice}};
    const std::string history = alice.dlg().History().PathFor(true);
    const size_t stored = alice.root.Read(history).size(), logged = alice.chat.LogText().size();
    const std::string line = "1:" + std::string(4000, 'x');
    for (int i = 0; i < 20000; ++i) {
        mallory.Send(CMD_MESSAGE, line);
        if (i == 10000) {
            ASSERT_TRUE(carol.dlg().SendChatMessage("Carol in between"));
            lan.Pump();
        }
    }
    EXPECT_NE(alice.Body().find("Carol in between"), std::string::npos);
    EXPECT_EQ(Count(alice.Body(), "lines held back"), 0u);  // told when the flood is over

    Advance({&alice}, LinePacer::kQuietMs);
    EXPECT_EQ(Count(alice.Body(), "lines held back"), 1u);
    EXPECT_NE(alice.Body().find(": 19,995 lines held back"), std::string::npos);
    // Five lines of the burst and the count, not 20,000 lines.
    EXPECT_LT(alice.root.Read(history).size() - stored, 6 * 2 * line.size());
    const std::string log = alice.chat.LogText();
    EXPECT_LT(log.size() - logged, 2048u);
    EXPECT_NE(log.find("10.0.0.66 sent lines faster than a person types: 19,995 held back"), std::string::npos);

    // Back at a person's pace, each line is shown, and nothing more is told.
    Advance({&alice}, 10000);
    for (int i = 0; i < 8; ++i) {
        mallory.Send(CMD_MESSAGE, "1:slow line " + std::to_string(i));
        Advance({&alice}, 1000);
    }
    EXPECT_NE(alice.Body().find("slow line 7"), std::string::npos);
    EXPECT_EQ(Count(alice.Body(), "lines held back"), 1u);

    // Notices are lines too; their count comes a minute after the last one at the earliest.
    for (int i = 0; i < 1000; ++i) mallory.Send(CMD_NOTICE, "x", alice.dlg().OwnId());
    Advance({&alice}, LinePacer::kReportEveryMs);
    EXPECT_NE(alice.Body().find(": 995 lines held back"), std::string::npos);
}

}  // namespace zc
