#include <gtest/gtest.h>
#include <set>

#include "net/notify_event.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

TEST(ShippedSounds, EveryEventOfTheShippedProfileHasASoundThatShips) {
    TempRoot root;
    std::set<std::string> files;
    for (int i = static_cast<int>(NotifyEvent::Default); i <= static_cast<int>(NotifyEvent::FRequest); ++i) {
        const std::string path = EventSoundFile("profiles/default.cfg", static_cast<NotifyEvent>(i), "Bob");
        ASSERT_FALSE(path.empty()) << "event " << i << " has no sound";
        const std::string bytes = root.Read(path);
        ASSERT_GT(bytes.size(), 44u) << path << " is missing or empty";
        // Plain PCM WAV, which every player takes.
        EXPECT_EQ(bytes.substr(0, 4), "RIFF") << path;
        EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ") << path;
        EXPECT_EQ(bytes[20], 1) << path;
        files.insert(path);
    }
    // The events that stand for something different sound different.
    EXPECT_NE(EventSoundFile("profiles/default.cfg", NotifyEvent::Enter, ""),
              EventSoundFile("profiles/default.cfg", NotifyEvent::Exit, ""));
    EXPECT_GE(files.size(), 10u);
}

}  // namespace zc
