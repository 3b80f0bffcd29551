// The terminal's side of files, cards and requests: the progress lines of a transfer, a card
// as lines, and the commands that name a user and a file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "cli/console.h"
#include "cli/console_dialogs.h"
#include "cli/terminal_session.h"
#include "cli/terminal_transfer_window.h"
#include "support/captured_console.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// One step of a transfer as the chat reports it to its window.
void Step(TransferWindow& w, int kb, int rangeKb, const std::string& rate = "2.0 MB/s, 0:01 left") {
    w.SetRange(rangeKb);
    w.SetPosition(kb);
    w.SetProgressText(std::to_string(kb) + " / " + std::to_string(rangeKb) + "KB");
    w.SetRateText(rate);
}

}  // namespace

TEST(TerminalTransferWindow, AStartLineThenOneLineATenthAndSilenceOnceHidden) {
    CapturedConsole out;
    TerminalTransferWindowFactory factory(out.console);
    auto w = factory.Create([] {});
    // A peer's name with an escape sequence and a line break in it.
    w->SetTexts("Incoming: File", "re\x1b[2Jport\n.bin", "Cancel");
    Step(*w, 0, 0, "Waiting for connection...");
    EXPECT_EQ(out.Text(), "");  // nothing before the window shows
    w->Show();
    ASSERT_EQ(out.Lines().size(), 1u);
    EXPECT_EQ(out.Lines()[0], "[transfer] Incoming: File re[2Jport .bin  Waiting for connection...  (/cancel stops it)");

    // 300 KB in steps of about a 128th, as the workers report them.
    for (int kb = 0; kb <= 300; kb += 2) Step(*w, kb, 300);
    std::vector<std::string> lines = out.Lines();
    ASSERT_EQ(lines.size(), 11u) << out.Text();
    for (int tenth = 1; tenth <= 10; ++tenth)
        EXPECT_EQ(lines[tenth], "[transfer] re[2Jport .bin " + std::to_string(tenth * 10) + "%: " +
                                    std::to_string(tenth * 30) + " / 300KB  2.0 MB/s, 0:01 left");
    w->Hide();
    Step(*w, 300, 300);
    w->Show();
    EXPECT_EQ(out.Lines().size(), 11u);

    // Two tenths in one step make one line; going back prints nothing; a peer's length that
    // lies ends at a whole all the same.
    CapturedConsole jumps;
    TerminalTransferWindow j(jumps.console);
    j.SetTexts("Outgoing: File", "a.bin", "");
    j.Show();
    for (int kb : {25, 10, 29, 30, 500}) Step(j, kb, 100, "");
    lines = jumps.Lines();
    ASSERT_EQ(lines.size(), 4u) << jumps.Text();
    EXPECT_EQ(lines[1], "[transfer] a.bin 25%: 25 / 100KB");
    EXPECT_EQ(lines[2], "[transfer] a.bin 30%: 30 / 100KB");
    EXPECT_EQ(lines[3], "[transfer] a.bin 100%: 500 / 100KB");
}

TEST(ConsoleDialogs, ACardIsPrintedAsPlainLines) {
    CapturedConsole out;
    ConsoleDialogs dialogs(out.console);
    // The caption carries the name as the chat keeps it; the values are the peer's own text.
    dialogs.ShowUserInfo("User information: Bob &amp; Co",
                         {{"Full name", "<b>Bob</b> &amp; \x1b]0;owned\x07 Co"},
                          {"IP", "10.0.0.2"},
                          {"", "no label"},
                          {"Description", "\xCF\xF0\xE8\xE2\xE5\xF2\r\n  there"},
                          {"Active window", ""}});
    EXPECT_EQ(out.Text(),
              "[info] User information: Bob & Co\n"
              "  Full name: <b>Bob</b> &amp; ]0;owned Co\n"
              "  IP: 10.0.0.2\n"
              "  no label\n"
              "  Description: Привет there\n"
              "  Active window: \n");
    // A card is no dialog: nothing waits for an answer.
    EXPECT_EQ(dialogs.Open(), 0u);
}

namespace {

// Alice's terminal on a LAN with two users whose names share a beginning.
struct TransferSession : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6)};
    Host bobSmith{lan, "Bob Smith", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};
    CapturedConsole out;
    ConsoleDialogs dialogs{out.console};
    TerminalSession session{alice.dlg(), dialogs, out.console};
    TempRoot startDir{false};  // where the user started the client: not the program folder

    void SetUp() override {
        for (Host* h : {&alice, &bob, &bobSmith}) {
            h->Start();
            lan.Pump();
        }
        session.SetStartDir(startDir.Path());
        Type("/who");
        lan.Pump();
        ASSERT_EQ(alice.dlg().Roster().Entries().size(), 3u);
    }
    void Type(const std::string& line) {
        alice.dlg();
        session.SetReady();
        session.OnLine(line);
    }
    // What the terminal printed after mark.
    std::string Since(size_t mark) const { return out.Text().substr(mark); }
    // Each line typed in turn, and what the terminal then says.
    struct Said {
        std::string typed, said;
    };
    void ExpectSaid(const std::vector<Said>& cases) {
        for (const Said& c : cases) {
            const size_t mark = out.Text().size();
            Type(c.typed);
            EXPECT_NE(Since(mark).find(c.said), std::string::npos) << c.typed << " printed: " << Since(mark);
        }
    }
    std::string Write(const std::string& relative, const std::string& bytes) {
        const std::string path = startDir.Path() + relative;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    bool RunUntil(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
        while (std::chrono::steady_clock::now() < until) {
            lan.Pump();
            for (Host* h : {&alice, &bob, &bobSmith}) {
                h->dlg();
                h->chat.workers.RunPosted();
            }
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }
};

}  // namespace

