#include "ui/html/smile_alias.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "base/debug_log.h"
#include "base/language.h"
#include "base/settings.h"
#include "base/text_helpers.h"
#include "support/fakes.h"
#include "support/temp_root.h"
#include "ui/html/chat_document.h"
#include "base/message_text.h"

namespace zc {
using namespace zc::test;

namespace {

// Pictures named by the golden alias file; missing.svg is left out on purpose.
const char* const kGoldenPictures[] = {"smile.svg", "laugh.svg", "double.svg", "wink.svg",   "pair.svg",
                                       "half.svg",  "second.svg", "sad.svg",   "web.svg",    "cool.svg",
                                       "tongue.svg", "quoted.svg", "heart.svg", "empty.svg"};

// A program folder holding the golden alias file and its pictures.
struct SmilesFolder {
    SmilesFolder() {
        root.Write("smiles/smilesalias.cfg", ReadGolden("smiles/aliases.cfg"));
        for (const char* name : kGoldenPictures) root.Write(std::string("smiles/") + name, "<svg/>");
    }
    std::string Log() const { return ReadFileBytes(log.CurrentFilePath()); }
    TempRoot root{false};
    FakeClock clock;
    DebugLog log{clock, ""};
    SmileAliasTable table;
};

std::vector<std::pair<std::string, std::string>> PairsOf(const SmileAliasTable& table) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& p : table.Pairs()) out.emplace_back(p.first, p.second);
    return out;
}

}  // namespace

TEST(SmileAlias, ReadsPairsInFileOrderAndCleansThem) {
    SmilesFolder f;
    f.table.AddSmile("stale", "old.svg");  // a second reading starts afresh
    ASSERT_TRUE(ReadSmilesAlias(f.table, f.log));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"[CATEGORY]", "Faces"},  {":)", "smile.svg"},   {":-)", "smile.svg"},   {":))", "laugh.svg"},
        {";) ;)", "double.svg"},  {";)", "wink.svg"},    {"=^ ^=", "pair.svg"},  {"=^", "half.svg"},
        {":)", "second.svg"},     {":(", "missing.svg"}, {":(", "sad.svg"},      {"http", "web.svg"},
        {"8)", "cool.svg"},       {"[CATEGORY]", "Other"}, {":P", "tongue.svg"},  // category came before its file line
        {"&quot;q&quot;", "quoted.svg"}, {"3", "heart.svg"}, {"", "empty.svg"},
    };
    EXPECT_EQ(PairsOf(f.table), expected);  // ":x" after the last file line is dropped
    EXPECT_NE(f.Log().find(":::ReadSmilesAlias...OK"), std::string::npos);
}

TEST(SmileAlias, LineEndsAndUnknownLines) {
    SmileAliasTable table;
    ParseSmilesAlias("alias=:)\nfile=a.svg\n \nALIAS=:(\nfile=b.svg\nfile=c.svg\ncategory=Last", table);
    EXPECT_EQ(PairsOf(table), (std::vector<std::pair<std::string, std::string>>{
                                  {":)", "a.svg"}, {"[CATEGORY]", "Last"}}));
    // Only the line end is taken off: a trailing blank belongs to the alias.
    table.Clear();
    ParseSmilesAlias("alias=:) \r\nfile=a.svg\r\n", table);
    ASSERT_EQ(table.Pairs().size(), 1u);
    EXPECT_EQ(table.Pairs()[0].first, ":) ");
}

TEST(SmileAlias, MissingFileLeavesTheTableEmpty) {
    TempRoot root(false);
    FakeClock clock;
    DebugLog log(clock, "");
    SmileAliasTable table;
    table.AddSmile(":)", "a.svg");
    EXPECT_FALSE(ReadSmilesAlias(table, log));
    EXPECT_TRUE(table.Empty());
    EXPECT_NE(ReadFileBytes(log.CurrentFilePath()).find(":::ReadSmilesAlias...FAILED"), std::string::npos);
    EXPECT_EQ(SmileSubstitution(table, "hi :)", root.Path()), "hi :)");
}

TEST(SmileSubstitution, GoldenCases) {
    SmilesFolder f;
    ASSERT_TRUE(ReadSmilesAlias(f.table, f.log));
    std::istringstream cases(ReadGolden("smiles/substitution.cases"));
    std::string line, name, input;
    int checked = 0;
    while (std::getline(cases, line)) {
        if (line.rfind("# ", 0) == 0) name = line.substr(2);
        else if (line.rfind("in: ", 0) == 0) input = line.substr(4);
        else if (line.rfind("out: ", 0) == 0) {
            const std::string expected = ReplaceAll(line.substr(5), "@ROOT@", f.root.Path());
            EXPECT_EQ(SmileSubstitution(f.table, input, f.root.Path()), expected) << name;
            ++checked;
        }
    }
    EXPECT_GE(checked, 15);
}

