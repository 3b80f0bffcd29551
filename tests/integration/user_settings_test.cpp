// A user's own sounds and colours as the user menu stores them, heard and seen when that user
// writes; the menu's ignore items; names from peers that cannot become settings keys.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/ini_file.h"
#include "net/notify_event.h"
#include "platform/window_commands.h"
#include "services/user_overrides.h"
#include "support/lan_host.h"
#include "support/temp_root.h"

namespace zc {
namespace {

constexpr char kProfile[] = "profiles/default.cfg";

bool Heard(const test::Host& host, const std::string& file) {
    const auto& sounds = host.chat.shell.sounds;
    return std::find(sounds.begin(), sounds.end(), file) != sounds.end();
}

}  // namespace

TEST(UserOverrides, SoundsGoUnderTheKeyTheChatReadsAndCanBeRemoved) {
    test::TempRoot root;
    ASSERT_TRUE(WriteUserSound(kProfile, "Bob Smith", 12, "psst.wav"));
    EXPECT_EQ(ReadIniValue(kProfile, "OVERRIDE", "BobSmith_SND_12"), "psst.wav");
    EXPECT_EQ(ReadUserSound(kProfile, "Bob Smith", 12), "psst.wav");
    EXPECT_EQ(EventSoundFile(kProfile, NotifyEvent::Private, "Bob Smith"), "sound/psst.wav");
    // Only that event of that user.
    EXPECT_EQ(EventSoundFile(kProfile, NotifyEvent::Alert, "Bob Smith"), "sound/alert.wav");
    EXPECT_EQ(EventSoundFile(kProfile, NotifyEvent::Private, "Carol"), "sound/private.wav");

    ASSERT_TRUE(WriteUserSound(kProfile, "Bob Smith", 12, ""));
    EXPECT_EQ(EventSoundFile(kProfile, NotifyEvent::Private, "Bob Smith"), "sound/private.wav");
    EXPECT_EQ(root.Read(kProfile).find("BobSmith_SND_12"), std::string::npos);
}

TEST(UserOverrides, RefusedSoundEntriesLeaveTheProfileAlone) {
    test::TempRoot root;
    const std::string before = root.Read(kProfile);
    // Files outside sound/, too short for the chat to play, or breaking the line.
    for (const std::string file : {"../x.wav", "sub/x.wav", "..\\x.wav", "c:x.wav", "x.wa", "a\r\nSND_0=b.wav",
                                   " lead.wav", "..", "tab\t.wav"})
        EXPECT_FALSE(WriteUserSound(kProfile, "Bob", 0, file)) << file;
    // Events beyond the list, and a name with nothing left for a key.
    EXPECT_FALSE(WriteUserSound(kProfile, "Bob", kUserSoundEvents, "bell.wav"));
    EXPECT_FALSE(WriteUserSound(kProfile, "Bob", -1, "bell.wav"));
    EXPECT_FALSE(WriteUserSound(kProfile, " =[];\r\n", 0, "bell.wav"));
    EXPECT_EQ(root.Read(kProfile), before);

    // A name built to start a section of its own only loses those characters.
    ASSERT_TRUE(WriteUserSound(kProfile, "Eve\r\n[SOUND]\r\nSND_0=evil.wav", 0, "bell.wav"));
    EXPECT_EQ(ReadIniValue(kProfile, "SOUND", "SND_0"), "message.wav");
    EXPECT_EQ(ReadIniValue(kProfile, "OVERRIDE", "EveSOUNDSND_0=evil.wav_SND_0"), "");
    EXPECT_EQ(ReadUserSound(kProfile, "Eve\r\n[SOUND]\r\nSND_0=evil.wav", 0), "bell.wav");
    EXPECT_EQ(test::Count(root.Read(kProfile), "[SOUND]"), 1u);
}

TEST(UserOverrides, ColoursAreHtmlColoursUnderNamesThatStayKeys) {
    test::TempRoot root;
    ASSERT_TRUE(WriteUserColour(kProfile, "Bob", UserColour::Name, "#ff0000"));
    ASSERT_TRUE(WriteUserColour(kProfile, "Bob", UserColour::Message, "#00A0ff"));
    EXPECT_EQ(ReadIniValue(kProfile, "OVERRIDE", "BobNAMECOLOR"), "#ff0000");
    EXPECT_EQ(ReadIniValue(kProfile, "OVERRIDE", "BobMESSAGECOLOR"), "#00A0ff");
    EXPECT_EQ(ReadUserColour(kProfile, "Bob", UserColour::Message), "#00A0ff");
    ASSERT_TRUE(WriteUserColour(kProfile, "Bob", UserColour::Name, ""));
    EXPECT_EQ(ReadUserColour(kProfile, "Bob", UserColour::Name), "");
    EXPECT_EQ(ReadUserColour(kProfile, "Bob", UserColour::Message), "#00A0ff");

    // A value written by hand that is no colour is not offered back.
    WriteIniValue(kProfile, "OVERRIDE", "CarolNAMECOLOR", "red;x");
    EXPECT_EQ(ReadUserColour(kProfile, "Carol", UserColour::Name), "");

    const std::string before = root.Read(kProfile);
    for (const std::string colour : {"red", "#12345", "#1234567", "#12345g", "ff0000#", "#ff0000\r\n"})
        EXPECT_FALSE(WriteUserColour(kProfile, "Bob", UserColour::Name, colour)) << colour;
    for (const std::string name : {"", "Eve=1", "Eve]", "[Eve", "Eve;", "Eve\r\n[GLOBAL]", "Eve\t", " Eve", "Eve "})
        EXPECT_FALSE(WriteUserColour(kProfile, name, UserColour::Name, "#000000")) << name;
    EXPECT_EQ(root.Read(kProfile), before);
    // Blanks inside a name are part of its key, as the chat reads it.
    EXPECT_TRUE(IsStorableColourName("Bob Smith"));
}

using UserMenuLan = test::ThreeHosts;

// What the menu stores is what Alice hears and sees when Bob writes; Carol stays as she was.
TEST_F(UserMenuLan, BobsOwnSoundAndColoursReachAlicesChat) {
    alice.dlg();
    ASSERT_TRUE(WriteUserSound(kProfile, "Bob", static_cast<int>(NotifyEvent::Sound), "bell.wav"));
    ASSERT_TRUE(WriteUserColour(kProfile, "Bob", UserColour::Name, "#ff0000"));
    ASSERT_TRUE(WriteUserColour(kProfile, "Bob", UserColour::Message, "#0000ff"));
    ASSERT_TRUE(bob.dlg().SendChatMessage("SOUND->Alice"));
    ASSERT_TRUE(carol.dlg().SendChatMessage("SOUND->Alice"));
    ASSERT_TRUE(bob.dlg().SendChatMessage("blue words"));
    ASSERT_TRUE(carol.dlg().SendChatMessage("plain words"));
    lan.Pump();
    EXPECT_TRUE(Heard(alice, "sound/bell.wav"));
    EXPECT_TRUE(Heard(alice, "sound/sound.wav"));  // Carol's signal keeps the profile's sound
    const std::string body = alice.Body();
    EXPECT_NE(body.find("style=\"color:#0000ff\">blue words</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("style=\"color='#ff0000'\" class=\"username\">&lt;Bob&gt;"), std::string::npos);
    EXPECT_NE(body.find("<span>plain words</span>"), std::string::npos);
}

// The three ignore items each put Bob on the list when he is not on it and take him off when
// he is; each change shows a line naming him, and his messages stop and come back.
TEST_F(UserMenuLan, IgnoreItemsToggleTheUsersEntry) {
    const std::string ignoreText = alice.dlg().Language().LangString(50) + " \"Bob\"";
    const std::string stopText = alice.dlg().Language().LangString(51) + " \"Bob\"";
    auto entry = [&] { return alice.dlg(), ReadIniValue(kProfile, "IGNORELIST", "10002"); };
    auto bobSays = [&](const std::string& text) {
        bob.dlg().SendChatMessage(text);
        lan.Pump();
        return alice.Body().find(text) != std::string::npos;
    };
    int step = 0;
    for (int command : {ID_USER_IGNORE_NAME, ID_USER_IGNORE_IP, ID_USER_IGNORE, ID_USER_IGNORE}) {
        const bool wasIgnored = !entry().empty();
        alice.dlg().OnUserCommand(command, "Bob");
        const std::string said = "message " + std::to_string(++step);
        EXPECT_EQ(entry().empty(), wasIgnored) << command;
        EXPECT_EQ(bobSays(said), wasIgnored) << command;
        EXPECT_EQ(test::Count(alice.Body(), ignoreText), static_cast<size_t>((step + 1) / 2));
        EXPECT_EQ(test::Count(alice.Body(), stopText), static_cast<size_t>(step / 2));
    }
    // Carol was never touched; a name the list does not know changes nothing.
    const std::string before = (alice.dlg(), alice.root.Read(kProfile));
    alice.dlg().OnUserCommand(ID_USER_IGNORE, "Nobody");
    EXPECT_EQ((alice.dlg(), alice.root.Read(kProfile)), before);
    EXPECT_TRUE(bobSays("heard again"));
}

}  // namespace zc
