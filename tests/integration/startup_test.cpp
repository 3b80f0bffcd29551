#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "base/ini_file.h"
#include "base/registry_keys.h"
#include "base/version.h"
#include "platform/window_commands.h"
#include "support/chat_fixture.h"

namespace zc {
using namespace zc::test;

namespace {
// Positions of the lines in the log, which must rise.
void ExpectInOrder(const std::string& log, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n--- log ---\n" << log;
        at = found + line.size();
    }
}
}  // namespace

TEST(Startup, RunsTheSequenceInOrderAndShowsTheWindow) {
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    EXPECT_EQ(chat.clock.SleptMs(), 1000);
    const std::string version = GetVersionText(ProgramFileVersion());
    EXPECT_EQ(chat.window.Title(), "Zelto Chat v" + version);
    EXPECT_EQ(chat.tray.Tip(), "Zelto Chat v" + version);
    ExpectInOrder(chat.LogText(), {"\n\n\r\n", "**********************\nZelto Chat " + version + "\n[08-12-2025 10:00:00]\n"
                                               "**********************\r\n",
                                   ":::Check zeltochat.ini...\r\n", ":::Check zeltochat.ini...OK", ":::ReadParams:::",
                                   ":::ReadLanguage from english.cfg", ":::ReadProfileParams from default.cfg",
                                   ":::ReadSmilesAlias...", ":::PrepareText...OK"});
    EXPECT_EQ(chat.LogText().find(":::Missing string"), std::string::npos);
    EXPECT_EQ(ReadAppRegValue(chat.registry, "System\\", "Exec"), chat.system.exe);
    EXPECT_EQ(ReadAppRegValue(chat.registry, "Profile\\", "AlertFrom"), " ");
    EXPECT_EQ(chat.dlg->Flood().Limit(), 15);
    EXPECT_EQ(chat.dlg->Flood().Penalty(), 15);
    EXPECT_EQ(chat.dlg->Profiles(), std::vector<std::string>{"default"});

    // Hidden until the layout timer, which places the window from main.ini.
    EXPECT_FALSE(chat.window.IsWindowVisible());
    EXPECT_EQ(chat.timers.PeriodOf(kLayoutTimer), 50);
    EXPECT_EQ(chat.timers.PeriodOf(kStartupTimer), 2000);
    chat.timers.Advance(50);
    EXPECT_TRUE(chat.window.IsWindowVisible());
    EXPECT_FALSE(chat.timers.IsArmed(kLayoutTimer));
    WindowRect r = chat.window.ScreenRect();
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 600);

    const std::string page = chat.ChatView()->Page();
    EXPECT_NE(page.find("charset=windows-1251"), std::string::npos);
    EXPECT_NE(page.find("Zelto Chat " + version + ", </span><span class=\"myname\">"), std::string::npos);
    EXPECT_NE(page.find(root.Path() + "skins/skinthemes/def/text.css"), std::string::npos);
}

TEST(Startup, StartupTimerRefreshesThenAnnouncesModeAndPresence) {
    TempRoot root;
    root.Write("profiles/default.cfg", "[INFO]\r\nCHATNAME=Ann\r\n[CHATMODE]\r\nCHATMODE1MSG=Here\r\n");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    RecordingTransport lan;
    CNetSettings up;
    up.active = 1;
    chat.dlg->UseTransport(&lan, up);
    chat.system.ip = "10.0.0.5";  // the address it claims is the machine's
    chat.dlg->SetIdentity("10.0.0.5", "AABBCCDDEEFF");
    chat.timers.Advance(1999);
    EXPECT_TRUE(lan.Sent().empty());
    chat.timers.Advance(1);
    std::vector<std::string> plain;
    for (std::string bytes : lan.Sent()) {
        ASSERT_EQ(bytes.back(), '\0');
        bytes.pop_back();
        plain.push_back(chat.dlg->Codec().DecodeText(bytes));
    }
    EXPECT_EQ(plain, (std::vector<std::string>{"10.0.0.5(AABBCCDDEEFF)||Ann||||0.0||0||2||1:Here//end",
                                               "10.0.0.5(AABBCCDDEEFF)||Ann||||0.0||0||4||1:Here//end",
                                               "10.0.0.5(AABBCCDDEEFF)||Ann||||0.0||0||2||Ann//end"}));
    EXPECT_FALSE(chat.timers.IsArmed(kStartupTimer));
    EXPECT_EQ(chat.timers.PeriodOf(kRefreshTimer), 60000);  // REFRESHLIST 6 in the shipped settings
    ASSERT_EQ(chat.dlg->Roster().Entries().size(), 1u);
    EXPECT_EQ(chat.dlg->Roster().Entries()[0].nickname, "Ann");
}

