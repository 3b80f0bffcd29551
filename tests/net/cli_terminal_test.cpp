// The terminal client's parts: chat lines as text, kept pages, typed input, dialogs and the
// session that turns typed lines into chat actions.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "base/debug_log.h"
#include "base/ini_file.h"
#include "base/language.h"
#include "base/settings.h"
#include "cli/chat_line_text.h"
#include "cli/console.h"
#include "cli/console_dialogs.h"
#include "cli/stdin_reader.h"
#include "cli/terminal_session.h"
#include "cli/terminal_views.h"
#include "cli/timer_watch.h"
#include "net/chat_packet.h"
#include "net/peer_windows.h"
#include "net/transfer_requests.h"
#include "support/lan_host.h"
#include "qt/qt_test_env.h"
#include "support/captured_console.h"
#include "support/chat_fixture.h"
#include "ui/html/chat_document.h"

namespace zc {
using namespace zc::test;

namespace {

// A chat document on terminal views: what the chat appends is what the terminal prints.
struct TerminalPage : ::testing::Test {
    TempRoot root;
    FakeClock clock;
    DebugLog log{clock, ""};
    LocalUser user;
    LanguageTable language;
    PageStore store;
    std::vector<std::string> printed;
    std::vector<ChatLineEvent> lines;
    TerminalViewFactory views{store};
    std::unique_ptr<ChatDocument> doc;
    void SetUp() override {
        user.nickname = "Alice";
        doc = std::make_unique<ChatDocument>(ChatDocumentContext{clock, log, user, language, root.Path(), "1.0"}, views,
                                             nullptr);
        doc->SetLineListener([this](const ChatLineEvent& line) {
            printed.push_back((line.page == ChatPage::Second ? "2|" : "") + ChatLineText(line.html));
            lines.push_back(line);
        });
        ASSERT_TRUE(doc->CreateViews());
    }
};

}  // namespace

TEST_F(TerminalPage, EachChatLineBecomesOneReadableLine) {
    doc->AppendChatLine("hello &amp; &quot;all&quot;", "Bob", ChatLineKind::Message);
    doc->AppendChatLine("mine", "", ChatLineKind::OwnMessage);
    doc->AppendChatLine("first\nsecond\n", "", ChatLineKind::Notify);
    // windows-1251 "Привет" and a character outside the code page as the chat sends it.
    doc->AppendChatLine("\xCF\xF0\xE8\xE2\xE5\xF2 &#128512;", "Bob", ChatLineKind::Message);
    doc->AppendChatLine("hi", "", ChatLineKind::Private, doc->SecondTextView());
    ASSERT_EQ(printed.size(), 5u);
    EXPECT_EQ(printed[0], "<Bob>: hello & \"all\"");
    EXPECT_EQ(printed[1], "<Alice> mine");
    EXPECT_EQ(printed[2], "first / second");
    EXPECT_EQ(printed[3], "<Bob>: Привет 😀");
    EXPECT_EQ(printed[4], "2|hi");
    // Nothing else reaches the terminal: writing a page shell prints nothing.
    doc->PrepareText(doc->ChatTextView(), true);
    EXPECT_EQ(printed.size(), 5u);
}

TEST_F(TerminalPage, TimeStampLeadsTheLine) {
    user.showTime = true;
    doc->AppendChatLine("stamped", "Bob", ChatLineKind::Message);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], doc->TimeStampSpan().substr(19, 11) + "<Bob>: stamped");
}

TEST_F(TerminalPage, PagesSurviveTheirViewsAndAreDumped) {
    doc->AppendChatLine("before the clear", "", ChatLineKind::Message);
    // Past the line limit the chat replaces the view with a fresh page.
    user.lineLimit = 1;
    doc->AppendChatLine("overflow", "", ChatLineKind::Message);
    EXPECT_EQ(store.PageOf(ViewRole::ChatText).find("before the clear"), std::string::npos);
    EXPECT_NE(store.PageOf(ViewRole::ChatText).find("BODY_TEXT"), std::string::npos);
    user.lineLimit = 750;
    doc->AppendChatLine("after the clear", "", ChatLineKind::Message);
    const std::string live = store.PageOf(ViewRole::ChatText);

    doc->DestroyViews();
    EXPECT_EQ(store.PageOf(ViewRole::ChatText), live);
    EXPECT_NE(live.find("after the clear"), std::string::npos);

    const std::string dir = root.Path() + "dump/nested";
    std::string error;
    ASSERT_TRUE(store.DumpTo(dir, error)) << error;
    EXPECT_EQ(ReadFileBytes(dir + "/chat.html"), live);
    EXPECT_TRUE(std::filesystem::exists(dir + "/second.html"));
    // Pages the chat never made get no file.
    EXPECT_FALSE(std::filesystem::exists(dir + "/board.html"));

    root.Write("blocker", "x");
    EXPECT_FALSE(store.DumpTo(root.Path() + "blocker/dir", error));
    EXPECT_NE(error.find("blocker"), std::string::npos);
}

