#pragma once
#include <string>
#include <vector>

namespace zc::doctor {

struct CommandResult {
    bool started = false;  // false when the program is missing or could not run
    bool timedOut = false;
    int exitCode = -1;
    std::string out, err;
};

// Runs argv[0] (looked up in PATH) with a C locale, waits at most timeoutMs, and keeps at
// most 1 MB of each output. A program that runs over its time is killed.
CommandResult RunCommand(const std::vector<std::string>& argv, int timeoutMs = 3000);

}  // namespace zc::doctor
