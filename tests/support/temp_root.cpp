#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zc::test {
namespace fs = std::filesystem;

TempRoot::TempRoot(bool withData) {
    char pattern[] = "/tmp/zeltochat-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr) << "cannot make a temporary root";
    path_ = std::string(made ? made : "/tmp") + "/";
    if (withData) fs::copy(std::string(ZC_SOURCE_DIR) + "/data", path_, fs::copy_options::recursive);
    previous_ = fs::current_path().string();
    fs::current_path(path_);
}

TempRoot::~TempRoot() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
}

void TempRoot::Write(const std::string& relative, const std::string& bytes) const {
    fs::create_directories(fs::path(path_ + relative).parent_path());
    std::ofstream(path_ + relative, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string TempRoot::Read(const std::string& relative) const { return ReadFileBytes(path_ + relative); }

bool TempRoot::Exists(const std::string& relative) const { return fs::exists(path_ + relative); }

void TempRoot::Remove(const std::string& relative) const { fs::remove_all(path_ + relative); }

std::string GoldenPath(const std::string& name) { return std::string(ZC_GOLDEN_DIR) + "/" + name; }

std::string ReadGolden(const std::string& name) {
    const std::string path = GoldenPath(name);
    EXPECT_TRUE(fs::exists(path)) << "missing golden file " << path;
    return ReadFileBytes(path);
}

}  // namespace zc::test
