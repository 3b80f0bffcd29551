#include "services/plugin_host.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/debug_log.h"
#include "base/ini_file.h"
#include "base/language.h"
#include "services/plugin_guard.h"
#include "services/plugin_state.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;
namespace fs = std::filesystem;

namespace {

constexpr char kProfile[] = "profiles/test.cfg";

std::vector<std::string> SplitLines(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t next; (next = text.find(end, at)) != std::string::npos; at = next + end.size())
        lines.push_back(text.substr(at, next - at));
    return lines;
}

// A program folder with plug-ins copied into plugins/, the calls they record, and the host.
struct PluginBench {
    TempRoot root{false};
    FakeClock clock;
    DebugLog log{clock, root.Path()};
    std::vector<std::string> sent;
    struct Posted {
        int kind;
        std::string title, text;
    };
    std::vector<Posted> posted;
    int broughtToFront = 0;
    std::unique_ptr<PluginHost> host;

    PluginBench() {
        setenv("ZC_TEST_PLUGIN_LOG", (root.Path() + "calls.txt").c_str(), 1);
        for (const char* name : {"ZC_TEST_NOTIFY_HANDLES", "ZC_TEST_NOTIFY_POSTS", "ZC_TEST_INIT_FAULTS",
                                 "ZC_TEST_BUBBLE_FAULTS"})
            unsetenv(name);
        fs::create_directories(root.Path() + "plugins");
        root.Write(kProfile, "[INFO]\r\nCHATNAME=alice\r\n");
    }
    ~PluginBench() {
        host.reset();
        unsetenv("ZC_TEST_PLUGIN_LOG");
    }
    // A fresh copy each time, so every test loads its own instance of the library.
    void Add(const std::string& built, std::string as = {}) const {
        if (as.empty()) as = built + ".so";
        fs::copy_file(std::string(ZC_TEST_PLUGIN_DIR) + "/" + built + ".so", root.Path() + "plugins/" + as);
    }
    void Enable(const std::string& key, const std::string& value = "1") const {
        WriteIniValue(kProfile, "PLUGINS", key, value);
    }
    PluginHost& Load() {
        PluginHostServices services;
        services.mainWindow = 0x4C0001;
        services.sendAsTyped = [this](const std::string& text) { sent.push_back(text); };
        services.postNotifyRequest = [this](int kind, const std::string& title, const std::string& text) {
            posted.push_back({kind, title, text});
        };
        services.bringMainWindowToFront = [this] { ++broughtToFront; };
        host = std::make_unique<PluginHost>(log, "plugins", kProfile, services);
        host->LoadPlugins();
        return *host;
    }
    // The debug log without time stamps.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines = SplitLines(ReadFileBytes(log.CurrentFilePath()), "\r\n");
        for (std::string& line : lines) line = line.substr(9);
        return lines;
    }
    std::vector<std::string> Calls() const {
        return root.Exists("calls.txt") ? SplitLines(root.Read("calls.txt"), "\n") : std::vector<std::string>{};
    }
    void ForgetCalls() const { root.Remove("calls.txt"); }
    int IdOf(const std::string& fileName) const {
        for (const PluginRecord& r : host->Plugins())
            if (r.fileName == fileName) return r.id;
        ADD_FAILURE() << fileName << " not loaded";
        return -1;
    }
    const PluginRecord& Record(const std::string& fileName) const { return host->Plugins()[IdOf(fileName) - 1]; }
};

const std::string kUnloadStart = ":::\"FreeLibrary\" proccess";
const std::string kUnloadEnd = ":::\"FreeLibrary\" proccess...OK";

std::string LoadLine(const std::string& file) { return ":::\"LoadLibrary\" for plugin plugins/" + file; }

std::vector<std::string> DirectoryOrder(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (entry->d_type != DT_DIR && name.size() > 3 && name.ends_with(".so")) names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

}  // namespace

