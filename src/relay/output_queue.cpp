#include "relay/output_queue.h"

#include <algorithm>

namespace zc::relay {

bool OutputQueue::Push(std::shared_ptr<const std::string> chunk) {
    if (!chunk || chunk->empty()) return true;
    if (chunk->size() > limit_ - std::min(pending_, limit_)) return false;
    pending_ += chunk->size();
    chunks_.push_back(std::move(chunk));
    return true;
}

size_t OutputQueue::Gather(iovec* iov, size_t max) const {
    size_t n = 0;
    size_t skip = offset_;
    for (auto it = chunks_.begin(); it != chunks_.end() && n < max; ++it, ++n) {
        // writev takes the bytes as read-only despite the plain pointer.
        iov[n].iov_base = const_cast<char*>((*it)->data() + skip);
        iov[n].iov_len = (*it)->size() - skip;
        skip = 0;
    }
    return n;
}

void OutputQueue::Consume(size_t written) {
    written = std::min(written, pending_);
    pending_ -= written;
    while (written > 0) {
        const size_t rest = chunks_.front()->size() - offset_;
        if (written < rest) {
            offset_ += written;
            return;
        }
        written -= rest;
        offset_ = 0;
        chunks_.pop_front();
    }
}

}  // namespace zc::relay