TEST(Startup, MissingSettingsFileEndsWithAFailureNamingIt) {
    TempRoot root;
    root.Remove("system/zeltochat.ini");
    FakeLockBoard board;
    FakeChat chat(board);
    EXPECT_FALSE(chat.dlg->OnInitDialog());
    EXPECT_EQ(chat.window.ended(), 1);
    EXPECT_TRUE(chat.dlg->StartFailed());
    ASSERT_EQ(chat.dlg->StartupNotices().size(), 1u);
    EXPECT_NE(chat.dlg->StartupNotices()[0].text.find(root.Path() + "system/zeltochat.ini"), std::string::npos);
    EXPECT_NE(chat.LogText().find(":::Check zeltochat.ini...FAILED"), std::string::npos);
    EXPECT_EQ(chat.LogText().find(":::ReadParams:::"), std::string::npos);
    chat.dlg->ExitMain();
    EXPECT_FALSE(root.Exists("system/main.ini"));  // a window never laid out keeps the stored one
}

TEST(Startup, ANicknameThatBreaksPacketsEndsTheStartAndOldReloadFlagsAreCleared) {
    TempRoot root;
    root.Write("profiles/default.cfg", "[INFO]\r\nCHATNAME=Ann||x\r\n");
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", "IUSER;IMAIN;");
    FakeLockBoard board;
    {
        FakeChat chat(board);
        EXPECT_FALSE(chat.dlg->OnInitDialog());
        EXPECT_TRUE(chat.dlg->StartFailed());
        ASSERT_EQ(chat.dlg->StartupNotices().size(), 1u);
        EXPECT_NE(chat.dlg->StartupNotices()[0].text.find("\"Ann||x\""), std::string::npos);
        EXPECT_NE(chat.dlg->StartupNotices()[0].text.find(root.Path() + "profiles/default.cfg"), std::string::npos);
        chat.dlg->ExitMain();
    }
    EXPECT_EQ(ReadIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD"), "");
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", "Ann");
    FakeChat chat(board);
    EXPECT_TRUE(chat.dlg->OnInitDialog());
}

TEST(Startup, MissingLanguageFilesEndTheProgram) {
    TempRoot root;
    root.Remove("language");
    FakeLockBoard board;
    FakeChat chat(board);
    EXPECT_FALSE(chat.dlg->OnInitDialog());
    EXPECT_EQ(chat.window.ended(), 1);
    EXPECT_NE(chat.LogText().find("Closing programm."), std::string::npos);
    EXPECT_EQ(chat.LogText().find(":::ReadProfileParams"), std::string::npos);
    EXPECT_TRUE(chat.dlg->StartFailed());
    ASSERT_EQ(chat.dlg->StartupNotices().size(), 1u);
    EXPECT_NE(chat.dlg->StartupNotices()[0].text.find(root.Path() + "language/lang_english.cfg"), std::string::npos);
}

TEST(Startup, ProfileWithoutItsFileIsToldNotSilentlyDefaulted) {
    TempRoot root;
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "PROFILE", "work");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    EXPECT_FALSE(chat.dlg->StartFailed());
    ASSERT_EQ(chat.dlg->StartupNotices().size(), 1u);
    const StartupNotice& notice = chat.dlg->StartupNotices()[0];
    EXPECT_FALSE(notice.fatal);
    EXPECT_NE(notice.text.find("\"work\""), std::string::npos) << notice.text;
    EXPECT_NE(notice.text.find(root.Path() + "profiles/work.cfg"), std::string::npos) << notice.text;

    // The shipped profile exists: nothing to tell.
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "PROFILE", "default");
    FakeLockBoard other;
    FakeChat quiet(other);
    ASSERT_TRUE(quiet.dlg->OnInitDialog());
    EXPECT_TRUE(quiet.dlg->StartupNotices().empty());
}