TEST(PluginHost, LoadsTheFolderByNameWithDescriptionsExportsAndStoredState) {
    PluginBench bench;
    bench.Add("notify_a");
    bench.Add("filter_tag", "my filter.so");
    bench.Add("run_faults");
    bench.Add("setup_only");
    bench.root.Write("plugins/readme.txt", "not a library");
    fs::create_directories(bench.root.Path() + "plugins/folder.so");
    bench.Enable("notify_a.so", "0");  // any value at all switches it on
    bench.Enable("myfilter.so");       // the key has no blanks
    PluginHost& host = bench.Load();

    std::vector<std::string> order = DirectoryOrder("plugins");
    std::sort(order.begin(), order.end());
    ASSERT_EQ(order.size(), 4u);
    ASSERT_EQ(host.Plugins().size(), 4u);
    std::vector<std::string> expectedLog = {kUnloadStart, kUnloadEnd};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(host.Plugins()[i].fileName, order[i]);
        EXPECT_EQ(host.Plugins()[i].id, static_cast<int>(i) + 1);
        expectedLog.push_back(LoadLine(order[i]));
    }
    EXPECT_EQ(bench.LogLines(), expectedLog);

    const PluginRecord& notify = bench.Record("notify_a.so");
    EXPECT_EQ(notify.type, 3);
    EXPECT_EQ(notify.name, "notify_a");
    EXPECT_EQ(notify.version, "1.0");
    EXPECT_EQ(notify.maker, "tests");
    EXPECT_EQ(notify.enabled, 1);
    EXPECT_FALSE(notify.hasRun);
    EXPECT_FALSE(notify.hasSetup);
    EXPECT_TRUE(notify.toggleItem);
    EXPECT_EQ(bench.Record("my filter.so").enabled, 1);
    const PluginRecord& runner = bench.Record("run_faults.so");
    EXPECT_EQ(runner.enabled, 0);
    EXPECT_TRUE(runner.hasRun);
    EXPECT_TRUE(runner.hasSetup);
    const PluginRecord& setup = bench.Record("setup_only.so");
    EXPECT_EQ(setup.type, 7);  // an unknown type is kept
    EXPECT_FALSE(setup.hasRun);
    EXPECT_TRUE(setup.hasSetup);
    EXPECT_FALSE(runner.faulted);
}

TEST(PluginHost, AnEmptyOrMissingFolderLeavesNothingToLoadOrShow) {
    PluginBench bench;
    PluginHost& host = bench.Load();
    EXPECT_TRUE(host.Plugins().empty());
    EXPECT_TRUE(host.BuildPluginMenu(LanguageTable{}).empty());
    fs::remove(bench.root.Path() + "plugins");
    host.LoadPlugins();
    EXPECT_TRUE(host.Plugins().empty());
    EXPECT_FALSE(host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "hi"}));
    EXPECT_EQ(host.RunPluginHandler(5, {"bob", "alice", "hi"}), "hi");
}

TEST(PluginHost, StopsReadingTheFolderOnceItHoldsMoreThanTwoHundred) {
    PluginBench bench;
    bench.Add("notify_a");
    // Links to one library: cheap, and each still counts as a file of the folder.
    for (int i = 0; i < 210; ++i)
        fs::create_symlink(bench.root.Path() + "plugins/notify_a.so",
                           bench.root.Path() + "plugins/n" + std::to_string(i) + ".so");
    PluginHost& host = bench.Load();
    EXPECT_EQ(host.Plugins().size(), 201u);
    EXPECT_EQ(host.Plugins().back().id, 201);
    const std::vector<std::string> lines = bench.LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("LoadLibrary") != l.npos; }), 201);
}

TEST(PluginHost, ALibraryWithoutDescriptionLeavesOnlyItsLoadLineAndABrokenOneItsFailure) {
    PluginBench bench;
    bench.Add("no_info");
    PluginHost& host = bench.Load();
    EXPECT_TRUE(host.Plugins().empty());
    EXPECT_EQ(bench.LogLines(), (std::vector<std::string>{kUnloadStart, kUnloadEnd, LoadLine("no_info.so")}));

    PluginBench broken;
    broken.root.Write("plugins/broken.so", "\x7F" "ELF but not really");
    EXPECT_TRUE(broken.Load().Plugins().empty());
    EXPECT_EQ(broken.LogLines(), (std::vector<std::string>{kUnloadStart, kUnloadEnd, LoadLine("broken.so"),
                                                           LoadLine("broken.so") + " FAILED"}));
}

