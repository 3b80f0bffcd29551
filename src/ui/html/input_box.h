#pragma once
#include <string>

namespace zc {

// Markup the input box menu appends for a chosen file (an absolute path).
std::string PictureMarkup(const std::string& path);
std::string FileLinkMarkup(const std::string& path);  // a file:// link

}  // namespace zc