TEST_F(TerminalPage, PrivateLinesAreMarkedNotOnlyByColour) {
    doc->AppendChatLine("psst", "Bob", ChatLineKind::Private);
    doc->AppendChatLine("public", "Bob", ChatLineKind::Message);
    doc->AppendChatLine("in the room", "Bob", ChatLineKind::Private, doc->SecondTextView());
    doc->AppendChatLine("", "", ChatLineKind::Private);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(TerminalLineText(lines[0]), "[private] <Bob>: psst");
    EXPECT_EQ(TerminalLineText(lines[1]), "<Bob>: public");
    EXPECT_EQ(TerminalLineText(lines[2]).rfind("[conference] [private] ", 0), 0u) << TerminalLineText(lines[2]);
    EXPECT_EQ(TerminalLineText(lines[3]), "");
}

TEST(ChatLineText, PeerTextCannotSteerTheTerminal) {
    EXPECT_EQ(ChatLineText("red\x1b[31m &#27;[2J&#x1B;]0;title\x07 &#155;x\x7f"), "red[31m [2J]0;title x");
    // Bytes 0x80..0x9F are letters in windows-1251 ("Ђ" is 0x80), not C1 controls.
    EXPECT_EQ(ChatLineText("\x80"), "Ђ");
    EXPECT_EQ(ChatLineText("&#0; &#xD800; &#99999999;"), "\xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD");
}

TEST(ChatLineText, TagsEntitiesAndBlanks) {
    EXPECT_EQ(ChatLineText("<span class=\"a>b\">x</span>  \n\t<b>y</b>"), "x y");
    EXPECT_EQ(ChatLineText("&ltAlice&gt and &lt;b&gt; &amp;amp; &nbsp;x &unknown; a & b"),
              "<Alice> and <b> &amp; x &unknown; a & b");
    EXPECT_EQ(ChatLineText("&mdashx &mdash; &hellip;"), "&mdashx — …");
    EXPECT_EQ(ChatLineText("2 < 3 <br><br> next<!-- <br> hidden --><script>alert(1)</script>"), "2 < 3 / next");
    EXPECT_EQ(ChatLineText("<img class=\"image\" src=\"file://a.png\" title=\"pics/a.png\"> look"), "[pics/a.png] look");
    EXPECT_EQ(ChatLineText("<br>only<br>"), "only");
    EXPECT_EQ(ChatLineText("<a href=\"x\""), "<a href=\"x\"");
    // A peer cannot turn the terminal's text around or steer it.
    EXPECT_EQ(ChatLineText("left&#8238;thgir&#x2066;x&#8297;&#27;[2J"), "leftthgirx[2J");
}

TEST_F(TerminalPage, EachLineIsReportedWithItsKindPageAndSender) {
    // A peer's text that looks like the page's own markup must not change how the line is shown.
    doc->AppendChatLine("class=&quot;alert&quot; x", "Bob", ChatLineKind::Message);
    doc->AppendChatLine("read", "", ChatLineKind::AlertRead);
    doc->AppendChatLine("joined", "", ChatLineKind::Private, doc->SecondTextView());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].sender, "Bob");
    EXPECT_EQ(lines[0].text, "class=&quot;alert&quot; x");
    EXPECT_EQ(ChatLineStyle(lines[0].kind), LineStyle::Plain);
    EXPECT_EQ(ChatLineStyle(lines[1].kind), LineStyle::Notice);
    EXPECT_EQ(lines[1].page, ChatPage::Main);
    EXPECT_EQ(lines[2].page, ChatPage::Second);
    EXPECT_EQ(ChatLineStyle(lines[2].kind), LineStyle::Private);
    // The event's html is what the page got.
    EXPECT_NE(store.PageOf(ViewRole::SecondText).find(lines[2].html), std::string::npos);
}