TEST(PluginHost, ADescriptionThatThrowsIsReportedAndTheRestStillLoads) {
    PluginBench bench;
    bench.Add("info_throws");
    bench.Add("notify_a");
    PluginHost& host = bench.Load();
    ASSERT_EQ(host.Plugins().size(), 1u);
    EXPECT_EQ(host.Plugins()[0].fileName, "notify_a.so");
    EXPECT_EQ(host.Plugins()[0].id, 1);
    const std::vector<std::string> lines = bench.LogLines();
    const auto at = std::find(lines.begin(), lines.end(), LoadLine("info_throws.so"));
    ASSERT_NE(at, lines.end());
    ASSERT_GE(lines.end() - at, 4);
    EXPECT_EQ(at[1], ":::Call \"GetPluginInfo\" in plugin info_throws.so FAILED");
    EXPECT_EQ(at[2], ":::incompartible plugin");
    EXPECT_EQ(at[3], ":::please delete this file info_throws.so from plugins directory");
}

TEST(PluginHost, AFaultInAProcedureSwitchesThatPlugInOffForTheRunOnly) {
    PluginBench bench;
    bench.Add("run_faults");
    bench.Enable("run_faults.so");
    PluginHost& host = bench.Load();
    const int id = bench.IdOf("run_faults.so");

    EXPECT_TRUE(host.OnCommand(kPluginRunCommand + id, "alice"));
    EXPECT_EQ(bench.LogLines().back(), ":::Call \"GetPluginRunProc\" in plugin run_faults.so FAILED");
    EXPECT_EQ(bench.Calls(), std::vector<std::string>{"run_faults GetPluginRunProc alice||"});
    EXPECT_TRUE(host.Plugins()[0].faulted);
    EXPECT_EQ(host.Plugins()[0].enabled, 0);
    EXPECT_EQ(ReadIniValue(kProfile, "PLUGINS", "run_faults.so"), "1");  // the user's choice stays

    // Not called again in any way, and switching it on again does nothing.
    bench.ForgetCalls();
    const size_t logged = bench.LogLines().size();
    EXPECT_FALSE(host.CallPluginProc("GetPluginSetupProc", id, "alice"));
    EXPECT_FALSE(host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "hi"}));
    host.TogglePlugin(id, "alice");
    EXPECT_EQ(host.Plugins()[0].enabled, 0);
    EXPECT_TRUE(bench.Calls().empty());
    EXPECT_EQ(bench.LogLines().size(), logged);
}

TEST(PluginHost, AFaultInANotificationEndsTheWalkAndTheNextOneGoesOnWithoutIt) {
    PluginBench bench;
    bench.Add("run_faults", "a_run_faults.so");
    bench.Add("notify_b");
    bench.Enable("a_run_faults.so");
    bench.Enable("notify_b.so");
    setenv("ZC_TEST_BUBBLE_FAULTS", "1", 1);
    PluginHost& host = bench.Load();
    const bool faultyFirst = host.Plugins()[0].fileName == "a_run_faults.so";

    EXPECT_FALSE(host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "hi"}));
    EXPECT_TRUE(bench.Record("a_run_faults.so").faulted);
    // A blank follows the first double quote in this line.
    EXPECT_EQ(bench.LogLines().back(), ":::Call \" ShowTipBubble\" in plugin a_run_faults.so FAILED");
    const std::vector<std::string> calls = bench.Calls();
    EXPECT_EQ(calls.size(), faultyFirst ? 1u : 2u);  // nothing after the fault
    EXPECT_EQ(calls.back(), "run_faults ShowTipBubble bob|alice|hi");

    setenv("ZC_TEST_NOTIFY_HANDLES", "notify_b", 1);
    bench.ForgetCalls();
    EXPECT_TRUE(host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "again"}));
    EXPECT_EQ(bench.Calls(), std::vector<std::string>{"notify_b ShowTipBubble bob|alice|again"});
}

