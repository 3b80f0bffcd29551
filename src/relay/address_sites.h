#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zc::relay {

// Which site each address was last heard at. An address spoken for by one site is not believed
// from another until that site has been silent for it a while: whoever may publish to the broker
// still cannot pose as a user another site has, nor as one of our own side.
class AddressSites {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kMemory = std::chrono::minutes(20);  // the longest refresh
    static constexpr size_t kMaxEntries = 16384;

    // Our own side has it: checked there (a connection's or a datagram's source), so it wins.
    void Ours(uint32_t address, Clock::time_point now);
    // True when `site` may speak for the address; it then counts as that site's. When full of
    // recent addresses a new one is believed without being remembered, so no flood locks users out.
    bool Admit(uint32_t address, std::string_view site, Clock::time_point now);
    // The site that holds the address now, "" for our own side or nobody.
    std::string Holder(uint32_t address, Clock::time_point now) const;

private:
    struct Entry {
        std::string site;  // "" for our own side
        Clock::time_point at;
    };
    bool Remember(uint32_t address, std::string_view site, Clock::time_point now);
    std::unordered_map<uint32_t, Entry> bySite_;
};

}  // namespace zc::relay
