#pragma once
#include <functional>
#include <memory>
#include <string>

namespace zc {

class ProcessStarter;
class TimerService;

// The options editor the chat starts, and the argument it must be started with.
inline constexpr char kOptionsEditor[] = "option.cmd";
inline constexpr char kOptionsAccess[] = "qpLTX7!&*#^%wmvbn81627";
inline constexpr int kOptionsFirstPollMs = 500;
inline constexpr int kOptionsPollMs = 1000;

// Runs the options editor and waits for its end without holding the window up. The poll of its
// change list (the timer given) begins when the editor starts, so a Save counts while the
// editor is still open, and once more half a second after it ends. An editor that cannot be
// started is reported through onCannotStart with the reason.
class COptionsRunner : public std::enable_shared_from_this<COptionsRunner> {
public:
    using Report = std::function<void(const std::string& why)>;
    COptionsRunner(ProcessStarter& processes, TimerService& timers, int pollTimer, Report onCannotStart)
        : processes_(processes), timers_(timers), pollTimer_(pollTimer), onCannotStart_(std::move(onCannotStart)) {}
    // False while an editor is open.
    bool EditorFinished() const { return finished_; }
    void Run(const std::string& programDir);

private:
    void Finished(int exitCode);
    ProcessStarter& processes_;
    TimerService& timers_;
    int pollTimer_;
    Report onCannotStart_;
    bool finished_ = true;
};

}  // namespace zc
