#pragma once
#include <string>

namespace zc {

struct FileVersion {
    unsigned major = 0, minor = 0, patch = 0, build = 0;  // 16-bit parts, most significant first
    bool present = false;
};

// "a.b.c.d" when the low half is set, "a.b" when only the high half is, else empty.
std::string GetVersionText(const FileVersion& version);

// The version this program was built as.
FileVersion ProgramFileVersion();

}  // namespace zc
