#include "ui/html/keyboard_layout.h"

#include <gtest/gtest.h>

namespace zc {

TEST(KeyboardLayout, LatinToCyrillicAndBack) {
    const std::string cyrillic = "\xEF\xF0\xE8\xE2\xE5\xF2";  // "привет" in windows-1251
    EXPECT_EQ(TranslateKeyboardLayout("ghbdtn"), cyrillic);
    EXPECT_EQ(TranslateKeyboardLayout(cyrillic), "ghbdtn");
    // Characters that stand twice in the row use their first position.
    EXPECT_EQ(TranslateKeyboardLayout(","), "\xE1");
    EXPECT_EQ(TranslateKeyboardLayout("\xE1"), ",");
    EXPECT_EQ(TranslateKeyboardLayout("."), "/");
    EXPECT_EQ(TranslateKeyboardLayout("1 2"), "1 2");
}

TEST(KeyboardLayout, OnlyTheSelectionChanges) {
    EXPECT_EQ(TranslateKeyboardLayout("ab ghbdtn cd", 3, 9), "ab \xEF\xF0\xE8\xE2\xE5\xF2 cd");
    EXPECT_EQ(TranslateKeyboardLayout("gh", 1, 1), "\xEF\xF0");  // empty selection: whole text
}

}  // namespace zc

#include "ui/html/input_box.h"

namespace zc {

TEST(InputBox, MenuMarkupForChosenFiles) {
    // Blanks stay: the picture is shown only when a file of exactly that name exists.
    EXPECT_EQ(PictureMarkup("/srv/my pics/a b.png"), "[IMG]/srv/my pics/a b.png[/IMG]");
    EXPECT_EQ(FileLinkMarkup("\\\\server\\share\\doc.txt"), "[URL]\\\\server\\share\\doc.txt[/URL]");
}

}  // namespace zc