TEST(LineSplitter, LinesAcrossReadsAndTheLastWithoutNewline) {
    LineSplitter s;
    EXPECT_TRUE(s.Feed("par").empty());
    EXPECT_EQ(s.Feed("tial\r\n\nnext\nla"), (std::vector<std::string>{"partial", "", "next"}));
    EXPECT_EQ(s.Finish(), std::optional<std::string>("la"));
    EXPECT_EQ(s.Finish(), std::nullopt);
    s.Feed("cr only\r");
    EXPECT_EQ(s.Finish(), std::optional<std::string>("cr only"));
}

TEST(InputReader, ReadsLinesWhileTheLoopRunsAndEndsAtEof) {
    QtApp();
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::vector<std::string> lines;
    int ends = 0;
    InputReader reader(fds[0], [&](const std::string& l) { lines.push_back(l); }, [&] { ++ends; });
    ASSERT_TRUE(reader.Start());
    ASSERT_EQ(::write(fds[1], "one\ntw", 6), 6);
    ASSERT_TRUE(PumpUntil([&] { return lines.size() == 1; }));
    ASSERT_EQ(::write(fds[1], "o\nlast", 6), 6);
    ::close(fds[1]);
    ASSERT_TRUE(PumpUntil([&] { return ends == 1; }));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "last"}));
    PumpFor(50);
    EXPECT_EQ(ends, 1);
    ::close(fds[0]);

    InputReader closed(-1, [](const std::string&) {}, [&] { ++ends; });
    EXPECT_FALSE(closed.Start());
    EXPECT_EQ(ends, 2);
}

TEST(ConsoleDialogs, NewestFirstOrByNumberAndAnAlertIsConfirmedEitherWay) {
    CapturedConsole out;
    ConsoleDialogs dialogs(out.console);
    std::vector<std::string> log;
    dialogs.ShowNumberedAlert(7, "[7] Alert from Bob", "disk &quot;full&quot;", [&] { log.push_back("read"); });
    dialogs.AskNumbered(8, "[8] Invitation from Carol", "Join?", [&](bool yes) { log.push_back(yes ? "yes" : "no"); });
    dialogs.AskNumbered(9, "[9] File from Dave", "a.txt?", [&](bool yes) { log.push_back(yes ? "a" : "not a"); });
    EXPECT_NE(out.Text().find("[alert] [7] Alert from Bob: disk \"full\"  (/yes 7 to confirm)"), std::string::npos);
    EXPECT_NE(out.Text().find("[question] [8] Invitation from Carol: Join?  (/yes 8 or /no 8)  [1 more waiting]"),
              std::string::npos);

    EXPECT_TRUE(dialogs.Answer(false, 7));
    EXPECT_FALSE(dialogs.Answer(false, 7));
    EXPECT_TRUE(dialogs.Answer(true));
    EXPECT_EQ(log, (std::vector<std::string>{"read", "a"}));
    dialogs.Withdraw(8);
    EXPECT_NE(out.Text().find("-- closed unanswered, too many open: [8] Invitation from Carol"), std::string::npos);
    EXPECT_FALSE(dialogs.Answer(true));
    EXPECT_EQ(log.size(), 2u);

    // An answer that opens the next dialog finds the queue in order.
    dialogs.AskQuestion("q1", "", [&](bool) { dialogs.ShowAlert("a2", "", [&] { log.push_back("a2"); }); });
    EXPECT_TRUE(dialogs.Answer(true));
    EXPECT_EQ(dialogs.Open(), 1u);
    EXPECT_TRUE(dialogs.Answer(true));
    EXPECT_EQ(log.back(), "a2");
}

TEST(ConsoleDialogs, WithoutInputQuestionsAreRefusedAfterTheAskerReturnsAndAlertsOnlyShown) {
    CapturedConsole out;
    ConsoleDialogs dialogs(out.console);
    dialogs.SetNobodyAnswers();
    std::vector<std::string> log;
    dialogs.AskQuestion("File from Bob", "notes.txt", [&](bool yes) { log.push_back(yes ? "yes" : "no"); });
    EXPECT_TRUE(log.empty());  // not inside the handler that asked
    dialogs.ShowAlert("Alert from Carol", "hi", [&] { log.push_back("read"); });
    EXPECT_NE(out.Text().find("[question] File from Bob: notes.txt  (no input: refused)"), std::string::npos);
    EXPECT_NE(out.Text().find("[alert] Alert from Carol: hi"), std::string::npos);
    EXPECT_EQ(out.Text().find("/yes"), std::string::npos);
    EXPECT_EQ(dialogs.Open(), 0u);
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    PumpFor(20);
    EXPECT_EQ(log, (std::vector<std::string>{"no"}));
}