TEST(PluginHost, AHandlerThatDividesByZeroKeepsTheTextFromBeforeIt) {
    PluginBench bench;
    bench.Add("handler_fpe");
    bench.Enable("handler_fpe.so");
    PluginHost& host = bench.Load();
    EXPECT_EQ(host.RunPluginHandler(5, {"bob", "alice", "hello"}), "hello");
    EXPECT_EQ(bench.LogLines().back(), ":::Call \"PluginHandler\" in plugin handler_fpe.so FAILED");
    EXPECT_TRUE(host.Plugins()[0].faulted);
    bench.ForgetCalls();
    EXPECT_EQ(host.RunPluginHandler(5, {"bob", "alice", "second"}), "second");
    EXPECT_TRUE(bench.Calls().empty());
}

TEST(PluginHost, InitHandsEveryEnabledPlugInTheHostAndSurvivesAFault) {
    PluginBench bench;
    bench.Add("setup_only");
    bench.Add("notify_a");
    bench.Enable("setup_only.so");
    PluginHost& host = bench.Load();
    host.InitPlugins();
    EXPECT_EQ(bench.Calls(), std::vector<std::string>{"setup_only GetPluginInit version=1 window=" +
                                                      std::to_string(0x4C0001)});

    PluginBench faulty;
    faulty.Add("setup_only");
    faulty.Enable("setup_only.so");
    setenv("ZC_TEST_INIT_FAULTS", "setup_only", 1);
    PluginHost& other = faulty.Load();
    other.InitPlugins();
    EXPECT_EQ(faulty.LogLines().back(), ":::Call GetPluginInit in plugin setup_only.so FAILED");
    EXPECT_TRUE(other.Plugins()[0].faulted);
}

TEST(PluginHost, NotificationsGoInListOrderUntilOneIsHandled) {
    PluginBench bench;
    bench.Add("notify_a");
    bench.Add("notify_b");
    bench.Add("run_faults");  // type 3 too, but switched off
    bench.Add("filter_tag");  // switched on, but no notification plug-in
    bench.Enable("notify_a.so");
    bench.Enable("notify_b.so");
    bench.Enable("filter_tag.so");
    PluginHost& host = bench.Load();
    std::vector<std::string> names;
    for (const PluginRecord& r : host.Plugins())
        if (r.enabled && r.type == 3) names.push_back(r.name);
    ASSERT_EQ(names.size(), 2u);
    const PluginRequest request{"bob", "alice", "hi"};
    const std::string first = names[0] + " ShowTipBubble bob|alice|hi", second = names[1] + " ShowTipBubble bob|alice|hi";

    setenv("ZC_TEST_NOTIFY_HANDLES", names[1].c_str(), 1);
    EXPECT_TRUE(host.CallNotifyPlugins("ShowTipBubble", request));
    EXPECT_EQ(bench.Calls(), (std::vector<std::string>{first, second}));

    bench.ForgetCalls();
    setenv("ZC_TEST_NOTIFY_HANDLES", names[0].c_str(), 1);
    EXPECT_TRUE(host.CallNotifyPlugins("ShowTipBubble", request));
    EXPECT_EQ(bench.Calls(), std::vector<std::string>{first});

    bench.ForgetCalls();
    unsetenv("ZC_TEST_NOTIFY_HANDLES");
    EXPECT_FALSE(host.CallNotifyPlugins("ShowTipBubble", request));
    EXPECT_EQ(bench.Calls(), (std::vector<std::string>{first, second}));

    bench.ForgetCalls();
    EXPECT_FALSE(host.CallNotifyPlugins("NoSuchProcedure", request));
    EXPECT_TRUE(bench.Calls().empty());
}

