#include "base/text_helpers.h"

#include <gtest/gtest.h>

namespace zc {

TEST(ParseInt, SignCountsOnlyWhenDigitsRunToTheEnd) {
    EXPECT_EQ(ParseInt("-12"), -12);
    EXPECT_EQ(ParseInt("-12a"), 12);
    EXPECT_EQ(ParseInt("12abc"), 12);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_EQ(ParseInt(""), 0);
    EXPECT_EQ(ParseInt("-"), 0);
    EXPECT_EQ(ParseInt(" 5"), 0);
    EXPECT_EQ(ParseInt("007"), 7);
    EXPECT_EQ(ParseInt("--3"), 0);
}

TEST(ParseInt, HugeNumbersSaturateInsteadOfWrapping) {
    EXPECT_EQ(ParseInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseInt("-99999999999999999999"), -2147483647);
}

TEST(ExtractField, BeforeAndAfterTheFirstDelimiter) {
    EXPECT_EQ(ExtractField("a||b||c", "||", 0), "a");
    EXPECT_EQ(ExtractField("a||b||c", "||", 1), "b||c");
    EXPECT_EQ(ExtractField("abc", "||", 0), "");
    EXPECT_EQ(ExtractField("abc", "||", 1), "");
    EXPECT_EQ(ExtractField("||x", "||", 0), "");
    EXPECT_EQ(ExtractField("x||", "||", 1), "");
}

}  // namespace zc
