#pragma once
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

// Runs the options editor and waits for its end without holding the window up; when it has
// ended, or could not start, the poll of its change list begins (the timer given).
class COptionsRunner : public std::enable_shared_from_this<COptionsRunner> {
public:
    COptionsRunner(ProcessStarter& processes, TimerService& timers, int pollTimer)
        : processes_(processes), timers_(timers), pollTimer_(pollTimer) {}
    // False while an editor is open.
    bool EditorFinished() const { return finished_; }
    void Run(const std::string& programDir);

private:
    void Finished();
    ProcessStarter& processes_;
    TimerService& timers_;
    int pollTimer_;
    bool finished_ = true;
};

}  // namespace zc
