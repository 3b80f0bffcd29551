#pragma once
#include <string>

namespace zc {

// Markup the input box menu appends for a chosen file.
std::string PictureMarkup(const std::string& path);   // blanks become %20
std::string FileLinkMarkup(const std::string& path);

}  // namespace zc
