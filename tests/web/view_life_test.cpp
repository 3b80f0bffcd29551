// A view the chat lets go of (a skin change, a cleared page) while its own menu is open.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWebEngineScript>

#include "gui/web/web_view_factory.h"
#include "support/temp_root.h"

namespace zc {

// Hidden at once, it goes only once the page's event is done with it.
TEST(ViewLife, AViewLetGoUnderItsOwnMenuGoesWhenTheEventIsDone) {
    auto waitFor = [](auto done) {
        for (int i = 0; i < 250 && !done(); ++i) {
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return done();
    };
    test::TempRoot root;
    QWidget host;
    std::unique_ptr<HtmlView> held;
    QPointer<CZeltoChatText> view;
    bool hiddenUnderMenu = false;
    size_t retiredUnderMenu = 0;
    WebViewFactory* factory = nullptr;
    WebViewFactory views(
        root.Path(), &host,
        [&](ViewRole, const ViewEvent&) {
            QMenu menu;
            menu.addAction("Copy");
            QTimer::singleShot(200, &menu, [&] {
                held.reset();
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
    host.show();
    view->WritePage("<html><body><p>a line</p></body></html>");
    ASSERT_TRUE(waitFor([&] { return view->Loaded(); }));
    QEventLoop settle;  // the page's bridge connects
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    view->Page()->runJavaScript("document.body.dispatchEvent(new MouseEvent('contextmenu', {bubbles: true}));",
                                QWebEngineScript::MainWorld);
    ASSERT_TRUE(waitFor([&] { return view.isNull(); }));
    EXPECT_TRUE(hiddenUnderMenu);
    EXPECT_EQ(retiredUnderMenu, 1u);
    EXPECT_EQ(views.Retired(), 0u);
}

}  // namespace zc
