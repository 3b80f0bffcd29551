#pragma once
// Helpers shared by the fuzz targets.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace zc::fuzz {

// A broken invariant is a finding: libFuzzer keeps the input, the replay test fails.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "fuzz invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

#define ZC_FUZZ_CHECK(cond, detail) \
    do {                            \
        if (!(cond)) ::zc::fuzz::Fail(#cond, (detail)); \
    } while (0)

inline std::string& ScratchPath() {
    static std::string path;
    return path;
}

// A private folder in /tmp made the current directory for the process's life, for targets
// whose parser reads files; removed at exit.
inline const std::string& ScratchFolder() {
    std::string& path = ScratchPath();
    if (path.empty()) {
        char pattern[] = "/tmp/zeltochat-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) Fail("cannot make a scratch folder");
        path = std::string(made) + "/";
        std::filesystem::current_path(path);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::current_path("/tmp", ec);
            std::filesystem::remove_all(ScratchPath(), ec);
        });
    }
    return path;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write", path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace zc::fuzz
