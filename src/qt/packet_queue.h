#pragma once
#include <QObject>
#include <deque>
#include <memory>
#include <string>

#include "platform/network.h"

namespace zc {

// Received packets wait here and reach the chat from the event loop, a slice at a time. A
// socket's read handler then only reads: whatever the chat does with a packet (a page cleared,
// a view made, a dialog) never runs inside it, and typed input and timers get their turn
// between slices of a burst.
class PacketQueue : public QObject {
public:
    static constexpr size_t kMaxWaiting = 8192;
    static constexpr int kSlice = 64;

    explicit PacketQueue(PacketTextHandler deliver);
    ~PacketQueue() override;
    // False when the queue is full and the packet was dropped.
    bool Push(std::string text);
    size_t Waiting() const { return queue_.size(); }
    size_t Dropped() const { return dropped_; }

private:
    void Schedule();
    void Drain();
    PacketTextHandler deliver_;
    std::deque<std::string> queue_;
    bool scheduled_ = false;
    size_t dropped_ = 0;
    // A delivered packet may end the transport that owns this queue.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zc
