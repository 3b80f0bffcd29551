#include "gui/web/zelto_chat_text.h"

#include <algorithm>

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "base/cp1251.h"
#include "gui/web/page_scheme.h"
#include "gui/web/view_bridge.h"
#include "ui/html/page_text.h"

namespace zc {
namespace {

// Classes the event table binds; an event reaches the nearest element that carries one.
const char kBridgeScript[] = R"JS(
(function () {
  var known = {urllink:1, image:1, username:1, usernameover:1, smilesalias:1, myimage:1, myname:1,
               userimage:1, groupname:1, catname:1, catnamefocus:1, deletemessage:1, smiles:1, category:1};
  // Links are followed by the program, never by the browser.
  function blockLinks(ev) {
    for (var a = ev.target; a; a = a.parentNode) if (a.tagName === 'A' || a.tagName === 'a') { ev.preventDefault(); return; }
  }
  ['click', 'dblclick', 'auxclick'].forEach(function (k) { window.addEventListener(k, blockLinks, true); });
  function start(bridge) {
    function send(kind, ev) {
      var t = ev.target;
      while (t && (t.nodeType !== 1 || !known[t.className])) t = t.parentNode;
      if (kind === 'contextmenu') ev.preventDefault();
      if (!t || t.nodeType !== 1) {
        // A right click on the page itself: the program offers its copy commands.
        if (kind === 'contextmenu') bridge.onEvent([kind, '', '', '', '', '', '', '0', '', '', '1']);
        return;
      }
      if (kind === 'mousemove' && !(ev.buttons & 1)) return;
      // Addresses as attribute values: the outer HTML would give "&" as "&amp;".
      bridge.onEvent([kind, t.className, t.id || '', t.innerText || '',
                      t.parentElement ? (t.parentElement.className || '') : '', t.outerHTML,
                      t.getAttribute('title') || '', (ev.buttons & 1) ? '1' : '0',
                      t.getAttribute('href') || '', t.getAttribute('src') || '', String(ev.detail || 1)]);
    }
    ['click', 'dblclick', 'mousedown', 'mousemove', 'contextmenu'].forEach(function (k) {
      document.addEventListener(k, function (e) { send(k, e); }, true);
    });
    document.addEventListener('dragover', function (e) { e.preventDefault(); }, true);
    document.addEventListener('drop', function (e) { e.preventDefault(); }, true);
  }
  // The view stays at its newest line while the user has not scrolled away from it: a picture
  // that finishes loading or a smaller window would otherwise leave the end out of sight.
  var pinned = false;
  function scroller() { return document.scrollingElement || document.body; }
  function atEnd() { var s = scroller(); return s.scrollTop + s.clientHeight >= s.scrollHeight - 2; }
  function toEnd() { var s = scroller(); s.scrollTop = s.scrollHeight; }
  window.zcScrollToEnd = function () { pinned = true; toEnd(); };
  document.addEventListener('scroll', function () { pinned = atEnd(); });
  window.addEventListener('resize', function () { if (pinned) toEnd(); });
  document.addEventListener('load', function (e) { if (pinned && e.target.tagName === 'IMG') toEnd(); }, true);
  new QWebChannel(qt.webChannelTransport, function (channel) { start(channel.objects.zcBridge); });
})();
)JS";

QString Utf8(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

QString JsString(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

ViewEventKind KindOf(const QString& name) {
    if (name == "dblclick") return ViewEventKind::DoubleClick;
    if (name == "mousedown") return ViewEventKind::MouseDown;
    if (name == "mousemove") return ViewEventKind::MouseMove;
    if (name == "contextmenu") return ViewEventKind::ContextMenu;
    return ViewEventKind::Click;
}

}  // namespace

void InstallBridgeScripts(QWebEngineProfile* profile) {
    QFile channelJs(":/qtwebchannel/qwebchannel.js");
    channelJs.open(QIODevice::ReadOnly);
    QWebEngineScript script;
    script.setName("zc-bridge");
    script.setSourceCode(QString::fromUtf8(channelJs.readAll()) + "\n" + QString::fromUtf8(kBridgeScript));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    profile->scripts()->insert(script);
}

bool BridgedWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
    if (isMainFrame && url == allowed_) return true;
    ++refusedNavigations;
    return false;
}

CZeltoChatText::CZeltoChatText(ViewRole role, PageSchemeHandler& pages, QWebEngineProfile* profile, ViewEventSink sink,
                               QWidget* parent)
    : QWebEngineView(parent), role_(role), pages_(pages), sink_(std::move(sink)) {
    page_ = new BridgedWebPage(profile, this);
    setPage(page_);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    QWebEngineSettings* s = page_->settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    channel_ = new QWebChannel(this);
    channel_->registerObject("zcBridge", new ViewBridge([this](const QStringList& f) { OnBridgeEvent(f); }, this));
    page_->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
    // Should anything still take the page away, put our own page back, lines and all.
    connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (url != page_->Allowed() && !shadow_.empty()) WritePage(shadow_);
    });
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        loaded_ = ok;
        Flush();
    });
    // Lines of one burst reach the page together, when control is back in the event loop.
    flushTimer_ = new QTimer(this);
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(0);
    connect(flushTimer_, &QTimer::timeout, this, &CZeltoChatText::Flush);
}

CZeltoChatText::~CZeltoChatText() { pages_.Drop(this); }

