#pragma once
#include <map>
#include <memory>

#include "platform/timers.h"

class QTimer;

namespace zc {

// One QTimer per id on the calling (UI) thread.
class QtTimerService : public TimerService {
public:
    QtTimerService();
    ~QtTimerService() override;
    void SetTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    bool IsArmed(int id) const override;
    void SetHandler(std::function<void(int)> onTimer) override;

private:
    void Fire(int id);

    // Timers are stopped, never deleted, while they run: a handler may kill its own timer.
    std::map<int, std::unique_ptr<QTimer>> timers_;
    std::shared_ptr<std::function<void(int)>> handler_;
};

}  // namespace zc
