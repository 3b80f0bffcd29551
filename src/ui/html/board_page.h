#pragma once
#include <array>
#include <string>

namespace zc {

// The whole board page: tab row, the four category rows and the tab shown first.
// tab is the picked category; anything but one character shows tab 1. The entries' [URL] marks
// are already links.
std::string BoardPage(const std::string& programFolder, const std::string& theme, const std::string& boardStyle,
                      const std::array<std::string, 4>& captions, const std::string& entries, const std::string& tab);

}  // namespace zc
