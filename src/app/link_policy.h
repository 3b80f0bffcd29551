#pragma once
#include <string>

namespace zc {

// What a click on a link or picture from a page may open, as the desktop takes it (UTF-8; the
// target is in the chat's code page). Web and mail addresses open as they are written; a local
// picture (named and made as one) opens in the desktop's viewer; any other local file or a
// network path opens the folder that holds it, so a click never runs a program, a script or a
// desktop entry a peer sent; anything else opens nothing (empty).
std::string LinkToOpen(const std::string& target);

}  // namespace zc
