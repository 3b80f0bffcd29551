#pragma once
#include <string>

namespace zc {

class Clock;

// The daily trace: logs/<%Y_%m>/<%m-%d-%Y>.txt under the root, opened for every line.
class DebugLog {
public:
    DebugLog(const Clock& clock, std::string rootDir);
    void Write(const std::string& text, bool noTimeStamp = false) const;
    std::string CurrentFilePath() const;

private:
    const Clock& clock_;
    std::string root_;
};

}  // namespace zc
