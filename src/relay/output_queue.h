#pragma once
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace zc::relay {

// Unsent bytes one client may hold before it counts as stalled.
inline constexpr size_t kMaxBacklogBytes = size_t{1} << 20;

// Packets waiting for one client's socket. Packets are shared between the queues of all
// recipients. Each is written as one unit: a partial write leaves the rest of that packet at
// the front, so two packets never interleave.
class OutputQueue {
public:
    explicit OutputQueue(size_t limit = kMaxBacklogBytes) : limit_(limit) {}

    // False, with nothing queued, when the unsent bytes would pass the limit.
    bool Push(std::shared_ptr<const std::string> packet);

    bool Empty() const { return packets_.empty(); }
    size_t Pending() const { return pending_; }

    // The unsent rest of the front packet; empty when the queue is.
    std::string_view Front() const;
    // Marks the first `written` bytes of Front() as sent.
    void Consume(size_t written);

private:
    std::deque<std::shared_ptr<const std::string>> packets_;
    size_t offset_ = 0;  // bytes of the front packet already sent
    size_t pending_ = 0;
    size_t limit_;
};

}  // namespace zc::relay
