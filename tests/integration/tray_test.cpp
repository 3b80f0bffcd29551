// The tray icon: flashing on events, its clicks and its menu.
#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

struct TrayHost : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};

    void Start(const char* flashSeconds) {
        alice.dlg();  // its folder is current
        WriteIniValue("system/zeltochat.ini", "GLOBAL", "FLASHICON", flashSeconds);
        alice.Start();
        ASSERT_TRUE(alice.chat.window.IsWindowVisible());
    }
    // A packet from a peer who is not running a chat of ours.
    void Receive(int command, const std::string& body, const std::string& target) {
        alice.dlg().OnPacketText(alice.dlg().Codec().EncodeText("10.0.0.66(0200000000AA)||Mallory||||" + target +
                                                                "||0||" + std::to_string(command) + "||" + body +
                                                                "//end"));
    }
    FakeTray& tray() { return alice.chat.tray; }
    std::string Title() { return alice.dlg().WindowTitle(); }
};

// Commands and captions of a menu level, a sub-menu by its caption.
std::vector<std::pair<int, std::string>> Lines(const std::vector<TrayMenuItem>& items) {
    std::vector<std::pair<int, std::string>> lines;
    for (const TrayMenuItem& item : items) lines.emplace_back(item.IsSeparator() ? -1 : item.command, item.text);
    return lines;
}

}  // namespace

TEST_F(TrayHost, PrivateMessageToAHiddenWindowFlashesItsPairUntilTheRoundedTimeIsPast) {
    Start("10");
    alice.dlg().OnTrayLeftClick();
    ASSERT_FALSE(alice.chat.window.IsWindowVisible());
    ASSERT_TRUE(alice.dlg().User().hidden);

    Receive(CMD_PRIVATE, "1:are you there?", alice.dlg().OwnId());
    ASSERT_TRUE(alice.dlg().TrayFlashing());
    EXPECT_EQ(alice.chat.timers.PeriodOf(kTrayFlashTimer), 200);
    const size_t before = tray().Icons().size();
    alice.chat.timers.Advance(199);
    EXPECT_EQ(tray().Icons().size(), before);  // the normal icon stays until the first step

    // Every 200 ms the other picture; at 10.4 s (rounds to 10) still flashing, at 10.6 s back.
    alice.chat.timers.Advance(10400 - 199);
    std::vector<int> expected;
    for (int tick = 1; tick <= 52; ++tick) expected.push_back(tick % 2 == 1 ? kTrayPrivateIcon + 1 : kTrayPrivateIcon);
    EXPECT_EQ(std::vector<int>(tray().Icons().begin() + static_cast<long>(before), tray().Icons().end()), expected);
    EXPECT_TRUE(alice.dlg().TrayFlashing());
    alice.chat.timers.Advance(200);
    EXPECT_EQ(tray().Icon(), kTrayNormalIcon);
    EXPECT_FALSE(alice.dlg().TrayFlashing());
    EXPECT_FALSE(alice.chat.timers.IsArmed(kTrayFlashTimer));
    EXPECT_EQ(tray().Icons().size(), before + 53);
}

