#include "base/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>

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

TEST(IniFile, AWriteKeepsALinkAndTheModeAndOpensNothingLeftAtAFixedName) {
    TempRoot root(false);
    root.Write("real/p.cfg", "[INFO]\r\nCHATNAME=Bob\r\n");
    ASSERT_EQ(0, chmod("real/p.cfg", 0640));
    ASSERT_EQ(0, symlink("real/p.cfg", "p.cfg"));
    // What another user could leave at the name writes once used: a link to one of our files.
    root.Write("mine.txt", "mine");
    ASSERT_EQ(0, symlink("mine.txt", "p.cfg.tmp"));

    ASSERT_TRUE(WriteIniValue("p.cfg", "INFO", "NAME", "Robert"));
    EXPECT_TRUE(std::filesystem::is_symlink("p.cfg"));
    EXPECT_EQ(root.Read("real/p.cfg"), "[INFO]\r\nCHATNAME=Bob\r\nNAME=Robert\r\n");
    EXPECT_EQ(ReadIniValue("p.cfg", "INFO", "NAME"), "Robert");
    struct stat st {};
    ASSERT_EQ(0, stat("real/p.cfg", &st));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(root.Read("mine.txt"), "mine");
    EXPECT_TRUE(root.Exists("real/p.cfg.lock"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("real"), {}), 2);  // no temporary file stays
}

TEST(IniFile, TwoProgramsWritingAtOnceLoseNoChange) {
    TempRoot root(false);
    root.Write("s.ini", "[GLOBAL]\r\nCOUNT=0\r\n");
    constexpr int kRounds = 150;
    auto work = [](const std::string& who) {
        for (int i = 0; i < kRounds; ++i) {
            WriteIniValue("s.ini", "KEYS", who + std::to_string(i), "1");
            UpdateIniValue("s.ini", "GLOBAL", "COUNT",
                           [](const std::string& n) { return std::to_string(std::stoi(n) + 1); });
        }
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        work("CHILD");
        _exit(0);
    }
    work("PARENT");
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_EQ(ReadIniValue("s.ini", "GLOBAL", "COUNT"), std::to_string(2 * kRounds));
    int missing = 0;
    for (const char* who : {"CHILD", "PARENT"})
        for (int i = 0; i < kRounds; ++i) missing += ReadIniValue("s.ini", "KEYS", who + std::to_string(i)) != "1";
    EXPECT_EQ(missing, 0);
}

TEST(IniFile, WriteFailsVisiblyInAMissingFolder) {
    TempRoot root(false);
    EXPECT_FALSE(WriteIniValue("no/such/dir/x.ini", "A", "B", "C"));
}

}  // namespace zc

namespace zc {
using test::TempRoot;

TEST(IniFile, AUtf8FileFromALinuxEditorIsReadAsWindows1251) {
    TempRoot root(false);
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // "Привет"
    const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
    root.Write("u.cfg", "[INFO]\nCHATNAME=" + utf8 + "\n");
    EXPECT_EQ(ReadIniValue("u.cfg", "INFO", "CHATNAME"), cp1251);
    // With the mark some editors put first, and a sign the code page lacks.
    root.Write("bom.cfg", "\xEF\xBB\xBF[INFO]\r\nCHATNAME=" + utf8 + " \xE2\x9C\x93\r\n");
    EXPECT_EQ(ReadIniValue("bom.cfg", "INFO", "CHATNAME"), cp1251 + " &#10003;");
    // A windows-1251 file is no valid UTF-8 and stays as it is; so does a plain ASCII one.
    root.Write("w.cfg", "[INFO]\r\nCHATNAME=" + cp1251 + "\r\n");
    EXPECT_EQ(ReadIniValue("w.cfg", "INFO", "CHATNAME"), cp1251);
    // Overlong and surrogate forms are not UTF-8: the bytes are taken as windows-1251.
    root.Write("bad.cfg", "[INFO]\nA=\xC0\xAF\nB=\xED\xA0\x80\n");
    EXPECT_EQ(ReadIniValue("bad.cfg", "INFO", "A"), "\xC0\xAF");
}

TEST(IniFile, WritingIntoAUtf8FileKeepsItUtf8) {
    TempRoot root(false);
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
    root.Write("u.cfg", "\xEF\xBB\xBF[GLOBAL]\nMODE=1\n; \xE2\x9C\x93 kept\n[INFO]\nCHATNAME=" + utf8 + "\n");
    ASSERT_TRUE(WriteIniValue("u.cfg", "GLOBAL", "MODE", "2"));
    ASSERT_TRUE(WriteIniValue("u.cfg", "GROUPS", "GROUP0", cp1251));
    EXPECT_EQ(root.Read("u.cfg"), "\xEF\xBB\xBF[GLOBAL]\nMODE=2\n; \xE2\x9C\x93 kept\n[INFO]\nCHATNAME=" + utf8 +
                                      "\n[GROUPS]\nGROUP0=" + utf8 + "\n");
    EXPECT_EQ(ReadIniValue("u.cfg", "GROUPS", "GROUP0"), cp1251);
    EXPECT_EQ(ReadIniValue("u.cfg", "INFO", "CHATNAME"), cp1251);
    // A windows-1251 file gets windows-1251 bytes.
    root.Write("w.cfg", "[INFO]\r\nCHATNAME=" + cp1251 + "\r\n");
    ASSERT_TRUE(WriteIniValue("w.cfg", "INFO", "CHATNAME", cp1251 + "2"));
    EXPECT_EQ(root.Read("w.cfg"), "[INFO]\r\nCHATNAME=" + cp1251 + "2\r\n");
}

}  // namespace zc

namespace zc {

// Reads come from a parsed copy, but never an out-of-date one.
TEST(IniFile, AChangedFileIsReadAgainWhateverChangedIt) {
    test::TempRoot root(false);
    root.Write("s.ini", "[A]\r\nK=one\r\n[A]\r\nK=two\r\nL=3\r\n");
    EXPECT_EQ(ReadIniValue("s.ini", "A", "K"), "one");  // the first of a repeated key
    EXPECT_EQ(ReadIniValue("s.ini", "a", "l"), "3");
    root.Write("s.ini", "[A]\r\nK=uno\r\n[A]\r\nK=two\r\nL=3\r\n");  // same size, same second, same file
    EXPECT_EQ(ReadIniValue("s.ini", "A", "K"), "uno");
    ASSERT_TRUE(WriteIniValue("s.ini", "A", "L", "4"));
    EXPECT_EQ(ReadIniValue("s.ini", "A", "L"), "4");
    std::remove("s.ini");
    EXPECT_EQ(ReadIniValue("s.ini", "A", "K"), "");
    root.Write("s.ini", "K=outside\r\n[B]\r\nK=b\r\n");
    EXPECT_EQ(ReadIniValue("s.ini", "A", "K"), "");
    EXPECT_EQ(ReadIniValue("s.ini", "B", "K"), "b");
}

}  // namespace zc
