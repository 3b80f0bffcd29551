#include <gtest/gtest.h>

#include <vector>

#include "ui/html/memory_html_view.h"
#include "ui/html/page_text.h"

namespace zc {
namespace {

using Change = MemoryHtmlView::Change;

TEST(MemoryHtmlViewTest, AppendGoesBeforeTheLastBodyEndInAnyCase) {
    std::string page = "<html><body>a</BODY><!-- </body> in a comment --></Body></html>";
    ASSERT_TRUE(InsertBeforeBodyEnd(page, "<br>b"));
    EXPECT_EQ("<html><body>a</BODY><!-- </body> in a comment --><br>b</Body></html>", page);

    std::string noBody = "<html><p>x</p></html>";
    EXPECT_FALSE(InsertBeforeBodyEnd(noBody, "y"));
    EXPECT_EQ("<html><p>x</p></html>", noBody);
    std::string empty;
    EXPECT_FALSE(InsertBeforeBodyEnd(empty, "y"));
}

TEST(MemoryHtmlViewTest, InnerHtmlById) {
    const std::string page =
        "<html><body id=\"BODY_TEXT\">\n"
        "<span class=\"copyright\">Hi</span>"
        "<div ID='list'><div>one</div><DIV class=x>two</div></div>tail"
        "<span id=plain>A &amp; <b>B</b></span>"
        "<span id=\"ENDOFTEXT\"></span>"
        "<img id=\"pic\" src=\"a.gif\"><br id=\"br1\"/>"
        "<p id=\"open\">never closed"
        "</body></html>";
    EXPECT_EQ("<div>one</div><DIV class=x>two</div>", InnerHtmlOfId(page, "list"));
    EXPECT_EQ("A &amp; <b>B</b>", InnerHtmlOfId(page, "plain"));
    EXPECT_EQ("", InnerHtmlOfId(page, "ENDOFTEXT"));
    EXPECT_EQ("", InnerHtmlOfId(page, "pic"));
    EXPECT_EQ("", InnerHtmlOfId(page, "br1"));
    EXPECT_EQ("never closed", InnerHtmlOfId(page, "open"));
    EXPECT_EQ("", InnerHtmlOfId(page, "LIST"));  // ids are exact
    EXPECT_EQ("", InnerHtmlOfId(page, "missing"));
    EXPECT_EQ("", InnerHtmlOfId(page, ""));
    EXPECT_NE(std::string::npos, InnerHtmlOfId(page, "BODY_TEXT").find("tail"));
    // An id mentioned in text or in another attribute is not an element's id.
    EXPECT_EQ("", InnerHtmlOfId("<body>id=\"x\"<a title=\"id=x\" href=\"#\">t</a></body>", "x"));
    // Broken markup must not run away.
    EXPECT_EQ("", InnerHtmlOfId("<span id=\"x", "x"));
    EXPECT_EQ("", InnerHtmlOfId("<span id=", "x"));
}

TEST(MemoryHtmlViewTest, ViewTellsEveryChange) {
    std::vector<Change> changes;
    std::vector<std::string> pages;
    MemoryViewFactory factory([&](const MemoryHtmlView& v, Change c) {
        changes.push_back(c);
        pages.push_back(v.Page());
        EXPECT_EQ(ViewRole::ChatText, v.Role());
    });
    auto view = factory.CreateView(ViewRole::ChatText);
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->AppendToBody("lost"));  // no page yet
    EXPECT_TRUE(changes.empty());

    ASSERT_TRUE(view->WritePage("<body id=\"B\"></body>"));
    ASSERT_TRUE(view->AppendToBody("x<br>"));
    view->ScrollToEnd();
    view->SetVisible(false);
    EXPECT_EQ((std::vector<Change>{Change::Page, Change::Page, Change::Scroll, Change::Visibility}), changes);
    EXPECT_EQ("<body id=\"B\">x<br></body>", pages[1]);
    EXPECT_EQ("x<br>", view->InnerHtmlById("B"));
    EXPECT_FALSE(static_cast<MemoryHtmlView&>(*view).Visible());

    // A new page replaces the old one.
    ASSERT_TRUE(view->WritePage("<body></body>"));
    EXPECT_EQ("", view->InnerHtmlById("B"));
}

}  // namespace
}  // namespace zc
