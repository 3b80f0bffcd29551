#include "cli/chat_line_text.h"

#include <cctype>
#include <cstdint>
#include <string_view>

#include "base/cp1251.h"
#include "base/html_entity.h"

namespace zc {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A peer's text must not be able to steer the terminal: no C0, DEL or C1 characters, and no
// bidirectional overrides or isolates that would show a line in another order than it is.
bool IsControl(std::uint32_t cp) {
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

// Builds the text: runs of white space become one blank, breaks are remembered and written
// only between visible words.
class TextBuilder {
public:
    void Visible(std::string_view utf8) {
        if (utf8.empty()) return;
        if (!out_.empty()) {
            if (pendingBreak_) out_ += " / ";
            else if (pendingSpace_) out_ += ' ';
        }
        pendingBreak_ = pendingSpace_ = false;
        out_ += utf8;
    }
    void Space() { pendingSpace_ = true; }
    void Break() { pendingBreak_ = true; }
    void CodePoint(std::uint32_t cp) {
        if (cp == 0x09 || cp == 0x0A || cp == 0x0D || cp == 0x20 || cp == 0xA0) return Space();
        if (IsControl(cp)) return;
        std::string s;
        AppendUtf8(s, cp);
        Visible(s);
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
    bool pendingSpace_ = false, pendingBreak_ = false;
};

struct Tag {
    std::string name;  // lower case, without "/"
    bool closing = false;
    std::string text;  // title or alt of a picture
    size_t end = 0;    // one past '>'
};

std::string AttributeValue(std::string_view tag, std::string_view lowerTag, std::string_view attr) {
    for (size_t at = lowerTag.find(attr); at != std::string_view::npos; at = lowerTag.find(attr, at + 1)) {
        if (at == 0 || !std::isspace(static_cast<unsigned char>(lowerTag[at - 1]))) continue;
        size_t i = at + attr.size();
        while (i < tag.size() && tag[i] == ' ') ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && tag[i] == ' ') ++i;
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            const size_t close = tag.find(tag[i], i + 1);
            if (close == std::string_view::npos) return {};
            return std::string(tag.substr(i + 1, close - i - 1));
        }
        const size_t stop = tag.find_first_of(" >", i);
        return std::string(tag.substr(i, (stop == std::string_view::npos ? tag.size() : stop) - i));
    }
    return {};
}

// Reads the tag that starts at html[at] == '<'; false when it is no tag (a lone '<').
bool ReadTag(std::string_view html, size_t at, Tag& tag) {
    size_t i = at + 1;
    tag = Tag{};
    if (i < html.size() && html[i] == '/') {
        tag.closing = true;
        ++i;
    }
    if (i >= html.size() || !std::isalpha(static_cast<unsigned char>(html[i]))) {
        // Comments and declarations are skipped whole.
        if (!tag.closing && i < html.size() && html[i] == '!') {
            const bool comment = html.compare(i, 3, "!--") == 0;
            const size_t end = comment ? html.find("-->", i) : html.find('>', i);
            tag.end = end == std::string_view::npos ? html.size() : end + (comment ? 3 : 1);
            return true;
        }
        return false;
    }
    char quote = 0;
    size_t end = i;
    for (; end < html.size(); ++end) {
        const char c = html[end];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            break;
        }
    }
    if (end >= html.size()) return false;
    size_t nameEnd = i;
    while (nameEnd < end && std::isalnum(static_cast<unsigned char>(html[nameEnd]))) ++nameEnd;
    tag.name = Lower(html.substr(i, nameEnd - i));
    tag.end = end + 1;
    if (tag.name == "img") {
        const std::string_view body = html.substr(at, end - at);
        const std::string lower = Lower(body);
        tag.text = AttributeValue(body, lower, "alt");
        if (tag.text.empty()) tag.text = AttributeValue(body, lower, "title");
    }
    return true;
}

void AppendRun(TextBuilder& b, std::string_view cp1251) {
    // Split at white space so blanks collapse; everything else goes through the code page.
    size_t start = 0;
    for (size_t i = 0; i <= cp1251.size(); ++i) {
        const bool end = i == cp1251.size();
        const unsigned char c = end ? ' ' : static_cast<unsigned char>(cp1251[i]);
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xA0;
        // Bytes 0x80..0x9F are letters and signs in this code page, not controls.
        if (!space && c >= 0x20 && c != 0x7F) continue;
        if (i > start) b.Visible(Cp1251ToUtf8(cp1251.substr(start, i - start)));
        if (space && !end) b.Space();
        start = i + 1;
    }
}

}  // namespace

std::string ChatLineText(const std::string& cp1251Html) {
    const std::string_view html = cp1251Html;
    TextBuilder b;
    size_t run = 0, i = 0;
    auto flush = [&](size_t upTo) {
        if (upTo > run) AppendRun(b, html.substr(run, upTo - run));
    };
    while (i < html.size()) {
        const char c = html[i];
        Tag tag;
        std::uint32_t cp = 0;
        if (c == '<' && ReadTag(html, i, tag)) {
            flush(i);
            if (tag.name == "br" || tag.name == "hr" || tag.name == "p" || tag.name == "div") b.Break();
            else if (tag.name == "img" && !tag.closing && !tag.text.empty()) {
                std::string text = "[";
                text += ChatLineText(tag.text);
                text += "]";
                b.Visible(text);
            }
            // Script and style text is no part of what a reader sees.
            if (!tag.closing && (tag.name == "script" || tag.name == "style")) {
                const size_t close = Lower(html.substr(tag.end)).find("</" + tag.name);
                tag.end = close == std::string::npos ? html.size() : tag.end + close;
            }
            i = run = tag.end;
        } else if (c == '&' && DecodeHtmlEntity(html, i, cp) > 0) {
            flush(i);
            const size_t used = DecodeHtmlEntity(html, i, cp);
            b.CodePoint(cp);
            i = run = i + used;
        } else {
            ++i;
        }
    }
    flush(html.size());
    return b.Take();
}

std::string PlainText(const std::string& cp1251) {
    TextBuilder b;
    AppendRun(b, cp1251);
    return b.Take();
}

std::string TerminalLineText(const ChatLineEvent& line) {
    std::string text = ChatLineText(line.html);
    if (text.empty()) return text;
    if (line.kind == ChatLineKind::Private) text = "[private] " + text;
    if (line.page == ChatPage::Second) text = "[conference] " + text;
    return text;
}

LineStyle ChatLineStyle(ChatLineKind kind) {
    switch (kind) {
        case ChatLineKind::Message: return LineStyle::Plain;
        case ChatLineKind::OwnMessage: return LineStyle::Own;
        case ChatLineKind::Private: return LineStyle::Private;
        case ChatLineKind::Alert: return LineStyle::Alert;
        case ChatLineKind::AlertRead:
        case ChatLineKind::AlertExist:
        case ChatLineKind::Notify:
        case ChatLineKind::TransferNotify: return LineStyle::Notice;
        case ChatLineKind::EnterUser:
        case ChatLineKind::ExitUser:
        case ChatLineKind::ChangeMode: return LineStyle::Presence;
        case ChatLineKind::Sound: return LineStyle::Sound;
    }
    return LineStyle::Plain;
}

}  // namespace zc
