#pragma once
#include <string>

namespace zc {

class DebugLog;
class HtmlView;
class SmileAliasTable;

// Every picture of the table under its category headings; a picture whose file is missing is
// left out. styleSheet is the theme's "smiles.css" when it has one, else the list sheet.
std::string SmilesPage(const SmileAliasTable& table, const std::string& programFolder, const std::string& theme,
                       const std::string& styleSheet);

// Writes the page into the smiles window's view and logs the outcome. The window's title is
// language string 65; setting it is the window's business.
bool SetSmilesList(HtmlView* view, const std::string& page, const DebugLog& log);

}  // namespace zc
