#include "qt/qt_clock.h"

#include <QThread>
#include <chrono>

namespace zc {

std::time_t QtClock::Now() const { return std::time(nullptr); }

std::tm QtClock::LocalTime(std::time_t t) const {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::int64_t QtClock::MonotonicMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void QtClock::SleepMs(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace zc
