#pragma once
#include <functional>
#include <memory>

class QSocketNotifier;

namespace zc {

// SIGTERM, SIGINT, SIGHUP (the session or the terminal went away) and SIGUSR1 reach the
// event loop as a call, so the chat can end in order.
class UnixSignalQuit {
public:
    explicit UnixSignalQuit(std::function<void(int signal)> onSignal);
    ~UnixSignalQuit();
    UnixSignalQuit(const UnixSignalQuit&) = delete;
    UnixSignalQuit& operator=(const UnixSignalQuit&) = delete;
    bool Installed() const { return notifier_ != nullptr; }

private:
    void Drain();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zc
