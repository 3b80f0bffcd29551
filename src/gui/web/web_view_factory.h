#pragma once
#include <functional>
#include <map>
#include <vector>

#include <QObject>
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
    // What the chat holds is a handle; letting go of it retires the view.
    std::unique_ptr<HtmlView> CreateView(ViewRole role) override;
    // The live view of each role (the newest), for the window layout and page dumps.
    const std::map<ViewRole, CZeltoChatText*>& Live() const { return live_; }
    // A view the chat let go of. While a page event is being handled (its menu, or a dialog
    // opened from it, may still be running on top of the view) it is only hidden, and goes
    // once that event is done: deleting it there would pull the page out from under the call.
    void Retire(CZeltoChatText* view);
    // Views hidden and waiting to go.
    size_t Retired() const { return retired_.size(); }

private:
    void OnEvent(ViewRole role, const ViewEvent& event);
    void Forget(CZeltoChatText* view);
    void DeleteRetired();
    QWidget* parent_;
    ViewEventSink sink_;
    std::function<void(CZeltoChatText*)> onCreated_;
    QWebEngineProfile* profile_;
    PageSchemeHandler pages_;
    std::map<ViewRole, CZeltoChatText*> live_;
    int handling_ = 0;  // page events being handled, nested ones included
    std::vector<CZeltoChatText*> retired_;
    QObject context_;  // its deferred work ends with the factory
};

const char* RoleFileName(ViewRole role);

}  // namespace zc