// A flood of 750 lines of smiles: each line shows its first smiles as pictures and the rest as
// text, and the page is cleared before it passes its byte bound.
TEST(SmileSubstitution, AFloodOfSmilesStaysBounded) {
    SmilesFolder f;
    ASSERT_TRUE(ReadSmilesAlias(f.table, f.log));
    std::string line;
    while (line.size() + 3 <= 4096) line += ":) ";
    const std::string out = SmileSubstitution(f.table, line, f.root.Path());
    size_t pictures = 0;
    for (size_t at = out.find("<img "); at != std::string::npos; at = out.find("<img ", at + 1)) ++pictures;
    EXPECT_EQ(pictures, kMaxSmilesPerLine);
    EXPECT_TRUE(out.substr(out.rfind('>') + 1) == line.substr(3 * kMaxSmilesPerLine - 1)) << "the rest stays text";

    LocalUser user;
    LanguageTable language;
    FakeViewFactory views;
    ChatDocument doc(ChatDocumentContext{f.clock, f.log, user, language, f.root.Path(), "1.0"}, views, nullptr);
    doc.SetSmileSubstitution([&](const std::string& t) { return SmileSubstitution(f.table, t, f.root.Path()); });
    ASSERT_TRUE(doc.CreateViews());
    size_t largest = 0;
    for (int i = 0; i < 750; ++i) {
        doc.AppendChatLine(line, "Mallory", ChatLineKind::Message);
        largest = std::max(largest, views.Live(ViewRole::ChatText)->Body().size());
    }
    EXPECT_LE(largest, kMaxChatPageBytes + 4096);
}

// The substitution as the chat page runs it: on the cleaned text, before the links are made.
TEST(SmileSubstitution, InTheChatLine) {
    SmilesFolder f;
    ASSERT_TRUE(ReadSmilesAlias(f.table, f.log));
    LocalUser user;
    user.nickname = "Me";
    LanguageTable language;
    FakeViewFactory views;
    ChatDocument doc(ChatDocumentContext{f.clock, f.log, user, language, f.root.Path(), "1.0"}, views, nullptr);
    doc.SetSmileSubstitution([&](const std::string& t) { return SmileSubstitution(f.table, t, f.root.Path()); });
    ASSERT_TRUE(doc.CreateViews());
    FakeView* chat = views.Live(ViewRole::ChatText);

    const std::string before = chat->Body();
    doc.AppendChatLine(MessageTextSanitizer("see www.site.org/:) :) <3", true), "", ChatLineKind::Alert, nullptr,
                       false, false);
    const std::string smile = "<img src=\"file://" + f.root.Path() +
                              "smiles/smile.svg\" align=\"baseline\" class=\"smilesalias\" title=\":)\">";
    const std::string heart = "<img src=\"file://" + f.root.Path() +
                              "smiles/heart.svg\" align=\"baseline\" class=\"smilesalias\" title=\"3\">";
    EXPECT_EQ(chat->Body(), before + "<span class=\"alert\">see <a class=\"urllink\" href=\"http://www.site.org/:)\" "
                                     "title=\"www.site.org/:)\">www.site.org/:)</a> " + smile + " " + heart + "</span>");

    user.disableSmiles = true;
    const std::string plain = chat->Body();
    doc.AppendChatLine(":) end", "", ChatLineKind::Alert, nullptr, false, false);
    EXPECT_EQ(chat->Body(), plain + "<span class=\"alert\">:) end</span>");
}

// The smiles we ship: every picture there and drawn alike, every alias reachable as typed.
TEST(SmileAlias, ShippedSmiles) {
    TempRoot root(true);
    FakeClock clock;
    DebugLog log(clock, "");
    SmileAliasTable table;
    ASSERT_TRUE(ReadSmilesAlias(table, log));

    std::set<std::string> files, categories, aliases, written;
    std::istringstream raw(root.Read("smiles/smilesalias.cfg"));
    for (std::string line; std::getline(raw, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("alias", 0) == 0) written.insert(ExtractField(line, "=", 1));
    }
    for (const auto& pair : table.Pairs()) {
        if (pair.IsCategory()) {
            EXPECT_TRUE(categories.insert(pair.second).second) << "category twice: " << pair.second;
            continue;
        }
        files.insert(pair.second);
        EXPECT_TRUE(aliases.insert(pair.first).second) << "alias twice: " << pair.first;
        // Cleaning must not have changed it, or what the smiles window inserts is not what matches.
        EXPECT_EQ(written.count(pair.first), 1u) << pair.first;
        EXPECT_NE(pair.first.find_first_not_of("0123456789"), std::string::npos) << "would eat numbers: " << pair.first;
        // Typed alone, each alias shows its own picture.
        EXPECT_EQ(SmileSubstitution(table, pair.first, root.Path()),
                  "<img src=\"file://" + root.Path() + "smiles/" + pair.second +
                      "\" align=\"baseline\" class=\"smilesalias\" title=\"" + pair.first + "\">");
    }
    EXPECT_GE(files.size(), 24u);
    EXPECT_GE(categories.size(), 3u);
    for (const std::string& file : files) {
        ASSERT_TRUE(root.Exists("smiles/" + file)) << file;
        const std::string svg = root.Read("smiles/" + file);
        EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\" viewBox=\"0 0 24 24\">", 0),
                  0u) << file;
        EXPECT_NE(svg.find("</svg>"), std::string::npos) << file;
    }
}

}  // namespace zc
