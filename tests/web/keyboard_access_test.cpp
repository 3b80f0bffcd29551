// The skinned window for keyboard and screen reader users, and on a dense screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>

#include "app/chat_main_dlg.h"
#include "gui/chat_main_window.h"
#include "gui/input_box.h"
#include "gui/skin_image.h"
#include "support/chat_fixture.h"
#include "ui/html/skin_host.h"
#include "ui/html/skin_theme.h"
#include "web/spin.h"

namespace zc {
namespace {

using test::Spin;

void Press(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    ASSERT_TRUE(QApplication::focusWidget());
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    Spin(key == Qt::Key_Tab ? 30 : 300);  // a pressed button shows itself pressed for 100 ms
}

// Only the window's side of a theme is looked at.
struct NoPages : SkinPages {
    void RecreateMainViews() override {}
    void PrepareSmilesList(const SkinStyles&) override {}
    void PrepareMainText(const SkinStyles&) override {}
    void PrepareUserList(const SkinStyles&) override {}
    void StartLayoutTimer(const SkinMainElements&) override {}
    void ShowMainPage() override {}
};

}  // namespace

TEST(KeyboardAccess, ButtonsAreNamedTabWalksInOrderEnterPressesAndPicturesStaySharp) {
    test::TempRoot root;
    test::FakeLockBoard board;
    test::FakeChat chat{board};
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    ChatMainWindow window;
    window.AttachChat(chat.dlg.get());
    // Stand-ins for the web views, placed as in the plain window before the skin comes.
    QWidget text(&window), list(&window);
    for (QWidget* view : {&text, &list}) view->setFocusPolicy(Qt::StrongFocus);
    window.PlaceView(&list, ViewRole::UserList);
    window.PlaceView(&text, ViewRole::ChatText);
    NoPages pages;
    ASSERT_TRUE(ApplySkinTheme(chat.dlg->User().ProfilePath(), false, pages, window, chat.dlg->Log()).Ok());
    window.show();
    window.activateWindow();
    Spin(100);

    const auto buttons = window.findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 9);
    for (QToolButton* b : buttons)
        EXPECT_TRUE(!b->toolTip().isEmpty() && b->accessibleName() == b->toolTip()) << b->objectName().toStdString();
    EXPECT_FALSE(window.Input()->accessibleName().isEmpty());
    EXPECT_NE(list.accessibleName(), text.accessibleName());
    EXPECT_LT(list.width(), 140);  // the skin's width, not the plain window's minimum

    window.Input()->setFocus();
    QStringList walked;
    for (int i = 0; i < 12; ++i) {
        Press(Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        walked << (at == &text ? "text" : at == &list ? "list" : at == window.Input() ? "input" : at->objectName());
    }
    EXPECT_EQ(walked.join(' ').toStdString(),
              "text list MAIN BOARD CONFERENCE MINIMIZE CLOSE CLEARCHAT SMILES CHATMODE OPTIONS input");
    window.findChild<QToolButton*>("BOARD")->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(chat.dlg->User().pageMode, PageMode::Board);

    // Twice the pixels in the same place, from the picture's vector twin; not for a masked one.
    const QString picture = QString::fromStdString(root.Path() + "skins/skinthemes/def/btn_main.png");
    EXPECT_EQ(LoadSkinImage(picture, 2.0, false).size(), QSize(56, 56));
    EXPECT_EQ(LoadSkinImage(picture, 2.0, false).deviceIndependentSize(), QSizeF(28, 28));
    EXPECT_EQ(LoadSkinImage(picture, 2.0, true).size(), QSize(28, 28));
}

}  // namespace zc
