#include "qt/sound_players.h"

#include <algorithm>

namespace zc {

SoundPlayers::SoundPlayers(Factory make, size_t capacity)
    : make_(std::move(make)), capacity_(std::max<size_t>(capacity, 1)) {}

void SoundPlayers::Play(const std::string& path) {
    const auto it = std::find_if(players_.begin(), players_.end(), [&](const Entry& e) { return e.path == path; });
    if (it != players_.end()) {
        players_.splice(players_.begin(), players_, it);
    } else {
        players_.push_front({path, make_(path)});
        if (players_.size() > capacity_) players_.pop_back();
    }
    SoundPlayer& player = *players_.front().player;
    if (!player.IsPlaying()) player.Play();
}

}  // namespace zc
