// A burst of lines in one event-loop turn: the page gets them all, in order, in a few script calls.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWebEngineScript>
#include <QWidget>

#include "gui/web/web_view_factory.h"
#include "support/temp_root.h"
#include "web/spin.h"

namespace zc {
namespace {

const char kPage[] =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head>"
    "<body id=\"BODY_TEXT\">\n<span id=\"ENDOFTEXT\"></span>\n</body></html>";

using test::Spin;

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

std::string Line(const std::string& tag, int i) {
    return "<span class=\"" + tag + "\">" + tag + " " + std::to_string(i) + "</span><br>";
}

// The numbers of the lines of one class, in page order, as the browser holds them.
QString Numbers(CZeltoChatText* view, const QString& tag) {
    return InPage(view, "Array.from(document.querySelectorAll('span." + tag +
                            "')).map(function (e) { return e.textContent.split(' ')[1]; }).join(',')")
        .toString();
}

QString Expected(int from, int to) {
    QStringList n;
    for (int i = from; i < to; ++i) n << QString::number(i);
    return n.join(',');
}

struct LoadedView {
    LoadedView() : views(root.Path(), &host, nullptr, nullptr) {
        owner = views.CreateView(ViewRole::ChatText);
        view = views.Live().at(ViewRole::ChatText);
        host.resize(500, 400);
        view->resize(500, 400);
        host.show();
        view->WritePage(kPage);
        EXPECT_TRUE(WaitFor([&] { return view->Loaded(); }));
    }
    test::TempRoot root;
    QWidget host;
    WebViewFactory views;
    std::unique_ptr<HtmlView> owner;
    CZeltoChatText* view = nullptr;
};

}  // namespace

TEST(AppendBatch, ATurnOfLinesArrivesInOrderInFewScriptCalls) {
    LoadedView v;
    const int before = v.view->ScriptCalls();
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(v.view->AppendToBody(Line("flood", i)));
        v.view->ScrollToEnd();
    }
    // Reads by id see every queued line at once, before the browser got any of them.
    const std::string body = v.view->InnerHtmlById("BODY_TEXT");
    EXPECT_NE(body.find(Line("flood", 599)), std::string::npos);
    EXPECT_LT(body.find(Line("flood", 0)), body.find(Line("flood", 599)));

    ASSERT_TRUE(WaitFor([&] { return Numbers(v.view, "flood").count(',') == 599; }));
    EXPECT_EQ(Numbers(v.view, "flood"), Expected(0, 600));
    EXPECT_LE(v.view->ScriptCalls() - before, 2);
    // The scroll requests of the burst still leave the page at its end.
    EXPECT_TRUE(InPage(v.view, "var s = document.scrollingElement;"
                               "s.scrollTop > 0 && s.scrollTop + s.clientHeight >= s.scrollHeight - 2")
                    .toBool());

    // Turn after turn, each turn is a call of its own, and lines keep their order across turns.
    const int mid = v.view->ScriptCalls();
    for (int turn = 0; turn < 5; ++turn) {
        for (int i = 0; i < 20; ++i) v.view->AppendToBody(Line("turns", turn * 20 + i));
        Spin(0);
        Spin(30);
    }
    ASSERT_TRUE(WaitFor([&] { return Numbers(v.view, "turns").count(',') == 99; }));
    EXPECT_EQ(Numbers(v.view, "turns"), Expected(0, 100));
    EXPECT_LE(v.view->ScriptCalls() - mid, 5);
}

TEST(AppendBatch, DumpSeesThisTurnAndANewPageDropsTheOldQueue) {
    LoadedView v;
    for (int i = 0; i < 50; ++i) v.view->AppendToBody(Line("dumped", i));
    // Without going back to the event loop: the document must hold the lines all the same.
    const std::string doc = v.view->CurrentDocument();
    EXPECT_NE(doc.find(">dumped 0<"), std::string::npos);
    EXPECT_NE(doc.find(">dumped 49<"), std::string::npos);

    // Lines queued for the old page, then the page written whole: only the new text shows.
    for (int i = 0; i < 30; ++i) v.view->AppendToBody(Line("stale", i));
    v.view->WritePage(kPage);
    for (int i = 0; i < 10; ++i) v.view->AppendToBody(Line("fresh", i));
    ASSERT_TRUE(WaitFor([&] { return v.view->Loaded(); }));
    ASSERT_TRUE(WaitFor([&] { return Numbers(v.view, "fresh").count(',') == 9; }));
    EXPECT_EQ(Numbers(v.view, "fresh"), Expected(0, 10));
    EXPECT_EQ(Numbers(v.view, "stale"), "");
    EXPECT_EQ(Numbers(v.view, "dumped"), "");
    EXPECT_EQ(v.view->PageText().find("stale"), std::string::npos);
    EXPECT_NE(v.view->PageText().find(Line("fresh", 9)), std::string::npos);
}

// The view keeps to its newest line when a picture finishes loading and when it gets smaller;
// once the user scrolled up, neither moves it.
TEST(ChatViewScroll, StaysAtTheNewestLineUnlessTheUserScrolledUp) {
    LoadedView v;
    QImage tall(40, 900, QImage::Format_RGB32);
    tall.fill(Qt::darkCyan);
    ASSERT_TRUE(tall.save(QString::fromStdString(v.root.Path() + "tall.png")));
    ASSERT_TRUE(tall.save(QString::fromStdString(v.root.Path() + "later.png")));
    auto at = [&](const char* where) {
        return InPage(v.view, QString("var s = document.scrollingElement; s.scrollHeight > 1000 && ") + where).toBool();
    };
    const char* atEnd = "s.scrollTop + s.clientHeight >= s.scrollHeight - 2";
    for (int i = 0; i < 5; ++i) v.view->AppendToBody(Line("before", i));
    v.view->AppendToBody("<img src=\"" + v.root.Path() + "tall.png\"><br>");
    v.view->ScrollToEnd();
    EXPECT_TRUE(WaitFor([&] { return at(atEnd); })) << "after the picture loaded";
    v.view->resize(500, 250);
    EXPECT_TRUE(WaitFor([&] { return at(atEnd); })) << "after the view shrank";

    InPage(v.view, "document.scrollingElement.scrollTop = 100;");
    Spin(200);
    v.view->AppendToBody("<img src=\"" + v.root.Path() + "later.png\"><br>");
    v.view->resize(500, 200);
    EXPECT_TRUE(WaitFor([&] { return at("s.scrollHeight > 1800"); }));
    Spin(200);
    EXPECT_TRUE(at("s.scrollTop === 100"));
}

// A board that writes page after page cannot take another view's page away: it still reloads.
TEST(AppendBatch, ABusyBoardLeavesTheChatPageItsOwn) {
    LoadedView v;
    std::unique_ptr<HtmlView> board = v.views.CreateView(ViewRole::Board);
    for (int i = 0; i < 40; ++i) board->WritePage("<html><body>board " + std::to_string(i) + "</body></html>");
    bool reloaded = false;
    QObject::connect(v.view->Page(), &QWebEnginePage::loadFinished, [&](bool ok) { reloaded = ok; });
    v.view->Page()->triggerAction(QWebEnginePage::Reload);
    EXPECT_TRUE(WaitFor([&] { return reloaded; }));
}

}  // namespace zc
