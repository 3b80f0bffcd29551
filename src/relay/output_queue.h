#pragma once
#include <sys/uio.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

namespace zc::relay {

// Unsent bytes one client may hold before it counts as stalled.
inline constexpr size_t kMaxBacklogBytes = size_t{1} << 20;

// Bytes waiting for one client's socket: whole packets, in chunks shared between the queues of
// all recipients (one chunk holds every packet of one read from a sender). The client splits
// its stream at the zero bytes, so everything queued may go out in one gathered write.
class OutputQueue {
public:
    explicit OutputQueue(size_t limit = kMaxBacklogBytes) : limit_(limit) {}

    // False, with nothing queued, when the unsent bytes would pass the limit.
    bool Push(std::shared_ptr<const std::string> chunk);

    bool Empty() const { return chunks_.empty(); }
    size_t Pending() const { return pending_; }

    // Fills up to `max` entries of `iov` with the unsent bytes in order; returns the count.
    size_t Gather(iovec* iov, size_t max) const;
    // Marks the first `written` unsent bytes as sent.
    void Consume(size_t written);

private:
    std::deque<std::shared_ptr<const std::string>> chunks_;
    size_t offset_ = 0;  // bytes of the front chunk already sent
    size_t pending_ = 0;
    size_t limit_;
};

}  // namespace zc::relay
