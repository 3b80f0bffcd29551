// Pages in real views: each view keeps its own page whatever another writes, and the user list
// column shows whole the names that fit it at the window's first size.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWebEngineScript>
#include <QWidget>

#include "base/cp1251.h"
#include "base/settings.h"
#include "gui/web/web_view_factory.h"
#include "net/user_roster.h"
#include "support/temp_root.h"
#include "ui/html/skin_geometry.h"
#include "ui/html/user_list_page.h"

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

QVariant InPage(CZeltoChatText* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->Page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    WaitFor([&] { return done; });
    return result;
}

}  // namespace

// The board in front may write page after page; the chat page can still be loaded again.
TEST(ViewPages, ABurstOfBoardPagesLeavesTheChatPageItsOwn) {
    test::TempRoot root(false);
    QWidget host;
    WebViewFactory views(root.Path(), &host, [](ViewRole, const ViewEvent&) {}, nullptr);
    std::unique_ptr<HtmlView> chat = views.CreateView(ViewRole::ChatText), board = views.CreateView(ViewRole::Board);
    auto* chatView = views.Live().at(ViewRole::ChatText);
    host.show();
    chat->WritePage("<html><body>the chat page</body></html>");
    ASSERT_TRUE(WaitFor([&] { return chatView->Loaded(); }));
    for (int i = 0; i < 40; ++i) board->WritePage("<html><body>board " + std::to_string(i) + "</body></html>");
    Spin(200);

    bool finished = false, ok = false;
    QObject::connect(chatView->Page(), &QWebEnginePage::loadFinished, [&](bool success) {
        finished = true;
        ok = success;
    });
    chatView->Page()->triggerAction(QWebEnginePage::Reload);
    ASSERT_TRUE(WaitFor([&] { return finished; }));
    EXPECT_TRUE(ok);
    EXPECT_EQ(InPage(chatView, "document.body ? document.body.innerText : ''").toString(), "the chat page");
}

// At the window's first size, in each shipped theme: a user without a picture starts at the
// column's edge, and names that fit beside a picture or alone are not cut.
TEST(ViewPages, UserListColumnAtTheFirstWindowSize) {
    test::TempRoot root;
    QImage picture(48, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(QString::fromStdString(root.Path() + "avatars/me.png")));
    ASSERT_TRUE(picture.save(QString::fromStdString(root.Path() + "avatars/ivan.png")));
    CUserRoster roster;
    const auto add = [&](const std::string& id, const char* utf8Name, const std::string& avatar) {
        roster.AddOrUpdate(id, "10.0.0." + id, Utf8ToCp1251(utf8Name), 1, avatar);
        roster.SetMode(id, 1, "Available", avatar);
    };
    add("1", "Александра Константиновна", "me.png");
    add("2", "Людмила Петровна", "");
    add("3", "Иван Петров", "ivan.png");
    LocalUser user;
    user.maxAvatarSize = 48;
    const WindowParams first;

    for (const char* theme : {"def", "dark"}) {
        SCOPED_TRACE(theme);
        const auto main = ParseMainElements(root.Read(std::string("skins/skinthemes/") + theme + "/skin.cfg"));
        ASSERT_TRUE(main);
        const SkinRect rect = ViewRect(main->list, *main, first.right - first.left, first.bottom - first.top);
        QWidget host;
        WebViewFactory views(root.Path(), &host, [](ViewRole, const ViewEvent&) {}, nullptr);
        std::unique_ptr<HtmlView> list = views.CreateView(ViewRole::UserList);
        auto* view = views.Live().at(ViewRole::UserList);
        view->resize(rect.Width(), rect.Height());
        host.resize(rect.Width(), rect.Height());
        host.show();
        ASSERT_TRUE(PrepareUserList(list.get(), root.Path(), theme, "list.css"));
        ASSERT_TRUE(RefreshUserList(list.get(), UserListContext{roster, user, "1", root.Path(), "Avatar:"}));
        ASSERT_TRUE(WaitFor([&] { return view->Loaded(); }));
        Spin(300);
        // Per name: its left edge in the page and whether its text is wider than its cell.
        const QVariantMap names =
            InPage(view, "var out = {}; document.querySelectorAll('td.username, td.myname').forEach(function (td) {"
                         "  out[td.textContent] = [td.getBoundingClientRect().left, td.scrollWidth > td.clientWidth];"
                         "}); out")
                .toMap();
        ASSERT_EQ(names.size(), 3);
        const QVariantList alone = names.value("Людмила Петровна").toList(), beside = names.value("Иван Петров").toList();
        ASSERT_EQ(alone.size(), 2);
        ASSERT_EQ(beside.size(), 2);
        EXPECT_LT(alone[0].toDouble() + 40, beside[0].toDouble()) << "no empty picture cell before the name";
        EXPECT_FALSE(alone[1].toBool()) << "a name alone in the column";
        EXPECT_FALSE(beside[1].toBool()) << "a short name beside a picture";
    }
}

}  // namespace zc