TEST(TimerWatch, TellsOnceAfterTheWatchedTimerWasHandled) {
    TempRoot root;
    FakeClock clock;
    FakeTimers inner(clock);
    int told = 0;
    std::vector<int> handled;
    TimerWatch watch(inner, 5, [&] {
        ++told;
        EXPECT_FALSE(handled.empty());
        EXPECT_EQ(handled.back(), 5);
    });
    watch.SetHandler([&](int id) { handled.push_back(id); });
    watch.SetTimer(3, 100);
    watch.SetTimer(5, 250);
    inner.Advance(240);
    EXPECT_EQ(told, 0);
    inner.Advance(300);
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(watch.IsArmed(5));  // periodic until the chat kills it
    inner.Advance(500);
    EXPECT_EQ(told, 1);
    // A handler set anew (the chat's own start-up again) is not news either.
    watch.SetHandler([&](int id) { handled.push_back(id); });
    inner.Advance(500);
    EXPECT_EQ(told, 1);
    watch.KillTimer(3);
    watch.KillTimer(5);
    watch.SetHandler(nullptr);
}

namespace {

FakeLockBoard& Prepared(FakeLockBoard& board, const std::string& name) {
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", name);
    return board;
}

struct LanHost {
    LanHost(FakeLan& lan, const std::string& name, const std::string& ip, char last)
        : chat(Prepared(board, name), "/tmp/zc-no-autostart", true, &lan) {
        chat.system.ip = ip;
        chat.system.hardware = std::string("\x02\x00\x00\x00\x00", 5) + last;
    }
    std::string Body() const { return chat.ChatView() ? chat.ChatView()->Body() : ""; }
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat;
};

struct Session : ::testing::Test {
    FakeLan lan;
    LanHost alice{lan, "Alice", "10.0.0.1", 1};
    LanHost bob{lan, "Bob", "10.0.0.2", 2};
    CapturedConsole out;
    ConsoleDialogs dialogs{out.console};
    TerminalSession session{alice.chat.Use(), dialogs, out.console};
    void SetUp() override {
        for (LanHost* h : {&alice, &bob}) {
            ASSERT_TRUE(h->chat.Use().OnInitDialog());
            h->chat.timers.Advance(2000);
            lan.Pump();
        }
        alice.chat.Use();
    }
};

}  // namespace

TEST_F(Session, TypedLinesWaitForTheNetworkThenRunInOrder) {
    session.OnLine("first, waiting");
    session.OnLine("/page 2");
    session.OnLine("/page 0");
    session.OnLine("MSG->Bob: private привет");
    EXPECT_EQ(session.Waiting(), 4u);
    lan.Pump();
    EXPECT_EQ(bob.Body().find("first, waiting"), std::string::npos);

    session.SetReady();
    lan.Pump();
    EXPECT_EQ(session.Waiting(), 0u);
    EXPECT_NE(bob.Body().find("<span>first, waiting</span>"), std::string::npos);
    // Typed UTF-8 goes out as windows-1251.
    EXPECT_NE(bob.Body().find("private \xEF\xF0\xE8\xE2\xE5\xF2"), std::string::npos);
    EXPECT_EQ(alice.chat.Use().User().pageMode, PageMode::Main);
    EXPECT_NE(out.Text().find("-- typed text goes to page 2"), std::string::npos);
}

TEST_F(Session, OwnCommandsAndTheEscapedSlash) {
    session.SetReady();
    session.OnLine("/page 2");
    EXPECT_EQ(alice.chat.Use().User().pageMode, PageMode::Conference);
    session.OnLine("/page 3");
    EXPECT_EQ(alice.chat.Use().User().pageMode, PageMode::Conference);
    session.OnLine("/page 0");

    session.OnLine("//usr/bin is a path");
    session.OnLine("/nosuch");
    lan.Pump();
    EXPECT_NE(bob.Body().find("/usr/bin is a path"), std::string::npos);
    EXPECT_EQ(bob.Body().find("nosuch"), std::string::npos);

    session.OnLine("/users");
    const std::string text = out.Text();
    EXPECT_NE(text.find("-- unknown command /nosuch"), std::string::npos);
    EXPECT_NE(text.find("-- 2 users\n"), std::string::npos);
    EXPECT_NE(text.find("Bob    Available  10.0.0.2         020000000002"), std::string::npos);

    session.OnLine("MSG->Zed: hello");
    session.OnLine("MSG->: hello");
    EXPECT_NE(out.Text().find("-- nobody called Zed is here"), std::string::npos);
    EXPECT_NE(out.Text().find("-- no recipient"), std::string::npos);

    session.OnLine("/who");
    EXPECT_EQ(alice.chat.Use().Roster().Entries().size(), 1u);
    lan.Pump();
    EXPECT_EQ(alice.chat.Use().Roster().Entries().size(), 2u);
    session.OnLine("/no");
    EXPECT_NE(out.Text().find("-- nothing to answer"), std::string::npos);
}

