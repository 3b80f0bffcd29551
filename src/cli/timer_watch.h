#pragma once
#include <functional>

#include "platform/timers.h"

namespace zc {

// Passes every call on and tells once when one timer id has fired and been handled: the chat
// brings its network up on its start-up timer, and typed lines wait for that.
class TimerWatch : public TimerService {
public:
    TimerWatch(TimerService& inner, int id, std::function<void()> afterFirst)
        : inner_(inner), id_(id), afterFirst_(std::move(afterFirst)) {}
    void SetTimer(int id, int periodMs) override { inner_.SetTimer(id, periodMs); }
    void KillTimer(int id) override { inner_.KillTimer(id); }
    bool IsArmed(int id) const override { return inner_.IsArmed(id); }
    void SetHandler(std::function<void(int)> onTimer) override;
    bool Fired() const { return fired_; }

private:
    TimerService& inner_;
    int id_;
    std::function<void()> afterFirst_;
    bool fired_ = false;
};

}  // namespace zc
