#pragma once
#include <string>

namespace zc {

// What a click on a link or picture from a page may open. Web and mail addresses open as they
// are; a local file or a network path opens the folder that holds it, so a click never runs a
// program, a script or a desktop entry a peer sent; anything else opens nothing (empty).
std::string LinkToOpen(const std::string& target);

}  // namespace zc
