// 750 chat lines into a real browser view: appending each line (as the program does) against
// rewriting the whole body for every line. Prints both totals, their ratio, and the cost of
// the 750th line against the first for each.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineScript>
#include <QWidget>
#include <cstdio>
#include <filesystem>

#include "gui/web/page_scheme.h"
#include "gui/web/web_view_factory.h"

namespace {

void RunAndWait(zc::CZeltoChatText* view, const QString& script) {
    QEventLoop loop;
    view->Page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant&) { loop.quit(); });
    loop.exec();
}

const char kPage[] =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head>"
    "<body id=\"BODY_TEXT\">\n<span id=\"ENDOFTEXT\"></span>\n</body></html>";

std::string Line(int i) {
    return "<span class=\"time\">[12:00:00] </span><span OnMouseOver=\"this.className='usernameover'\" "
           "OnMouseOut=\"this.className='username'\" class=\"username\">&lt;Alice&gt;</span>:&nbsp;<span>message "
           "number " + std::to_string(i) + " with a few words in it, as people write them</span><br>";
}

struct Result {
    double totalMs, firstMs, lastMs;
};

Result Measure(zc::CZeltoChatText* view, bool rewrite) {
    view->WritePage(kPage);
    while (!view->Loaded()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    Result r{0, 0, 0};
    for (int i = 1; i <= 750; ++i) {
        QElapsedTimer t;
        t.start();
        const QString line = QString::fromStdString(Line(i)).replace("'", "\\'");
        if (rewrite) RunAndWait(view, "document.body.innerHTML = document.body.innerHTML + '" + line + "'; 0");
        else {
            view->AppendToBody(Line(i));
            RunAndWait(view, "0");  // the append has run once this returns
        }
        const double ms = t.nsecsElapsed() / 1e6;
        r.totalMs += ms;
        if (i <= 10) r.firstMs += ms / 10;  // the first ten and last ten, to smooth the noise
        if (i > 740) r.lastMs += ms / 10;
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    zc::PageSchemeHandler::RegisterScheme();
    QApplication app(argc, argv);
    QWidget host;
    zc::WebViewFactory views(std::filesystem::current_path().string(), &host, nullptr, nullptr);
    auto view = views.CreateView(zc::ViewRole::ChatText);
    auto* web = views.Live().at(zc::ViewRole::ChatText);
    host.resize(500, 700);
    web->resize(500, 700);
    host.show();
    const Result append = Measure(web, false);
    const Result rewrite = Measure(web, true);
    std::printf("750 lines, append each line:     %8.1f ms  (first %.2f ms, 750th %.2f ms, ratio %.1fx)\n",
                append.totalMs, append.firstMs, append.lastMs, append.lastMs / append.firstMs);
    std::printf("750 lines, rewrite body per line: %8.1f ms  (first %.2f ms, 750th %.2f ms, ratio %.1fx)\n",
                rewrite.totalMs, rewrite.firstMs, rewrite.lastMs, rewrite.lastMs / rewrite.firstMs);
    std::printf("rewrite / append total:           %8.1fx\n", rewrite.totalMs / append.totalMs);
    view.reset();
    return 0;
}
