#include "base/ini_file.h"

#include <gtest/gtest.h>

#include "support/temp_root.h"

namespace zc {
using test::TempRoot;

TEST(IniFile, ReadsCrLfAndLfWithoutRegardToCase) {
    TempRoot root(false);
    root.Write("a.ini", "[Global]\r\nProfile=work\r\n[OTHER]\r\nPROFILE=x\r\n");
    root.Write("b.ini", "[GLOBAL]\nPROFILE=home\n");
    EXPECT_EQ(ReadIniValue("a.ini", "GLOBAL", "PROFILE"), "work");
    EXPECT_EQ(ReadIniValue("a.ini", "global", "profile"), "work");
    EXPECT_EQ(ReadIniValue("b.ini", "GLOBAL", "PROFILE"), "home");
    EXPECT_EQ(ReadIniValue("a.ini", "GLOBAL", "MISSING"), "");
    EXPECT_EQ(ReadIniValue("missing.ini", "GLOBAL", "PROFILE"), "");
}

TEST(IniFile, ValuesAreKeptByteForByteAndCutAt254) {
    TempRoot root(false);
    const std::string cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2";  // windows-1251
    root.Write("a.ini", "[S]\r\nT=[%H:%M:%S] \r\nC=" + cyrillic + "\r\nL=" + std::string(300, 'x') + "\r\nE=a=b\r\n");
    EXPECT_EQ(ReadIniValue("a.ini", "S", "T"), "[%H:%M:%S] ");
    EXPECT_EQ(ReadIniValue("a.ini", "S", "C"), cyrillic);
    EXPECT_EQ(ReadIniValue("a.ini", "S", "L"), std::string(254, 'x'));
    EXPECT_EQ(ReadIniValue("a.ini", "S", "E"), "a=b");
}

TEST(IniFile, WritingOneKeyKeepsEveryOtherLine) {
    TempRoot root(false);
    const std::string before = "; comment\r\n[GLOBAL]\r\nA=1\r\nmode=2\r\n\r\n[INFO]\r\nCHATNAME=Bob\r\n";
    root.Write("p.cfg", before);
    ASSERT_TRUE(WriteIniValue("p.cfg", "global", "MODE", "3"));
    EXPECT_EQ(root.Read("p.cfg"), "; comment\r\n[GLOBAL]\r\nA=1\r\nMODE=3\r\n\r\n[INFO]\r\nCHATNAME=Bob\r\n");
    ASSERT_TRUE(WriteIniValue("p.cfg", "GLOBAL", "NEW", "x"));
    EXPECT_EQ(ReadIniValue("p.cfg", "GLOBAL", "NEW"), "x");
    EXPECT_EQ(root.Read("p.cfg").find("A=1\r\nMODE=3\r\nNEW=x\r\n") != std::string::npos, true);
    ASSERT_TRUE(WriteIniValue("p.cfg", "SOUND", "SND_0", "a.wav"));
    EXPECT_EQ(ReadIniValue("p.cfg", "SOUND", "SND_0"), "a.wav");
    EXPECT_EQ(ReadIniValue("p.cfg", "INFO", "CHATNAME"), "Bob");
}

TEST(IniFile, EmptyValueDeletesAndMissingFileIsCreated) {
    TempRoot root(false);
    root.Write("s.ini", "[GLOBAL]\nRELOAD=IMAIN;\nPROFILE=x\n");
    ASSERT_TRUE(WriteIniValue("s.ini", "GLOBAL", "RELOAD", ""));
    EXPECT_EQ(root.Read("s.ini"), "[GLOBAL]\nPROFILE=x\n");  // LF file stays LF
    ASSERT_TRUE(WriteIniValue("new.ini", "PARAM", "T", "10"));
    EXPECT_EQ(root.Read("new.ini"), "[PARAM]\r\nT=10\r\n");
    EXPECT_TRUE(WriteIniValue("none.ini", "PARAM", "T", ""));
    EXPECT_FALSE(root.Exists("none.ini"));
}

TEST(IniFile, WriteFailsVisiblyInAMissingFolder) {
    TempRoot root(false);
    EXPECT_FALSE(WriteIniValue("no/such/dir/x.ini", "A", "B", "C"));
}

}  // namespace zc
