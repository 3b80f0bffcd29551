#include <gtest/gtest.h>

#include "app/tray_flasher.h"
#include "support/fakes.h"

namespace zc {
using namespace zc::test;

namespace {
struct Flasher {
    explicit Flasher(bool trayAvailable = true) : tray(trayAvailable) {
        timers.SetHandler([this](int id) {
            ASSERT_EQ(id, 7);
            flasher.OnTick();
        });
    }
    FakeClock clock;
    FakeTimers timers{clock};
    FakeTray tray;
    TrayFlasher flasher{tray, timers, clock, 7};
};
}  // namespace

TEST(TrayFlasher, RefusesWithoutPicturesOrIcon) {
    Flasher f;
    EXPECT_FALSE(f.flasher.StartFlashing(200, 10));
    EXPECT_FALSE(f.timers.IsArmed(7));

    Flasher none(false);
    none.flasher.LoadFlashIcons(145, 146);
    EXPECT_FALSE(none.flasher.StartFlashing(200, 10));
    EXPECT_FALSE(none.timers.IsArmed(7));
    none.timers.Advance(1000);
    EXPECT_TRUE(none.tray.Icons().empty());
}

TEST(TrayFlasher, RestartReplacesTheListAndKeepsTheNormalIconToReturnTo) {
    Flasher f;
    f.flasher.LoadFlashIcons(145, 146);
    ASSERT_TRUE(f.flasher.StartFlashing(200, 10));
    f.timers.Advance(200);
    ASSERT_EQ(f.tray.Icon(), 146);
    // A second event while flashing: its own pair, timed from now.
    f.flasher.LoadFlashIcons(149, 150);
    ASSERT_TRUE(f.flasher.StartFlashing(200, 3));
    EXPECT_EQ(f.tray.Icon(), kTrayNormalIcon);
    f.timers.Advance(400);
    EXPECT_EQ(f.tray.Icons(), (std::vector<int>{146, kTrayNormalIcon, 150, 149}));
    f.timers.Advance(3000);
    EXPECT_TRUE(f.flasher.Flashing());
    f.timers.Advance(200);  // 3.6 s rounds to 4
    EXPECT_FALSE(f.flasher.Flashing());
    EXPECT_EQ(f.tray.Icon(), kTrayNormalIcon);

    // Stopping twice puts the icon back once.
    const size_t shown = f.tray.Icons().size();
    f.flasher.StopFlashing();
    EXPECT_EQ(f.tray.Icons().size(), shown);
}

TEST(TrayFlasher, NoDurationFlashesUntilStoppedAndLongerListsWrap) {
    Flasher f;
    f.flasher.LoadFlashIcons(145, 147);
    ASSERT_TRUE(f.flasher.StartFlashing(100, 0));
    f.timers.Advance(600);
    EXPECT_EQ(f.tray.Icons(), (std::vector<int>{146, 147, 145, 146, 147, 145}));
    f.timers.Advance(60 * 60 * 1000);
    EXPECT_TRUE(f.flasher.Flashing());
    f.flasher.StopFlashing();
    EXPECT_EQ(f.tray.Icon(), kTrayNormalIcon);
    EXPECT_FALSE(f.timers.IsArmed(7));
}

}  // namespace zc
