// The window's failure paths on the desktop side: a view let go of under its own menu, and a
// skin button whose picture is missing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineScript>

#include "gui/chat_main_window.h"
#include "gui/web/web_view_factory.h"
#include "platform/window_commands.h"
#include "support/temp_root.h"

namespace zc {
namespace {

void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <class Done>
bool WaitFor(Done done, int ms = 5000) {
    for (int i = 0; i < ms / 20 && !done(); ++i) Spin(20);
    return done();
}

}  // namespace

// The chat rebuilds its pages (a skin change, a cleared page) while the page's own menu is
// open: the view is hidden at once and goes only once the page's event is done with it.
TEST(ViewLife, AViewLetGoUnderItsOwnMenuGoesWhenTheEventIsDone) {
    test::TempRoot root;
    QWidget host;
    std::unique_ptr<HtmlView> held;
    QPointer<CZeltoChatText> view;
    bool aliveUnderMenu = false, hiddenUnderMenu = false;
    size_t retiredUnderMenu = 0;
    WebViewFactory* factory = nullptr;
    WebViewFactory views(
        root.Path(), &host,
        [&](ViewRole, const ViewEvent& e) {
            if (e.kind != ViewEventKind::ContextMenu) return;
            QMenu menu;
            menu.addAction("Copy");
            QTimer::singleShot(200, &menu, [&] {
                held.reset();
                aliveUnderMenu = !view.isNull();
                hiddenUnderMenu = view && !view->isVisible();
                retiredUnderMenu = factory->Retired();
                menu.close();
            });
            menu.exec(QPoint(20, 20));
        },
        nullptr);
    factory = &views;
    held = views.CreateView(ViewRole::ChatText);
    view = views.Live().at(ViewRole::ChatText);
    host.resize(400, 300);
    view->resize(400, 300);
    host.show();
    view->WritePage("<html><body><p>a line</p></body></html>");
    ASSERT_TRUE(WaitFor([&] { return view->Loaded(); }));
    Spin(300);
    view->Page()->runJavaScript("document.body.dispatchEvent(new MouseEvent('contextmenu', {bubbles: true}));",
                                QWebEngineScript::MainWorld);
    ASSERT_TRUE(WaitFor([&] { return view.isNull(); }));
    EXPECT_TRUE(aliveUnderMenu);
    EXPECT_TRUE(hiddenUnderMenu);
    EXPECT_EQ(retiredUnderMenu, 1u);
    EXPECT_EQ(views.Retired(), 0u);
    EXPECT_EQ(views.Live().count(ViewRole::ChatText), 0u);
}

TEST(DesktopWindowSkin, AButtonWithoutItsPictureStaysAsText) {
    ChatMainWindow window;
    SkinMainElements main;
    main.width = 300;
    main.height = 200;
    window.SetMainElements(main);
    SkinButton button;
    button.name = "REFRESH";
    button.command = ID_REFRESH;
    window.AddButton(button, "");
    auto* shown = window.findChild<QToolButton*>("REFRESH");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), "REFRESH");
    EXPECT_GT(shown->width(), 20);
    qApp->setStyleSheet(QString());
}

}  // namespace zc
