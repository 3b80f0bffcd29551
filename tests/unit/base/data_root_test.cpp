#include "base/data_root.h"

#include <gtest/gtest.h>

#include "base/xdg_autostart.h"
#include "support/temp_root.h"

namespace zc {
using test::TempRoot;

TEST(DataRoot, ArgumentThenVariableThenPortableFolder) {
    TempRoot root(false);
    root.Write("portable/system/zeltochat.ini", "[GLOBAL]\r\n");
    DataRootInputs in{"", "", root.Path() + "portable", root.Path() + "xdg", root.Path() + "installed"};
    EXPECT_EQ(ResolveDataRoot(in).path, root.Path() + "portable/");
    in.rootVariable = root.Path() + "fromenv";
    EXPECT_EQ(ResolveDataRoot(in).path, root.Path() + "fromenv/");
    in.rootArgument = "relative/dir";
    EXPECT_EQ(ResolveDataRoot(in).path, root.Path() + "relative/dir/");
}

TEST(DataRoot, FirstStartSeedsTheUserFolderAndKeepsItsFilesLater) {
    TempRoot root(false);
    root.Write("installed/system/zeltochat.ini", "[GLOBAL]\r\nPROFILE=default\r\n");
    root.Write("installed/language/lang_english.cfg", "[STRINGS]\r\n");
    DataRootInputs in{"", "", root.Path() + "bin", root.Path() + "xdg", root.Path() + "installed"};
    DataRoot first = ResolveDataRoot(in);
    EXPECT_EQ(first.path, root.Path() + "xdg/zeltochat/");
    EXPECT_TRUE(first.seeded);
    EXPECT_TRUE(first.error.empty());
    EXPECT_EQ(root.Read("xdg/zeltochat/system/zeltochat.ini"), "[GLOBAL]\r\nPROFILE=default\r\n");

    root.Write("xdg/zeltochat/system/zeltochat.ini", "[GLOBAL]\r\nPROFILE=mine\r\n");
    DataRoot again = ResolveDataRoot(in);
    EXPECT_FALSE(again.seeded);
    EXPECT_EQ(root.Read("xdg/zeltochat/system/zeltochat.ini"), "[GLOBAL]\r\nPROFILE=mine\r\n");
}

TEST(DataRoot, NothingToSeedFromIsReported) {
    TempRoot root(false);
    DataRootInputs in{"", "", root.Path() + "bin", root.Path() + "xdg", root.Path() + "none"};
    EXPECT_FALSE(ResolveDataRoot(in).error.empty());
}

TEST(XdgAutostart, EntryIsWrittenQuotedAndRemoved) {
    TempRoot root(false);
    XdgAutostart autostart(root.Path() + "config/autostart");
    autostart.Disable();  // removing an entry that never existed is fine
    ASSERT_TRUE(autostart.Enable(DesktopExecQuote("/opt/my \"chat\"/zeltochat")));
    EXPECT_TRUE(autostart.IsEnabled());
    const std::string entry = root.Read("config/autostart/ZeltoChat.desktop");
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/my \\\"chat\\\"/zeltochat\"\n"), std::string::npos);
    autostart.Disable();
    EXPECT_FALSE(autostart.IsEnabled());
}

}  // namespace zc
