#include "qt/sound_players.h"

#include <gtest/gtest.h>

#include <map>

namespace zc {
namespace {

struct PlayerRecord {
    int made = 0, started = 0;
    bool playing = false;
};

class FakePlayer : public SoundPlayer {
public:
    explicit FakePlayer(PlayerRecord& record) : record_(record) { ++record_.made; }
    void Play() override { ++record_.started, record_.playing = true; }
    bool IsPlaying() const override { return record_.playing; }

private:
    PlayerRecord& record_;
};

TEST(SoundPlayers, OnePlayerPerFileNeverRestartedWhilePlayingAndAtMostTheCapacity) {
    std::map<std::string, PlayerRecord> files;
    SoundPlayers players([&](const std::string& path) { return std::make_unique<FakePlayer>(files[path]); }, 2);

    // Forty thousand messages with one sound: one player, started again only once it finished.
    for (int i = 0; i < 40000; ++i) {
        players.Play("msg.wav");
        if (i % 10 == 9) files["msg.wav"].playing = false;
    }
    EXPECT_EQ(files["msg.wav"].made, 1);
    EXPECT_EQ(files["msg.wav"].started, 4000);

    // A third file pushes out the least recently used one, which is made again when it returns.
    for (const char* file : {"alert.wav", "msg.wav", "enter.wav", "msg.wav", "alert.wav"}) players.Play(file);
    EXPECT_EQ(players.Size(), 2u);
    EXPECT_EQ(files["msg.wav"].made, 1);
    EXPECT_EQ(files["alert.wav"].made, 2);
}

}  // namespace
}  // namespace zc
