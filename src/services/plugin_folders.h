#pragma once
#include <string>
#include <vector>

namespace zc {

// Where plug-ins are looked for, in order: the program folder's own (ownFolder), then those of
// the tree the program runs from: beside the executable (a build) and in the installed data
// (an install). A program folder made from a bare copy of data/ so still has the built ones.
// Folders that do not exist are left out, and one folder reached twice is listed once; a
// plug-in's file name found in an earlier folder hides the same name in a later one.
std::vector<std::string> PluginFolders(const std::string& ownFolder, const std::string& executablePath);

}  // namespace zc
