#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace zc::relay {

// The IPv4 address a chat packet says it comes from: its text before the first "(", read from
// the scrambled bytes as they travel. Network byte order; nullopt when the packet names none.
std::optional<uint32_t> ClaimedAddress(std::string_view wire);

}  // namespace zc::relay