TEST(Startup, FoldersThatCannotBeWrittenAreNamed) {
    TempRoot root;
    // A file where a folder should be is unwritable whoever runs the test (root included).
    root.Remove("history");
    root.Write("history", "not a folder");
    root.Remove("board");
    root.Write("board", "not a folder");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    EXPECT_FALSE(chat.dlg->StartFailed());
    std::string all;
    for (const StartupNotice& n : chat.dlg->StartupNotices()) all += n.text + "\n";
    EXPECT_NE(all.find(root.Path() + "history: the chat history will be lost"), std::string::npos) << all;
    EXPECT_NE(all.find(root.Path() + "board: board messages will be lost"), std::string::npos) << all;
    EXPECT_EQ(all.find(root.Path() + "logs"), std::string::npos) << all;
    // The probes leave nothing behind.
    for (const auto& e : std::filesystem::directory_iterator(root.Path() + "logs"))
        EXPECT_EQ(e.path().filename().string().find(".write-test"), std::string::npos);
}

TEST(Startup, BadInputTakesDefaults) {
    TempRoot root;
    root.Write("system/zeltochat.ini", "[GLOBAL]\r\nPROFILE=nosuchprofile\r\nREFRESHLIST=zz\r\nAPPEAL=" +
                                           std::string(400, ';') + "\r\n");
    root.Write("system/main.ini", "\x01\x02garbage[[[==\r\n");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    EXPECT_EQ(chat.dlg->User().profileFile, "nosuchprofile.cfg");
    EXPECT_EQ(chat.dlg->User().mode, 1);
    EXPECT_EQ(chat.dlg->User().nickname, "alice (deskpc)");
    EXPECT_EQ(chat.dlg->Global().appeal, ":");
    EXPECT_EQ(chat.dlg->Global().refreshList, 5);
    chat.timers.Advance(50);
    EXPECT_EQ(chat.window.ScreenRect().right, 400);
}

TEST(SingleInstance, SecondCopyRaisesTheFirstAndEnds) {
    TempRoot root;
    FakeLockBoard board;
    FakeChat first(board);
    ASSERT_TRUE(first.dlg->OnInitDialog());
    first.timers.Advance(50);
    first.dlg->HideToTray();
    EXPECT_FALSE(first.window.IsWindowVisible());

    FakeChat second(board);
    EXPECT_FALSE(second.dlg->OnInitDialog());
    EXPECT_EQ(second.window.ended(), 1);
    EXPECT_EQ(second.window.Title(), "Zelto Chat");
    EXPECT_FALSE(second.dlg->StartFailed());  // not a failure: the running copy is in front
    EXPECT_TRUE(first.window.IsWindowVisible());
    EXPECT_GE(first.window.raised(), 1);
    second.dlg->ExitMain();
    EXPECT_EQ(board.holders.size(), 1u);  // the first copy still holds the lock
}

TEST(SingleInstance, OneCharacterKeepsTheGuardTwoSwitchItOff) {
    for (const char* value : {"1", "ON"}) {
        TempRoot root;
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "ALLOWMULTIAPP", value);
        FakeLockBoard board;
        FakeChat first(board);
        ASSERT_TRUE(first.dlg->OnInitDialog());
        FakeChat second(board);
        const bool both = std::string(value).size() >= 2;
        EXPECT_EQ(second.dlg->OnInitDialog(), both) << value;
        EXPECT_EQ(second.window.ended(), both ? 0 : 1) << value;
    }
}