bool CZeltoChatText::WritePage(const std::string& html) {
    shadow_ = html;
    loaded_ = false;
    // What was queued belongs to the page being replaced; the new text already holds it.
    queued_.clear();
    queuedChars_ = 0;
    lastScroll_.reset();
    const QUrl url(pages_.Put(this, QByteArray::fromStdString(html)));
    page_->AllowNext(url);
    page_->load(url);
    return true;
}

void CZeltoChatText::Run(const QString& script) { Queue(script, false, false); }

void CZeltoChatText::Queue(QString script, bool isAppend, bool isScroll) {
    // Scrolling lays the page out; with only appends since the last one, that one is not needed.
    if (isScroll && lastScroll_) {
        queuedChars_ -= queued_[*lastScroll_].size();
        queued_[*lastScroll_].clear();
    }
    // Each script on its own, so one that throws does not take the rest of the batch with it.
    script = "try { " + script + " } catch (e) {}\n";
    queuedChars_ += script.size();
    queued_.push_back(std::move(script));
    if (isScroll) lastScroll_ = queued_.size() - 1;
    else if (!isAppend) lastScroll_.reset();
    if (!flushTimer_->isActive()) flushTimer_->start();
}

void CZeltoChatText::Flush() {
    if (!loaded_ || queued_.empty()) return;
    QString batch;
    batch.reserve(static_cast<qsizetype>(queuedChars_));
    for (const QString& script : queued_) batch += script;
    queued_.clear();
    queuedChars_ = 0;
    lastScroll_.reset();
    ++scriptCalls_;
    page_->runJavaScript(batch, QWebEngineScript::ApplicationWorld);
}

bool CZeltoChatText::AppendToBody(const std::string& html) {
    size_t at = shadow_.rfind("</body>");
    if (at == std::string::npos) at = shadow_.rfind("</BODY>");
    if (at == std::string::npos) return false;
    shadow_.insert(at, html);
    // Only the new line is parsed; the page is not written again.
    Queue("document.body.insertAdjacentHTML('beforeend', " + JsString(Utf8(html)) + ");", true, false);
    return true;
}

void CZeltoChatText::ScrollToEnd() {
    Queue("if (window.zcScrollToEnd) zcScrollToEnd(); else { document.scrollingElement.scrollTop = 20000000;"
          " document.body.scrollTop = 20000000; }",
          false, true);
}

std::string CZeltoChatText::InnerHtmlById(const std::string& id) const {
    const size_t at = shadow_.find("id=\"" + id + "\"");
    if (at == std::string::npos) return {};
    const size_t open = shadow_.find('>', at);
    const size_t tagStart = shadow_.rfind('<', at);
    if (open == std::string::npos || tagStart == std::string::npos) return {};
    const std::string tag = shadow_.substr(tagStart + 1, shadow_.find_first_of(" >", tagStart) - tagStart - 1);
    const size_t close = shadow_.find("</" + tag, open);
    return close == std::string::npos ? std::string() : shadow_.substr(open + 1, close - open - 1);
}

bool CZeltoChatText::SetInnerHtmlById(const std::string& id, const std::string& html) {
    size_t begin = 0, end = 0;
    if (!InnerHtmlRangeOfId(shadow_, id, begin, end)) return false;
    shadow_.replace(begin, end - begin, html);
    // Only that element is parsed again; the rest of the page and its scroll position stay.
    Run("var e = document.getElementById(" + JsString(Utf8(id)) + "); if (e) e.innerHTML = " + JsString(Utf8(html)) +
        ";");
    return true;
}

std::string CZeltoChatText::CurrentDocument(int timeoutMs) {
    Flush();  // the lines of this turn belong in the document
    QEventLoop wait;
    QString result;
    bool done = false;
    page_->runJavaScript("document.documentElement ? document.documentElement.outerHTML : ''",
                         QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                             result = v.toString();
                             done = true;
                             wait.quit();
                         });
    QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
    if (!done) wait.exec();
    return Utf8ToCp1251(result.toStdString());
}

void CZeltoChatText::CopySelection() {
    Flush();
    page_->triggerAction(QWebEnginePage::Copy);
    Run("window.getSelection().removeAllRanges();");
}

void CZeltoChatText::TakeSelectedText(std::function<void(const QString&)> done) {
    Flush();
    page_->runJavaScript("(function () { var s = window.getSelection(); var t = s.toString(); s.removeAllRanges();"
                         " return t; })()",
                         QWebEngineScript::ApplicationWorld,
                         [done = std::move(done)](const QVariant& text) { done(text.toString()); });
}

void CZeltoChatText::CopyAll() {
    Flush();
    page_->triggerAction(QWebEnginePage::SelectAll);
    page_->triggerAction(QWebEnginePage::Copy);
    page_->triggerAction(QWebEnginePage::Unselect);
}

void CZeltoChatText::OnBridgeEvent(const QStringList& f) {
    if (!sink_) return;
    ViewEvent e;
    e.kind = KindOf(f[0]);
    e.className = Utf8ToCp1251(f[1].toStdString());
    e.id = Utf8ToCp1251(f[2].toStdString());
    e.innerText = Utf8ToCp1251(f[3].toStdString());
    e.parentClass = Utf8ToCp1251(f[4].toStdString());
    e.outerHtml = Utf8ToCp1251(f[5].toStdString());
    e.title = Utf8ToCp1251(f[6].toStdString());
    e.leftButtonDown = f[7] == "1";
    e.href = Utf8ToCp1251(f[8].toStdString());
    e.src = Utf8ToCp1251(f[9].toStdString());
    e.clickCount = std::max(1, f[10].toInt());
    sink_(role_, e);
}

}  // namespace zc
