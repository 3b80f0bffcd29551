// The tray icon's Qt side: the menu drawn from the chat's lines and the flashing pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <QMenu>

#include "gui/program_icon.h"
#include "gui/tray_icon_qt.h"

namespace zc {

TEST(TrayMenuQt, LinesBecomeActionsSeparatorsAndACheckedSubMenu) {
    TrayMenuItem modes{0, "Chat mode", false, {{32786, "Free", false, {}}, {32787, "Busy", true, {}}}};
    const std::vector<TrayMenuItem> items = {{32780, "Options", false, {}}, {}, {32823, "\xd1\xea\xf0\xfb\xf2\xfc", false, {}},
                                             {}, modes};
    std::vector<int> picked;
    QMenu menu;
    FillTrayMenu(menu, items, [&picked](int command) { picked.push_back(command); });

    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "Options");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QString::fromUtf8("Скрыть"));  // the language file's code page
    EXPECT_TRUE(actions[3]->isSeparator());
    ASSERT_NE(actions[4]->menu(), nullptr);
    EXPECT_EQ(actions[4]->text(), "Chat mode");
    const QList<QAction*> sub = actions[4]->menu()->actions();
    ASSERT_EQ(sub.size(), 2);
    EXPECT_FALSE(sub[0]->isChecked());
    EXPECT_TRUE(sub[1]->isChecked());

    actions[2]->trigger();
    sub[0]->trigger();
    EXPECT_EQ(picked, (std::vector<int>{32823, 32786}));
}

TEST(TrayMenuQt, EachEventHasTwoPicturesOfItsOwn) {
    const QIcon normal = MakeProgramIcon();
    const QImage base = MakeTrayIcon(normal, kTrayNormalIcon).pixmap(32, 32).toImage();
    std::vector<QImage> seen = {base};
    for (int id = kTrayAlertIcon; id <= kTrayBoardIcon + 1; ++id) {
        const QImage image = MakeTrayIcon(normal, id).pixmap(32, 32).toImage();
        ASSERT_FALSE(image.isNull()) << id;
        for (const QImage& other : seen) EXPECT_NE(image, other) << id;
        seen.push_back(image);
    }
    // An id of no event keeps the normal picture.
    EXPECT_EQ(MakeTrayIcon(normal, 999).pixmap(32, 32).toImage(), base);
}

}  // namespace zc
