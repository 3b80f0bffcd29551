#pragma once
#include <string>

#include "base/data_root.h"

namespace zc {

class SystemFacts;

// $VARIABLE, else ~/underHome; empty when there is no home either.
std::string HomeSubdir(const SystemFacts& facts, const char* variable, const char* underHome);

// Where the program folder may come from: the --root argument, the environment, the
// executable's folder, the per-user data folder and the installed data beside the executable.
DataRootInputs RootInputs(const std::string& rootArgument, const SystemFacts& facts, const std::string& installedData);

}  // namespace zc
