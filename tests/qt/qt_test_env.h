#pragma once
// The Qt objects under test need an application object and a turning event loop.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace zc::test {

inline QCoreApplication& QtApp() {
    static int argc = 1;
    static char name[] = "zqt_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt objects of other tests may still be around at exit.
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

// Runs the event loop until done() holds or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    QtApp();
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

}  // namespace zc::test
