#include "base/message_text.h"
#include "ui/html/markup.h"

#include <gtest/gtest.h>

#include "support/temp_root.h"

namespace zc {

TEST(Markup, SanitizerDropsBracketsAndEscapesQuotes) {
    EXPECT_EQ(MessageTextSanitizer("<script>alert(\"x\")</script>", true), "scriptalert(&quot;x&quot;)/script");
    EXPECT_EQ(MessageTextSanitizer("a\" onmouseover=\"b", false), "a&quot; onmouseover=&quot;b");
}

TEST(Markup, BareAddressesBecomeLinks) {
    EXPECT_EQ(ChatUrlLinker(MessageTextSanitizer("see www.example.org now", true)),
              "see <a class=\"urllink\" href=\"http://www.example.org\" title=\"www.example.org\">www.example.org</a> now");
    EXPECT_EQ(ChatUrlLinker("[URL][URL]host/x[/URL][/URL]"),
              "<a class=\"urllink\" href=\"http://host/x\">http://host/x</a>");
    EXPECT_EQ(ChatUrlLinker("[URL]mailto:a@b[/URL]"), "<a class=\"urllink\" href=\"mailto:a@b\">mailto:a@b</a>");
    EXPECT_EQ(ChatUrlLinker("[URL]unclosed"), "[URL]unclosed");
    // A scheme hidden before "mailto:" or a network path never becomes the link target.
    EXPECT_EQ(ChatUrlLinker("[URL]javascript:x()//mailto:a@b[/URL]"),
              "<a class=\"urllink\" href=\"http://javascript:x()//mailto:a@b\">http://javascript:x()//mailto:a@b</a>");
    EXPECT_EQ(ChatUrlLinker("[URL]javascript:x()\\\\host[/URL]").find("href=\"javascript"), std::string::npos);
    EXPECT_EQ(ChatUrlLinker("[URL]\\\\srv\\share[/URL]"),
              "<a class=\"urllink\" href=\"\\\\srv\\share\" title=\"\\\\srv\\share\">\\\\srv\\share</a>");
}

TEST(Markup, PicturesByExistenceAndSetting) {
    test::TempRoot root(false);
    root.Write("pic.png", "png");
    const std::string path = root.Path() + "pic.png";
    EXPECT_EQ(MessageTextSanitizer("[IMG]" + path + "[/IMG]", true),
              "<img class=\"image\" src=\"file://" + path + "\" title=\"" + path + "\">");
    EXPECT_EQ(MessageTextSanitizer("[IMG]" + path + "[/IMG]", true, false),
              "<a class=\"urllink\" href=\"" + path + "\">" + path + "</a>");
    EXPECT_EQ(MessageTextSanitizer("[IMG]/no/such.png[/IMG]", true), "/no/such.png");
}

}  // namespace zc
