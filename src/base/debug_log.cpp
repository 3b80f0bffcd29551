#include "base/debug_log.h"

#include <cstdio>
#include <filesystem>

#include "base/text_helpers.h"
#include "platform/clock.h"

namespace zc {

DebugLog::DebugLog(const Clock& clock, std::string rootDir) : clock_(clock), root_(std::move(rootDir)) {
    if (!root_.empty() && root_.back() != '/') root_ += '/';
}

std::string DebugLog::CurrentFilePath() const {
    std::tm now = clock_.LocalTime(clock_.Now());
    return root_ + "logs/" + FormatTime("%Y_%m", now) + "/" + FormatTime("%m-%d-%Y.txt", now);
}

void DebugLog::Write(const std::string& text, bool noTimeStamp) const {
    std::tm now = clock_.LocalTime(clock_.Now());
    const std::string folder = root_ + "logs/" + FormatTime("%Y_%m", now);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string file = folder + "/" + FormatTime("%m-%d-%Y.txt", now);

    std::string line = noTimeStamp ? text : FormatTime("%H:%M:%S ", now) + text;
    line += "\r\n";
    // Append mode: every line goes to the end, also with two copies writing.
    if (FILE* f = std::fopen(file.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}

}  // namespace zc
