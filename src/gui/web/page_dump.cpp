#include "gui/web/page_dump.h"

#include <filesystem>
#include <fstream>

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineScript>

#include "gui/web/web_view_factory.h"
#include "gui/web/zelto_chat_text.h"

namespace zc {
namespace {

// What the page shows of what it refers to: style sheets that loaded and pictures that did not.
const char kLoadedScript[] = R"JS(
(function () {
  var links = document.querySelectorAll('link[rel=stylesheet]'), sheets = 0, shown = 0, broken = [];
  // A sheet that failed to load is there, but empty.
  for (var i = 0; i < links.length; i++) {
    try { if (links[i].sheet && links[i].sheet.cssRules.length > 0) sheets++; } catch (e) {}
  }
  for (var k = 0; k < document.images.length; k++) {
    var im = document.images[k];
    if (im.complete && im.naturalWidth > 0) shown++; else broken.push(im.getAttribute('src'));
  }
  return 'style sheets ' + sheets + ' of ' + links.length + '\npictures shown ' + shown + '\n' +
         broken.map(function (s) { return 'not shown ' + s + '\n'; }).join('');
})()
)JS";

std::string Loaded(CZeltoChatText& view) {
    QEventLoop wait;
    QString result;
    bool done = false;
    view.Page()->runJavaScript(kLoadedScript, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
        result = v.toString();
        done = true;
        wait.quit();
    });
    QTimer::singleShot(3000, &wait, &QEventLoop::quit);
    if (!done) wait.exec();
    return result.toStdString();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    const std::string temp = path + ".tmp";
    std::ofstream(temp, std::ios::binary | std::ios::trunc) << bytes;
    std::filesystem::rename(temp, path, ec);
}

}  // namespace

void DumpPages(const WebViewFactory& views, const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& [role, view] : views.Live()) {
        const std::string base = dir + "/" + RoleFileName(role);
        // The state first: a test waits for the page, and then finds the state beside it.
        WriteFile(base + ".loaded", Loaded(*view));
        WriteFile(base + ".html", view->CurrentDocument());
    }
}

}  // namespace zc