TEST(PluginHost, DesktopNotificationsAreOnByDefaultAheadOfTheBubbleUntilSwitchedOff) {
    PluginBench bench;
    bench.Add("notify_b", "tipbubble.so");
    bench.Add("notify_a", "desktopnotify.so");
    bench.Enable("tipbubble.so");
    PluginHost& host = bench.Load();
    ASSERT_EQ(host.Plugins()[0].fileName, "desktopnotify.so");
    EXPECT_EQ(host.Plugins()[0].enabled, 1);
    // Without a notification server the desktop's plug-in declines and the bubble shows it.
    setenv("ZC_TEST_NOTIFY_HANDLES", "notify_b", 1);
    EXPECT_TRUE(host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "hi"}));
    EXPECT_EQ(bench.Calls(), (std::vector<std::string>{"notify_a ShowTipBubble bob|alice|hi",
                                                       "notify_b ShowTipBubble bob|alice|hi"}));
    // The user's off outlasts a restart; on again is stored as any switch is.
    host.TogglePlugin(1, "alice");
    host.LoadPlugins();
    EXPECT_EQ(host.Plugins()[0].enabled, 0);
    host.TogglePlugin(1, "alice");
    host.LoadPlugins();
    EXPECT_EQ(host.Plugins()[0].enabled, 1);
    EXPECT_EQ(ReadIniValue(kProfile, "PLUGINS", "desktopnotify.so"), "1");
}

TEST(PluginHost, APlugInReachesTheChatThroughItsHost) {
    PluginBench bench;
    bench.Add("notify_a");
    bench.Enable("notify_a.so");
    setenv("ZC_TEST_NOTIFY_POSTS", "notify_a", 1);
    PluginHost& host = bench.Load();
    host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "hi"});
    ASSERT_EQ(bench.posted.size(), 1u);
    EXPECT_EQ(bench.posted[0].kind, 7);
    EXPECT_EQ(bench.posted[0].title, "from notify_a");
    EXPECT_EQ(bench.posted[0].text, "hi");
    EXPECT_EQ(bench.broughtToFront, 1);
}

TEST(PluginHost, FiltersPassTheirChangesOnEvenWhenNotHandled) {
    PluginBench bench;
    bench.Add("filter_tag", "tag_one.so");
    bench.Add("filter_tag", "tag_two.so");
    bench.Add("answerer");
    bench.Enable("tag_one.so");
    bench.Enable("tag_two.so");
    bench.Enable("answerer.so");
    PluginHost& host = bench.Load();
    EXPECT_EQ(host.RunPluginHandler(5, {"bob", "alice", "hi"}), "[bob] [bob] hi");
    const std::vector<std::string> calls = bench.Calls();
    ASSERT_EQ(calls.size(), 2u);  // the answerer is no filter
    EXPECT_EQ(calls[0], "filter_tag PluginHandler bob|alice|hi");
    EXPECT_EQ(calls[1], "filter_tag PluginHandler bob|alice|[bob] hi");
    EXPECT_TRUE(bench.sent.empty());
}

TEST(PluginHost, AnAnswerIsSentOnceAsTypedAndTheCallerToldSo) {
    PluginBench bench;
    bench.Add("answerer");
    bench.Enable("answerer.so");
    PluginHost& host = bench.Load();
    EXPECT_EQ(host.RunPluginHandler(1, {"bob", "alice", "hi"}), kPluginTypeCallback);
    EXPECT_EQ(bench.sent, std::vector<std::string>{"bob: alice is away"});
    // Switched off it answers nothing, and the text comes back as it was.
    host.TogglePlugin(bench.IdOf("answerer.so"), "alice");
    EXPECT_EQ(host.RunPluginHandler(1, {"bob", "alice", "hi"}), "hi");
    EXPECT_EQ(bench.sent.size(), 1u);
}

TEST(PluginHost, SwitchingStoresTheStateAndCallsTheSwitchProcedures) {
    PluginBench bench;
    bench.Add("run_faults", "run faults.so");
    PluginHost& host = bench.Load();
    const int id = bench.IdOf("run faults.so");
    EXPECT_TRUE(host.OnCommand(kPluginToggleCommand + id, "alice"));
    EXPECT_EQ(host.Plugins()[0].enabled, 1);
    EXPECT_EQ(ReadIniValue(kProfile, "PLUGINS", "runfaults.so"), "1");
    host.TogglePlugin(id, "alice");
    EXPECT_EQ(host.Plugins()[0].enabled, 0);
    EXPECT_EQ(bench.root.Read(kProfile).find("runfaults"), std::string::npos);  // the key is gone
    EXPECT_EQ(bench.Calls(), (std::vector<std::string>{"run_faults GetPluginCheckOnProc alice||",
                                                       "run_faults GetPluginCheckOffProc alice||"}));
    // The stored state is what the next start reads.
    host.TogglePlugin(id, "alice");
    host.LoadPlugins();
    EXPECT_EQ(host.Plugins()[0].enabled, 1);
}