TEST_F(TransferSession, SendFindsTheLongestNameAndTheFileFromTheStartFolder) {
    Write("my notes.txt", "for Bob");
    Write("Smith.txt", "for Bob, not Bob Smith");
    Write("plan.txt", "for Bob Smith");

    // The name ends where the longest user's name ends; the rest, blanks and all, is the path.
    Type("/send Bob my notes.txt");
    Type("/send Bob Smith plan.txt");
    lan.Pump();
    ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
    EXPECT_EQ(bob.chat.dialogs.open[0].text, "my notes.txt (7 bytes)?");
    ASSERT_EQ(bobSmith.chat.dialogs.open.size(), 1u);
    EXPECT_EQ(bobSmith.chat.dialogs.open[0].text, "plan.txt (13 bytes)?");
    EXPECT_NE(out.Text().find("-- waiting for Bob Smith to accept plan.txt"), std::string::npos) << out.Text();

    // "Bob Smith.txt" is Bob's file "Smith.txt": a name is followed by a blank or nothing.
    bob.dlg();
    bob.chat.dialogs.Answer(false);
    Type("/send Bob Smith.txt");
    lan.Pump();
    ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
    EXPECT_EQ(bob.chat.dialogs.open[0].text, "Smith.txt (22 bytes)?");

}

TEST_F(TransferSession, SaysWhyNothingWasOfferedOrAsked) {
    Write("a.txt", "x");
    std::filesystem::create_directory(startDir.Path() + "folder");
    const std::vector<Said> cases = {
        {"/send", "-- /send takes a user's name as /users shows it"},
        {"/send Zed a.txt", "-- nobody called Zed is here"},
        {"/send Bo a.txt", "-- nobody called Bo is here"},
        {"/send Alice a.txt", "-- that is you\n"},
        {"/send Bob", "-- which file? /send Bob PATH"},
        {"/send Bob missing.txt", "-- no such file: " + startDir.Path() + "missing.txt"},
        {"/send Bob folder", "-- " + startDir.Path() + "folder is not a file"},
        {"/send Bob ~/nowhere/a.txt", "-- no such file: "},
        {"/info", "-- /info takes a user's name as /users shows it\n"},
        {"/procs Bob Smith please", "-- nobody called Bob Smith please is here"},
        {"/desktop Alice", "-- that is you\n"},
        {"/avatar Bob", "-- Bob has no avatar to fetch\n"},
        {"/procs Bob Smith", "-- asked Bob Smith for the list of running programs\n"},
    };
    ExpectSaid(cases);
    lan.Pump();
    EXPECT_TRUE(bob.chat.dialogs.open.empty());
    EXPECT_TRUE(bobSmith.chat.dialogs.open.empty());
    EXPECT_TRUE(alice.dlg().Offered().name.empty());
    // Only the one request that went out was answered.
    EXPECT_EQ(Count(alice.Body(), "Request refused by"), 1u) << alice.Body();

    // One's own card, asked by name, needs no packet.
    Type("/info Alice");
    EXPECT_EQ(alice.chat.dialogs.infoCaption, "User information: Alice");
}

TEST_F(TransferSession, OneTransferAtATimeAndCancelStopsItOrTakesTheOfferBack) {
    Type("/cancel");
    EXPECT_NE(out.Text().find("-- no transfer is running"), std::string::npos);

    // An offer taken back before the answer: Bob's yes then starts nothing.
    Write("early.txt", "early");
    Type("/send Bob early.txt");
    lan.Pump();
    size_t mark = out.Text().size();
    Type("/cancel");
    EXPECT_NE(Since(mark).find("-- the offer of early.txt to Bob is taken back"), std::string::npos) << Since(mark);
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    lan.Pump();
    EXPECT_FALSE(alice.dlg().TransferRunning());
    EXPECT_TRUE(alice.chat.transferWindows.windows.empty());

    // A transfer that runs until the chat hears that its worker is done.
    Write("big.bin", std::string(200000, 'b'));
    Write("other.bin", "o");
    Type("/send Bob big.bin");
    lan.Pump();
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    lan.Pump();
    ASSERT_TRUE(alice.dlg().TransferRunning());
    mark = out.Text().size();
    Type("/send Bob Smith other.bin");
    Type("/avatar Bob");
    Type("/desktop Bob");
    EXPECT_EQ(Count(Since(mark), "-- a transfer is already running; /cancel stops it\n"), 3u) << Since(mark);
    lan.Pump();
    EXPECT_TRUE(bobSmith.chat.dialogs.open.empty());

    mark = out.Text().size();
    Type("/cancel");
    EXPECT_NE(Since(mark).find("-- stopping the transfer"), std::string::npos);
    // A receiver that had not reached the sender yet gives up at its window's three seconds.
    bob.dlg();
    bob.chat.timers.Advance(3000);
    ASSERT_TRUE(RunUntil([&] { return !alice.dlg().TransferRunning() && !bob.dlg().TransferRunning(); }));
    mark = out.Text().size();
    Type("/cancel");
    EXPECT_NE(Since(mark).find("-- no transfer is running"), std::string::npos);
}

}  // namespace zc
