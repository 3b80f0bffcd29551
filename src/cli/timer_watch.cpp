#include "cli/timer_watch.h"

namespace zc {

void TimerWatch::SetHandler(std::function<void(int)> onTimer) {
    if (!onTimer) {
        inner_.SetHandler(nullptr);
        return;
    }
    inner_.SetHandler([this, onTimer = std::move(onTimer)](int id) {
        onTimer(id);
        if (id != id_ || fired_) return;
        fired_ = true;
        if (afterFirst_) afterFirst_();
    });
}

}  // namespace zc
