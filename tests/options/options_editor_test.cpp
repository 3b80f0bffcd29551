// The options editor against a throw-away program folder, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/cp1251.h"
#include "options/options_store.h"
#include "options/options_window.h"
#include "options_test_support.h"

namespace fs = std::filesystem;
namespace {

using namespace zc::options_test;

constexpr char kAccess[] = "qpLTX7!&*#^%wmvbn81627";

class OptionsEditor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        ini_ = "[GLOBAL]\r\nPROFILE=work\r\nLANGUAGE=english\r\nSHOWTIME=1\r\n\r\n[GROUPS]\r\nG1=" + Cp("Друзья") +
               "\r\n";
        profile_ = "; own profile\r\n[GLOBAL]\r\nMODE=2\r\nSKINSTHEME=def\r\nSOUNDON=1\r\n[INFO]\r\nCHATNAME=anna\r\nNAME=" +
                   Cp("Анна Петрова") + "\r\nWEB=\r\n  EMAIL =a@b.c\r\n[MODE1]\r\nTEXT=" + Cp("Здесь") + "\r\n";
        WriteBytes(Ini(), ini_);
        WriteBytes(Profile(), profile_);
        CopyLanguages(root_);
        fs::create_directories(root_ + "/skins/skinthemes/def");
        fs::create_directories(root_ + "/skins/skinthemes/dark");
    }
    fs::path Ini() const { return root_ + "/system/zeltochat.ini"; }
    fs::path Profile() const { return root_ + "/profiles/work.cfg"; }
    template <class T>
    T* Child(zc::COptionsWindow& w, const char* name) {
        T* c = w.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void ExpectUnchanged() {
        EXPECT_EQ(ReadBytes(Ini()), ini_);
        EXPECT_EQ(ReadBytes(Profile()), profile_);
    }

    QTemporaryDir dir_;
    std::string root_, ini_, profile_;
};

TEST_F(OptionsEditor, NewNicknameIsWrittenAndEveryOtherLineKept) {
    zc::COptionsWindow w(root_);
    EXPECT_EQ(Child<QLineEdit>(w, "nickname")->text(), "anna");
    EXPECT_EQ(Child<QLineEdit>(w, "fullName")->text(), QString::fromUtf8("Анна Петрова"));
    EXPECT_EQ(Child<QLineEdit>(w, "email")->text(), "a@b.c");
    Child<QLineEdit>(w, "nickname")->setText(QString::fromUtf8("Аня"));
    Child<QPushButton>(w, "save")->click();

    EXPECT_EQ(ReadBytes(Profile()), Replace(profile_, "CHATNAME=anna", "CHATNAME=" + Cp("Аня")));
    EXPECT_EQ(ReadBytes(Ini()), Replace(ini_, "SHOWTIME=1\r\n", "SHOWTIME=1\r\nRELOAD=IUSER;\r\n"));
    EXPECT_TRUE(Child<QLabel>(w, "nicknameError")->isHidden());

    // Saving again without a change adds nothing.
    const std::string ini = ReadBytes(Ini());
    Child<QPushButton>(w, "save")->click();
    EXPECT_EQ(ReadBytes(Ini()), ini);
}

TEST_F(OptionsEditor, RejectedNicknameWritesNothingAndSaysWhyBesideTheField) {
    const QString bad[] = {"", "   ", QString(31, QChar(u'x')), "a:b", "a|b", "<b>", "x//end", "tab\there",
                           QString::fromUtf8("日本")};
    for (const QString& name : bad) {
        zc::COptionsWindow w(root_);
        w.show();
        Child<QLineEdit>(w, "nickname")->setText(name);
        Child<QLineEdit>(w, "web")->setText("http://example.invalid/");
        Child<QPushButton>(w, "save")->click();
        ExpectUnchanged();
        auto* error = Child<QLabel>(w, "nicknameError");
        EXPECT_FALSE(error->isHidden()) << name.toStdString();
        EXPECT_FALSE(error->text().isEmpty()) << name.toStdString();
    }
    // Thirty characters of the code page are still a nickname.
    zc::COptionsWindow w(root_);
    Child<QLineEdit>(w, "nickname")->setText(QString(30, QChar(0x0416)));
    EXPECT_TRUE(w.Save());
    EXPECT_NE(ReadBytes(Profile()).find("CHATNAME=" + std::string(30, '\xC6') + "\r\n"), std::string::npos);
}

TEST_F(OptionsEditor, FlagsAreAddedToAListStillWaiting) {
    ini_ = Replace(ini_, "SHOWTIME=1\r\n", "SHOWTIME=1\r\nRELOAD=IMAIN;INET\r\n");
    WriteBytes(Ini(), ini_);
    zc::COptionsWindow w(root_);
    Child<QLineEdit>(w, "nickname")->setText("anya");
    Child<QLineEdit>(w, "email")->setText("");
    EXPECT_TRUE(w.Save());
    EXPECT_EQ(ReadBytes(Ini()), Replace(ini_, "RELOAD=IMAIN;INET", "RELOAD=IMAIN;INET;IUSER;"));
    // An emptied field loses its key; the rest of the card stays.
    const std::string profile = ReadBytes(Profile());
    EXPECT_EQ(profile.find("EMAIL"), std::string::npos);
    EXPECT_NE(profile.find("NAME=" + Cp("Анна Петрова")), std::string::npos);

    EXPECT_EQ(zc::MergeReload("0", "ISKIN;"), "ISKIN;");
    EXPECT_EQ(zc::MergeReload("ISKIN;IUSER;", "IUSER;ISOUND;"), "ISKIN;IUSER;ISOUND;");
}