TEST(PluginHost, StateKeysDropBlanksAndShortOrUnsafeOnesAreNeverWritten) {
    TempRoot root(false);
    EXPECT_EQ(PluginStateKey(" my  plug in.so"), "myplugin.so");
    EXPECT_FALSE(IsStorablePluginKey("ab"));
    EXPECT_TRUE(IsStorablePluginKey("abc"));
    EXPECT_FALSE(IsStorablePluginKey("a=b.so"));
    EXPECT_FALSE(IsStorablePluginKey("x.so\n[INFO]"));

    root.Write("p.cfg", "[PLUGINS]\r\nab=1\r\n");
    EXPECT_TRUE(ReadPluginState("p.cfg", "a b"));  // read, but never written
    WritePluginState("p.cfg", "a b", false);
    WritePluginState("p.cfg", "x y", true);
    WritePluginState("p.cfg", "a=b.so", true);
    EXPECT_EQ(root.Read("p.cfg"), "[PLUGINS]\r\nab=1\r\n");
    WritePluginState("p.cfg", "ok.so", true);
    EXPECT_TRUE(ReadPluginState("p.cfg", "ok.so"));
    root.Write("p.cfg", "[PLUGINS]\r\nok.so=0\r\n");
    EXPECT_TRUE(ReadPluginState("p.cfg", "ok.so"));
    WritePluginState("p.cfg", "ok.so", false);
    EXPECT_FALSE(ReadPluginState("p.cfg", "ok.so"));
    EXPECT_FALSE(ReadPluginState("missing.cfg", "ok.so"));
}

TEST(PluginHost, MenuProceduresNeedARunProcedureButNotTheSwitch) {
    PluginBench bench;
    bench.Add("setup_only");
    bench.Add("run_faults");
    PluginHost& host = bench.Load();  // both switched off
    const int setupOnly = bench.IdOf("setup_only.so"), runner = bench.IdOf("run_faults.so");

    EXPECT_TRUE(host.OnCommand(kPluginSetupCommand + setupOnly, "alice"));
    EXPECT_FALSE(host.CallPluginProc("GetPluginSetupProc", setupOnly, "alice"));
    EXPECT_TRUE(bench.Calls().empty());

    EXPECT_TRUE(host.CallPluginProc("GetPluginSetupProc", runner, "alice"));
    EXPECT_EQ(bench.Calls(), std::vector<std::string>{"run_faults GetPluginSetupProc alice||"});
    EXPECT_FALSE(host.CallPluginProc("NoSuchProcedure", runner, "alice"));
    for (int bad : {0, -1, 3, 1000}) EXPECT_FALSE(host.CallPluginProc("GetPluginSetupProc", bad, "alice")) << bad;
    EXPECT_EQ(bench.Calls().size(), 1u);
}

TEST(PluginHost, EachSubMenuOffersWhatThePlugInHas) {
    PluginBench bench;
    bench.root.Write("language/lang_test.cfg",
                     "[STRINGS]\r\nSTR0=Plug-ins\r\nSTR124=Run it\r\nSTR125=Set up\r\nSTR126=Switch on\r\nSTR127=Switch off\r\n");
    LanguageTable language;
    ASSERT_TRUE(language.LoadLanguageFile("test", bench.log));
    bench.Add("run_faults");
    bench.Add("setup_only");
    bench.Add("notify_a");
    bench.Enable("notify_a.so");
    PluginHost& host = bench.Load();
    const std::vector<PluginMenu> menus = host.BuildPluginMenu(language);
    ASSERT_EQ(menus.size(), 3u);

    const int runner = bench.IdOf("run_faults.so"), setup = bench.IdOf("setup_only.so"), notify = bench.IdOf("notify_a.so");
    const PluginMenu& full = menus[runner - 1];
    EXPECT_EQ(full.name, "Run faults");
    EXPECT_FALSE(full.checked);
    ASSERT_EQ(full.items.size(), 4u);
    EXPECT_EQ(full.items[0].command, kPluginToggleCommand + runner);
    EXPECT_EQ(full.items[0].caption, "Switch on");
    EXPECT_EQ(full.items[1].command, kPluginRunCommand + runner);
    EXPECT_EQ(full.items[1].caption, "Run it");
    EXPECT_EQ(full.items[2].command, 0);
    EXPECT_EQ(full.items[3].command, kPluginSetupCommand + runner);
    EXPECT_EQ(full.items[3].caption, "Set up");

    const PluginMenu& setupMenu = menus[setup - 1];
    ASSERT_EQ(setupMenu.items.size(), 3u);  // no run item, but the setup item shows
    EXPECT_EQ(setupMenu.items[1].command, 0);
    EXPECT_EQ(setupMenu.items[2].command, kPluginSetupCommand + setup);

    const PluginMenu& on = menus[notify - 1];
    EXPECT_TRUE(on.checked);
    ASSERT_EQ(on.items.size(), 1u);
    EXPECT_EQ(on.items[0].caption, "Switch off");
}

