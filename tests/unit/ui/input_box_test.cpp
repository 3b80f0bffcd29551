#include "ui/html/input_box.h"

#include <gtest/gtest.h>

#include "base/message_text.h"
#include "support/temp_root.h"
#include "ui/html/markup.h"

namespace zc {

// What the menu writes, as the receiving chat shows it.
TEST(InputBoxMarkup, PictureFromAPathWithBlanksIsShown) {
    test::TempRoot root(false);
    root.Write("my pics/a cat.png", "x");
    const std::string path = root.Path() + "my pics/a cat.png";
    const std::string shown = MessageTextSanitizer(PictureMarkup(path), true);
    EXPECT_EQ(shown, "<img class=\"image\" src=\"file://" + root.Path() + "my%20pics/a%20cat.png\" title=\"" + path + "\">");
}

TEST(InputBoxMarkup, FileLinkOpensTheFileNotAWebAddress) {
    const std::string shown = ChatUrlLinker(MessageTextSanitizer(FileLinkMarkup("/srv/share/report.txt"), true));
    EXPECT_EQ(shown, "<a class=\"urllink\" href=\"file:///srv/share/report.txt\" title=\"file:///srv/share/report.txt\">"
                     "file:///srv/share/report.txt</a>");
    // Only a link that begins with the scheme keeps it as its target.
    EXPECT_EQ(ChatUrlLinker("[URL]x.org/?u=file://a[/URL]").find("href=\"file:"), std::string::npos);
}

}  // namespace zc