TEST_F(OptionsEditor, GeneralPageWritesLanguageSkinAndSound) {
    zc::COptionsWindow w(root_);
    auto* language = Child<QComboBox>(w, "language");
    ASSERT_EQ(language->count(), 2);
    EXPECT_EQ(language->currentText(), "english");
    EXPECT_EQ(Child<QComboBox>(w, "skin")->currentText(), "def");
    EXPECT_TRUE(Child<QCheckBox>(w, "sound")->isChecked());
    language->setCurrentText("russian");
    Child<QComboBox>(w, "skin")->setCurrentText("dark");
    Child<QCheckBox>(w, "sound")->setChecked(false);
    EXPECT_TRUE(w.Save());

    const zc::OptionValues v = zc::OptionsStore(root_).Load();
    EXPECT_EQ(v.language, "russian");
    EXPECT_EQ(v.skin, "dark");
    EXPECT_FALSE(v.soundOn);
    EXPECT_EQ(v.nickname, "anna");
    EXPECT_NE(ReadBytes(Ini()).find("RELOAD=ILANGUAGE;ISKIN;ISOUND;\r\n"), std::string::npos);
    EXPECT_NE(ReadBytes(Profile()).find("SOUNDON=0\r\n"), std::string::npos);

    // The editor now speaks the chosen language.
    zc::COptionsWindow again(root_);
    EXPECT_EQ(again.findChild<QTabWidget*>()->tabText(0), QString::fromUtf8("Пользователь"));
}

TEST_F(OptionsEditor, PickedAvatarIsCopiedAndStoredByName) {
    QTemporaryDir elsewhere;
    const std::string picture = elsewhere.path().toStdString() + "/me.png";
    WriteBytes(picture, "\x89PNG picture");
    zc::COptionsWindow w(root_);
    EXPECT_FALSE(w.PickAvatar(elsewhere.path() + "/a|b.png"));
    ASSERT_TRUE(w.PickAvatar(QString::fromStdString(picture)));
    EXPECT_TRUE(w.Save());
    EXPECT_EQ(ReadBytes(root_ + "/avatars/me.png"), "\x89PNG picture");
    EXPECT_EQ(zc::OptionsStore(root_).Load().avatar, "me.png");
    EXPECT_NE(ReadBytes(Ini()).find("RELOAD=IAVATAR;\r\n"), std::string::npos);

    // A picture that cannot be read replaces nothing: neither the file nor the setting.
    zc::COptionsWindow again(root_);
    ASSERT_TRUE(again.PickAvatar(elsewhere.path() + "/me.png.gone"));
    WriteBytes(root_ + "/avatars/me.png.gone", "old picture");
    EXPECT_FALSE(again.Save());
    EXPECT_EQ(ReadBytes(root_ + "/avatars/me.png.gone"), "old picture");
    EXPECT_EQ(zc::OptionsStore(root_).Load().avatar, "me.png");
    // Nor does one with no picture of that name in the folder yet.
    zc::COptionsWindow third(root_);
    ASSERT_TRUE(third.PickAvatar(elsewhere.path() + "/never.png"));
    EXPECT_FALSE(third.Save());
    EXPECT_FALSE(fs::exists(root_ + "/avatars/never.png"));
    EXPECT_EQ(zc::OptionsStore(root_).Load().avatar, "me.png");
}

TEST_F(OptionsEditor, ProgramRefusesWithoutTheAccessArgument) {
    for (const QStringList& args : {QStringList{}, QStringList{"--root", dir_.path()}, QStringList{"qpLTX7"}}) {
        QProcess p;
        p.start(ZC_OPTIONS_EXE, args);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
    ExpectUnchanged();
}

TEST_F(OptionsEditor, LauncherStartsTheEditorBesideItForItsFolder) {
    const fs::path launcher = std::string(ZC_SOURCE_DIR) + "/data/option.cmd";
    EXPECT_NE(fs::status(launcher).permissions() & fs::perms::owner_exec, fs::perms::none);
    fs::copy_file(launcher, root_ + "/option.cmd");
    WriteBytes(root_ + "/zeltooptions", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$(dirname \"$0\")/args\"\n");
    fs::permissions(root_ + "/zeltooptions", fs::perms::owner_all);
    QProcess p;
    p.setWorkingDirectory("/");
    p.start(QString::fromStdString(root_ + "/option.cmd"), {kAccess});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(ReadBytes(root_ + "/args"), "--root\n" + fs::canonical(root_).string() + "\n" + kAccess + "\n");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
