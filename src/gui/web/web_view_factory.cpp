#include "gui/web/web_view_factory.h"

#include <QPointer>
#include <QTimer>
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

WebViewFactory::~WebViewFactory() {
    handling_ = 0;
    DeleteRetired();
    profile_->removeAllUrlSchemeHandlers();
}

namespace {
// The chat's hold on one view.
class ViewHandle : public HtmlView {
public:
    ViewHandle(WebViewFactory& factory, CZeltoChatText* view) : factory_(factory), view_(view) {}
    ~ViewHandle() override {
        if (view_) factory_.Retire(view_);
    }
    ViewRole Role() const override { return view_->Role(); }
    bool WritePage(const std::string& html) override { return view_->WritePage(html); }
    bool AppendToBody(const std::string& html) override { return view_->AppendToBody(html); }
    void ScrollToEnd() override { view_->ScrollToEnd(); }
    std::string InnerHtmlById(const std::string& id) const override { return view_->InnerHtmlById(id); }
    bool SetInnerHtmlById(const std::string& id, const std::string& html) override {
        return view_->SetInnerHtmlById(id, html);
    }
    void SetVisible(bool visible) override { view_->SetVisible(visible); }

private:
    WebViewFactory& factory_;
    QPointer<CZeltoChatText> view_;  // its window may have taken it first
};
}  // namespace

std::unique_ptr<HtmlView> WebViewFactory::CreateView(ViewRole role) {
    auto* view = new CZeltoChatText(
        role, pages_, profile_, [this](ViewRole r, const ViewEvent& e) { OnEvent(r, e); }, parent_);
    live_[role] = view;
    QObject::connect(view, &QObject::destroyed, &context_, [this, view] { std::erase(retired_, view); Forget(view); });
    if (onCreated_) onCreated_(view);
    return std::make_unique<ViewHandle>(*this, view);
}

void WebViewFactory::OnEvent(ViewRole role, const ViewEvent& event) {
    if (!sink_) return;
    ++handling_;
    sink_(role, event);
    // Back at the view's own call: the views let go meanwhile go once it has returned.
    if (--handling_ == 0 && !retired_.empty())
        QTimer::singleShot(0, &context_, [this] {
            if (handling_ == 0) DeleteRetired();
        });
}

void WebViewFactory::Forget(CZeltoChatText* view) {
    for (auto it = live_.begin(); it != live_.end(); ++it)
        if (it->second == view) {
            live_.erase(it);
            return;
        }
}

void WebViewFactory::Retire(CZeltoChatText* view) {
    Forget(view);
    if (handling_ == 0) {
        delete view;
        return;
    }
    view->hide();
    retired_.push_back(view);
}

void WebViewFactory::DeleteRetired() {
    std::vector<CZeltoChatText*> views;
    views.swap(retired_);
    for (CZeltoChatText* view : views) delete view;
}

}  // namespace zc