TEST_F(Session, YesAnswersTheQuestionItNamesAndHeldBackLinesAreOfferedAgain) {
    alice.chat.dialogs.forward = &dialogs;
    session.SetReady();
    CChatMainDlg& chat = alice.chat.Use();
    auto stranger = [&](const std::string& id, int command, const std::string& body) {
        const std::string plain = "10.0.0.66(" + id + ")||Mallory||||" + chat.OwnId() + "||0||" +
                                  std::to_string(command) + "||" + body + "//end";
        chat.OnPacketText(chat.Codec().EncodeText(plain), "10.0.0.66");
    };
    // 2,000 invitations from a stranger's identities, then Bob's file offer: /yes takes the offer.
    for (int i = 0; i < 2000; ++i) stranger("0300000" + std::to_string(10000 + i % 16), CMD_INVCONFERENCE, "x");
    EXPECT_EQ(dialogs.Open(), PeerWindows::kMaxPerAddress);
    bob.root.Write("plan.txt", "x");
    ASSERT_TRUE(OfferFile(bob.chat.Use(), "Alice", bob.root.Path() + "plan.txt"));
    lan.Pump();
    alice.chat.Use();
    const size_t sent = lan.Wire().size();
    session.OnLine("/yes");
    ASSERT_EQ(lan.Wire().size(), sent + 1);
    const std::string& bytes = lan.Wire().back();
    const CChatPacket answer = ParsePacketText(chat.Codec().DecodeText(bytes.substr(0, bytes.find('\0'))));
    EXPECT_EQ(answer.command, CMD_FILE_ACCEPT);
    EXPECT_EQ(answer.target, bob.chat.Use().OwnId());
    alice.chat.Use();

    // The strangers' questions are listed with their numbers, and answered by number.
    const size_t mark = out.Text().size();
    session.OnLine("/questions");
    EXPECT_EQ(Count(out.Text().substr(mark), "[question] ["), PeerWindows::kMaxPerAddress);
    EXPECT_NE(out.Text().find("[question] [1] ", mark), std::string::npos);
    session.OnLine("/no 1");
    session.OnLine("/no [1]");
    session.OnLine("/yes x");
    EXPECT_EQ(dialogs.Open(), PeerWindows::kMaxPerAddress - 1);
    EXPECT_NE(out.Text().find("-- nothing open as [1]"), std::string::npos);
    EXPECT_NE(out.Text().find("-- /yes takes the number"), std::string::npos);

    // A stranger slows us down, to a floor, and cannot switch the guard off; what the guard
    // holds back is said and offered again.
    stranger("0300000" + std::to_string(10000), CMD_FLOODLIMIT, "x:1");
    stranger("0300000" + std::to_string(10000), CMD_FLOODLIMIT, "x:0");
    EXPECT_EQ(chat.Flood().Limit(), FloodGuard::kPeerFloor);
    for (int i = 0; i < 7; ++i) session.OnLine("line " + std::to_string(i));
    lan.Pump();
    EXPECT_NE(bob.Body().find("line 4"), std::string::npos);
    EXPECT_EQ(bob.Body().find("line 5"), std::string::npos);
    EXPECT_EQ(Count(out.Text(), "-- not sent: line "), 2u);
    EXPECT_NE(out.Text().find("-- not sent: line 6  (/again sends it)"), std::string::npos);
    EXPECT_NE(alice.Body().find("Please wait 15 seconds"), std::string::npos);
    alice.chat.clock.AdvanceMs(16000);
    bob.chat.clock.AdvanceMs(16000);
    session.OnLine("/again");
    session.OnLine("/again");
    lan.Pump();
    EXPECT_LT(bob.Body().find("line 5"), bob.Body().find("line 6"));
    EXPECT_NE(bob.Body().find("line 6"), std::string::npos);
    EXPECT_NE(out.Text().find("-- every line was sent"), std::string::npos);
}