TEST(Shutdown, ExitMainAnnouncesStoresAndReleases) {
    TempRoot root;
    root.Write("profiles/default.cfg", "[INFO]\r\nCHATNAME=Ann\r\n");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    chat.timers.Advance(50);
    chat.window.MoveWindow(40, 50, 500, 620);
    RecordingTransport lan;
    chat.dlg->UseTransport(&lan, CNetSettings{});
    chat.dlg->ExitMain();
    ASSERT_EQ(lan.Sent().size(), 1u);
    std::string sent = lan.Sent()[0];
    sent.pop_back();
    EXPECT_NE(chat.dlg->Codec().DecodeText(sent).find("||3||Ann//end"), std::string::npos);
    EXPECT_TRUE(lan.closed());
    EXPECT_EQ(lan.left(), 1);
    EXPECT_FALSE(chat.tray.Shown());
    EXPECT_TRUE(board.holders.empty());
    EXPECT_NE(chat.LogText().find(":::ExitMain:::"), std::string::npos);
    EXPECT_EQ(ReadIniValue("system/main.ini", "PARAM", "L"), "40");
    EXPECT_EQ(ReadIniValue("system/main.ini", "PARAM", "T"), "50");
    EXPECT_EQ(ReadIniValue("system/main.ini", "PARAM", "R"), "540");
    EXPECT_EQ(ReadIniValue("system/main.ini", "PARAM", "B"), "670");
    EXPECT_EQ(chat.views.Live(ViewRole::ChatText), nullptr);
    EXPECT_FALSE(chat.timers.IsArmed(kLayoutTimer));
}

TEST(Window, EscapeHidesToTrayOrMinimisesWithoutOne) {
    for (bool tray : {true, false}) {
        TempRoot root;
        FakeLockBoard board;
        FakeChat chat(board, "/tmp/zc-no-autostart", tray);
        ASSERT_TRUE(chat.dlg->OnInitDialog());
        chat.timers.Advance(50);
        EXPECT_TRUE(chat.dlg->OnKeyDown(27));
        EXPECT_EQ(chat.window.IsWindowVisible(), !tray);
        EXPECT_EQ(chat.window.minimized(), !tray);
        EXPECT_EQ(chat.dlg->User().hidden, tray);
        EXPECT_EQ(chat.window.ended(), 0);
        EXPECT_FALSE(chat.dlg->OnKeyDown('A'));
    }
}

TEST(HotKeys, ModeKeysWriteTheModeAndAnnounceIt) {
    TempRoot root;
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "HK_MODE3", "77");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    RecordingTransport lan;
    chat.dlg->UseTransport(&lan, CNetSettings{});
    EXPECT_TRUE(chat.dlg->OnKeyDown(113));
    EXPECT_EQ(chat.dlg->User().mode, 2);
    EXPECT_EQ(ReadIniValue("profiles/default.cfg", "GLOBAL", "MODE"), "2");
    EXPECT_TRUE(chat.dlg->OnKeyDown(77));
    EXPECT_EQ(chat.dlg->User().mode, 3);
    EXPECT_FALSE(chat.dlg->OnKeyDown(114));  // F3 was moved away
    EXPECT_TRUE(chat.dlg->OnKeyDown(77));    // same mode again: nothing sent
    ASSERT_EQ(lan.Sent().size(), 2u);
    std::string last = lan.Sent()[1];
    last.pop_back();
    EXPECT_NE(chat.dlg->Codec().DecodeText(last).find("||7||3:Busy//end"), std::string::npos);
}

