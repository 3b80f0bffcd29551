#include "base/language.h"

#include <gtest/gtest.h>

#include "base/debug_log.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using test::TempRoot;

namespace {
size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
}  // namespace

TEST(Language, ShippedFilesHaveEveryString) {
    TempRoot root;
    test::FakeClock clock;
    DebugLog log(clock, "");
    for (const char* name : {"english", "russian"}) {
        LanguageTable table;
        ASSERT_TRUE(table.LoadLanguageFile(name, log)) << name;
        for (int i = 0; i < kLanguageTableSize; ++i) EXPECT_FALSE(table.LangString(i).empty()) << name << " " << i;
        EXPECT_NE(table.LangString(91).find("%s"), std::string::npos) << name;
    }
    EXPECT_FALSE(root.Exists(log.CurrentFilePath())) << root.Read(log.CurrentFilePath());  // nothing was missing
}

TEST(Language, FallsBackToEnglishAndLogsIt) {
    TempRoot root;
    root.Write("system/zeltochat.ini", "[GLOBAL]\r\nLANGUAGE=klingon\r\n");
    test::FakeClock clock;
    DebugLog log(clock, "");
    LanguageTable table;
    ASSERT_TRUE(ReadLanguage(table, log, "system/zeltochat.ini"));
    EXPECT_EQ(table.Name(), "english");
    const std::string text = test::ReadFileBytes(log.CurrentFilePath());
    const size_t failed = text.find(":::ReadLanguage klingon.cfg FAILED");
    ASSERT_NE(failed, std::string::npos);
    EXPECT_LT(text.find(":::ReadLanguage from klingon.cfg"), failed);
    EXPECT_GT(text.find(":::ReadLanguage from english.cfg"), failed);
}

TEST(Language, EndsWhenEvenEnglishIsMissing) {
    TempRoot root(false);
    test::FakeClock clock;
    DebugLog log(clock, "");
    LanguageTable table;
    EXPECT_FALSE(ReadLanguage(table, log, "system/zeltochat.ini"));
    const std::string text = test::ReadFileBytes(log.CurrentFilePath());
    EXPECT_NE(text.find(":::ReadLanguage english.cfg FAILED"), std::string::npos);
    EXPECT_NE(text.find(":::CRITICAL ERROR: Previous function return error. Closing programm."), std::string::npos);
    EXPECT_EQ(table.LangString(0), " ");
}

TEST(Language, PartialFileLogsEachMissingKeyAndStripsBrackets) {
    TempRoot root(false);
    std::string file = "[STRINGS]\r\n";
    for (int i = 0; i < 100; ++i) file += "STR" + std::to_string(i) + "=Text <b>" + std::to_string(i) + "</b>\r\n";
    root.Write("language/lang_part.cfg", file);
    test::FakeClock clock;
    DebugLog log(clock, "");
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguageFile("part", log));
    EXPECT_EQ(table.Size(), 128u);
    EXPECT_EQ(table.LangString(5), "Text b5/b");
    EXPECT_EQ(table.LangString(100), "");
    EXPECT_EQ(table.LangString(128), " ");
    EXPECT_EQ(table.LangString(-1), " ");
    const std::string text = test::ReadFileBytes(log.CurrentFilePath());
    EXPECT_EQ(Count(text, ":::Missing string STR"), 28u);
    EXPECT_NE(text.find(":::Missing string STR127 in language/lang_part.cfg"), std::string::npos);
}

TEST(Language, GarbageFileGivesEmptyEntriesNotACrash) {
    TempRoot root(false);
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
    root.Write("language/lang_english.cfg", garbage);
    test::FakeClock clock;
    DebugLog log(clock, "");
    LanguageTable table;
    EXPECT_TRUE(table.LoadLanguageFile("english", log));
    EXPECT_EQ(table.Size(), 128u);
}

TEST(Language, InfoDialogLabelsInTheirOrder) {
    TempRoot root;
    test::FakeClock clock;
    DebugLog log(clock, "");
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguageFile("english", log));
    table.SetName("english");
    auto labels = InfoDialogLabels(table);
    ASSERT_EQ(labels.size(), 15u);
    EXPECT_EQ(labels[6], table.LangString(85));
    EXPECT_EQ(labels[9], "IP");
    EXPECT_EQ(labels[14], table.LangString(63));
    for (const auto& l : labels) EXPECT_FALSE(l.empty());
}

}  // namespace zc