TEST_F(TrayHost, FlashingLastsTheConfiguredTimeAndAClickStopsIt) {
    Start("5");
    alice.dlg().HideToTray();

    // A board message flashes the board pair for FLASHICON seconds.
    Receive(CMD_BOARD_MESSAGE,
            "1765188000.mes;<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n1765188000\n</CreateTime>\n"
            "<MessageCategory>\n1\n<UserName>\nMallory\n<IP>\n10.0.0.66\n<MessageDate>\n08-12-2025 10:00\n"
            "<MessageBody>\nhello",
            kEveryone);
    ASSERT_TRUE(alice.dlg().TrayFlashing());
    alice.chat.timers.Advance(400);
    EXPECT_EQ(tray().Icons().back(), kTrayBoardIcon);
    alice.chat.timers.Advance(5000);
    EXPECT_TRUE(alice.dlg().TrayFlashing());
    alice.chat.timers.Advance(200);
    EXPECT_FALSE(alice.dlg().TrayFlashing());
    EXPECT_EQ(tray().Icon(), kTrayNormalIcon);

    // A left click on the hidden chat stops the flashing at once, puts back the tip and shows it.
    Receive(CMD_PRIVATE, "1:psst", alice.dlg().OwnId());
    alice.chat.timers.Advance(200);
    ASSERT_EQ(tray().Icon(), kTrayPrivateIcon + 1);
    tray().SetTip("something else");
    const size_t sent = lan.Wire().size();
    alice.dlg().OnTrayLeftClick();
    EXPECT_FALSE(alice.dlg().TrayFlashing());
    EXPECT_EQ(tray().Icon(), kTrayNormalIcon);
    // The board message is still unread: the main page is the one shown.
    EXPECT_EQ(tray().Tip(), Title() + " (1)");
    EXPECT_TRUE(alice.chat.window.IsWindowVisible());
    EXPECT_FALSE(alice.dlg().User().hidden);
    EXPECT_EQ(alice.chat.timers.PeriodOf(kFocusInputTimer), 100);
    EXPECT_GT(lan.Wire().size(), sent);  // the peers learn the window is back
    const size_t shown = tray().Icons().size();
    alice.chat.timers.Advance(1000);
    EXPECT_EQ(tray().Icons().size(), shown);

    // An alert flashes even on a shown window; opening the menu stops it too.
    Receive(CMD_ALERT, "1:wake up", alice.dlg().OwnId());
    alice.chat.timers.Advance(200);
    ASSERT_EQ(tray().Icon(), kTrayAlertIcon + 1);
    tray().SetTip("something else");
    alice.dlg().OnTrayMenu();
    EXPECT_FALSE(alice.dlg().TrayFlashing());
    EXPECT_EQ(tray().Icon(), kTrayNormalIcon);
    EXPECT_EQ(tray().Tip(), Title() + " (1)");
    alice.dlg().ShowPage(PageMode::Board);
    EXPECT_EQ(tray().Tip(), Title());
}

TEST_F(TrayHost, MenuFollowsTheWindowAndCarriesOutItsCommands) {
    Start("10");
    const LanguageTable& lang = alice.dlg().Language();
    std::vector<TrayMenuItem> menu = alice.dlg().OnTrayMenu();
    const std::vector<std::pair<int, std::string>> shownWindow = {
        {ID_OPTIONS, "Options"}, {-1, ""}, {32823, "Hide"}, {-1, ""},    {32791, "About"}, {32827, "Write to support"},
        {32821, "Visit web site"}, {-1, ""}, {32785, "Exit"}, {-1, ""}, {0, "Chat mode"}};
    EXPECT_EQ(Lines(menu), shownWindow);
    ASSERT_EQ(menu.back().items.size(), 4u);
    for (int mode = 1; mode <= 4; ++mode) {
        const TrayMenuItem& item = menu.back().items[static_cast<size_t>(mode - 1)];
        EXPECT_EQ(item.command, 32785 + mode);
        EXPECT_EQ(item.text, alice.dlg().User().modes[static_cast<size_t>(mode - 1)].text);
        EXPECT_EQ(item.checked, mode == alice.dlg().User().mode);
    }
    EXPECT_EQ(menu[0].text, lang.LangString(35));

    // Hide, then the same place offers to show; a mode picked there becomes the chat's mode.
    alice.dlg().OnTrayCommand(menu[2].command);
    EXPECT_FALSE(alice.chat.window.IsWindowVisible());
    menu = alice.dlg().OnTrayMenu();
    EXPECT_EQ(Lines(menu)[2], (std::pair<int, std::string>{32822, "Show"}));
    alice.dlg().OnTrayCommand(menu.back().items[2].command);
    EXPECT_EQ(alice.dlg().User().mode, 3);
    menu = alice.dlg().OnTrayMenu();
    EXPECT_TRUE(menu.back().items[2].checked);
    EXPECT_FALSE(menu.back().items[0].checked);
    alice.dlg().OnTrayCommand(menu[2].command);
    EXPECT_TRUE(alice.chat.window.IsWindowVisible());

    alice.dlg().OnTrayCommand(32827);
    alice.dlg().OnTrayCommand(32821);
    ASSERT_EQ(alice.chat.shell.opened.size(), 2u);
    EXPECT_EQ(alice.chat.shell.opened[0], "mailto:support@zeltochat.example?subject=Zelto%20Chat%20v" +
                                              alice.dlg().VersionText());
    EXPECT_EQ(alice.chat.shell.opened[1], kProductWebPage);
    alice.dlg().OnTrayCommand(32791);
    ASSERT_FALSE(alice.chat.dialogs.open.empty());
    EXPECT_EQ(alice.chat.dialogs.open.back().caption, "About");
    EXPECT_NE(alice.chat.dialogs.open.back().text.find(Title()), std::string::npos);

    EXPECT_FALSE(alice.dlg().Ended());
    alice.dlg().OnTrayCommand(32785);
    EXPECT_TRUE(alice.dlg().Ended());
}

}  // namespace zc
