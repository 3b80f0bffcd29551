// Plug-ins inside a running chat on the fake LAN: filters, answers, bubbles and faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "services/plugin_host.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

const std::vector<Setting> kAlicePlugins = {{"PLUGINS", "filter_tag.so", "1"},
                                            {"PLUGINS", "answerer.so", "1"},
                                            {"PLUGINS", "handler_fpe.so", "1"},
                                            {"PLUGINS", "run_faults.so", "1"},
                                            {"PLUGINS", "run_aborts.so", "1"},
                                            {"PLUGINS", "notify_a.so", "1"}};

struct PluginHosts : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6), kAlicePlugins};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6)};
    std::string record;

    void SetUp() override {
        record = bob.root.Path() + "plugin-calls.txt";
        ::setenv("ZC_TEST_PLUGIN_LOG", record.c_str(), 1);
        alice.dlg();
        std::filesystem::create_directory("plugins");
        for (const char* name : {"filter_tag.so", "answerer.so", "handler_fpe.so", "run_faults.so", "run_aborts.so", "notify_a.so"})
            std::filesystem::copy_file(std::string(ZC_TEST_PLUGIN_DIR) + "/" + name, std::string("plugins/") + name);
        for (Host* h : {&alice, &bob}) {
            h->Start();
            lan.Pump();
        }
    }
    void TearDown() override { ::unsetenv("ZC_TEST_PLUGIN_LOG"); }

    std::string AliceLog() {
        alice.dlg();
        return alice.chat.LogText();
    }
    void BobSays(const std::string& text) {
        ASSERT_TRUE(bob.dlg().SendChatMessage(text));
        lan.Pump();
    }
};

}  // namespace

TEST_F(PluginHosts, FaultyPlugInsAreSwitchedOffAndTheChatGoesOn) {
    const std::string log = AliceLog();
    for (const char* name : {"filter_tag.so", "answerer.so", "handler_fpe.so", "run_faults.so"})
        EXPECT_NE(log.find(std::string(":::\"LoadLibrary\" for plugin plugins/") + name), std::string::npos) << name;

    // The filter that divides by zero ends its walk once and is switched off; from then on the
    // tagging filter's change reaches the page. The answerer replies once to each message.
    BobSays("first");
    BobSays("second");
    EXPECT_NE(AliceLog().find(":::Call \"PluginHandler\" in plugin handler_fpe.so FAILED"), std::string::npos);
    EXPECT_NE(alice.Body().find("[Bob] second"), std::string::npos) << alice.Body();
    EXPECT_EQ(Count(bob.Body(), "Bob: Alice is away"), 2u) << bob.Body();

    // A private message to a hidden window asks the notification plug-ins for a bubble.
    alice.dlg().HideToTray();
    ASSERT_TRUE(bob.dlg().SendChatMessage("MSG->Alice: psst"));
    lan.Pump();
    EXPECT_NE(ReadFileBytes(record).find("run_faults ShowTipBubble Private message from Bob|Alice| psst"), std::string::npos) << ReadFileBytes(record);
    // Alerts and file questions name the sender, the question the file's size too; a click on
    // the bubble brings the hidden chat back.
    const std::string plan = bob.root.Path() + "plan.bin";
    std::ofstream(plan).close();
    std::filesystem::resize_file(plan, 3355443);
    ASSERT_TRUE(bob.dlg().OfferFileTo("Alice", plan));
    lan.Pump();
    ::setenv("ZC_TEST_NOTIFY_POSTS", "notify_a", 1);
    ASSERT_TRUE(bob.dlg().SendChatMessage("ALERT->Alice: look"));
    lan.Pump();
    ::unsetenv("ZC_TEST_NOTIFY_POSTS");
    const std::string bubbles = ReadFileBytes(record);
    EXPECT_NE(bubbles.find("ShowTipBubble File transfer request from Bob|Alice|plan.bin (3.2 MB)"), std::string::npos) << bubbles;
    EXPECT_NE(bubbles.find("ShowTipBubble Alert from Bob|Alice| look"), std::string::npos) << bubbles;
    EXPECT_TRUE(alice.chat.window.IsWindowVisible());
    EXPECT_FALSE(alice.dlg().User().hidden);

    // A run procedure that writes through a null pointer, and one that calls abort(): each
    // logged once and switched off, and the chat carries on.
    int run = 0, abortRun = 0;
    for (const PluginMenu& menu : alice.dlg().PluginMenus())
        for (const PluginMenuItem& item : menu.items)
            if (item.command >= kPluginRunCommand && item.command < kPluginSetupCommand)
                (menu.name == "Run aborts" ? abortRun : run) = item.command;
    ASSERT_NE(run, 0);
    ASSERT_NE(abortRun, 0);
    alice.dlg().OnCommand(run);
    EXPECT_NE(AliceLog().find(":::Call \"GetPluginRunProc\" in plugin run_faults.so FAILED"), std::string::npos);
    alice.dlg().OnCommand(abortRun);
    alice.dlg().OnCommand(abortRun);
    EXPECT_EQ(Count(AliceLog(), ":::Call \"GetPluginRunProc\" in plugin run_aborts.so FAILED"), 1u);
    EXPECT_EQ(Count(ReadFileBytes(record), "run_aborts GetPluginRunProc"), 1u);
    // Their menu entries say why they are off instead of offering to switch them on.
    const std::vector<PluginMenu> menus = alice.dlg().PluginMenus();
    const auto faulted = std::find_if(menus.begin(), menus.end(), [](const PluginMenu& m) { return m.name.starts_with("Run faults"); });
    ASSERT_NE(faulted, menus.end());
    EXPECT_EQ(faulted->name, "Run faults (switched off after a fault)");
    EXPECT_TRUE(faulted->items.empty());
    EXPECT_FALSE(faulted->checked);
    ASSERT_TRUE(alice.dlg().SendChatMessage("still here"));
    lan.Pump();
    EXPECT_NE(bob.Body().find("still here"), std::string::npos);

    alice.dlg().ExitMain();
    const std::string end = AliceLog();
    EXPECT_NE(end.find(":::\"FreeLibrary\" proccess\r\n"), std::string::npos);
    EXPECT_NE(end.find(":::\"FreeLibrary\" proccess...OK"), std::string::npos);
}

