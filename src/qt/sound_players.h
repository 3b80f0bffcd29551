#pragma once
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <string>

namespace zc {

// One sound file, loaded once and started again for every event that plays it.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play() = 0;
    virtual bool IsPlaying() const = 0;
};

// A player per sound file, kept for the next event: a busy chat plays the same few sounds
// thousands of times, and a new player each time only grows the program. A sound still playing
// is not started again on top of itself. Past the capacity the least recently used player goes.
class SoundPlayers {
public:
    using Factory = std::function<std::unique_ptr<SoundPlayer>(const std::string& path)>;
    explicit SoundPlayers(Factory make, size_t capacity = 4);

    void Play(const std::string& path);
    size_t Size() const { return players_.size(); }

private:
    struct Entry {
        std::string path;
        std::unique_ptr<SoundPlayer> player;
    };
    Factory make_;
    size_t capacity_;
    std::list<Entry> players_;  // most recently used first
};

}  // namespace zc
