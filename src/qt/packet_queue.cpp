#include "qt/packet_queue.h"

#include <QTimer>

namespace zc {

PacketQueue::PacketQueue(PacketTextHandler deliver) : deliver_(std::move(deliver)) {}

PacketQueue::~PacketQueue() { *alive_ = false; }

bool PacketQueue::Push(std::string text) {
    if (queue_.size() >= kMaxWaiting) {
        ++dropped_;
        return false;
    }
    queue_.push_back(std::move(text));
    Schedule();
    return true;
}

void PacketQueue::Schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] { Drain(); });
}

void PacketQueue::Drain() {
    scheduled_ = false;
    const std::shared_ptr<bool> alive = alive_;
    for (int i = 0; i < kSlice && !queue_.empty(); ++i) {
        const std::string text = std::move(queue_.front());
        queue_.pop_front();
        deliver_(text);
        if (!*alive) return;
    }
    if (!queue_.empty()) Schedule();
}

}  // namespace zc
