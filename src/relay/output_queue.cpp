#include "relay/output_queue.h"

#include <algorithm>
#include <cstring>

namespace zc::relay {

namespace {

// Packet ends in `size` bytes; memchr, since this runs for every packet and recipient.
size_t CountZeros(const char* data, size_t size) {
    const char* const end = data + size;
    size_t zeros = 0;
    while ((data = static_cast<const char*>(std::memchr(data, '\0', static_cast<size_t>(end - data))))) {
        ++zeros;
        ++data;
    }
    return zeros;
}

}  // namespace

bool OutputQueue::Push(std::shared_ptr<const std::string> chunk, size_t begin, size_t end) {
    if (!chunk) return true;
    end = std::min(end, chunk->size());
    if (begin >= end) return true;
    const size_t size = end - begin;
    if (size > limit_ - std::min(pending_, limit_)) return false;
    const size_t packets = CountZeros(chunk->data() + begin, size);
    pending_ += size;
    packets_ += packets;
    // Packets of one read queued in turn stay one range, so a gathered write needs few entries.
    if (!ranges_.empty() && ranges_.back().chunk == chunk && ranges_.back().end == begin) {
        ranges_.back().end = end;
        ranges_.back().packets += packets;
    } else {
        ranges_.push_back({std::move(chunk), begin, end, packets});
    }
    return true;
}

size_t OutputQueue::Gather(iovec* iov, size_t max) const {
    size_t n = 0;
    for (auto it = ranges_.begin(); it != ranges_.end() && n < max; ++it, ++n) {
        // writev takes the bytes as read-only despite the plain pointer.
        iov[n].iov_base = const_cast<char*>(it->chunk->data() + it->begin);
        iov[n].iov_len = it->end - it->begin;
    }
    return n;
}

bool OutputQueue::GatherFirst(iovec& iov) const {
    if (ranges_.empty()) return false;
    const Range& front = ranges_.front();
    const char* begin = front.chunk->data() + front.begin;
    const void* zero = std::memchr(begin, '\0', front.end - front.begin);
    iov.iov_base = const_cast<char*>(begin);
    iov.iov_len = zero ? static_cast<size_t>(static_cast<const char*>(zero) - begin) + 1 : front.end - front.begin;
    return true;
}

void OutputQueue::Consume(size_t written) {
    written = std::min(written, pending_);
    pending_ -= written;
    while (written > 0) {
        Range& front = ranges_.front();
        const size_t rest = front.end - front.begin;
        if (written < rest) {
            const size_t ended = CountZeros(front.chunk->data() + front.begin, written);
            front.packets -= ended;
            packets_ -= ended;
            front.begin += written;
            return;
        }
        packets_ -= front.packets;
        written -= rest;
        ranges_.pop_front();
    }
}

}  // namespace zc::relay
