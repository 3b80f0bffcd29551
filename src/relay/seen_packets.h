#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_map>

namespace zc::relay {

// Packets a gateway passed on lately, so the same bytes arriving by another way (a second
// gateway, the group and a client) are not passed on twice. The same sender repeating itself
// ("ok", then "ok" again) is no duplicate: only a sighting from another origin counts.
class SeenPackets {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kWindow = std::chrono::seconds(5);
    static constexpr size_t kMaxEntries = 16384;

    // True when these bytes were not seen from another origin within the window; remembers them.
    bool Fresh(std::string_view bytes, uint64_t origin, Clock::time_point now);
    size_t Size() const { return byHash_.size(); }

private:
    struct Sighting {
        uint64_t origin;
        Clock::time_point at;
    };
    void Expire(Clock::time_point now);
    std::unordered_map<uint64_t, Sighting> byHash_;
    std::deque<std::pair<Clock::time_point, uint64_t>> order_;  // oldest first
};

}  // namespace zc::relay
