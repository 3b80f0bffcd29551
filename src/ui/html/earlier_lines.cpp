#include "ui/html/earlier_lines.h"

#include "base/message_text.h"

namespace zc {

namespace {

// Length of a "&#digits;" reference at text[at], 0 when there is none.
size_t NumericReference(const std::string& text, size_t at) {
    if (text.compare(at, 2, "&#") != 0) return 0;
    size_t i = at + 2;
    while (i < text.size() && i - at < 10 && text[i] >= '0' && text[i] <= '9') ++i;
    return i > at + 2 && i < text.size() && text[i] == ';' ? i + 1 - at : 0;
}

}  // namespace

std::string EscapeVisibleText(const std::string& text) {
    std::string out;
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t ref = NumericReference(text, i);
        if (ref == 0) continue;
        out += EscapeHtml(text.substr(plain, i - plain)) + text.substr(i, ref);
        i += ref - 1;
        plain = i + 1;
    }
    return out + EscapeHtml(text.substr(plain));
}

std::string EarlierLinesHtml(const std::string& caption, const std::vector<HistoryEntry>& entries,
                             const std::function<std::string(const std::string&)>& nameSpan) {
    if (entries.empty()) return {};
    std::string html = "<hr align=\"left\" width=\"300\" size=\"1\" noshade><span class=\"system\">&gt;&gt; " +
                       EscapeHtml(caption) + "</span><br>";
    for (const HistoryEntry& e : entries) {
        html += "<span class=\"time\">[" + EscapeHtml(e.DateText()) + "] </span>";
        if (!e.sender.empty()) html += nameSpan(EscapeHtml(e.sender)) + ":&nbsp;";
        html += "<span>" + EscapeVisibleText(e.text) + "</span><br>";
    }
    return html + "<hr align=\"left\" width=\"300\" size=\"1\" noshade>";
}

}  // namespace zc
