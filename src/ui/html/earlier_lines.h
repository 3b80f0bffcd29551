#pragma once
#include <functional>
#include <string>
#include <vector>

#include "services/history_search.h"

namespace zc {

// How many history entries the main page shows under its greeting at start.
inline constexpr size_t kEarlierLinesShown = 50;

// The block of lines from before this start: a separator line with caption, then each entry,
// oldest first, with its date, its name as nameSpan makes it and its text escaped. The entries'
// own markup is not reused: a file cut off in a tag must not swallow the page.
std::string EarlierLinesHtml(const std::string& caption, const std::vector<HistoryEntry>& entries,
                             const std::function<std::string(const std::string&)>& nameSpan);

// Visible text put back on a page: & < > " escaped, except the "&#N;" references that stand for
// characters the code page cannot hold.
std::string EscapeVisibleText(const std::string& text);

}  // namespace zc
