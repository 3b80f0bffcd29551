// The network, modes, sounds, groups and plug-in pages of the options editor: each writes its
// own keys and change flag, refuses what the chat could not use, and reads what the chat reads.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <functional>

#include "base/settings.h"
#include "net/net_settings.h"
#include "options/options_network.h"
#include "options/options_plugins.h"
#include "options/options_sounds_page.h"
#include "options/options_window.h"
#include "options_test_support.h"
#include "services/plugin_state.h"

namespace fs = std::filesystem;
namespace {

using namespace zc::options_test;

class OptionsPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        ini_ = "[GLOBAL]\r\nPROFILE=work\r\nLANGUAGE=english\r\n";
        profile_ =
            "[GLOBAL]\r\nMODE=1\r\n[INFO]\r\nCHATNAME=anna\r\n\r\n[NETWORK]\r\nINTERFACE=10.9.8.7\r\nPORT=9020\r\nTTL=4\r\n"
            "; a note of the user's\r\nMULTICASTGROUP=239.1.2.3\r\n\r\n"
            "[CHATMODE]\r\nCHATMODE1MSG=" + Cp("Здесь") + "\r\nCHATMODE2MSG=Busy\r\nCHATMODE2PRIVATE_SND=1\r\n\r\n"
            "[SOUND]\r\nSND_2=alert.wav\r\nSND_6=a.wv\r\n\r\n"
            "[GROUPS]\r\nGROUPON=0\r\nGROUP0=" + Cp("Друзья") + "\r\nGROUP1MASK=10.0.0.1-10.0.0.99\r\n\r\n"
            "[PLUGINS]\r\ntipbubble.so=1\r\n\r\n[OVERRIDE]\r\nannaNAMECOLOR=#ff0000\r\n";
        Reset();
        CopyLanguages(root_);
        WriteBytes(root_ + "/sound/alert.wav", "RIFF alert");
        WriteBytes(root_ + "/sound/enter.wav", "RIFF enter");
        WriteBytes(root_ + "/plugins/tipbubble.so", "ELF");
        WriteBytes(root_ + "/plugins/my plug.so", "ELF");
        WriteBytes(root_ + "/plugins/readme.txt", "not a plug-in");
    }
    void Reset() {
        WriteBytes(Ini(), ini_);
        WriteBytes(Profile(), profile_);
    }
    fs::path Ini() const { return root_ + "/system/zeltochat.ini"; }
    fs::path Profile() const { return root_ + "/profiles/work.cfg"; }
    template <class T>
    T* Child(zc::COptionsWindow& w, const QString& name) {
        T* c = w.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    std::string WithReload(const std::string& flags) const {
        return Replace(ini_, "LANGUAGE=english\r\n", "LANGUAGE=english\r\nRELOAD=" + flags + "\r\n");
    }

    QTemporaryDir dir_;
    std::string root_, ini_, profile_;
};

