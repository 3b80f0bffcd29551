#include "gui/web/web_view_factory.h"

#include <QWidget>

namespace zc {

const char* RoleFileName(ViewRole role) {
    switch (role) {
        case ViewRole::ChatText: return "chat";
        case ViewRole::SecondText: return "second";
        case ViewRole::UserList: return "userlist";
        case ViewRole::Board: return "board";
        case ViewRole::Smiles: return "smiles";
    }
    return "view";
}

WebViewFactory::WebViewFactory(const std::string& programFolder, QWidget* parent, ViewEventSink sink,
                               std::function<void(CZeltoChatText*)> onCreated)
    : parent_(parent),
      sink_(std::move(sink)),
      onCreated_(std::move(onCreated)),
      profile_(new QWebEngineProfile(parent)),  // off the record: nothing written to disk
      pages_(QString::fromStdString(programFolder)) {
    profile_->installUrlSchemeHandler(kPageScheme, &pages_);
    InstallBridgeScripts(profile_);
}

WebViewFactory::~WebViewFactory() { profile_->removeAllUrlSchemeHandlers(); }

namespace {
// Forgets the view in the factory when the core destroys it.
class OwnedView : public CZeltoChatText {
public:
    OwnedView(WebViewFactory& factory, ViewRole role, PageSchemeHandler& pages, QWebEngineProfile* profile,
              ViewEventSink sink, QWidget* parent)
        : CZeltoChatText(role, pages, profile, std::move(sink), parent), factory_(factory) {}
    ~OwnedView() override { factory_.Forget(this); }

private:
    WebViewFactory& factory_;
};
}  // namespace

std::unique_ptr<HtmlView> WebViewFactory::CreateView(ViewRole role) {
    auto view = std::make_unique<OwnedView>(*this, role, pages_, profile_, sink_, parent_);
    live_[role] = view.get();
    if (onCreated_) onCreated_(view.get());
    return view;
}

void WebViewFactory::Forget(CZeltoChatText* view) {
    for (auto it = live_.begin(); it != live_.end(); ++it)
        if (it->second == view) {
            live_.erase(it);
            return;
        }
}

}  // namespace zc
