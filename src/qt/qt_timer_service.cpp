#include "qt/qt_timer_service.h"

#include <QTimer>

namespace zc {

QtTimerService::QtTimerService() : handler_(std::make_shared<std::function<void(int)>>()) {}

QtTimerService::~QtTimerService() = default;

void QtTimerService::SetTimer(int id, int periodMs) {
    auto& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this, id] { Fire(id); });
    }
    timer->start(periodMs > 0 ? periodMs : 0);
}

void QtTimerService::KillTimer(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->stop();
}

bool QtTimerService::IsArmed(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

void QtTimerService::SetHandler(std::function<void(int)> onTimer) {
    // A fresh holder, so a handler replaced from inside itself stays alive until it returns.
    handler_ = std::make_shared<std::function<void(int)>>(std::move(onTimer));
}

void QtTimerService::Fire(int id) {
    auto handler = handler_;
    if (*handler) (*handler)(id);
}

}  // namespace zc
