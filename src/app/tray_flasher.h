#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zc {

class Clock;
class TimerService;
class TrayIcon;

// Makes the notification-area icon cycle through a list of pictures for a while, on a main
// window timer of its own.
class TrayFlasher {
public:
    TrayFlasher(TrayIcon& tray, TimerService& timers, const Clock& clock, int timerId);

    // The pictures firstId..lastId replace the list.
    void LoadFlashIcons(int firstId, int lastId);
    // seconds 0: until stopped. False when there is nothing to show or no icon to show it on.
    bool StartFlashing(int stepMs, int seconds);
    // Puts back the picture shown before the flashing began.
    void StopFlashing();
    // The timer's expiry.
    void OnTick();

    bool Flashing() const { return running_; }
    int TimerId() const { return timerId_; }

private:
    TrayIcon& tray_;
    TimerService& timers_;
    const Clock& clock_;
    int timerId_;
    std::vector<int> icons_;
    std::size_t index_ = 0;
    std::int64_t startMs_ = 0;
    int seconds_ = 0;
    int shownBefore_;
    bool running_ = false;
};

}  // namespace zc