TEST(ModeChannels, EachEventShowsItsLineWindowAndBubbleAsTheModeSays) {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6),
               {{"CHATMODE", "CHATMODE1SOUND_TXT", "0"}, {"CHATMODE", "CHATMODE1PRIVATE_DLG", "1"}}};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6)};
    for (Host* h : {&alice, &bob}) {
        h->Start();
        lan.Pump();
    }
    ASSERT_TRUE(bob.dlg().SendChatMessage("SOUND->Alice"));
    ASSERT_TRUE(bob.dlg().SendChatMessage("MSG->Alice: psst"));
    lan.Pump();
    // The signal sounds but has no line in this mode; the private message has its line and its window.
    const auto& sounds = alice.chat.shell.sounds;
    EXPECT_NE(std::find(sounds.begin(), sounds.end(), "sound/sound.wav"), sounds.end());
    EXPECT_EQ(alice.Body().find(alice.dlg().Language().LangString(67)), std::string::npos);
    EXPECT_NE(alice.Body().find("psst"), std::string::npos);
    EXPECT_EQ(alice.chat.dialogs.notices[static_cast<int>(NotifyEvent::Private)], "Private message from Bob:  psst");
    // A second one refills the same window.
    ASSERT_TRUE(bob.dlg().SendChatMessage("MSG->Alice: again"));
    lan.Pump();
    EXPECT_EQ(alice.chat.dialogs.notices.size(), 1u);
}

// The last number of each command range belongs to the hundredth plug-in.
TEST(PluginCommands, TheHundredthPlugInsSetupIsReached) {
    FakeLan lan;
    Host carol{lan, "Carol", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};
    const std::string record = carol.root.Path() + "calls.txt";
    ::setenv("ZC_TEST_PLUGIN_LOG", record.c_str(), 1);
    carol.dlg();
    std::filesystem::create_directory("plugins");
    for (int i = 1; i <= 100; ++i)
        std::filesystem::create_symlink(std::string(ZC_TEST_PLUGIN_DIR) + "/run_faults.so", "plugins/p" + std::to_string(i) + ".so");
    carol.Start();
    carol.dlg().OnCommand(kPluginCommandEnd);
    ::unsetenv("ZC_TEST_PLUGIN_LOG");
    EXPECT_EQ(Count(ReadFileBytes(record), "run_faults GetPluginSetupProc"), 1u);
}

// A program folder made from a bare copy of data/ has no plug-ins: the chat takes those beside the
// built executable (or in an installed tree's data), while the folder's own copy of one wins.
TEST(PluginFolders, AFolderWithoutPlugInsTakesThoseOfTheProgramsTree) {
    FakeLan lan;
    Host carol{lan, "Carol", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};
    carol.dlg();
    carol.chat.system.exe = carol.root.Path() + "build/zeltochat";
    for (const char* name : {"build/plugins/notify_a.so", "build/plugins/answerer.so", "plugins/answerer.so"}) {
        std::filesystem::create_directories(std::filesystem::path(name).parent_path());
        std::filesystem::copy_file(std::string(ZC_TEST_PLUGIN_DIR) + "/" + std::filesystem::path(name).filename().string(), name);
    }
    carol.Start();
    const std::string log = carol.chat.LogText(), load = ":::\"LoadLibrary\" for plugin ";
    EXPECT_NE(log.find(load + carol.root.Path() + "build/plugins/notify_a.so"), std::string::npos);
    EXPECT_NE(log.find(load + "plugins/answerer.so"), std::string::npos);
    EXPECT_EQ(log.find(load + carol.root.Path() + "build/plugins/answerer.so"), std::string::npos);
}

}  // namespace zc
