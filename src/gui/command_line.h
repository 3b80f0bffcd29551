#pragma once
#include <string>

namespace zc {

struct CommandLine {
    std::string root;          // --root DIR
    std::string dumpPagesDir;  // --dump-pages DIR
    bool printSettings = false;
    bool help = false;
    bool version = false;
    std::string error;  // set when the line could not be understood
};

// Our options start with "--"; anything else is left to Qt (-platform, -display, ...).
CommandLine ParseCommandLine(int argc, char** argv);
std::string UsageText();

}  // namespace zc
