#include <gtest/gtest.h>

#include <QSettings>

#include "qt/qt_registry_store.h"
#include "support/temp_root.h"

namespace zc {
namespace {

class QtRegistryStoreTest : public ::testing::Test {
protected:
    test::TempRoot dir{false};
    QString file = QString::fromStdString(dir.Path() + "store.conf");
};

TEST_F(QtRegistryStoreTest, ValuesRoundTripByteForByteAcrossInstances) {
    // Every byte of the code page, and the characters ini files treat specially.
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string tricky = " a=b;c#d \"e\" \\f\\ [g] ";
    {
        QtRegistryStore store(file);
        store.WriteValue("Software\\Zelto group\\ZeltoChat\\System\\", "Exec", all);
        store.WriteValue("Software\\Zelto group\\ZeltoChat\\Profile\\", "AlertFrom", tricky);
        store.WriteValue("Software\\Zelto group\\ZeltoChat\\Profile\\", "Empty", "");
    }
    QtRegistryStore again(file);
    EXPECT_EQ(all, again.ReadValue("Software\\Zelto group\\ZeltoChat\\System\\", "Exec"));
    EXPECT_EQ(tricky, again.ReadValue("Software\\Zelto group\\ZeltoChat\\Profile\\", "AlertFrom"));
    EXPECT_EQ("", again.ReadValue("Software\\Zelto group\\ZeltoChat\\Profile\\", "Empty"));
    EXPECT_EQ("", again.ReadValue("Software\\Zelto group\\ZeltoChat\\Profile\\", "Missing"));
    EXPECT_EQ("", again.ReadValue("Software\\Nobody\\", "Exec"));
}

TEST_F(QtRegistryStoreTest, KeyPathsBecomeGroups) {
    QtRegistryStore store(file);
    store.WriteValue("Software\\Zelto group\\ZeltoChat\\System\\", "Exec", "/bin/zeltochat");
    // With or without the last backslash, doubled or not, it is the same key.
    EXPECT_EQ("/bin/zeltochat", store.ReadValue("Software\\Zelto group\\ZeltoChat\\System", "Exec"));
    EXPECT_EQ("/bin/zeltochat", store.ReadValue("Software\\\\Zelto group\\ZeltoChat\\System\\", "Exec"));
    EXPECT_EQ("", store.ReadValue("Software\\Zelto group\\ZeltoChat\\", "Exec"));

    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(QByteArray("/bin/zeltochat"), raw.value("Software/Zelto group/ZeltoChat/System/Exec").toByteArray());
}

TEST_F(QtRegistryStoreTest, DeleteRemovesOneValueOnly) {
    QtRegistryStore store(file);
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    store.WriteValue(run, "ZeltoChat", "a");
    store.WriteValue(run, "Other", "b");
    store.DeleteValue(run, "ZeltoChat");
    store.DeleteValue(run, "NeverWritten");
    EXPECT_EQ("", store.ReadValue(run, "ZeltoChat"));
    EXPECT_EQ("b", QtRegistryStore(file).ReadValue(run, "Other"));
    // The unnamed value is not the key's group.
    store.WriteValue(run, "", "default");
    store.DeleteValue(run, "");
    EXPECT_EQ("b", store.ReadValue(run, "Other"));
}

TEST_F(QtRegistryStoreTest, TextWrittenByOtherToolsReadsAsCodePage) {
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue("Software/Zelto group/ZeltoChat/Profile/AlertFrom", QString::fromUtf8("Пётр"));
    }
    EXPECT_EQ("\xCF\xB8\xF2\xF0", QtRegistryStore(file).ReadValue("Software\\Zelto group\\ZeltoChat\\Profile\\", "AlertFrom"));
}

TEST_F(QtRegistryStoreTest, CyrillicKeyNamesRoundTrip) {
    QtRegistryStore store(file);
    store.WriteValue("Software\\\xCF\xF0\xEE\xE1\xE0\\", "\xC8\xEC\xFF", "1");
    EXPECT_EQ("1", QtRegistryStore(file).ReadValue("Software\\\xCF\xF0\xEE\xE1\xE0\\", "\xC8\xEC\xFF"));
    EXPECT_EQ(QString::fromUtf8("Software/Проба/Имя"), QtRegistryStore::SettingsKey("Software\\\xCF\xF0\xEE\xE1\xE0\\", "\xC8\xEC\xFF"));
}

}  // namespace
}  // namespace zc
