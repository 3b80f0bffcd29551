#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zc::relay {

// The IPv4 address a chat packet says it comes from: its text before the first "(", read from
// the scrambled bytes as they travel. Network byte order; nullopt when the packet names none.
std::optional<uint32_t> ClaimedAddress(std::string_view wire);

// The packet's command number, its sixth "||"-separated field, read from the scrambled bytes as
// the chat reads it (leading digits); nullopt when the packet has no such field.
std::optional<int> PacketCommand(std::string_view wire);

// "10.1.0.5" for an address in network byte order, for logs and status lines.
std::string DottedAddress(uint32_t address);

}  // namespace zc::relay
