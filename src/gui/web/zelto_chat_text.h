#pragma once
#include <functional>
#include <optional>
#include <vector>

#include <QWebEnginePage>
#include <QWebEngineView>

#include "platform/html_view.h"
#include "platform/view_event.h"

class QTimer;
class QWebChannel;

namespace zc {

class PageSchemeHandler;

using ViewEventSink = std::function<void(ViewRole, const ViewEvent&)>;

// A page that goes nowhere: only our own page loads are accepted, no windows open.
class BridgedWebPage : public QWebEnginePage {
public:
    BridgedWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}
    void AllowNext(const QUrl& url) { allowed_ = url; }
    const QUrl& Allowed() const { return allowed_; }
    int refusedNavigations = 0;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}

private:
    QUrl allowed_;
};

// One page of the chat in an embedded browser.
class CZeltoChatText : public QWebEngineView, public HtmlView {
public:
    CZeltoChatText(ViewRole role, PageSchemeHandler& pages, QWebEngineProfile* profile, ViewEventSink sink,
                   QWidget* parent);
    ~CZeltoChatText() override;

    ViewRole Role() const override { return role_; }
    bool WritePage(const std::string& html) override;
    bool AppendToBody(const std::string& html) override;
    void ScrollToEnd() override;
    std::string InnerHtmlById(const std::string& id) const override;
    bool SetInnerHtmlById(const std::string& id, const std::string& html) override;
    void SetVisible(bool visible) override { setVisible(visible); }

    // The document as the browser holds it now (outer HTML), waiting for it.
    std::string CurrentDocument(int timeoutMs = 3000);
    bool Loaded() const { return loaded_; }
    BridgedWebPage* Page() const { return page_; }
    const std::string& PageText() const { return shadow_; }
    // Scripts handed to the browser so far; lines of one event-loop turn go in one.
    int ScriptCalls() const { return scriptCalls_; }
    // Hands what is queued to the browser now (once the page has loaded).
    void Flush();

    void CopySelection();
    // The selected text, read from the page itself (empty when nothing is selected); the
    // selection is cleared.
    void TakeSelectedText(std::function<void(const QString&)> done);
    void CopyAll();

private:
    void Run(const QString& script);
    void Queue(QString script, bool isAppend, bool isScroll);
    void OnBridgeEvent(const QStringList& fields);

    ViewRole role_;
    PageSchemeHandler& pages_;
    BridgedWebPage* page_;
    QWebChannel* channel_;
    ViewEventSink sink_;
    std::string shadow_;  // the page as written, for lookups by id
    bool loaded_ = false;
    // Scripts of this turn, in order; an emptied slot is a scroll a later one made redundant.
    std::vector<QString> queued_;
    size_t queuedChars_ = 0;
    // The queued scroll with nothing but appends after it, which the next scroll replaces.
    std::optional<size_t> lastScroll_;
    QTimer* flushTimer_;
    int scriptCalls_ = 0;
};

// The scripts every page gets in the program's own world, out of reach of the page itself.
void InstallBridgeScripts(QWebEngineProfile* profile);

}  // namespace zc