TEST(ProfileSwitch, WritesTheProfileStartsANewCopyAndEnds) {
    TempRoot root;
    root.Write("profiles/work.cfg", "[INFO]\r\nCHATNAME=Worker\r\n");
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    chat.dlg->SwitchProfile(kProfileCommandBase + 5);  // no such profile
    EXPECT_EQ(chat.window.ended(), 0);
    EXPECT_TRUE(chat.processes.starts.empty());
    // Where the new copy cannot be started, this one goes on as it was and says why.
    const std::string profile = ReadIniValue("system/zeltochat.ini", "GLOBAL", "PROFILE");
    const std::string exe = std::exchange(chat.system.exe, "");
    chat.dlg->SwitchProfile(kProfileCommandBase + 1);
    EXPECT_EQ(chat.window.ended(), 0);
    EXPECT_EQ(ReadIniValue("system/zeltochat.ini", "GLOBAL", "PROFILE"), profile);
    EXPECT_NE(chat.ChatView()->Body().find("could not start again with the profile"), std::string::npos);
    chat.system.exe = exe;
    chat.dlg->SwitchProfile(kProfileCommandBase + 1);
    EXPECT_EQ(ReadIniValue("system/zeltochat.ini", "GLOBAL", "PROFILE"), "work");
    ASSERT_EQ(chat.processes.starts.size(), 1u);
    EXPECT_EQ(chat.processes.starts[0].program, chat.system.exe);
    EXPECT_EQ(chat.processes.starts[0].args, (std::vector<std::string>{"--root", root.Path()}));
    EXPECT_EQ(chat.window.ended(), 1);
    EXPECT_EQ(ReadIniValue("system/zeltochat.ini", "GLOBAL", "LANGUAGE"), "english");
}

TEST(Autostart, FollowsTheSettingAndTheStoredProgramPath) {
    TempRoot root;
    const std::string dir = root.Path() + "autostart";
    {
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "AUTOSTART", "1");
        FakeLockBoard board;
        FakeChat chat(board, dir);
        ASSERT_TRUE(chat.dlg->OnInitDialog());
        const std::string entry = root.Read("autostart/ZeltoChat.desktop");
        EXPECT_NE(entry.find("Exec=\"/opt/zeltochat/zeltochat\" --root \"" + root.Path() + "\""), std::string::npos);
        // Switched off and on again in the options while the chat runs.
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "AUTOSTART", "0");
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", "IMAIN;");
        chat.dlg->ApplyOptionsChange();
        EXPECT_FALSE(root.Exists("autostart/ZeltoChat.desktop"));
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "AUTOSTART", "1");
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", "IMAIN;");
        chat.dlg->ApplyOptionsChange();
        EXPECT_EQ(root.Read("autostart/ZeltoChat.desktop"), entry);
        chat.dlg->ExitMain();
    }
    {
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "AUTOSTART", "0");
        FakeLockBoard board;
        FakeChat chat(board, dir);
        ASSERT_TRUE(chat.dlg->OnInitDialog());
        EXPECT_FALSE(root.Exists("autostart/ZeltoChat.desktop"));
        chat.dlg->ExitMain();
    }
    {
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "AUTOSTART", "1");
        FakeLockBoard board;
        FakeChat chat(board, dir);
        chat.system.exe = "";  // the stored path is empty: nothing is written
        ASSERT_TRUE(chat.dlg->OnInitDialog());
        EXPECT_FALSE(root.Exists("autostart/ZeltoChat.desktop"));
    }
}

TEST(Version, TextFromTheFourParts) {
    EXPECT_EQ(GetVersionText({1, 2, 3, 4, true}), "1.2.3.4");
    EXPECT_EQ(GetVersionText({1, 2, 0, 1, true}), "1.2.0.1");
    EXPECT_EQ(GetVersionText({1, 2, 0, 0, true}), "1.2");
    EXPECT_EQ(GetVersionText({0, 0, 0, 0, true}), "");
    EXPECT_EQ(GetVersionText({1, 2, 3, 4, false}), "");
}

}  // namespace zc

