#pragma once
#include <functional>
#include <string>

#include "platform/html_view.h"

namespace zc {

// A page kept as text; whoever shows it is told of each change.
class MemoryHtmlView : public HtmlView {
public:
    enum class Change { Page, Scroll, Visibility };
    using ChangeHandler = std::function<void(const MemoryHtmlView&, Change)>;

    MemoryHtmlView(ViewRole role, ChangeHandler onChange);
    ViewRole Role() const override { return role_; }
    bool WritePage(const std::string& html) override;
    bool AppendToBody(const std::string& html) override;
    void ScrollToEnd() override;
    std::string InnerHtmlById(const std::string& id) const override;
    bool SetInnerHtmlById(const std::string& id, const std::string& html) override;
    void SetVisible(bool visible) override;

    const std::string& Page() const { return page_; }
    bool Visible() const { return visible_; }

private:
    void Notify(Change change) const;

    ViewRole role_;
    ChangeHandler onChange_;
    std::string page_;
    bool visible_ = true;
};

class MemoryViewFactory : public ViewFactory {
public:
    explicit MemoryViewFactory(MemoryHtmlView::ChangeHandler onChange = nullptr);
    std::unique_ptr<HtmlView> CreateView(ViewRole role) override;

private:
    MemoryHtmlView::ChangeHandler onChange_;
};

}  // namespace zc