TEST_F(Session, EndOfInputEndsTheChatAfterTheWaitingLines) {
    session.OnLine("last words");
    session.OnInputEnd();
    EXPECT_EQ(alice.chat.window.ended(), 0);
    session.SetReady();
    lan.Pump();
    EXPECT_NE(bob.Body().find("last words"), std::string::npos);
    EXPECT_EQ(alice.chat.window.ended(), 1);
}

TEST_F(Session, NothingRunsAfterQuit) {
    session.SetReady();
    session.OnLine("/quit");
    session.OnLine("too late");
    session.OnInputEnd();
    lan.Pump();
    EXPECT_EQ(alice.chat.window.ended(), 1);
    EXPECT_EQ(bob.Body().find("too late"), std::string::npos);
}

TEST_F(Session, BoardListsFileNamesAndDeleteAsksFirst) {
    session.SetReady();
    session.OnLine("/board");
    EXPECT_NE(out.Text().find("-- the board is empty"), std::string::npos);
    session.OnLine("/page 1");
    session.OnLine("bike for sale");
    lan.Pump();
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator("board"))
        if (e.path().extension() == ".mes") files.push_back(e.path().filename().string());
    ASSERT_EQ(files.size(), 1u);
    const std::string file = files[0];

    session.OnLine("/board");
    // A path as this system writes them.
    EXPECT_NE(out.Text().find("<Alice> bike for sale  (board/" + file + ")"), std::string::npos);

    session.OnLine("/delete 123.txt");
    EXPECT_NE(out.Text().find("-- no board message called 123.txt"), std::string::npos);
    EXPECT_TRUE(alice.chat.dialogs.open.empty());

    // Nothing goes before the answer; a no keeps the message.
    session.OnLine("/delete " + file);
    ASSERT_EQ(alice.chat.dialogs.open.size(), 1u);
    ASSERT_TRUE(alice.chat.dialogs.Answer(false));
    EXPECT_TRUE(std::filesystem::exists("board/" + file));

    session.OnLine("/delete board/" + file);
    ASSERT_EQ(alice.chat.dialogs.open.size(), 1u);
    ASSERT_TRUE(alice.chat.dialogs.Answer(false));
    session.OnLine("/delete board\\" + file);  // the board page's own form of the name
    ASSERT_EQ(alice.chat.dialogs.open.size(), 1u);
    ASSERT_TRUE(alice.chat.dialogs.Answer(true));
    EXPECT_FALSE(std::filesystem::exists("board/" + file));
    const size_t mark = out.Text().size();
    session.OnLine("/board");
    EXPECT_EQ(out.Text().find(file, mark), std::string::npos);
    EXPECT_NE(out.Text().find("-- the board is empty", mark), std::string::npos);
}

TEST_F(Session, HistoryPrintsTheFileAndItsLastLines) {
    session.SetReady();
    CChatMainDlg& chat = alice.chat.Use();
    session.OnLine("/history private");
    EXPECT_NE(out.Text().find("-- history file " + chat.ProgramDir() + chat.History().PathFor(false) + "\n"),
              std::string::npos)
        << out.Text();
    EXPECT_NE(out.Text().find("-- nothing in it yet this month"), std::string::npos);

    // As the chat writes it: windows-1251 fragments.
    for (int i = 1; i <= 24; ++i)
        chat.History().AppendHistory("<span>note " + std::to_string(i) + " \xEF\xF0\xE8</span>", true, false);
    size_t mark = out.Text().size();
    session.OnLine("/history");
    std::string shown = out.Text().substr(mark);
    EXPECT_EQ(shown.rfind("-- history file " + chat.ProgramDir() + chat.History().PathFor(true) + "\n", 0), 0u)
        << shown;
    EXPECT_EQ(shown.find("note 4 "), std::string::npos) << shown;
    EXPECT_NE(shown.find("\nnote 5 при\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\nnote 24 при\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("<"), std::string::npos) << shown;

    session.OnLine("MSG->Bob: just for you");
    lan.Pump();
    mark = out.Text().size();
    session.OnLine("/history private");
    shown = out.Text().substr(mark);
    EXPECT_NE(shown.find("just for you"), std::string::npos) << shown;
    session.OnLine("/history nonsense");
    EXPECT_NE(out.Text().find("-- /history shows"), std::string::npos);
}

}  // namespace zc
