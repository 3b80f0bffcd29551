#include "cli/cli_options.h"

#include <cstring>

#include "cli/terminal_session.h"

namespace zc {

CliOptions ParseCliOptions(int argc, char** argv) {
    CliOptions o;
    auto valueOf = [&](int& i, const char* option, std::string& into) {
        const size_t n = std::strlen(option);
        const char* arg = argv[i];
        if (std::strncmp(arg, option, n) != 0) return false;
        if (arg[n] == '=') into = arg + n + 1;
        else if (arg[n] != '\0') return false;
        else if (i + 1 < argc) into = argv[++i];
        if (into.empty()) o.error = std::string(option) + " needs a folder";
        return true;
    };
    for (int i = 1; i < argc && o.error.empty(); ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") o.help = true;
        else if (arg == "--version") o.version = true;
        else if (arg == "--no-input") o.noInput = true;
        else if (arg == "--doctor") o.doctor = true;
        else if (valueOf(i, "--root", o.root)) {}
        else if (valueOf(i, "--dump-pages", o.dumpPagesDir)) {}
        else o.error = "unknown argument " + arg;
    }
    return o;
}

std::string CliUsageText() {
    return "Usage: zeltochat-cli [--root DIR] [--dump-pages DIR] [--no-input]\n"
           "       zeltochat-cli [--root DIR] --doctor\n"
           "\n"
           "ZeltoChat in a terminal: the same chat as the desktop program, without windows.\n"
           "Every line the chat shows is printed to standard output as plain UTF-8 text, one\n"
           "output line per chat line (breaks inside a line shown as \" / \"; lines of the\n"
           "conference page start with \"[conference]\"). Alerts and questions print a line\n"
           "starting with \"[alert]\" or \"[question]\" and wait for /yes or /no. A file, avatar\n"
           "or picture on its way prints \"[transfer]\" lines (its start, then every tenth); an\n"
           "information card prints \"[info]\" and one line an item. The terminal's\n"
           "own remarks start with \"-- \". Output is written line by line as it happens, with\n"
           "colours only when standard output is a terminal (NO_COLOR=1 turns them off).\n"
           "\n"
           "Each line of standard input is what you type into the chat's input box, followed by\n"
           "Enter. Lines typed before the network is up wait for it. End of input (Ctrl-D, or\n"
           "the end of a pipe or file) leaves the chat, as do /quit, SIGTERM, SIGHUP and\n"
           "SIGINT; the others see you leave.\n"
           "\n"
           "  --root DIR         use DIR as the program folder (settings, profiles, logs,\n"
           "                     history); it is made the current directory\n"
           "  --dump-pages DIR   at exit and on SIGUSR1, write the HTML of every page as the\n"
           "                     chat last wrote it to DIR/<page>.html (chat, second,\n"
           "                     userlist, board, smiles), in the pages' windows-1251\n"
           "  --no-input         do not read standard input; run until SIGTERM or SIGINT\n"
           "  --doctor           check the connection (interface, route, port, the other\n"
           "                     copies, firewall, relay, transfer port), one line a check,\n"
           "                     and exit: 0 when chatting works, 1 when it does not\n"
           "  -h, --help         show this text\n"
           "  --version          show the version\n"
           "\n"
           "Without --root: $ZELTOCHAT_ROOT, the program's own folder when it holds\n"
           "system/zeltochat.ini, else $XDG_DATA_HOME/zeltochat.\n"
           "\n" +
           TerminalSession::CommandHelp() +
           "\n"
           "Exit status: 0 after a normal end, 1 when the chat could not start or the pages\n"
           "could not be written, 2 for a bad command line.\n";
}

}  // namespace zc
