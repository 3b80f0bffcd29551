#pragma once
#include <string>

namespace zc {

// Every [URL] element of a finished chat line becomes an anchor.
std::string ChatUrlLinker(const std::string& text);

}  // namespace zc
