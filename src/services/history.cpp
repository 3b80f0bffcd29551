#include "services/history.h"

#include <cstdio>
#include <filesystem>

#include "base/text_helpers.h"
#include "platform/clock.h"

namespace zc {

std::string ChatHistory::PathFor(bool isMain) const {
    const std::tm now = clock_.LocalTime(clock_.Now());
    const std::string folder = "history/" + FormatTime("%Y_%m", now);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder + "/" + FormatTime(isMain ? "%m-%Y_Main.htm" : "%Y_private_alert.htm", now);
}

void ChatHistory::AppendHistory(const std::string& text, bool isMain, bool withTime) const {
    const std::tm now = clock_.LocalTime(clock_.Now());
    std::string entry = withTime ? FormatTime("[%d/%m/%Y] [%H:%M:%S] ", now) : std::string();
    entry += text + "\n<br>";
    if (FILE* f = std::fopen(PathFor(isMain).c_str(), "ab")) {
        std::fwrite(entry.data(), 1, entry.size(), f);
        std::fclose(f);
    }
}

}  // namespace zc
