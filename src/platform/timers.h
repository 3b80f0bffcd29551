#pragma once
#include <functional>

namespace zc {

// Main-window timers by id. Arming a running id restarts it with the new period.
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual void SetTimer(int id, int periodMs) = 0;
    virtual void KillTimer(int id) = 0;
    virtual bool IsArmed(int id) const = 0;
    // Called with the id on every expiry; periodic until killed.
    virtual void SetHandler(std::function<void(int)> onTimer) = 0;
};

}  // namespace zc
