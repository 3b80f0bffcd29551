#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "qt/qt_timer_service.h"
#include "qt_test_env.h"

namespace zc {
namespace {

using test::PumpFor;
using test::PumpUntil;

class QtTimerServiceTest : public ::testing::Test {
protected:
    void SetUp() override { test::QtApp(); }
    QtTimerService timers;
    std::vector<int> fired;
};

TEST_F(QtTimerServiceTest, PeriodicUntilKilledWithItsOwnId) {
    timers.SetHandler([&](int id) { fired.push_back(id); });
    timers.SetTimer(7, 10);
    EXPECT_TRUE(timers.IsArmed(7));
    EXPECT_FALSE(timers.IsArmed(8));
    ASSERT_TRUE(PumpUntil([&] { return fired.size() >= 3; }));
    EXPECT_EQ(std::vector<int>(fired.size(), 7), fired);

    timers.KillTimer(7);
    EXPECT_FALSE(timers.IsArmed(7));
    const size_t before = fired.size();
    PumpFor(60);
    EXPECT_EQ(before, fired.size());
    timers.KillTimer(99);  // never armed: nothing to do
}

TEST_F(QtTimerServiceTest, HandlerKillsAndRearmsFromInside) {
    std::map<int, int> count;
    timers.SetHandler([&](int id) {
        ++count[id];
        if (id == 1) {
            // Once: stop, and start two others, one of them with our own id again later.
            timers.KillTimer(1);
            timers.SetTimer(2, 5);
        } else if (id == 2 && count[2] == 2) {
            timers.KillTimer(2);
            timers.SetTimer(1, 500);
            timers.SetTimer(3, 5);
        } else if (id == 3) {
            timers.KillTimer(3);
        }
    });
    timers.SetTimer(1, 5);
    ASSERT_TRUE(PumpUntil([&] { return count[3] == 1; }));
    PumpFor(50);
    EXPECT_EQ(1, count[1]);
    EXPECT_EQ(2, count[2]);
    EXPECT_EQ(1, count[3]);
    EXPECT_TRUE(timers.IsArmed(1));
    EXPECT_FALSE(timers.IsArmed(2));
    EXPECT_FALSE(timers.IsArmed(3));
}

TEST_F(QtTimerServiceTest, ArmingAgainRestartsWithTheNewPeriod) {
    timers.SetHandler([&](int id) { fired.push_back(id); });
    timers.SetTimer(5, 80);
    // Re-armed well inside its period, it never gets to fire.
    for (int i = 0; i < 6; ++i) {
        PumpFor(30);
        timers.SetTimer(5, 80);
    }
    EXPECT_TRUE(fired.empty());
    timers.SetTimer(5, 5);
    ASSERT_TRUE(PumpUntil([&] { return !fired.empty(); }, 500));
}

TEST_F(QtTimerServiceTest, HandlerMayRemoveItself) {
    int calls = 0;
    timers.SetHandler([&](int) {
        ++calls;
        timers.SetHandler(nullptr);
    });
    timers.SetTimer(1, 5);
    PumpFor(60);
    EXPECT_EQ(1, calls);
    EXPECT_TRUE(timers.IsArmed(1));  // the timer runs on without anyone to call
}

}  // namespace
}  // namespace zc
