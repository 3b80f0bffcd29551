#include "relay/output_queue.h"

#include <algorithm>

namespace zc::relay {

bool OutputQueue::Push(std::shared_ptr<const std::string> packet) {
    if (!packet || packet->empty()) return true;
    if (packet->size() > limit_ - std::min(pending_, limit_)) return false;
    pending_ += packet->size();
    packets_.push_back(std::move(packet));
    return true;
}

std::string_view OutputQueue::Front() const {
    if (packets_.empty()) return {};
    return std::string_view(*packets_.front()).substr(offset_);
}

void OutputQueue::Consume(size_t written) {
    while (written > 0 && !packets_.empty()) {
        const size_t rest = packets_.front()->size() - offset_;
        const size_t step = std::min(written, rest);
        offset_ += step;
        pending_ -= step;
        written -= step;
        if (offset_ == packets_.front()->size()) {
            packets_.pop_front();
            offset_ = 0;
        }
    }
}

}  // namespace zc::relay
