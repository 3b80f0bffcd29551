// A history file, whose texts came from peers, read back: the lines shown under the greeting
// may hold only the page's own markup, and every search result holds what was searched for.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/cp1251_case.h"
#include "fuzz_support.h"
#include "services/history_search.h"
#include "ui/html/earlier_lines.h"

namespace {

// The page text with the block's own elements taken out; what is left must hold no "<".
bool OnlyOwnMarkup(std::string html) {
    for (const char* own : {"<hr align=\"left\" width=\"300\" size=\"1\" noshade>", "<span class=\"system\">",
                            "<span class=\"time\">", "<span>", "</span>", "<br>", "<b>", "</b>"}) {
        for (size_t at; (at = html.find(own)) != std::string::npos;) html.erase(at, std::string_view(own).size());
    }
    return html.find('<') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string& folder = zc::fuzz::ScratchFolder();
    (void)folder;
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The first line is the text searched for, the rest the file.
    const size_t nl = input.find('\n');
    const std::string query = nl == std::string::npos ? "a" : input.substr(0, nl);
    const std::string file = nl == std::string::npos ? input : input.substr(nl + 1);
    std::filesystem::create_directories("history/2025_12");
    zc::fuzz::WriteFile("history/2025_12/12-2025_Main.htm", file);

    const std::vector<zc::HistoryEntry> entries = zc::LastHistoryEntries("history/2025_12/12-2025_Main.htm", 50, 2025, 12);
    ZC_FUZZ_CHECK(entries.size() <= 50, "more lines than asked for");
    const std::string html =
        zc::EarlierLinesHtml("earlier", entries, [](const std::string& name) { return "<b>" + name + "</b>"; });
    ZC_FUZZ_CHECK(OnlyOwnMarkup(html), html);

    const std::vector<zc::HistoryHit> hits = zc::SearchHistory("history", query, 20);
    ZC_FUZZ_CHECK(hits.size() <= 20, "more results than the limit");
    for (const zc::HistoryHit& hit : hits) {
        const std::string shown = (hit.entry.sender.empty() ? "" : "<" + hit.entry.sender + "> ") + hit.entry.text;
        ZC_FUZZ_CHECK(zc::FindNoCaseCp1251(shown, query) != std::string::npos, shown);
    }
    return 0;
}
