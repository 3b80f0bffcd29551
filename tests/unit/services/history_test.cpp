#include "services/history.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

TEST(History, ANewFileDeclaresItsCharsetOnceAndKeepsTheEntriesByteForByte) {
    TempRoot root(false);
    FakeClock clock;
    ChatHistory history(clock);
    const std::string path = history.PathFor(true);
    EXPECT_FALSE(root.Exists(path));  // asking for the path writes nothing
    history.AppendHistory("<b>\xCF\xF0\xE8\xE2\xE5\xF2</b>", true, false);
    history.AppendHistory("two", true, false);
    EXPECT_EQ(root.Read(path), std::string(kHistoryCharsetLine) + "<b>\xCF\xF0\xE8\xE2\xE5\xF2</b>\n<br>two\n<br>");
    // A file from before keeps what it has; only new files get the line.
    root.Write(history.PathFor(false), "old\n<br>");
    history.AppendHistory("new", false, false);
    EXPECT_EQ(root.Read(history.PathFor(false)), "old\n<br>new\n<br>");
}

TEST(History, LastLinesAreTheNewestFragmentsOldestFirst) {
    TempRoot root(false);
    FakeClock clock;
    ChatHistory history(clock);
    for (int i = 1; i <= 25; ++i) history.AppendHistory("line " + std::to_string(i), true, false);
    const std::vector<std::string> last = LastHistoryLines(history.PathFor(true), 20);
    ASSERT_EQ(last.size(), 20u);
    EXPECT_EQ(last.front(), "line 6");
    EXPECT_EQ(last.back(), "line 25");
    history.AppendHistory("<b>x</b>", false, true);
    EXPECT_EQ(LastHistoryLines(history.PathFor(false), 20),
              std::vector<std::string>{"[08/12/2025] [10:00:00] <b>x</b>"});
    EXPECT_TRUE(LastHistoryLines(root.Path() + "missing.htm", 20).empty());
}

}  // namespace zc
