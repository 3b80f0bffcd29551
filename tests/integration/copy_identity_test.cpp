// Several copies on one machine: each speaks, and leaves, as itself.
#include "app/copy_identity.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

#include "base/ini_file.h"
#include "platform/window_commands.h"
#include "support/chat_fixture.h"

namespace zc {
using namespace zc::test;

namespace {

const std::string kDeskHardware("\x00\x1A\x2B\x3C\x4D\x5E", 6);

bool SameForm(const std::string& id) { return std::regex_match(id, std::regex("[0-9A-F]{12}")); }

FakeLockBoard& Named(FakeLockBoard& board, const std::string& name) {
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", name);
    return board;
}

// One copy in its own program folder, on the machine whose identities `machine` holds.
struct Copy {
    Copy(FakeLan& lan, std::set<std::string>& machine, const std::string& name, const std::string& user,
         const std::string& hardware, const std::string& ip)
        : chat(Named(board, name), "/tmp/zc-no-autostart", true, &lan) {
        chat.system.user = user;
        chat.system.hardware = hardware;
        chat.system.ip = ip;
        chat.system.machineIds = &machine;
    }
    void Start(FakeLan& lan) {
        ASSERT_TRUE(chat.Use().OnInitDialog());
        chat.timers.Advance(2000);
        lan.Pump();
    }
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat;
};

std::vector<std::string> Names(const CChatMainDlg& chat) {
    std::vector<std::string> names;
    for (const CUserRecord& e : chat.Roster().Entries()) names.push_back(e.nickname);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(CopyIdentity, FurtherIdentitiesKeepTheFormAndDifferByUserAndInstance) {
    const std::string first = FurtherCopyIdentity(kDeskHardware, "10.0.0.1", "alice", 0);
    EXPECT_TRUE(SameForm(first)) << first;
    EXPECT_NE(first, DescribedIdentity(kDeskHardware, "10.0.0.1"));
    // Locally administered, not multicast.
    EXPECT_EQ(std::stoi(first.substr(0, 2), nullptr, 16) & 0x03, 0x02);
    EXPECT_EQ(first, FurtherCopyIdentity(kDeskHardware, "10.0.0.1", "alice", 0));
    EXPECT_NE(first, FurtherCopyIdentity(kDeskHardware, "10.0.0.1", "alice", 1));
    EXPECT_NE(first, FurtherCopyIdentity(kDeskHardware, "10.0.0.1", "bob", 0));
    // An address that is already locally administered still changes.
    const std::string local("\x02\x00\x00\x00\x00\x01", 6);
    EXPECT_NE(FurtherCopyIdentity(local, "", "alice", 0), DescribedIdentity(local, ""));
    // Without a hardware address the described identity is the IP twice; further ones keep the hex form.
    EXPECT_EQ(DescribedIdentity("", "10.0.0.1"), "1000110001");
    EXPECT_EQ(DescribedIdentity(std::string(6, '\0'), "10.0.0.1"), "1000110001");
    EXPECT_TRUE(SameForm(FurtherCopyIdentity("", "10.0.0.1", "alice", 0)));
    EXPECT_NE(FurtherCopyIdentity("", "10.0.0.1", "alice", 0), FurtherCopyIdentity("", "10.0.0.2", "alice", 0));
}

TEST(CopyIdentity, ACopyBesideTheDesktopNeitherSpeaksNorLeavesForItsUser) {
    FakeLan lan;
    std::set<std::string> deskMachine, otherMachine;
    Copy desk(lan, deskMachine, "Alice", "alice", kDeskHardware, "10.0.0.1");
    Copy script(lan, deskMachine, "Script", "alice", kDeskHardware, "10.0.0.1");
    Copy bob(lan, otherMachine, "Bob", "bob", std::string("\x00\x1A\x2B\x00\x00\x02", 6), "10.0.0.2");
    desk.Start(lan);
    script.Start(lan);
    bob.Start(lan);

    EXPECT_EQ(desk.chat.Use().OwnId(), "001A2B3C4D5E");  // the first copy keeps the described identity
    const std::string scriptId = script.chat.Use().OwnId();
    EXPECT_TRUE(SameForm(scriptId)) << scriptId;
    EXPECT_NE(scriptId, desk.chat.Use().OwnId());
    EXPECT_EQ(Names(bob.chat.Use()), (std::vector<std::string>{"Alice", "Bob", "Script"}));
    EXPECT_EQ(Names(desk.chat.Use()), (std::vector<std::string>{"Alice", "Bob", "Script"}));

    // The script leaves; the desktop's user stays for everybody.
    script.chat.Use().ExitMain();
    lan.Pump();
    EXPECT_EQ(Names(bob.chat.Use()), (std::vector<std::string>{"Alice", "Bob"}));
    EXPECT_EQ(Names(desk.chat.Use()), (std::vector<std::string>{"Alice", "Bob"}));

    // Started again it is the same user to the others.
    Copy again(lan, deskMachine, "Script", "alice", kDeskHardware, "10.0.0.1");
    again.Start(lan);
    EXPECT_EQ(again.chat.Use().OwnId(), scriptId);

    // Another person logged in to the same machine gets an identity of their own.
    Copy carol(lan, deskMachine, "Carol", "carol", kDeskHardware, "10.0.0.1");
    carol.Start(lan);
    const std::string carolId = carol.chat.Use().OwnId();
    EXPECT_TRUE(SameForm(carolId));
    EXPECT_NE(carolId, scriptId);
    EXPECT_NE(carolId, desk.chat.Use().OwnId());
    // Re-computing (every network restart) keeps what a copy holds.
    carol.chat.Use().RefreshPresence();
    carol.chat.Use().ComputeIdentity();
    EXPECT_EQ(carol.chat.Use().OwnId(), carolId);
    EXPECT_EQ(Names(bob.chat.Use()), (std::vector<std::string>{"Alice", "Bob", "Carol", "Script"}));
}

// A relay believes only the address a client connects from: in relay mode without a chosen
// interface the copy names the route's source toward the relay, unless the relay is local.
TEST(CopyIdentity, RelayModeNamesTheAddressTheRelaySees) {
    for (const auto& [server, expected] : {std::pair<std::string, std::string>{"10.9.0.1", "10.3.0.5"},
                                           {"127.0.0.1", "172.17.0.1"}, {"relay.example", "172.17.0.1"}}) {
        TempRoot root;
        FakeLockBoard board;
        WriteIniValue("profiles/default.cfg", "NETWORK", "SERVERUSE", "1");
        WriteIniValue("profiles/default.cfg", "NETWORK", "SERVER", server);
        FakeChat chat(board);
        chat.system.ip = "172.17.0.1";  // a container bridge listed first
        chat.system.routeSources = {{"10.9.0.1", "10.3.0.5"}, {"127.0.0.1", "127.0.0.1"}};
        chat.Use().ComputeIdentity();
        EXPECT_EQ(chat.dlg->OwnIp(), expected) << server;
    }
}

TEST(HistoryCommands, MenuCommandsOpenThisMonthsFiles) {
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    chat.dlg->OnCommand(ID_HISTORY_MAIN);
    chat.dlg->OnCommand(ID_HISTORY_PRIVATE);
    ASSERT_EQ(chat.shell.opened.size(), 2u);
    EXPECT_EQ(chat.shell.opened[0], root.Path() + "history/2025_12/12-2025_Main.htm");
    EXPECT_EQ(chat.shell.opened[1], root.Path() + "history/2025_12/2025_private_alert.htm");
}

}  // namespace zc
