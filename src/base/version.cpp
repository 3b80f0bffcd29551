#include "base/version.h"

#include "base/build_version.h"

namespace zc {

std::string GetVersionText(const FileVersion& v) {
    if (!v.present) return {};
    auto n = [](unsigned part) { return std::to_string(part & 0xFFFF); };
    if ((v.patch & 0xFFFF) || (v.build & 0xFFFF))
        return n(v.major) + "." + n(v.minor) + "." + n(v.patch) + "." + n(v.build);
    if ((v.major & 0xFFFF) || (v.minor & 0xFFFF)) return n(v.major) + "." + n(v.minor);
    return {};
}

FileVersion ProgramFileVersion() {
    return {ZC_VERSION_MAJOR, ZC_VERSION_MINOR, ZC_VERSION_PATCH, ZC_VERSION_BUILD, true};
}

}  // namespace zc
