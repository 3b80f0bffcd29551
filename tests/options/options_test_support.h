// Helpers shared by the options editor tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/cp1251.h"

namespace zc::options_test {

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string Cp(const char* utf8) { return zc::Utf8ToCp1251(utf8); }

// The text with its one expected occurrence of from replaced.
inline std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Copies the shipped language files, so captions come from where the program reads them.
inline void CopyLanguages(const std::string& root) {
    for (const char* name : {"english", "russian"}) {
        const std::string file = std::string("/language/lang_") + name + ".cfg";
        WriteBytes(root + file, ReadBytes(std::string(ZC_SOURCE_DIR) + "/data" + file));
    }
}

}  // namespace zc::options_test