TEST_F(OptionsPages, EachPageWritesItsOwnKeysAndFlagAndKeepsEveryOtherLine) {
    struct Step {
        const char* what;
        std::function<void(zc::COptionsWindow&)> change;
        std::string profile;  // expected profile bytes
        std::string reload;   // expected RELOAD, empty for none
    };
    const std::vector<Step> steps = {
        {"network",
         [&](zc::COptionsWindow& w) {
             Child<QLineEdit>(w, "port")->setText("9030");
             Child<QLineEdit>(w, "ttl")->setText("16");
             Child<QComboBox>(w, "interface")->setCurrentIndex(0);  // automatic
             Child<QLineEdit>(w, "gateways")->setText(" 10.1.0.254 10.1.0.253 ");
         },
         Replace(Replace(Replace(Replace(profile_, "PORT=9020", "PORT=9030"), "TTL=4", "TTL=16"),
                         "INTERFACE=10.9.8.7\r\n", ""),
                 "MULTICASTGROUP=239.1.2.3\r\n", "MULTICASTGROUP=239.1.2.3\r\nGATEWAYS=10.1.0.254 10.1.0.253\r\n"),
         "INET;"},
        {"relay",
         [&](zc::COptionsWindow& w) {
             Child<QCheckBox>(w, "useServer")->setChecked(true);
             Child<QLineEdit>(w, "server")->setText("relay.lan");
         },
         Replace(profile_, "MULTICASTGROUP=239.1.2.3\r\n", "MULTICASTGROUP=239.1.2.3\r\nSERVERUSE=1\r\nSERVER=relay.lan\r\n"),
         "INET;"},
        {"modes",
         [&](zc::COptionsWindow& w) {
             Child<QLineEdit>(w, "modeText2")->setText(QString::fromUtf8("Занят"));
             Child<QCheckBox>(w, "mode2_PRIVATE_SND")->setChecked(false);
             // A line switch the file does not hold reads as on, so off must be written.
             auto* line = Child<QCheckBox>(w, "mode1_MESSAGE_TXT");
             EXPECT_TRUE(line->isChecked());
             line->setChecked(false);
         },
         Replace(Replace(profile_, "CHATMODE2MSG=Busy", "CHATMODE2MSG=" + Cp("Занят")), "CHATMODE2PRIVATE_SND=1\r\n",
                 "CHATMODE2PRIVATE_SND=0\r\nCHATMODE1MESSAGE_TXT=0\r\n"),
         "IMODE;"},
        {"sounds",
         [&](zc::COptionsWindow& w) {
             auto* alert = Child<QComboBox>(w, "sound2");
             EXPECT_EQ(alert->currentData().toString(), "alert.wav");
             alert->setCurrentIndex(alert->findData("enter.wav"));
             Child<QComboBox>(w, "sound12")->setCurrentIndex(Child<QComboBox>(w, "sound12")->findData("alert.wav"));
             // Shorter than five characters is no sound to the chat, so it shows as none.
             EXPECT_EQ(Child<QComboBox>(w, "sound6")->currentIndex(), 0);
         },
         Replace(profile_, "SND_2=alert.wav\r\nSND_6=a.wv\r\n", "SND_2=enter.wav\r\nSND_6=a.wv\r\nSND_12=alert.wav\r\n"),
         "ISOUND;"},
        {"groups",
         [&](zc::COptionsWindow& w) {
             Child<QCheckBox>(w, "groupsOn")->setChecked(true);
             auto* table = Child<QTableWidget>(w, "groups");
             EXPECT_EQ(table->item(0, 0)->text(), QString::fromUtf8("Друзья"));
             EXPECT_EQ(table->item(0, 1)->text(), "10.0.0.1-10.0.0.99");
             table->item(1, 0)->setText(QString::fromUtf8("Офис"));
             table->item(1, 1)->setText(" 192.168.0.1-192.168.0.50 ");
         },
         Replace(profile_, "GROUPON=0\r\nGROUP0=" + Cp("Друзья") + "\r\nGROUP1MASK=10.0.0.1-10.0.0.99\r\n",
                 "GROUPON=1\r\nGROUP0=" + Cp("Друзья") + "\r\nGROUP1MASK=10.0.0.1-10.0.0.99\r\nGROUP1=" + Cp("Офис") +
                     "\r\nGROUP2MASK=192.168.0.1-192.168.0.50\r\n"),
         "IGROUP;"},
        {"plug-ins",
         [&](zc::COptionsWindow& w) {
             EXPECT_EQ(w.findChild<QCheckBox*>("plugin:readme.txt"), nullptr);
             auto* tip = Child<QCheckBox>(w, "plugin:tipbubble.so");
             EXPECT_TRUE(tip->isChecked());
             tip->setChecked(false);
         },
         Replace(profile_, "tipbubble.so=1\r\n", ""), ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Reset();
        zc::COptionsWindow w(root_);
        step.change(w);
        EXPECT_TRUE(w.Save());
        EXPECT_EQ(ReadBytes(Profile()), step.profile);
        EXPECT_EQ(ReadBytes(Ini()), step.reload.empty() ? ini_ : WithReload(step.reload));
        // A second save with nothing changed writes nothing more.
        const std::string profile = ReadBytes(Profile()), ini = ReadBytes(Ini());
        EXPECT_TRUE(w.Save());
        EXPECT_EQ(ReadBytes(Profile()), profile);
        EXPECT_EQ(ReadBytes(Ini()), ini);
    }

    // Changes on several pages go out in one list, after the user card's.
    Reset();
    zc::COptionsWindow w(root_);
    Child<QLineEdit>(w, "nickname")->setText("olga");
    Child<QLineEdit>(w, "filePort")->setText("9040");
    Child<QCheckBox>(w, "groupsOn")->setChecked(true);
    Child<QCheckBox>(w, "mode3_ALERT_DLG")->setChecked(true);
    EXPECT_TRUE(w.Save());
    EXPECT_EQ(ReadBytes(Ini()), WithReload("IUSER;INET;IMODE;IGROUP;"));
}

TEST_F(OptionsPages, InvalidFieldWritesNothingAndSaysWhyBesideIt) {
    struct Case {
        const char* field;  // object name of the edit or table
        const char* value;
        const char* error;  // object name of the message
        int tab;
    };
    const Case cases[] = {
        {"port", "80", "portError", 2},
        {"port", "65531", "portError", 2},
        {"port", "90x0", "portError", 2},
        {"port", "", "portError", 2},
        {"filePort", "9020", "filePortError", 2},  // the chat port
        {"serverPort", "0", "serverPortError", 2},
        {"ttl", "0", "ttlError", 2},
        {"ttl", "256", "ttlError", 2},
        {"multicastGroup", "192.168.0.1", "multicastGroupError", 2},
        {"multicastGroup", "225.0.0", "multicastGroupError", 2},
        {"multicastGroup", "240.0.0.1", "multicastGroupError", 2},
        {"server", "relay host", "serverError", 2},
        {"server", "10.0.0.256", "serverError", 2},
        {"gateways", "10.1.0.254, 225.0.0.1", "gatewaysError", 2},
        {"modeText3", "<b>", "modeText3Error", 3},
        {"modeText1", "a|b", "modeText1Error", 3},
        // Table cells as groups/<row>/<column>; only row 0 has a name.
        {"groups/0/1", "10.0.0.1", "groupsError", 5},
        {"groups/0/1", "10.0.0.1-10.0.0.300", "groupsError", 5},
        {"groups/0/0", "x", "groupsError", 5},
        {"groups/1/1", "10.0.1.1-10.0.1.99", "groupsError", 5},  // a range beside no name
        {"groups/3/0", "Office", "groupsError", 5},             // below empty rows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.value);
        zc::COptionsWindow w(root_);
        // A valid change elsewhere, which must not be written either.
        Child<QLineEdit>(w, "web")->setText("http://example.invalid/");
        Child<QCheckBox>(w, "plugin:tipbubble.so")->setChecked(false);
        const std::string field = c.field;
        if (field.rfind("groups/", 0) == 0) {
            Child<QTableWidget>(w, "groups")->item(field[7] - '0', field[9] - '0')->setText(QString::fromUtf8(c.value));
        } else {
            Child<QLineEdit>(w, c.field)->setText(QString::fromUtf8(c.value));
        }
        EXPECT_FALSE(w.Save());
        EXPECT_EQ(ReadBytes(Profile()), profile_);
        EXPECT_EQ(ReadBytes(Ini()), ini_);
        auto* error = Child<QLabel>(w, c.error);
        ASSERT_NE(error, nullptr);
        EXPECT_FALSE(error->isHidden());
        EXPECT_FALSE(error->text().isEmpty());
        EXPECT_EQ(w.findChild<QTabWidget*>()->currentIndex(), c.tab);
    }
    // The edge values are taken.
    zc::COptionsWindow w(root_);
    Child<QLineEdit>(w, "port")->setText("1025");
    Child<QLineEdit>(w, "serverPort")->setText("65530");
    Child<QLineEdit>(w, "ttl")->setText("255");
    Child<QLineEdit>(w, "multicastGroup")->setText("224.0.0.0");
    Child<QLineEdit>(w, "server")->setText("192.168.1.2");
    EXPECT_TRUE(w.Save());
    const zc::CNetSettings net = zc::ReadNetSettings(Profile().string());
    EXPECT_EQ(net.port, 1025);
    EXPECT_EQ(net.ttl, 255);
    EXPECT_EQ(net.group, "224.0.0.0");
}

TEST_F(OptionsPages, NetworkPageShowsWhatTheChatUses) {
    // Values the chat replaces by its fallbacks show as the fallbacks, and are not rewritten.
    const std::pair<const char*, const char*> files[] = {
        {"PORT=80\r\nFTPORT=80\r\nTTL=0\r\n", "MULTICASTGROUP=\r\n"},
        {"PORT=9100\r\nFTPORT=9100\r\nTTL=300\r\n", "SERVER= \r\nSERVERPORT=70000\r\n"},
        {"PORT=-9100\r\nTTL=12abc\r\n", "FTPORT=9200\r\n"},
    };
    for (const auto& [first, second] : files) {
        SCOPED_TRACE(first);
        WriteBytes(Profile(), std::string("[NETWORK]\r\n") + first + second);
        const zc::NetworkValues shown = zc::LoadNetwork(Profile().string());
        const zc::CNetSettings chat = zc::ReadNetSettings(Profile().string());
        EXPECT_EQ(shown.port, std::to_string(chat.port));
        EXPECT_EQ(shown.filePort, std::to_string(chat.filePort));
        EXPECT_EQ(shown.ttl, std::to_string(chat.ttl));
        EXPECT_EQ(shown.group, chat.group);
        WriteBytes(Profile(), std::string("[INFO]\r\nCHATNAME=anna\r\n[NETWORK]\r\nSERVERUSE=1\r\n") + first + second);
        const zc::NetworkValues relay = zc::LoadNetwork(Profile().string());
        const zc::CNetSettings chatRelay = zc::ReadNetSettings(Profile().string());
        EXPECT_EQ(relay.server, chatRelay.server);
        EXPECT_EQ(relay.serverPort, std::to_string(chatRelay.serverPort));

        const std::string before = ReadBytes(Profile());
        zc::COptionsWindow w(root_);
        EXPECT_TRUE(w.Save());
        EXPECT_EQ(ReadBytes(Profile()), before);
        EXPECT_EQ(ReadBytes(Ini()), ini_);
    }
}

TEST_F(OptionsPages, ModeSwitchesReadBackAsTheChatReadsThem) {
    zc::COptionsWindow w(root_);
    Child<QCheckBox>(w, "mode4_SFILERQ_INF")->setChecked(true);
    Child<QCheckBox>(w, "mode4_ENTER_TXT")->setChecked(false);
    Child<QLineEdit>(w, "modeText4")->setText("Away");
    ASSERT_TRUE(w.Save());
    zc::LocalUser user;
    zc::ReadProfileParams(Profile().string(), {"u", "c"}, user);
    const zc::ChatModeRecord& away = user.modes[3];
    EXPECT_EQ(away.text, "Away");
    EXPECT_TRUE(away.events[12].info);   // SFILERQ
    EXPECT_FALSE(away.events[7].text);   // ENTER
    EXPECT_TRUE(away.events[8].text);    // EXIT untouched: still on
    EXPECT_TRUE(user.modes[1].events[10].sound);  // mode 2 PRIVATE from the file
}

TEST_F(OptionsPages, PickedSoundIsCopiedIntoTheSoundFolderWhenSaved) {
    QTemporaryDir elsewhere;
    const QString source = elsewhere.path() + "/bell.wav";
    WriteBytes(source.toStdString(), "RIFF bell");
    zc::COptionsWindow w(root_);
    auto* page = w.findChild<zc::COptionsSoundsPage*>();
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->PickSound(0, elsewhere.path() + "/a.wa"));  // too short to be a sound
    EXPECT_FALSE(Child<QLabel>(w, "sound0Error")->isHidden());
    ASSERT_TRUE(page->PickSound(0, source));
    EXPECT_EQ(page->SoundPath(0), source);  // played from where it is until saved
    EXPECT_FALSE(fs::exists(root_ + "/sound/bell.wav"));
    // A file already in the folder is only named.
    ASSERT_TRUE(page->PickSound(7, QString::fromStdString(root_ + "/sound/enter.wav")));
    ASSERT_TRUE(w.Save());
    EXPECT_EQ(ReadBytes(root_ + "/sound/bell.wav"), "RIFF bell");
    EXPECT_EQ(page->SoundPath(0), QString::fromStdString(root_ + "/sound/bell.wav"));
    const std::string profile = ReadBytes(Profile());
    EXPECT_NE(profile.find("SND_0=bell.wav\r\n"), std::string::npos);
    EXPECT_NE(profile.find("SND_7=enter.wav\r\n"), std::string::npos);

    // A picked file that vanished before saving stops the save before anything is written.
    WriteBytes(elsewhere.path().toStdString() + "/gone.wav", "RIFF");
    zc::COptionsWindow again(root_);
    auto* second = again.findChild<zc::COptionsSoundsPage*>();
    ASSERT_TRUE(second->PickSound(1, elsewhere.path() + "/gone.wav"));
    Child<QLineEdit>(again, "ttl")->setText("9");
    fs::remove(elsewhere.path().toStdString() + "/gone.wav");
    EXPECT_FALSE(again.Save());
    EXPECT_EQ(ReadBytes(Profile()), profile);
    EXPECT_FALSE(Child<QLabel>(again, "sound1Error")->isHidden());
}

