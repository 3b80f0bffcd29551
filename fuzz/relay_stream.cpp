// The relay's splitter of a client's byte stream, fed in reads of varying sizes and checked
// against a plain reading of the whole stream; then its packets through a recipient's output
// queue, taken one packet per write or gathered, with writes that stop anywhere.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "relay/output_queue.h"
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

// Queues `packets` packet by packet and drains the queue as the relay writes, one packet or all
// at a time, with writes that stop anywhere; returns what the client would receive.
std::string ThroughQueue(const std::string& packets, unsigned seed) {
    zc::relay::OutputQueue queue;
    const auto chunk = std::make_shared<const std::string>(packets);
    std::string received;
    if (packets.size() > zc::relay::kMaxBacklogBytes) return packets;  // more than a queue holds
    size_t waiting = 0;
    for (size_t begin = 0, end; begin < packets.size(); begin = end) {
        end = packets.find('\0', begin) + 1;
        ZC_FUZZ_CHECK(queue.Push(chunk, begin, end), "packet refused below the limit");
        ++waiting;
        for (seed = seed * 1103515245u + 12345u; !queue.Empty() && (seed & 0x30000); seed = seed * 1103515245u + 12345u) {
            iovec iov[8];
            const size_t count = (seed & 0x40000) ? (queue.GatherFirst(iov[0]) ? 1 : 0) : queue.Gather(iov, 8);
            size_t wrote = 0, left = (seed & 1) ? SIZE_MAX : (seed >> 8) % 5000;
            for (size_t i = 0; i < count && left > 0; ++i) {
                const size_t take = std::min(left, iov[i].iov_len);
                received.append(static_cast<const char*>(iov[i].iov_base), take);
                wrote += take;
                left -= take;
            }
            if (count == 1 && (seed & 0x40000))
                ZC_FUZZ_CHECK(std::memchr(iov[0].iov_base, '\0', iov[0].iov_len) ==
                                  static_cast<const char*>(iov[0].iov_base) + iov[0].iov_len - 1,
                              "a single write is not the rest of one packet");
            queue.Consume(wrote);
            const auto taken = std::count(received.end() - static_cast<std::ptrdiff_t>(wrote), received.end(), '\0');
            waiting -= static_cast<size_t>(taken);
            ZC_FUZZ_CHECK(queue.Packets() == waiting, "packet count off");
        }
    }
    iovec iov[1];
    while (queue.Gather(iov, 1) == 1) {
        received.append(static_cast<const char*>(iov[0].iov_base), iov[0].iov_len);
        queue.Consume(iov[0].iov_len);
    }
    ZC_FUZZ_CHECK(queue.Packets() == 0, "packets left in a drained queue");
    return received;
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
    ZC_FUZZ_CHECK(ThroughQueue(out, data[0]) == out, "the output queue changed the packets");
    return 0;
}
