#include "qt/packet_queue.h"

#include <QTimer>

namespace zc {

PacketQueue::PacketQueue(PacketTextHandler deliver) : deliver_(std::move(deliver)) {}

PacketQueue::~PacketQueue() { *alive_ = false; }

bool PacketQueue::MakeRoomFor(const std::string& source) {
    auto longest = lines_.end();
    for (auto it = lines_.begin(); it != lines_.end(); ++it)
        if (longest == lines_.end() || it->second.size() > longest->second.size()) longest = it;
    const auto own = lines_.find(source);
    const size_t ownSize = own == lines_.end() ? 0 : own->second.size();
    // The new packet would make its own line the longest: it is the one that goes.
    if (longest == lines_.end() || longest->second.size() <= ownSize + 1) return false;
    longest->second.pop_back();
    --waiting_;
    if (longest->second.empty()) lines_.erase(longest);
    return true;
}

bool PacketQueue::Push(std::string text, const std::string& source) {
    const bool newSource = lines_.find(source) == lines_.end();
    if (waiting_ >= kMaxWaiting || (newSource && lines_.size() >= kMaxSources)) {
        ++dropped_;
        if (newSource && lines_.size() >= kMaxSources) return false;
        if (!MakeRoomFor(source)) return false;
    }
    lines_[source].push_back(std::move(text));
    ++waiting_;
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
    for (int i = 0; i < kSlice && waiting_ > 0; ++i) {
        // One packet from each source in turn.
        auto it = lines_.lower_bound(nextSource_);
        if (it == lines_.end()) it = lines_.begin();
        const std::string source = it->first;
        const std::string text = std::move(it->second.front());
        it->second.pop_front();
        --waiting_;
        auto after = it->second.empty() ? lines_.erase(it) : std::next(it);
        nextSource_ = after == lines_.end() ? std::string() : after->first;
        deliver_(text, source);
        if (!*alive) return;
    }
    if (waiting_ > 0) Schedule();
}

}  // namespace zc
