#pragma once
#include <array>
#include <string>

#include "ui/html/memory_html_view.h"

namespace zc {

// The last text of every page, for --dump-pages: a page outlives its view, which the chat
// replaces when it clears a page and drops at exit.
class PageStore {
public:
    static constexpr size_t kRoles = 5;
    static const char* PageName(ViewRole role);  // "chat", "second", "userlist", "board", "smiles"

    void Attach(const MemoryHtmlView& view);
    void Detach(const MemoryHtmlView& view);
    bool Has(ViewRole role) const;
    std::string PageOf(ViewRole role) const;
    // Writes DIR/<page>.html for every page that was created; false with error set on failure.
    bool DumpTo(const std::string& dir, std::string& error) const;

private:
    struct Slot {
        const MemoryHtmlView* live = nullptr;
        std::string last;
        bool seen = false;
    };
    std::array<Slot, kRoles> slots_{};
};

// A page kept in memory that leaves its last text to the store when it goes.
class TerminalView : public MemoryHtmlView {
public:
    TerminalView(ViewRole role, PageStore& store);
    ~TerminalView() override;

private:
    PageStore& store_;
};

class TerminalViewFactory : public ViewFactory {
public:
    explicit TerminalViewFactory(PageStore& store);
    std::unique_ptr<HtmlView> CreateView(ViewRole role) override;

private:
    PageStore& store_;
};

}  // namespace zc
