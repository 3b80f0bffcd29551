// The chat's side of the window's failure paths: users addressed from the menu whatever their
// names hold, a skin change that cannot be applied, and what the end of the chat leaves behind.
#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

TEST_F(ThreeHosts, MenuAddressingSkinFailureAndTheEnd) {
    const std::string bobId = alice.dlg().Roster().IdOfName("Bob");
    const std::string carolId = alice.dlg().Roster().IdOfName("Carol");
    // Names as other programs may send them: no typed "MSG->" form can carry either.
    alice.dlg().Roster().Rename(bobId, "Bo:b", "Bo:b");
    alice.dlg().Roster().Rename(carolId, "www.carol", "www.carol");

    alice.dlg().AddressFromMenu(ID_USER_MESSAGE, bobId);
    EXPECT_EQ(alice.chat.window.InputText(), "MSG->Bo:b:");
    EXPECT_TRUE(alice.dlg().SendChatMessage(alice.chat.window.InputText() + "secret plan"));
    lan.Pump();
    EXPECT_NE(bob.Body().find("secret plan"), std::string::npos);
    EXPECT_EQ(bob.Body().find("b:secret plan"), std::string::npos);  // the name held no ":" on the wire

    alice.dlg().AddressFromMenu(ID_USER_ALERT, carolId);
    EXPECT_TRUE(alice.dlg().SendChatMessage(alice.chat.window.InputText() + "server down"));
    alice.dlg().AddressFromMenu(ID_USER_SOUND_SIGNAL, carolId);
    lan.Pump();
    ASSERT_EQ(carol.chat.dialogs.open.size(), 1u);
    EXPECT_EQ(carol.chat.dialogs.open[0].text, "server down");
    EXPECT_NE(carol.Body().find(carol.dlg().Language().LangString(67)), std::string::npos);

    // The editor names a theme that cannot be read: the pages and the theme stay, and a line
    // says why at once; the profile keeps the theme shown.
    const int pagesBefore = alice.chat.views.Created(ViewRole::ChatText);
    WriteIniValue(alice.dlg().User().ProfilePath(), "GLOBAL", "SKINSTHEME", "nosuch");
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "RELOAD", "ISKIN");
    alice.dlg().ApplyOptionsChange();
    EXPECT_EQ(alice.chat.views.Created(ViewRole::ChatText), pagesBefore);
    EXPECT_EQ(alice.dlg().Styles().theme, "def");
    EXPECT_EQ(ReadIniValue(alice.dlg().User().ProfilePath(), "GLOBAL", "SKINSTHEME"), "def");
    EXPECT_NE(alice.Body().find("\"nosuch\" cannot be used"), std::string::npos);

    // The end: Carol's open alert window goes unanswered, no timer is left to fire in the
    // program's last event loop, and the window is gone.
    carol.dlg().ShowFromTray();
    int armed = 0;
    for (int id = kLayoutTimer; id <= kPacingTimer; ++id) armed += carol.chat.timers.IsArmed(id);
    EXPECT_GT(armed, 0);
    const size_t sent = lan.Wire().size();
    carol.dlg().ExitMain();
    EXPECT_TRUE(carol.chat.dialogs.open.empty());
    for (int id = kLayoutTimer; id <= kPacingTimer; ++id) EXPECT_FALSE(carol.chat.timers.IsArmed(id)) << id;
    EXPECT_FALSE(carol.chat.window.IsWindowVisible());
    EXPECT_EQ(lan.Wire().size(), sent + 1);  // its exit, and no answer to the alert
}

}  // namespace zc
