// A message text from a peer through the sanitizer and the link conversion, as a chat line
// gets it; the result may hold only the program's own anchors and pictures.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/message_text.h"
#include "fuzz_support.h"
#include "ui/html/markup.h"

namespace {

// A quoted attribute value: no quote, no angle bracket.
bool TakeValue(std::string_view& s) {
    const size_t end = s.find('"');
    if (end == std::string_view::npos || s.substr(0, end).find_first_of("<>") != std::string_view::npos) return false;
    s.remove_prefix(end + 1);
    return true;
}

bool TakePrefix(std::string_view& s, std::string_view prefix) {
    if (s.substr(0, prefix.size()) != prefix) return false;
    s.remove_prefix(prefix.size());
    return true;
}

bool AllowedTag(std::string_view tag) {
    if (tag == "/a") return true;
    if (TakePrefix(tag, "a class=\"urllink\" href=\"")) {
        if (!TakeValue(tag)) return false;
        if (tag.empty()) return true;
        return TakePrefix(tag, " title=\"") && TakeValue(tag) && tag.empty();
    }
    return TakePrefix(tag, "img class=\"image\" src=\"file://") && TakeValue(tag) && TakePrefix(tag, " title=\"") &&
           TakeValue(tag) && tag.empty();
}

// Empty when the page text holds nothing but plain text and the allowed elements.
std::string FirstForeignMarkup(const std::string& html) {
    size_t at = 0;
    while (at < html.size()) {
        const size_t open = html.find_first_of("<>", at);
        if (open == std::string::npos) return {};
        if (html[open] == '>') return html.substr(open, 80);
        const size_t close = html.find_first_of("<>", open + 1);
        if (close == std::string::npos || html[close] != '>' ||
            !AllowedTag(std::string_view(html).substr(open + 1, close - open - 1)))
            return html.substr(open, 160);
        at = close + 1;
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Pictures that exist are shown as images: give the inputs one to name.
    static const std::string& folder = zc::fuzz::ScratchFolder();
    static const bool picture = (zc::fuzz::WriteFile(folder + "a.png", "png"), true);
    (void)picture;

    if (size < 1) return 0;
    const bool autoLink = data[0] & 1, showImages = data[0] & 2;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string clean = zc::MessageTextSanitizer(text, autoLink, showImages);
    const std::string line = zc::ChatUrlLinker(clean);
    // Known fault, see fuzz/findings/markup: an address and a picture that overlap nest one
    // element inside the other's attribute. Long runs set ZC_FUZZ_SKIP_KNOWN to look past it;
    // the check stays strict by default.
    static const bool skipKnown = std::getenv("ZC_FUZZ_SKIP_KNOWN") != nullptr;
    std::string bare = text;  // the markup as the sanitizer leaves it, brackets removed
    std::erase_if(bare, [](char c) { return c == '<' || c == '>'; });
    const bool known = skipKnown && bare.find("[IMG]") != std::string::npos &&
                       (autoLink || bare.find("[URL]") != std::string::npos);
    const std::string foreign = known ? std::string() : FirstForeignMarkup(line);
    ZC_FUZZ_CHECK(foreign.empty(), "markup not made by the program: " + foreign);

    (void)zc::TagScan(text, "[URL]", "[/URL]");
    (void)zc::TagScan(text, "www.", "");
    return 0;
}
