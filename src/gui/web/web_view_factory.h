#pragma once
#include <functional>
#include <map>

#include <QWebEngineProfile>

#include "gui/web/page_scheme.h"
#include "gui/web/zelto_chat_text.h"
#include "platform/html_view.h"

class QWidget;

namespace zc {

// Makes the web views of the main window; all share one off-the-record profile.
class WebViewFactory : public ViewFactory {
public:
    WebViewFactory(const std::string& programFolder, QWidget* parent, ViewEventSink sink,
                   std::function<void(CZeltoChatText*)> onCreated);
    ~WebViewFactory() override;
    std::unique_ptr<HtmlView> CreateView(ViewRole role) override;
    // The live view of each role (the newest), for the window layout and page dumps.
    const std::map<ViewRole, CZeltoChatText*>& Live() const { return live_; }
    void Forget(CZeltoChatText* view);

private:
    QWidget* parent_;
    ViewEventSink sink_;
    std::function<void(CZeltoChatText*)> onCreated_;
    QWebEngineProfile* profile_;
    PageSchemeHandler pages_;
    std::map<ViewRole, CZeltoChatText*> live_;
};

const char* RoleFileName(ViewRole role);

}  // namespace zc
