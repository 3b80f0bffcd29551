// The options editor started from the chat, and the change list it leaves applied while running.
#include <gtest/gtest.h>

#include "app/options_runner.h"
#include "base/ini_file.h"
#include "net/transfer_requests.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// The flag lines the chat logged since the last mark, in order.
struct FlagLines {
    Host& host;
    size_t mark = 0;
    std::vector<std::string> Since() {
        host.dlg();
        const std::string log = host.chat.LogText();
        std::vector<std::string> lines;
        for (size_t at = log.find(":::Change ", mark); at != std::string::npos; at = log.find(":::Change ", at + 1))
            lines.push_back(log.substr(at + 3, log.find("...", at) - at - 3));
        mark = log.size();
        return lines;
    }
};

}  // namespace

TEST_F(ThreeHosts, TheChangeListIsAppliedTokenByTokenAsTheEditorLeftIt) {
    FlagLines flags{alice};
    flags.Since();
    auto apply = [&](const std::string& reload) {
        alice.dlg();
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", reload);
        alice.dlg().ApplyOptionsChange();
        EXPECT_EQ(ReadIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD"), "") << reload;
        return flags.Since();
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(apply("IMAIN"), (Lines{"Change main settings"}));
    EXPECT_EQ(apply("IMAIN;ISKIN;"), (Lines{"Change main settings", "Change skins"}));
    EXPECT_EQ(apply("XX;IMAIN;"), Lines{});
    EXPECT_EQ(apply("FOO;IMAIN;"), (Lines{"Change main settings"}));
    EXPECT_EQ(apply("ISKIN;IMO"), (Lines{"Change skins"}));
    EXPECT_EQ(apply("ISOUND;ISOUND;"), (Lines{"Change sound params", "Change sound params"}));

    // A new nickname reaches the others as a name change.
    alice.dlg();
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", "Alicia");
    EXPECT_EQ(apply("IUSER;"), (Lines{"Change username"}));
    lan.Pump();
    EXPECT_NE(bob.Body().find(bob.dlg().Language().LangString(75)), std::string::npos);
    EXPECT_NE(bob.Body().find("Alicia"), std::string::npos);

    // Language files that cannot be read leave the texts as they were.
    const std::string before = alice.dlg().Language().LangString(75);
    alice.root.Remove("language");
    EXPECT_EQ(apply("ILANGUAGE;"), (Lines{"Change language"}));
    EXPECT_EQ(alice.dlg().Language().LangString(75), before);
}

TEST_F(ThreeHosts, OneEditorAtATimePolledFromItsStartAndOneThatCannotStartSaysSo) {
    alice.dlg().OnKeyDown(122);  // F11
    alice.dlg().OnKeyDown(122);
    alice.dlg().OnCommand(ID_OPTIONS);
    auto& processes = alice.chat.processes;
    ASSERT_EQ(processes.watched.size(), 1u);
    EXPECT_EQ(processes.watched[0].program, alice.chat.home + "/" + kOptionsEditor);
    EXPECT_EQ(processes.watched[0].args, std::vector<std::string>{kOptionsAccess});
    alice.dlg();
    EXPECT_EQ(Count(alice.chat.LogText(), ":::Options return 'terminated'..."), 2u);

    // A Save while the editor is still open, even its first run, is applied half a second later,
    // and the list is read once more half a second after the editor ends.
    FlagLines flags{alice};
    flags.Since();
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", "ISOUND;");
    alice.chat.timers.Advance(500);
    EXPECT_EQ(flags.Since(), std::vector<std::string>{"Change sound params"});
    processes.FinishWatched(0);
    alice.chat.timers.Advance(500);
    EXPECT_EQ(Count(alice.chat.LogText(), ":::Apply options change..."), 2u);
    const std::string cannot = "The options editor could not be started from " + alice.chat.home + "/option.cmd";
    EXPECT_EQ(Count(alice.Body(), cannot), 0u);

    // option.cmd that finds no editor, and one that cannot start at all, are both told on the
    // page and in the log; polling goes on and the next request may run again.
    alice.dlg().OpenOptions();
    processes.FinishWatched(127);
    processes.watchedFails = true;
    alice.dlg().OpenOptions();
    EXPECT_TRUE(alice.chat.timers.IsArmed(6));
    EXPECT_EQ(Count(alice.Body(), cannot), 2u);
    EXPECT_EQ(Count(alice.chat.LogText(), ":::Try open Options FALSE"), 2u);
    processes.watchedFails = false;
    alice.dlg().OpenOptions();
    EXPECT_EQ(processes.watched.size(), 3u);
}

TEST_F(ThreeHosts, PermissionsSavedInTheEditorCountAtOnceAndTheOwnerSeesWhatWasSent) {
    // Carol keeps her process list private until she allows it in the editor.
    ASSERT_TRUE(RequestProcessList(alice.dlg(), "Carol"));
    lan.Pump();
    EXPECT_EQ(Count(alice.Body(), "Request refused by"), 1u);
    carol.dlg();
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "ALLOWPROCCES", "1");
    WriteIniValue("profiles/default.cfg", "GLOBAL", "ALLOWSENDDESKTOP", "1");
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", "IMAIN;");
    carol.dlg().ApplyOptionsChange();
    EXPECT_TRUE(carol.dlg().User().allowSendDesktop);
    ASSERT_TRUE(RequestProcessList(alice.dlg(), "Carol"));
    lan.Pump();
    // Once, naming the one who asked.
    EXPECT_EQ(Count(carol.Body(), "Process list sent to <span"), 1u);
    EXPECT_EQ(Count(carol.Body(), "&lt;Alice&gt;</span></span>"), 1u);
}

}  // namespace zc
