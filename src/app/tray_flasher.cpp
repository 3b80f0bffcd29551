#include "app/tray_flasher.h"

#include "platform/clock.h"
#include "platform/timers.h"
#include "platform/tray.h"

namespace zc {

TrayFlasher::TrayFlasher(TrayIcon& tray, TimerService& timers, const Clock& clock, int timerId)
    : tray_(tray), timers_(timers), clock_(clock), timerId_(timerId), shownBefore_(kTrayNormalIcon) {}

void TrayFlasher::LoadFlashIcons(int firstId, int lastId) {
    icons_.clear();
    for (int id = firstId; id <= lastId; ++id) icons_.push_back(id);
}

bool TrayFlasher::StartFlashing(int stepMs, int seconds) {
    StopFlashing();
    // Without an icon in the notification area there is nothing to flash.
    if (icons_.empty() || stepMs <= 0 || !tray_.IsAvailable()) return false;
    index_ = 0;
    startMs_ = clock_.MonotonicMs();
    seconds_ = seconds;
    running_ = true;
    timers_.SetTimer(timerId_, stepMs);
    return true;
}

void TrayFlasher::StopFlashing() {
    if (!running_) return;
    running_ = false;
    timers_.KillTimer(timerId_);
    tray_.SetIcon(shownBefore_);
}

void TrayFlasher::OnTick() {
    if (!running_) {
        // A tick already queued when the flashing stopped.
        timers_.KillTimer(timerId_);
        return;
    }
    const std::int64_t elapsedMs = clock_.MonotonicMs() - startMs_;
    // Rounded to whole seconds, half a second up.
    if (seconds_ != 0 && (elapsedMs + 500) / 1000 > seconds_) {
        StopFlashing();
        return;
    }
    index_ = (index_ + 1) % icons_.size();
    tray_.SetIcon(icons_[index_]);
}

}  // namespace zc
