// The relay's splitter of a client's byte stream, fed in reads of varying sizes and checked
// against a plain reading of the whole stream.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "relay/stream_splitter.h"

namespace {

using zc::relay::kMaxPacketText;

struct Expected {
    std::string packets;  // every packet with its zero byte
    bool overflow = false;
    size_t buffered = 0;
};

// The stream as a whole: segments between zero bytes; an empty one is a lone zero and
// carries nothing; one longer than a packet ends the connection.
Expected ReadWhole(const std::string& s) {
    Expected e;
    size_t start = 0;
    while (start <= s.size()) {
        const size_t zero = s.find('\0', start);
        const size_t length = (zero == std::string::npos ? s.size() : zero) - start;
        if (length > kMaxPacketText) {
            e.overflow = true;
            return e;
        }
        if (zero == std::string::npos) {
            e.buffered = length;
            return e;
        }
        if (length > 0) e.packets.append(s, start, length + 1);
        start = zero + 1;
    }
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses how the stream is cut into reads.
    unsigned seed = data[0] | 1u;
    const std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);

    zc::relay::StreamSplitter splitter;
    std::string out;
    size_t at = 0;
    bool ok = true;
    while (at < stream.size()) {
        seed = seed * 1103515245u + 12345u;
        const size_t read = 1 + (seed >> 16) % ((seed & 0x100) ? 7 : 1500);
        const size_t take = std::min(read, stream.size() - at);
        const size_t before = out.size();
        const bool fed = splitter.Feed(stream.data() + at, take, out);
        ZC_FUZZ_CHECK(fed == !splitter.Overflowed(), "result and overflow flag disagree");
        ZC_FUZZ_CHECK(ok || out.size() == before, "packets after the connection was given up");
        ok = ok && fed;
        at += take;
    }

    const Expected expected = ReadWhole(stream);
    ZC_FUZZ_CHECK(splitter.Overflowed() == expected.overflow, "overflow decided differently");
    ZC_FUZZ_CHECK(out == expected.packets, "packets differ from the whole stream's");
    if (!expected.overflow) ZC_FUZZ_CHECK(splitter.Buffered() == expected.buffered, "unfinished packet lost");
    return 0;
}
