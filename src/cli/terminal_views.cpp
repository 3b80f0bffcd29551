#include "cli/terminal_views.h"

#include <cstdio>
#include <filesystem>

namespace zc {

static size_t Index(ViewRole role) { return static_cast<size_t>(role) % PageStore::kRoles; }

const char* PageStore::PageName(ViewRole role) {
    switch (role) {
        case ViewRole::ChatText: return "chat";
        case ViewRole::SecondText: return "second";
        case ViewRole::UserList: return "userlist";
        case ViewRole::Board: return "board";
        case ViewRole::Smiles: return "smiles";
    }
    return "page";
}

void PageStore::Attach(const MemoryHtmlView& view) {
    Slot& s = slots_[Index(view.Role())];
    s.live = &view;
    s.seen = true;
}

void PageStore::Detach(const MemoryHtmlView& view) {
    Slot& s = slots_[Index(view.Role())];
    // A page that was cleared gets its new view before the old one goes.
    if (s.live != &view) return;
    s.last = view.Page();
    s.live = nullptr;
}

bool PageStore::Has(ViewRole role) const { return slots_[Index(role)].seen; }

std::string PageStore::PageOf(ViewRole role) const {
    const Slot& s = slots_[Index(role)];
    return s.live ? s.live->Page() : s.last;
}

bool PageStore::DumpTo(const std::string& dir, std::string& error) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        error = "cannot create " + dir;
        return false;
    }
    for (ViewRole role :
         {ViewRole::ChatText, ViewRole::SecondText, ViewRole::UserList, ViewRole::Board, ViewRole::Smiles}) {
        if (!Has(role)) continue;
        const std::string path = (fs::path(dir) / (std::string(PageName(role)) + ".html")).string();
        const std::string page = PageOf(role);
        bool ok = false;
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(page.data(), 1, page.size(), f) == page.size();
            ok = std::fclose(f) == 0 && ok;
        }
        if (!ok) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

TerminalView::TerminalView(ViewRole role, PageStore& store) : MemoryHtmlView(role, nullptr), store_(store) {
    store_.Attach(*this);
}

TerminalView::~TerminalView() { store_.Detach(*this); }

TerminalViewFactory::TerminalViewFactory(PageStore& store) : store_(store) {}

std::unique_ptr<HtmlView> TerminalViewFactory::CreateView(ViewRole role) {
    return std::make_unique<TerminalView>(role, store_);
}

}  // namespace zc
