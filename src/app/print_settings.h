#pragma once
#include <string>

namespace zc {

struct SystemNames;

// The effective settings after defaults and limits, one "file/SECTION/KEY=value" line each.
// Paths are relative to the current directory, the data root.
std::string PrintSettings(const SystemNames& names);

}  // namespace zc
