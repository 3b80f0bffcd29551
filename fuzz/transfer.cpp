// What a peer sends about files and itself: an information card, and a transfer stream read in
// pieces of varying size. The first half of the input is the card, the rest the stream.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "services/info_card.h"
#include "services/transfer_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string_view card = std::string_view(input).substr(0, size / 2);
    const std::string_view stream = std::string_view(input).substr(size / 2);

    size_t total = 0;
    for (const zc::InfoCardField& field : zc::ParseInfoCard(card)) {
        ZC_FUZZ_CHECK(field.present || field.value.empty(), std::string(field.tag));
        ZC_FUZZ_CHECK(field.value.size() <= card.size(), std::string(field.tag));
        total += field.value.size();
    }
    ZC_FUZZ_CHECK(total <= card.size(), "the fields hold more than the card");

    // The stream in reads whose sizes come from its own bytes.
    zc::TransferStreamReader reader;
    uint64_t data_bytes = 0;
    size_t at = 0;
    while (at < stream.size()) {
        const size_t piece = 1 + static_cast<unsigned char>(stream[at]) % 7;
        const std::string_view got = reader.Feed(stream.substr(at, piece));
        data_bytes += got.size();
        at += piece;
    }
    const uint64_t after_header =
        stream.size() > zc::kTransferHeaderSize ? stream.size() - zc::kTransferHeaderSize : 0;
    ZC_FUZZ_CHECK(data_bytes == reader.Received(), "file bytes handed out differ from the count");
    ZC_FUZZ_CHECK(!reader.HeaderDone() || reader.Received() <= reader.Length(), "more than promised");
    ZC_FUZZ_CHECK(!reader.HeaderDone() || reader.Received() == std::min<uint64_t>(reader.Length(), after_header),
                  "bytes lost or invented");
    ZC_FUZZ_CHECK(reader.Overrun() == (reader.HeaderDone() && after_header > reader.Length()), "overrun");
    return 0;
}
