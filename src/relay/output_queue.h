#pragma once
#include <sys/uio.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

namespace zc::relay {

// Unsent bytes one client may hold before it counts as stalled.
inline constexpr size_t kMaxBacklogBytes = size_t{1} << 20;

// Packets waiting for one client, as ranges of chunks shared between the queues of all
// recipients (one chunk holds every packet of one read from a sender). They leave one packet per
// write while the client keeps up, or all in one gathered write once it has fallen behind.
class OutputQueue {
public:
    explicit OutputQueue(size_t limit = kMaxBacklogBytes) : limit_(limit) {}

    // Queues bytes [begin, end) of `chunk`; false, with nothing queued, when the unsent bytes
    // would pass the limit.
    bool Push(std::shared_ptr<const std::string> chunk, size_t begin, size_t end);
    bool Push(std::shared_ptr<const std::string> chunk) {
        const size_t size = chunk ? chunk->size() : 0;
        return Push(std::move(chunk), 0, size);
    }

    bool Empty() const { return ranges_.empty(); }
    size_t Pending() const { return pending_; }
    // Packets not yet fully sent.
    size_t Packets() const { return packets_; }

    // Points `iov` at the rest of the first packet, zero byte included; false when empty.
    bool GatherFirst(iovec& iov) const;
    // Fills up to `max` entries of `iov` with the unsent bytes in order; returns the count.
    size_t Gather(iovec* iov, size_t max) const;
    // Marks the first `written` unsent bytes as sent.
    void Consume(size_t written);

private:
    struct Range {
        std::shared_ptr<const std::string> chunk;
        size_t begin, end;
        size_t packets;  // zero bytes in [begin, end)
    };
    std::deque<Range> ranges_;
    size_t pending_ = 0;
    size_t packets_ = 0;
    size_t limit_;
};

}  // namespace zc::relay
