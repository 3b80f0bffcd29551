#include "relay/address_sites.h"

namespace zc::relay {

void AddressSites::Ours(uint32_t address, Clock::time_point now) { Remember(address, {}, now); }

bool AddressSites::Admit(uint32_t address, std::string_view site, Clock::time_point now) {
    const auto it = bySite_.find(address);
    if (it != bySite_.end() && it->second.site != site && now - it->second.at < kMemory) return false;
    Remember(address, site, now);
    return true;
}

std::string AddressSites::Holder(uint32_t address, Clock::time_point now) const {
    const auto it = bySite_.find(address);
    return it != bySite_.end() && now - it->second.at < kMemory ? it->second.site : std::string();
}

bool AddressSites::Remember(uint32_t address, std::string_view site, Clock::time_point now) {
    if (bySite_.size() >= kMaxEntries && !bySite_.count(address))
        std::erase_if(bySite_, [now](const auto& e) { return now - e.second.at >= kMemory; });
    if (bySite_.size() >= kMaxEntries && !bySite_.count(address)) return false;
    Entry& e = bySite_[address];
    e.site.assign(site);
    e.at = now;
    return true;
}

}  // namespace zc::relay
