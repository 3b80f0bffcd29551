#include "base/message_text.h"
#include "ui/html/markup.h"

#include <gtest/gtest.h>

#include <fstream>

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
    EXPECT_EQ(ChatUrlLinker("[URL]https://example.invalid/a?x=1[/URL]"),
              "<a class=\"urllink\" href=\"https://example.invalid/a?x=1\">https://example.invalid/a?x=1</a>");
    EXPECT_EQ(ChatUrlLinker(MessageTextSanitizer("http://www.example.org/x", true)),
              "http://<a class=\"urllink\" href=\"http://www.example.org/x\" title=\"www.example.org/x\">www.example.org/x</a>");
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

namespace zc {

// Honest lines as users write them, with what the pages got for them before the one-pass marking.
TEST(Markup, LinksGoldenCases) {
    std::ifstream in(std::string(ZC_GOLDEN_DIR) + "/markup/links.cases", std::ios::binary);
    ASSERT_TRUE(in);
    std::string line, input;
    int cases = 0;
    while (std::getline(in, line)) {
        if (line.rfind("<<< ", 0) == 0) input = line.substr(4);
        if (line.rfind(">>> ", 0) != 0) continue;
        EXPECT_EQ(ChatUrlLinker(MessageTextSanitizer(input, true)), line.substr(4)) << input;
        ++cases;
    }
    EXPECT_GE(cases, 14);
}

TEST(Markup, RepeatedAddressesCostTheirLengthNotItsSquare) {
    std::string text = "1:";
    for (int i = 0; i < 670; ++i) text += "www.a ";
    const std::string page = ChatUrlLinker(MessageTextSanitizer(text, true));
    // Each address becomes one anchor of a bounded size; before, 4 KB became 4.9 MB.
    size_t anchors = 0;
    for (size_t at = page.find("<a "); at != std::string::npos; at = page.find("<a ", at + 1)) ++anchors;
    EXPECT_EQ(anchors, 670u);
    EXPECT_LT(page.size(), text.size() * 16);
    std::string pictures;
    for (int i = 0; i < 400; ++i) pictures += "[IMG]/no/x[/IMG]";
    EXPECT_EQ(MessageTextSanitizer(pictures, true).size(), 400u * 5);
}

}  // namespace zc
