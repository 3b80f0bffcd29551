// What the relay reads from a stranger's packet without decoding it (the address it claims, its
// command), checked against the chat's own decoding of the same bytes.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "net/subst_codec.h"
#include "relay/claimed_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string wire(reinterpret_cast<const char*>(data), size);
    zc::CSubstCodec codec;
    codec.SetTables(zc::SubstTableA(), zc::SubstTableB());
    const std::string plain = codec.DecodeText(wire);

    if (const auto claimed = zc::relay::ClaimedAddress(wire))
        ZC_FUZZ_CHECK(plain.starts_with(zc::relay::DottedAddress(*claimed) + "("), plain);
    if (const auto command = zc::relay::PacketCommand(wire)) {
        size_t at = 0;
        for (int field = 0; field < 5; ++field) at = plain.find("||", at) + 2;
        const std::string digits = std::to_string(*command);
        // Leading zeros aside, the field starts with the number read.
        const size_t first = plain.find_first_not_of('0', at);
        ZC_FUZZ_CHECK(*command == 0 || plain.compare(first, digits.size(), digits) == 0, plain);
        ZC_FUZZ_CHECK(plain.find("||", at) != std::string::npos, plain);
    }
    return 0;
}
