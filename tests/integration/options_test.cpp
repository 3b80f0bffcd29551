// The options editor started from the chat, and the change list it leaves applied while running.
#include <gtest/gtest.h>

#include "app/options_runner.h"
#include "base/ini_file.h"
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

TEST_F(ThreeHosts, OneEditorAtATimeAndPollingOnceItHasEnded) {
    alice.dlg().OnKeyDown(122);  // F11
    alice.dlg().OnKeyDown(122);
    alice.dlg().OnCommand(ID_OPTIONS);
    auto& processes = alice.chat.processes;
    ASSERT_EQ(processes.watched.size(), 1u);
    EXPECT_EQ(processes.watched[0].program, alice.chat.home + "/" + kOptionsEditor);
    EXPECT_EQ(processes.watched[0].args, std::vector<std::string>{kOptionsAccess});
    alice.dlg();
    EXPECT_EQ(Count(alice.chat.LogText(), ":::Options return 'terminated'..."), 2u);
    EXPECT_FALSE(alice.chat.timers.IsArmed(6));

    // Once it has ended the list is read half a second later, then every second.
    alice.dlg();
    processes.FinishWatched();
    alice.chat.timers.Advance(500);
    EXPECT_EQ(Count(alice.chat.LogText(), ":::Apply options change..."), 1u);
    alice.chat.timers.Advance(1000);
    EXPECT_EQ(Count(alice.chat.LogText(), ":::Apply options change..."), 2u);

    // An editor that cannot start still starts the polling, and the next request may run again.
    processes.watchedFails = true;
    alice.dlg().OpenOptions();
    EXPECT_TRUE(alice.chat.timers.IsArmed(6));
    processes.watchedFails = false;
    alice.dlg().OpenOptions();
    EXPECT_EQ(processes.watched.size(), 2u);
}

}  // namespace zc
