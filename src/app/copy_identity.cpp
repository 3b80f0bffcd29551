#include "app/copy_identity.h"

#include <cstdint>

#include "base/text_helpers.h"
#include "platform/system_facts.h"

namespace zc {
namespace {

// Beyond this many copies of one user the last candidate is used unclaimed.
constexpr int kMaxInstances = 64;

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

bool NoAddress(const std::string& hardware) {
    // An all-zero address (as on lo) is no address.
    return hardware.empty() || hardware.find_first_not_of(std::string(1, '\0')) == std::string::npos;
}

}  // namespace

std::string DescribedIdentity(const std::string& hardware, const std::string& ip) {
    if (NoAddress(hardware)) return RemoveChars(ip + ip, ".");
    return Hex(hardware);
}

std::string FurtherCopyIdentity(const std::string& hardware, const std::string& ip, const std::string& user,
                                int instance) {
    std::string bytes = hardware;
    if (NoAddress(bytes) || bytes.size() != 6) {
        // Without an Ethernet address the IP stands in for it.
        const std::uint64_t h = Fnv1a("ip\n" + ip);
        bytes.clear();
        for (int i = 0; i < 6; ++i) bytes += static_cast<char>((h >> (8 * i)) & 0xFF);
    }
    std::uint64_t mix = Fnv1a(Hex(bytes) + "\n" + user + "\n" + std::to_string(instance)) & 0xFFFFFFFFFFull;
    if (mix == 0) mix = 1;  // never the plain address
    // Locally administered, unicast: no real interface carries such an address by chance.
    bytes[0] = static_cast<char>((static_cast<unsigned char>(bytes[0]) | 0x02) & ~0x01);
    for (int i = 1; i < 6; ++i)
        bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ ((mix >> (8 * (i - 1))) & 0xFF));
    return Hex(bytes);
}

std::string ClaimCopyIdentity(SystemFacts& system, const std::string& hardware, const std::string& ip,
                              const std::string& user) {
    const std::string described = DescribedIdentity(hardware, ip);
    if (system.ClaimIdentity(described)) return described;
    std::string id;
    for (int instance = 0; instance < kMaxInstances; ++instance) {
        id = FurtherCopyIdentity(hardware, ip, user, instance);
        if (id != described && system.ClaimIdentity(id)) return id;
    }
    return id;
}

}  // namespace zc