TEST(PluginHost, CommandNumbersGoToTheirRangeAndSharedEndsToTheEarlierOne) {
    PluginBench bench;
    bench.Add("run_faults");
    PluginHost& host = bench.Load();
    ASSERT_EQ(bench.IdOf("run_faults.so"), 1);

    EXPECT_FALSE(host.OnCommand(kPluginToggleCommand - 1, "alice"));
    EXPECT_FALSE(host.OnCommand(kPluginCommandEnd + 1, "alice"));
    EXPECT_TRUE(host.OnCommand(kPluginToggleCommand, "alice"));  // in range, names no plug-in
    EXPECT_EQ(host.Plugins()[0].enabled, 0);
    for (int shared : {kPluginRunCommand, kPluginSetupCommand, kPluginCommandEnd})
        EXPECT_TRUE(host.OnCommand(shared, "alice")) << shared;
    EXPECT_TRUE(bench.Calls().empty());

    EXPECT_TRUE(host.OnCommand(kPluginToggleCommand + 1, "alice"));
    EXPECT_EQ(host.Plugins()[0].enabled, 1);
    EXPECT_TRUE(host.OnCommand(kPluginSetupCommand + 1, "bob"));
    EXPECT_EQ(bench.Calls(), (std::vector<std::string>{"run_faults GetPluginCheckOnProc alice||",
                                                       "run_faults GetPluginSetupProc bob||"}));
}

TEST(PluginHost, UnloadingFreesLastToFirstBetweenItsTwoLines) {
    PluginBench bench;
    bench.Add("notify_a");
    bench.Add("notify_b");
    PluginHost& host = bench.Load();
    const std::string first = host.Plugins()[0].name, second = host.Plugins()[1].name;
    const size_t before = bench.LogLines().size();
    host.UnloadPlugins();
    EXPECT_TRUE(host.Plugins().empty());
    EXPECT_EQ(bench.Calls(), (std::vector<std::string>{second + " unloaded", first + " unloaded"}));
    const std::vector<std::string> lines = bench.LogLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end()),
              (std::vector<std::string>{kUnloadStart, kUnloadEnd}));

    // The host's end unloads as well.
    host.LoadPlugins();
    bench.ForgetCalls();
    bench.host.reset();
    EXPECT_EQ(bench.Calls().size(), 2u);
    EXPECT_EQ(bench.LogLines().back(), kUnloadEnd);
}

