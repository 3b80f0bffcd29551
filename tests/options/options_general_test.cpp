// The general page's autostart switch and hot keys: what is stored is what the chat reads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "base/settings.h"
#include "options/options_hotkeys.h"
#include "options/options_window.h"
#include "qt/posix_system_facts.h"
#include "options_test_support.h"

namespace {

using namespace zc::options_test;

class OptionsGeneral : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        // HK_TRANSLATE is left out: the chat then takes F8.
        ini_ = "[GLOBAL]\r\nPROFILE=work\r\nLANGUAGE=english\r\nAUTOSTART=0\r\nHK_MODE1=112\r\nHK_MODE2=113\r\n"
               "HK_MODE3=114\r\nHK_MODE4=115\r\nHK_REFRESHLIST=116\r\nHK_OPENSMILESLIST=120\r\n\r\n[OTHER]\r\nX=1\r\n";
        profile_ = "[GLOBAL]\r\nSOUNDON=1\r\n[INFO]\r\nCHATNAME=anna\r\n";
        WriteBytes(Ini(), ini_);
        WriteBytes(Profile(), profile_);
        CopyLanguages(root_);
    }
    std::string Ini() const { return root_ + "/system/zeltochat.ini"; }
    std::string Profile() const { return root_ + "/profiles/work.cfg"; }
    template <class T>
    T* Child(zc::COptionsWindow& w, const QString& name) {
        T* c = w.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    // The key pressed while the field of the hot key has the focus.
    void Press(zc::COptionsWindow& w, const char* hotKey, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, qtKey, mods);
        QApplication::sendEvent(Child<QLineEdit>(w, hotKey), &event);
    }
    QString Shown(zc::COptionsWindow& w, const char* hotKey) { return Child<QLineEdit>(w, hotKey)->text(); }
    QLabel* Error(zc::COptionsWindow& w, const char* hotKey) { return Child<QLabel>(w, QString(hotKey) + "Error"); }

    QTemporaryDir dir_;
    std::string root_, ini_, profile_;
};

TEST_F(OptionsGeneral, AutostartWritesItsKeyAndTheMainSettingsFlagOnly) {
    zc::COptionsWindow w(root_);
    auto* box = Child<QCheckBox>(w, "autostart");
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    EXPECT_TRUE(w.Save());
    EXPECT_EQ(ReadBytes(Ini()), Replace(Replace(ini_, "AUTOSTART=0", "AUTOSTART=1"), "HK_OPENSMILESLIST=120\r\n",
                                        "HK_OPENSMILESLIST=120\r\nRELOAD=IMAIN;\r\n"));
    EXPECT_EQ(ReadBytes(Profile()), profile_);
    EXPECT_TRUE(zc::ReadGlobalSettings(Ini()).autostart);

    // Switched off again: the key says so and the waiting list holds the flag once.
    zc::COptionsWindow again(root_);
    ASSERT_TRUE(Child<QCheckBox>(again, "autostart")->isChecked());
    Child<QCheckBox>(again, "autostart")->setChecked(false);
    EXPECT_TRUE(again.Save());
    EXPECT_EQ(ReadBytes(Ini()), Replace(ini_, "HK_OPENSMILESLIST=120\r\n", "HK_OPENSMILESLIST=120\r\nRELOAD=IMAIN;\r\n"));
    EXPECT_FALSE(zc::ReadGlobalSettings(Ini()).autostart);

    // The box shows what the chat reads: on from 1 upwards.
    for (const auto& [value, on] : {std::pair{"2", true}, std::pair{"-1", false}, std::pair{" ", false}}) {
        WriteBytes(Ini(), Replace(ini_, "AUTOSTART=0", std::string("AUTOSTART=") + value));
        zc::COptionsWindow shown(root_);
        EXPECT_EQ(Child<QCheckBox>(shown, "autostart")->isChecked(), on) << value;
    }
}