namespace zc {
using namespace zc::test;

TEST(Theme, StartUpAppliesTheSkinAndButtonsSwitchPages) {
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    const std::string log = chat.LogText();
    for (const char* line : {":::InitMainElement...OK", ":::InitGraphixElement...OK", ":::InitActionElement...OK",
                             ":::PrepareMainText...", ":::PrepareUserList..."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_NE(chat.views.Live(ViewRole::UserList), nullptr);
    EXPECT_NE(chat.views.Live(ViewRole::UserList)->Page().find("list.css"), std::string::npos);

    chat.dlg->OnCommand(32820);  // the conference page
    EXPECT_EQ(chat.dlg->User().pageMode, PageMode::Conference);
    ASSERT_NE(chat.views.Live(ViewRole::SecondText), nullptr);
    EXPECT_NE(chat.views.Live(ViewRole::SecondText)->Page().find("<body"), std::string::npos);
    chat.dlg->OnCommand(32818);
    EXPECT_EQ(chat.dlg->User().pageMode, PageMode::Main);
    // Without a network nothing goes out, and the page says so instead of showing it as sent.
    EXPECT_FALSE(chat.dlg->SendChatMessage("to be cleared"));
    EXPECT_EQ(chat.ChatView()->Body().find("to be cleared"), std::string::npos);
    ASSERT_NE(chat.ChatView()->Body().find("Not connected to the network; nothing was sent"), std::string::npos);
    chat.dlg->OnCommand(32783);  // clear chat
    EXPECT_EQ(chat.ChatView()->Body().find("nothing was sent"), std::string::npos);
    const bool soundBefore = chat.dlg->User().soundOn;
    chat.dlg->OnCommand(32839);
    EXPECT_NE(chat.dlg->User().soundOn, soundBefore);
}

TEST(Theme, ABrokenSkinEndsTheStart) {
    TempRoot root;
    root.Write("skins/skinthemes/def/skin.cfg", "nothing useful\r\n");
    FakeLockBoard board;
    FakeChat chat(board);
    EXPECT_FALSE(chat.dlg->OnInitDialog());
    EXPECT_EQ(chat.window.ended(), 1);
    const std::string log = chat.LogText();
    EXPECT_NE(log.find(":::InitMainElement...FALSE"), std::string::npos);
    EXPECT_NE(log.find(":::CRITICAL ERROR: Previous function return error. Run MainExit"), std::string::npos);
}

TEST(Theme, AMissingThemeIsNamedInTheFailure) {
    TempRoot root;
    WriteIniValue("profiles/default.cfg", "GLOBAL", "SKINSTHEME", "nosuchtheme");
    FakeLockBoard board;
    FakeChat chat(board);
    EXPECT_FALSE(chat.dlg->OnInitDialog());
    EXPECT_TRUE(chat.dlg->StartFailed());
    ASSERT_EQ(chat.dlg->StartupNotices().size(), 1u);
    const std::string& text = chat.dlg->StartupNotices()[0].text;
    EXPECT_NE(text.find("\"nosuchtheme\""), std::string::npos) << text;
    EXPECT_NE(text.find(root.Path() + "skins/skinthemes/nosuchtheme/skin.cfg"), std::string::npos) << text;
    // The log keeps its own lines.
    EXPECT_NE(chat.LogText().find(":::InitMainElement...FALSE"), std::string::npos);
}

}  // namespace zc

namespace zc {
using namespace zc::test;

TEST(SmilesWindow, HotKeyTogglesAndAPickGoesIntoTheInput) {
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    EXPECT_EQ(chat.views.Live(ViewRole::Smiles), nullptr);
    EXPECT_TRUE(chat.dlg->OnKeyDown(120));
    ASSERT_NE(chat.views.Live(ViewRole::Smiles), nullptr);
    EXPECT_NE(chat.views.Live(ViewRole::Smiles)->Page().find("class=\"smiles\""), std::string::npos);
    chat.window.SetInputText("hi");
    chat.dlg->InsertSmile(":)");
    EXPECT_NE(chat.window.InputText().find(":)"), std::string::npos);
    EXPECT_TRUE(chat.dlg->OnKeyDown(120));  // hidden, then gone a second later
    EXPECT_NE(chat.views.Live(ViewRole::Smiles), nullptr);
    chat.timers.Advance(1000);
    EXPECT_EQ(chat.views.Live(ViewRole::Smiles), nullptr);
}

}  // namespace zc
