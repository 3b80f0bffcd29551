#pragma once
#include <string>

namespace zc::test {

// A fresh program folder in /tmp, made the current directory for the test's life.
class TempRoot {
public:
    // withData copies the shipped data folder into it.
    explicit TempRoot(bool withData = true);
    ~TempRoot();
    const std::string& Path() const { return path_; }  // ends in "/"
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    void Remove(const std::string& relative) const;

private:
    std::string path_, previous_;
};

std::string ReadFileBytes(const std::string& path);
std::string GoldenPath(const std::string& name);
std::string ReadGolden(const std::string& name);

}  // namespace zc::test
