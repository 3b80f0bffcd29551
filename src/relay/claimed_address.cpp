#include "relay/claimed_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <iterator>

namespace zc::relay {

namespace {

// How the chat's byte substitution writes "0".."9", "." and "(" on the wire. The relay reads only
// the address, so it needs no more of the tables than these.
constexpr unsigned char kDigits[10] = {0xED, 0x6E, 0x54, 0x73, 0x27, 0x5D, 0xFC, 0x26, 0x7A, 0x50};
constexpr unsigned char kDot = 0xD8, kOpen = 0xCC;
// "|", twice between fields.
constexpr char kBars[] = {'\xCE', '\xCE'};
constexpr size_t kLongestAddress = 15;  // "255.255.255.255"

}  // namespace

std::optional<uint32_t> ClaimedAddress(std::string_view wire) {
    char plain[kLongestAddress + 1];
    size_t n = 0;
    for (unsigned char c : wire) {
        if (c == kOpen) break;
        if (n == kLongestAddress) return std::nullopt;
        char p = c == kDot ? '.' : '\0';
        for (int d = 0; d < 10 && !p; ++d)
            if (kDigits[d] == c) p = static_cast<char>('0' + d);
        if (!p) return std::nullopt;
        plain[n++] = p;
    }
    if (n == 0 || n == wire.size()) return std::nullopt;
    plain[n] = '\0';
    in_addr addr{};
    // inet_pton takes only the plain dotted form, no leading zeros or short forms.
    if (inet_pton(AF_INET, plain, &addr) != 1) return std::nullopt;
    return addr.s_addr;
}

std::string DottedAddress(uint32_t address) {
    char text[INET_ADDRSTRLEN] = "?";
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

std::optional<int> PacketCommand(std::string_view wire) {
    const std::string_view bars(kBars, 2);
    size_t at = 0;
    for (int field = 0; field < 5; ++field) {
        at = wire.find(bars, at);
        if (at == std::string_view::npos) return std::nullopt;
        at += 2;
    }
    const size_t end = wire.find(bars, at);
    if (end == std::string_view::npos) return std::nullopt;
    int value = 0;
    for (size_t i = at; i < end && i - at < 9; ++i) {
        const auto* digit = std::find(std::begin(kDigits), std::end(kDigits), static_cast<unsigned char>(wire[i]));
        if (digit == std::end(kDigits)) break;
        value = value * 10 + static_cast<int>(digit - std::begin(kDigits));
    }
    return value;
}

}  // namespace zc::relay