TEST_F(OptionsGeneral, FirstRunShowsTheChatsNameAndSavesBothPermissionsWhereTheChatReadsThem) {
    // The shipped profile names nobody: the field shows what the chat calls the user, and a
    // Save that leaves it so works and does not write it.
    WriteBytes(Profile(), Replace(profile_, "CHATNAME=anna", "CHATNAME="));
    zc::COptionsWindow w(root_);
    zc::LocalUser chat;
    zc::ReadProfileParams(Profile(), {zc::SystemNameOrFallback(zc::PosixSystemFacts().UserName()),
                                      zc::SystemNameOrFallback(zc::PosixSystemFacts().ComputerName())}, chat);
    EXPECT_EQ(Child<QLineEdit>(w, "nickname")->text().toStdString(), zc::Cp1251ToUtf8(chat.nickname));
    auto* desktop = Child<QCheckBox>(w, "allowDesktop");
    auto* processes = Child<QCheckBox>(w, "allowProcessList");
    EXPECT_FALSE(desktop->isChecked() || processes->isChecked());
    desktop->setChecked(true);
    processes->setChecked(true);
    EXPECT_TRUE(w.Save());
    EXPECT_EQ(ReadBytes(Profile()), "[GLOBAL]\r\nSOUNDON=1\r\nALLOWSENDDESKTOP=1\r\n[INFO]\r\nCHATNAME=\r\n");
    EXPECT_EQ(ReadBytes(Ini()), Replace(ini_, "HK_OPENSMILESLIST=120\r\n",
                                        "HK_OPENSMILESLIST=120\r\nALLOWPROCCES=1\r\nRELOAD=IMAIN;\r\n"));
    zc::COptionsWindow again(root_);
    EXPECT_TRUE(Child<QCheckBox>(again, "allowDesktop")->isChecked() &&
                Child<QCheckBox>(again, "allowProcessList")->isChecked());
}

