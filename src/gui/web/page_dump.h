#pragma once
#include <string>

namespace zc {

class WebViewFactory;

// Writes every live view's current document to dir/<role>.html.
void DumpPages(const WebViewFactory& views, const std::string& dir);

}  // namespace zc