// Faulting inside the loader leaves it in a state no later test should share: in a child.
TEST(PluginHostDeathTest, AFaultWhileFreeingIsReportedAndUnloadingGoesOn) {
    EXPECT_EXIT(
        {
            PluginBench bench;
            bench.Add("unload_faults");
            bench.Load().UnloadPlugins();
            const std::vector<std::string> lines = bench.LogLines();
            const bool ok = lines.size() >= 3 &&
                            lines[lines.size() - 2] == ":::Call \"FreeLibrary\" in plugin unload_faults.so global FAILED" &&
                            lines.back() == kUnloadEnd;
            std::_Exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(PluginHost, TheExamplePlugInPrintsNotificationsAndPostsOneWhenRun) {
    PluginBench bench;
    fs::copy_file(ZC_HELLO_PLUGIN, bench.root.Path() + "plugins/hello.so");
    bench.Enable("hello.so");
    PluginHost& host = bench.Load();
    ASSERT_EQ(host.Plugins().size(), 1u);
    EXPECT_EQ(host.Plugins()[0].name, "Hello");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(host.CallNotifyPlugins("ShowTipBubble", {"bob", "alice", "hi there"}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "hello: bob: hi there\n");
    EXPECT_TRUE(host.OnCommand(kPluginRunCommand + 1, "alice"));
    ASSERT_EQ(bench.posted.size(), 1u);
    EXPECT_EQ(bench.posted[0].title, "Hello");
    EXPECT_EQ(bench.posted[0].text, "Hello from the example plug-in");
}

namespace {
std::atomic<int> gForwarded = 0;
void CountSignal(int) { ++gForwarded; }

__attribute__((noinline)) int Deep(int depth) {
    volatile char pad[512];
    pad[0] = static_cast<char>(depth);
    if (depth > 100000000) return 0;
    return Deep(depth + 1) + pad[0];
}
}  // namespace

TEST(PluginGuard, CatchesThrowsFaultsAndOverflowsAndPutsThePreviousHandlersBack) {
    struct sigaction mine = {}, seen = {};
    mine.sa_handler = CountSignal;
    sigemptyset(&mine.sa_mask);
    struct sigaction saved;
    sigaction(SIGFPE, &mine, &saved);

    EXPECT_EQ(RunGuarded([] {}), GuardOutcome::Returned);
    EXPECT_EQ(RunGuarded([] { throw 42; }), GuardOutcome::Threw);
    EXPECT_EQ(RunGuarded([] { *static_cast<volatile int*>(nullptr) = 1; }), GuardOutcome::Signalled);
    EXPECT_EQ(LastGuardSignal(), SIGSEGV);
    EXPECT_EQ(RunGuarded([] { raise(SIGFPE); }), GuardOutcome::Signalled);
    EXPECT_EQ(LastGuardSignal(), SIGFPE);
    EXPECT_EQ(RunGuarded([] { Deep(0); }), GuardOutcome::Signalled);
    // Caught twice in a row: the signal is not left blocked.
    EXPECT_EQ(RunGuarded([] { raise(SIGILL); }), GuardOutcome::Signalled);
    EXPECT_EQ(RunGuarded([] { raise(SIGILL); }), GuardOutcome::Signalled);
    // abort(), as a failed assertion ends: caught, and its own handler is back afterwards.
    struct sigaction abortBefore = {}, abortAfter = {};
    sigaction(SIGABRT, nullptr, &abortBefore);
    EXPECT_EQ(RunGuarded([] { abort(); }), GuardOutcome::Signalled);
    EXPECT_EQ(LastGuardSignal(), SIGABRT);
    EXPECT_EQ(RunGuarded([] { abort(); }), GuardOutcome::Signalled);
    sigaction(SIGABRT, nullptr, &abortAfter);
    EXPECT_EQ(abortAfter.sa_handler, abortBefore.sa_handler);
    // An inner guard catches its own fault; the outer call goes on.
    bool after = false;
    EXPECT_EQ(RunGuarded([&] {
                  EXPECT_EQ(RunGuarded([] { raise(SIGBUS); }), GuardOutcome::Signalled);
                  after = true;
              }),
              GuardOutcome::Returned);
    EXPECT_TRUE(after);

    // Another thread's signal during a guarded call is not the call's.
    EXPECT_EQ(RunGuarded([] { std::thread([] { raise(SIGFPE); }).join(); }), GuardOutcome::Returned);
    EXPECT_EQ(gForwarded, 1);

    // Outside a guarded call the signal is the previous handler's again.
    sigaction(SIGFPE, nullptr, &seen);
    EXPECT_EQ(seen.sa_handler, &CountSignal);
    raise(SIGFPE);
    EXPECT_EQ(gForwarded, 2);
    sigaction(SIGFPE, &saved, nullptr);
}

}  // namespace zc
