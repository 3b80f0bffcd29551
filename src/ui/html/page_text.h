#pragma once
#include <cstddef>
#include <string>

namespace zc {

// Plain-text edits of a page, as the views that keep their page as text make them.

// Inserts html before the last "</body>" (any letter case); false when there is none.
bool InsertBeforeBodyEnd(std::string& page, const std::string& html);

// What lies between the opening tag of the element with that id and its matching end tag;
// empty when there is no such element.
std::string InnerHtmlOfId(const std::string& page, const std::string& id);
// The same as a range of the page; false when there is no such element (or it cannot hold any).
bool InnerHtmlRangeOfId(const std::string& page, const std::string& id, size_t& begin, size_t& end);

}  // namespace zc
