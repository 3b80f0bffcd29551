#pragma once
#include <string>
#include <vector>

namespace zc {

// Items between an opening and a closing string; an empty closing string ends an item at
// the next blank or "|". Empty items are skipped; repeats are kept.
std::vector<std::string> TagScan(const std::string& text, const std::string& open, const std::string& close);

// Cleans a message text for the pages: angle brackets removed, quotes escaped, bare addresses
// marked up (autoLink), [IMG] turned into pictures or links.
std::string MessageTextSanitizer(const std::string& text, bool autoLink, bool showImages = true);

std::string AutoLink(const std::string& text);
// Text shown as it is, never as markup: & < > and " become entities.
std::string EscapeHtml(const std::string& text);
std::string PictureConversion(const std::string& text, bool showImages);

}  // namespace zc
