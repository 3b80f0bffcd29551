#pragma once
#include <string>

namespace zc {

// The file holding the avatar of that name below the program folder ("" for the current one).
// The name is the one that travels, in the chat's code page; the file system keeps UTF-8. Where
// an avatar is stored, served, missed and shown, this one function names its file. Empty for a
// name that is no plain file name.
std::string AvatarFilePath(const std::string& programFolder, const std::string& name);

}  // namespace zc
