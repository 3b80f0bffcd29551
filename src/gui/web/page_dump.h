#pragma once
#include <string>

namespace zc {

class WebViewFactory;

// Writes every live view's current document to dir/<role>.html, and beside it dir/<role>.loaded:
// how many of its style sheets loaded and which of its pictures did not show.
void DumpPages(const WebViewFactory& views, const std::string& dir);

}  // namespace zc
