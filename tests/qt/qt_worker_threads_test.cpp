#include "qt/qt_worker_threads.h"

#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "qt_test_env.h"

namespace zc {
namespace {

TEST(QtWorkerThreads, ClosuresRunOnTheUiThreadInOrderAndHandlesWait) {
    test::QtApp();
    QtWorkerThreads workers;
    QThread* ui = QThread::currentThread();
    std::vector<int> seen;
    bool allOnUi = true;
    std::atomic<bool> finished{false};
    auto handle = workers.Start([&] {
        for (int i = 0; i < 50; ++i)
            workers.PostToUi([&, i] {
                allOnUi = allOnUi && QThread::currentThread() == ui;
                seen.push_back(i);
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        finished = true;
    });
    // Nothing runs on the UI thread until its event loop turns.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(test::PumpUntil([&] { return seen.size() == 50; }));
    for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[i], i);
    EXPECT_TRUE(allOnUi);
    // Ending the handle waits for the work.
    handle.reset();
    EXPECT_TRUE(finished);
}

TEST(QtWorkerThreads, AThrowingWorkerDoesNotEndTheProgram) {
    test::QtApp();
    QtWorkerThreads workers;
    std::atomic<bool> ranAfter{false};
    auto bad = workers.Start([] { throw std::runtime_error("broken"); });
    bad.reset();
    auto good = workers.Start([&] { ranAfter = true; });
    good.reset();
    EXPECT_TRUE(ranAfter);
}

}  // namespace
}  // namespace zc