TEST_F(OptionsGeneral, CapturedKeysAreStoredAsTheChatsCodesAndReadBack) {
    zc::COptionsWindow w(root_);
    EXPECT_EQ(Shown(w, "HK_MODE1"), "F1");
    EXPECT_EQ(Shown(w, "HK_TRANSLATE"), "F8");  // the chat's default for the absent key
    Press(w, "HK_OPENSMILESLIST", Qt::Key_F6);
    EXPECT_EQ(Shown(w, "HK_OPENSMILESLIST"), "F6");
    // Modifiers are not part of a hot key: the chat matches the key alone. Shift alone is no key.
    Press(w, "HK_TRANSLATE", Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(Shown(w, "HK_TRANSLATE"), "F8");
    EXPECT_TRUE(Error(w, "HK_TRANSLATE")->isHidden());
    Press(w, "HK_TRANSLATE", Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(Shown(w, "HK_TRANSLATE"), "F12");
    Child<QPushButton>(w, "HK_REFRESHLISTClear")->click();
    Press(w, "HK_MODE4", Qt::Key_Pause);
    Press(w, "HK_MODE3", Qt::Key_Insert);
    // F5 is free once the refresh key was cleared.
    Press(w, "HK_MODE2", Qt::Key_F5);
    EXPECT_TRUE(w.Save());

    std::string expected = Replace(ini_, "HK_MODE2=113", "HK_MODE2=116");
    expected = Replace(expected, "HK_MODE3=114", "HK_MODE3=45");
    expected = Replace(expected, "HK_MODE4=115", "HK_MODE4=19");
    // A cleared key is "0": an absent one would bring F5 back.
    expected = Replace(expected, "HK_REFRESHLIST=116", "HK_REFRESHLIST=0");
    expected = Replace(expected, "HK_OPENSMILESLIST=120\r\n", "HK_OPENSMILESLIST=117\r\nHK_TRANSLATE=123\r\n");
    EXPECT_EQ(ReadBytes(Ini()), expected);  // and no change flag: the chat reads them when it starts
    EXPECT_EQ(ReadBytes(Profile()), profile_);

    const zc::HotKeyTable keys = zc::ReadHotKeys(Ini());
    EXPECT_EQ(keys.mode1, 112);
    EXPECT_EQ(keys.mode2, 116);
    EXPECT_EQ(keys.mode3, 45);
    EXPECT_EQ(keys.mode4, 19);
    EXPECT_EQ(keys.refreshList, 0);
    EXPECT_EQ(keys.translate, 123);
    EXPECT_EQ(keys.openSmilesList, 117);

    // The editor shows what it stored, the cleared key as none.
    zc::COptionsWindow again(root_);
    EXPECT_EQ(Shown(again, "HK_MODE3"), "Insert");
    EXPECT_EQ(Shown(again, "HK_MODE4"), "Pause");
    EXPECT_EQ(Shown(again, "HK_REFRESHLIST"), "No key");
    EXPECT_FALSE(Child<QLabel>(again, "hotKeysNote")->text().isEmpty());
}

TEST_F(OptionsGeneral, RefusedKeysLeaveTheFieldAndTheFileAsTheyWere) {
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers mods;
        const char* why;  // start of the message beside the field
    };
    const Case cases[] = {
        {Qt::Key_F11, Qt::NoModifier, "F11 opens the options"},
        {Qt::Key_Escape, Qt::NoModifier, "Escape hides the window"},
        {Qt::Key_F1, Qt::NoModifier, "This key is already set"},  // mode 1's key
        {Qt::Key_F9, Qt::ShiftModifier, "This key is already set"},
        // The chat would take these from the input line before they are typed.
        {Qt::Key_M, Qt::NoModifier, "This key is needed"},
        {Qt::Key_M, Qt::ControlModifier, "This key is needed"},
        {Qt::Key_5, Qt::KeypadModifier, "This key is needed"},
        {Qt::Key_Return, Qt::NoModifier, "This key is needed"},
        {Qt::Key_Space, Qt::NoModifier, "This key is needed"},
        {Qt::Key_Left, Qt::NoModifier, "This key is needed"},
        {Qt::Key_PageUp, Qt::NoModifier, "This key is needed"},
        {Qt::Key_BracketLeft, Qt::NoModifier, "The chat does not know"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why + std::string(" ") + std::to_string(c.qtKey));
        zc::COptionsWindow w(root_);
        Press(w, "HK_MODE2", c.qtKey, c.mods);
        EXPECT_EQ(Shown(w, "HK_MODE2"), "F2");
        EXPECT_FALSE(Error(w, "HK_MODE2")->isHidden());
        EXPECT_TRUE(Error(w, "HK_MODE2")->text().startsWith(c.why)) << Error(w, "HK_MODE2")->text().toStdString();
        // Saving another change stores that one only.
        Child<QCheckBox>(w, "sound")->setChecked(false);
        EXPECT_TRUE(w.Save());
        EXPECT_EQ(ReadBytes(Ini()), Replace(ini_, "HK_OPENSMILESLIST=120\r\n", "HK_OPENSMILESLIST=120\r\nRELOAD=ISOUND;\r\n"));
        WriteBytes(Ini(), ini_);
        WriteBytes(Profile(), profile_);
        // A good key afterwards is taken and the message goes.
        Press(w, "HK_MODE2", Qt::Key_F7);
        EXPECT_EQ(Shown(w, "HK_MODE2"), "F7");
        EXPECT_TRUE(Error(w, "HK_MODE2")->isHidden());
    }
}

TEST_F(OptionsGeneral, KeysWrittenByHandThatTheChatCannotUseStopTheSave) {
    const std::string bad =
        Replace(Replace(Replace(ini_, "HK_MODE2=113", "HK_MODE2=122"), "HK_MODE3=114", "HK_MODE3=112"),
                "HK_MODE4=115", "HK_MODE4=77");
    const struct {
        const char* field;
        const char* why;
    } expected[] = {{"HK_MODE2", "F11 opens"}, {"HK_MODE3", "This key is already set"}, {"HK_MODE4", "This key is needed"}};
    WriteBytes(Ini(), bad);
    zc::COptionsWindow w(root_);
    EXPECT_EQ(Shown(w, "HK_MODE4"), "M");
    Child<QLineEdit>(w, "nickname")->setText("olga");
    Child<QCheckBox>(w, "autostart")->setChecked(true);
    w.findChild<QTabWidget*>()->setCurrentIndex(0);
    EXPECT_FALSE(w.Save());
    EXPECT_EQ(ReadBytes(Ini()), bad);
    EXPECT_EQ(ReadBytes(Profile()), profile_);
    EXPECT_EQ(w.findChild<QTabWidget*>()->currentIndex(), 1);  // the general page
    for (const auto& e : expected) {
        EXPECT_FALSE(Error(w, e.field)->isHidden()) << e.field;
        EXPECT_TRUE(Error(w, e.field)->text().startsWith(e.why)) << e.field;
    }
    EXPECT_TRUE(Error(w, "HK_MODE1")->isHidden());

    // Fixed by hand in the editor, everything goes out together.
    Child<QPushButton>(w, "HK_MODE2Clear")->click();
    Press(w, "HK_MODE3", Qt::Key_F3);
    Press(w, "HK_MODE4", Qt::Key_F4);
    EXPECT_TRUE(w.Save());
    const zc::HotKeyTable keys = zc::ReadHotKeys(Ini());
    EXPECT_EQ(keys.mode2, 0);
    EXPECT_EQ(keys.mode3, 114);
    EXPECT_EQ(keys.mode4, 115);
    EXPECT_TRUE(zc::ReadGlobalSettings(Ini()).autostart);
    EXPECT_NE(ReadBytes(Ini()).find("RELOAD=IUSER;IMAIN;\r\n"), std::string::npos);
}

TEST(HotKeyNames, KeysAreNamedAsOnTheKeyboard) {
    EXPECT_EQ(zc::VirtualKeyName(112), "F1");
    EXPECT_EQ(zc::VirtualKeyName(135), "F24");
    EXPECT_EQ(zc::VirtualKeyName(77), "M");
    EXPECT_EQ(zc::VirtualKeyName(48), "0");
    EXPECT_EQ(zc::VirtualKeyName(101), "Num 5");
    EXPECT_EQ(zc::VirtualKeyName(34), "Page Down");
    EXPECT_EQ(zc::VirtualKeyName(136), "");
    EXPECT_EQ(zc::VirtualKeyName(0), "");
}

}  // namespace
