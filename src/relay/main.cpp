// zeltorelay: the relay server for chat clients in relay mode.
#include <arpa/inet.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "relay/relay_server.h"

namespace {

const char kUsage[] =
    "Usage: zeltorelay [--port N] [--bind ADDR] [--echo] [--max-clients N]\n"
    "                  [--max-per-address N] [--greeting-timeout S] [--quiet-timeout S]\n"
    "Relay server for ZeltoChat clients in relay mode: every zero-terminated packet\n"
    "a client sends is passed on to every other connected client.\n"
    "\n"
    "  --port N              TCP port to listen on (default 9011; 0 picks one)\n"
    "  --bind ADDR           IPv4 address to listen on (default 0.0.0.0)\n"
    "  --echo                also send each packet back to its sender\n"
    "  --max-clients N       refuse connections beyond N clients (default 10000)\n"
    "  --max-per-address N   refuse connections beyond N from one address\n"
    "                        (default 16)\n"
    "  --greeting-timeout S  close a connection that sends no packet within\n"
    "                        S seconds of connecting (default 60)\n"
    "  --quiet-timeout S     drop a client whose link is gone after S seconds\n"
    "                        without an answer (default 60, at least 2)\n"
    "  -h, --help            show this help and exit\n"
    "\n"
    "A client that lets more than 1 MiB pile up unread, or sends more than 4096\n"
    "bytes without a zero byte, is disconnected. Connections are logged to standard\n"
    "error. SIGTERM or SIGINT stops the server.\n";

enum class Parsed { Run, Help, Error };

Parsed ParseArgs(int argc, char** argv, zc::relay::RelayConfig& config, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        const bool takesValue = arg == "--port" || arg == "--bind" || arg == "--max-clients" ||
                                arg == "--max-per-address" || arg == "--greeting-timeout" ||
                                arg == "--quiet-timeout";
        if (!takesValue && hasValue) {
            error = "option " + std::string(arg) + " takes no value";
            return Parsed::Error;
        }
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) {
                error = "option " + std::string(arg) + " needs a value";
                return Parsed::Error;
            }
            value = argv[++i];
        }
        if (arg == "-h" || arg == "--help") return Parsed::Help;
        if (arg == "--echo") {
            config.echo = true;
        } else if (arg == "--port") {
            unsigned port = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() || port > 65535) {
                error = "bad port '" + std::string(value) + "': expected a number from 0 to 65535";
                return Parsed::Error;
            }
            config.port = static_cast<uint16_t>(port);
        } else if (arg == "--max-clients" || arg == "--max-per-address" || arg == "--greeting-timeout" ||
                   arg == "--quiet-timeout") {
            const bool count = arg.starts_with("--max");
            const unsigned long low = arg == "--quiet-timeout" ? 2 : 1, high = count ? 1000000 : 86400;
            unsigned long number = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() || number < low ||
                number > high) {
                error = "bad " + std::string(arg) + " '" + std::string(value) + "': expected a number from " +
                        std::to_string(low) + " to " + std::to_string(high);
                return Parsed::Error;
            }
            if (arg == "--max-clients")
                config.maxClients = number;
            else if (arg == "--max-per-address")
                config.maxPerAddress = number;
            else if (arg == "--greeting-timeout")
                config.greetingTimeout = std::chrono::seconds(number);
            else
                config.quietTimeout = std::chrono::seconds(number);
        } else if (arg == "--bind") {
            in_addr probe{};
            if (inet_pton(AF_INET, std::string(value).c_str(), &probe) != 1) {
                error = "bad bind address '" + std::string(value) + "': expected an IPv4 address";
                return Parsed::Error;
            }
            config.bindAddress = value;
        } else {
            error = "unknown argument '" + std::string(argv[i]) + "'";
            return Parsed::Error;
        }
    }
    return Parsed::Run;
}

void LogLine(const std::string& message) {
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
    const std::string line = std::string(stamp) + message + "\n";
    // One write per line keeps lines whole when stderr is shared.
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

int main(int argc, char** argv) {
    zc::relay::RelayConfig config;
    std::string error;
    switch (ParseArgs(argc, argv, config, error)) {
        case Parsed::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case Parsed::Error:
            std::fprintf(stderr, "zeltorelay: %s\nTry 'zeltorelay --help'.\n", error.c_str());
            return 1;
        case Parsed::Run:
            break;
    }

    // A client that vanishes must not kill the relay; sends use MSG_NOSIGNAL as well.
    std::signal(SIGPIPE, SIG_IGN);
    // Stop signals arrive as a readable descriptor, so the poll loop ends between two steps.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    int stopFd = -1;
    if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0 ||
        (stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK)) < 0) {
        std::fprintf(stderr, "zeltorelay: cannot set up signal handling: %s\n", std::strerror(errno));
        return 1;
    }

    // Each client holds a descriptor; take all the system allows, the client cap and the
    // out-of-descriptors refusal handle the rest.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    zc::relay::RelayServer server(config, LogLine);
    if (!server.Listen(error)) {
        std::fprintf(stderr, "zeltorelay: %s\n", error.c_str());
        return 1;
    }
    const bool ok = server.Run(stopFd);
    signalfd_siginfo info{};
    if (read(stopFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        LogLine(std::string("stopped by ") + (info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM"));
    close(stopFd);
    return ok ? 0 : 1;
}
