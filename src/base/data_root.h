#pragma once
#include <string>

namespace zc {

struct DataRootInputs {
    std::string rootArgument;  // --root, may be empty
    std::string rootVariable;  // $ZELTOCHAT_ROOT
    std::string executableDir;
    std::string xdgDataHome;    // $XDG_DATA_HOME, or ~/.local/share when unset
    std::string installedData;  // the data/ folder shipped with an installed program
};

struct DataRoot {
    std::string path;  // absolute, ends in "/"
    bool seeded = false;
    std::string error;
};

// The folder all relative paths start from: --root, the variable, a portable program folder,
// else the per-user folder, which is seeded from the installed data on first start.
DataRoot ResolveDataRoot(const DataRootInputs& in);

}  // namespace zc
