#pragma once
#include <string>

namespace zc {

struct CliOptions {
    std::string root;          // --root DIR
    std::string dumpPagesDir;  // --dump-pages DIR
    bool noInput = false;      // --no-input
    bool doctor = false;       // --doctor: check the connection and exit
    bool help = false;
    bool version = false;
    std::string error;  // set when the line could not be understood
};

CliOptions ParseCliOptions(int argc, char** argv);
std::string CliUsageText();

}  // namespace zc