TEST_F(OptionsPages, PluginSwitchWritesWhatTheChatsOwnToggleWrites) {
    const std::string chatCopy = root_ + "/profiles/chat.cfg";
    WriteBytes(chatCopy, profile_);
    zc::COptionsWindow w(root_);
    Child<QCheckBox>(w, "plugin:tipbubble.so")->setChecked(false);
    Child<QCheckBox>(w, "plugin:my plug.so")->setChecked(true);
    ASSERT_TRUE(w.Save());
    zc::WritePluginState(chatCopy, "tipbubble.so", false);
    zc::WritePluginState(chatCopy, "my plug.so", true);
    EXPECT_EQ(ReadBytes(Profile()), ReadBytes(chatCopy));
    EXPECT_TRUE(zc::ReadPluginState(Profile().string(), "my plug.so"));
    EXPECT_FALSE(zc::ReadPluginState(Profile().string(), "tipbubble.so"));
    // No change flag: the chat reads the switches when it starts, and the page says so.
    EXPECT_EQ(ReadBytes(Ini()), ini_);
    EXPECT_FALSE(Child<QLabel>(w, "pluginsNote")->text().isEmpty());

    // A name the chat cannot keep as a key cannot be switched here either.
    WriteBytes(root_ + "/plugins/a=b.so", "ELF");
    const auto list = zc::LoadPlugins(root_, Profile().string());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].file, "a=b.so");
    EXPECT_FALSE(list[0].storable);
    EXPECT_TRUE(list[1].on);  // my plug.so
    zc::COptionsWindow again(root_);
    EXPECT_FALSE(Child<QCheckBox>(again, "plugin:a=b.so")->isEnabled());

    // The editor keeps its own copy of the key rules; they must not drift from the chat's.
    for (const char* name : {"x;y.so", "[p].so", "a b c.so", "é.so", "tab\t.so", ".so"})
        WriteBytes(root_ + "/plugins/" + name, "ELF");
    for (const zc::PluginSwitch& p : zc::LoadPlugins(root_, Profile().string()))
        EXPECT_EQ(p.storable, zc::IsStorablePluginKey(zc::PluginStateKey(p.file))) << p.file;
}

TEST_F(OptionsPages, PagesSpeakTheChosenLanguage) {
    ini_ = Replace(ini_, "LANGUAGE=english", "LANGUAGE=russian");
    Reset();
    zc::COptionsWindow w(root_);
    auto* tabs = w.findChild<QTabWidget*>();
    ASSERT_EQ(tabs->count(), 7);
    EXPECT_EQ(tabs->tabText(2), QString::fromUtf8("Сеть"));
    EXPECT_EQ(tabs->tabText(6), QString::fromUtf8("Модули"));
    Child<QLineEdit>(w, "ttl")->setText("0");
    EXPECT_FALSE(w.Save());
    EXPECT_EQ(Child<QLabel>(w, "ttlError")->text(), QString::fromUtf8("TTL - это число от 1 до 255"));
}

}  // namespace
