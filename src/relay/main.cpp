// zeltorelay: the relay server for chat clients in relay mode.
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "relay/relay_config.h"
#include "relay/relay_server.h"

namespace {

const char kUsage[] =
    "Usage: zeltorelay [--config FILE] [--check] [--port N] [--bind ADDR] [--echo]\n"
    "                  [--max-clients N] [--max-per-address N] [--greeting-timeout S]\n"
    "                  [--quiet-timeout S] [--nat] [--multicast [IFACE]] [--group ADDR]\n"
    "                  [--group-port N] [--ttl N] [--peer ADDR]...\n"
    "                  [--mqtt URL --site NAME [--room NAME] [--mqtt-user NAME]\n"
    "                   [--mqtt-password-file FILE] [--mqtt-ca FILE]]\n"
    "Relay server for ZeltoChat clients in relay mode: every zero-terminated packet\n"
    "a client sends is passed on to every other connected client.\n"
    "\n"
    "  --config FILE         read options from FILE, 'key = value' lines with the\n"
    "                        long options' names (default /etc/zeltochat/relay.conf\n"
    "                        when it exists); options given here override it\n"
    "  --check               check the configuration, print what the relay would run\n"
    "                        with, or every error, and exit\n"
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
    "  --nat                 clients are behind address translation: accept packets\n"
    "                        naming another address than the connection's (logged)\n"
    "  --multicast [IFACE]   also be a gateway to the chat's multicast group on IFACE\n"
    "                        (a name or IPv4 address; default the first interface)\n"
    "  --group ADDR          the group to join (default 225.0.0.1)\n"
    "  --group-port N        its UDP port (default 9010)\n"
    "  --ttl N               time to live of datagrams sent to it (default 8)\n"
    "  --peer ADDR           another gateway of the same segment (repeatable; in the\n"
    "                        file: peers = A, B): what it forwards goes to this\n"
    "                        relay's clients, and of the gateways the one with the\n"
    "                        lowest address sends the other sites' packets to the group\n"
    "  --mqtt URL            link to the other sites through an MQTT broker:\n"
    "                        mqtt://[USER[:PASSWORD]@]HOST[:PORT] (port 1883) or\n"
    "                        mqtts://... (TLS, port 8883). A password on the command\n"
    "                        line is visible to every user of this machine: use\n"
    "                        --mqtt-password-file instead\n"
    "  --site NAME           this site's name, its topic zeltochat/ROOM/NAME\n"
    "  --room NAME           the sites that meet (default main)\n"
    "  --mqtt-user NAME      the broker's user name\n"
    "  --mqtt-password-file FILE  the broker's password, the file's first line\n"
    "  --mqtt-ca FILE        with mqtts: trust this CA instead of the system's\n"
    "  -h, --help            show this help and exit\n"
    "\n"
    "A client's packets must name the address it connected from, datagrams from the group\n"
    "the address they came from; others are dropped. As a gateway the relay passes each\n"
    "packet on once, however many ways it arrives within a few seconds. Packets from\n"
    "other sites that speak for an address of the gateway's own segment are dropped.\n"
    "A client that sends 'zeltorelay-status' and a zero byte gets the relay's status.\n"
    "\n"
    "A client that lets more than 1 MiB pile up unread, or sends more than 4096\n"
    "bytes without a zero byte, is disconnected. Connections are logged to standard\n"
    "error. SIGTERM or SIGINT stops the server.\n";

void LogLine(const std::string& message) {
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
    // The journal stamps each line itself.
    const bool journal = std::getenv("JOURNAL_STREAM") != nullptr;
    const std::string line = (journal ? std::string() : std::string(stamp)) + message + "\n";
    // One write per line keeps lines whole when stderr is shared.
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

int main(int argc, char** argv) {
    const zc::relay::CommandLine commandLine = zc::relay::ParseCommandLine(argc, argv);
    if (commandLine.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    zc::relay::RelayConfig config;
    config.checkSenders = true;
    const std::vector<std::string> errors = zc::relay::LoadConfig(commandLine, config);
    for (const std::string& problem : errors) std::fprintf(stderr, "zeltorelay: %s\n", problem.c_str());
    if (commandLine.check) {
        if (!errors.empty()) return 1;
        std::printf("configuration ok; zeltorelay would run with:\n%s", zc::relay::DescribeConfig(config).c_str());
        return 0;
    }
    if (!errors.empty()) {
        std::fputs("Try 'zeltorelay --help'.\n", stderr);
        return 1;
    }
    std::string error;

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
