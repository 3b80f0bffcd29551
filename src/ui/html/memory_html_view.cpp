#include "ui/html/memory_html_view.h"

#include "ui/html/page_text.h"

namespace zc {

MemoryHtmlView::MemoryHtmlView(ViewRole role, ChangeHandler onChange) : role_(role), onChange_(std::move(onChange)) {}

void MemoryHtmlView::Notify(Change change) const {
    if (onChange_) onChange_(*this, change);
}

bool MemoryHtmlView::WritePage(const std::string& html) {
    page_ = html;
    Notify(Change::Page);
    return true;
}

bool MemoryHtmlView::AppendToBody(const std::string& html) {
    if (!InsertBeforeBodyEnd(page_, html)) return false;
    Notify(Change::Page);
    return true;
}

void MemoryHtmlView::ScrollToEnd() { Notify(Change::Scroll); }

std::string MemoryHtmlView::InnerHtmlById(const std::string& id) const { return InnerHtmlOfId(page_, id); }

bool MemoryHtmlView::SetInnerHtmlById(const std::string& id, const std::string& html) {
    size_t begin = 0, end = 0;
    if (!InnerHtmlRangeOfId(page_, id, begin, end)) return false;
    page_.replace(begin, end - begin, html);
    Notify(Change::Page);
    return true;
}

void MemoryHtmlView::SetVisible(bool visible) {
    visible_ = visible;
    Notify(Change::Visibility);
}

MemoryViewFactory::MemoryViewFactory(MemoryHtmlView::ChangeHandler onChange) : onChange_(std::move(onChange)) {}

std::unique_ptr<HtmlView> MemoryViewFactory::CreateView(ViewRole role) {
    return std::make_unique<MemoryHtmlView>(role, onChange_);
}

}  // namespace zc
