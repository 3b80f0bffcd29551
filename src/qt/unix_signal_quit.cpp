#include "qt/unix_signal_quit.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace zc {

namespace {
// One pair per process; the handler may only write to it.
int g_pipe[2] = {-1, -1};
struct sigaction g_oldTerm {}, g_oldInt {}, g_oldHup {}, g_oldUsr1 {};

void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
}  // namespace

UnixSignalQuit::UnixSignalQuit(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (g_pipe[0] >= 0) return;  // one at a time
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    ::fcntl(g_pipe[0], F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Drain(); });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, &g_oldTerm);
    sigaction(SIGINT, &sa, &g_oldInt);
    sigaction(SIGHUP, &sa, &g_oldHup);
    sigaction(SIGUSR1, &sa, &g_oldUsr1);
}

UnixSignalQuit::~UnixSignalQuit() {
    if (!notifier_) return;
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGHUP, &g_oldHup, nullptr);
    sigaction(SIGUSR1, &g_oldUsr1, nullptr);
    notifier_.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void UnixSignalQuit::Drain() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        if (onSignal_) onSignal_(byte);
    }
}

}  // namespace zc
