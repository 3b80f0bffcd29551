#pragma once
#include <QEventLoop>
#include <QTimer>

namespace zc::test {

// Lets Qt run (views load, timers fire) for about `ms`.
inline void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace zc::test
