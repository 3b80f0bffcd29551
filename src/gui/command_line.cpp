#include "gui/command_line.h"

#include <cstring>

namespace zc {

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine cl;
    auto valueOf = [&](int& i, const char* option, std::string& into) {
        const size_t n = std::strlen(option);
        const char* arg = argv[i];
        if (std::strncmp(arg, option, n) != 0) return false;
        if (arg[n] == '=') {
            into = arg + n + 1;
        } else if (arg[n] != '\0') {
            return false;
        } else if (i + 1 < argc) {
            into = argv[++i];
        } else {
            cl.error = std::string(option) + " needs a folder";
            return true;
        }
        if (into.empty()) cl.error = std::string(option) + " needs a folder";
        return true;
    };
    for (int i = 1; i < argc && cl.error.empty(); ++i) {
        const std::string arg = argv[i];
        if (arg == "--") break;
        if (arg.rfind("--", 0) != 0) continue;
        if (arg == "--help") cl.help = true;
        else if (arg == "--version") cl.version = true;
        else if (arg == "--print-settings") cl.printSettings = true;
        else if (valueOf(i, "--root", cl.root)) {
        } else if (valueOf(i, "--dump-pages", cl.dumpPagesDir)) {
        } else cl.error = "unknown option " + arg;
    }
    return cl;
}

std::string UsageText() {
    return "Usage: zeltochat [--root DIR] [--print-settings] [--dump-pages DIR]\n"
           "\n"
           "  --root DIR         use DIR as the program folder (settings, profiles, logs)\n"
           "  --print-settings   print the settings in effect and exit\n"
           "  --dump-pages DIR   write the pages the chat shows into DIR\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "Without --root: $ZELTOCHAT_ROOT, the program's own folder when it holds\n"
           "system/zeltochat.ini, else $XDG_DATA_HOME/zeltochat.\n";
}

}  // namespace zc
