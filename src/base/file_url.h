#pragma once
#include <string>
#include <string_view>

namespace zc {

// A file system path (UTF-8) as pages and links carry it: every byte but letters, digits and
// "/-._~" percent-encoded, so it reads the same whatever the page's code page and holds no
// "#", "?" or quote that would end it early.
std::string PercentEncodedPath(std::string_view utf8Path);
std::string FileUrl(std::string_view utf8Path);

// "%XX" back to its byte; a "%" without two hex digits stays as it is.
std::string PercentDecoded(std::string_view text);

// A path, file name or address in the chat's code page as the file system and the desktop
// take it (UTF-8): the characters the code page lacks come as "&#N;" and become themselves again.
std::string SystemText(std::string_view cp1251);

}  // namespace zc
