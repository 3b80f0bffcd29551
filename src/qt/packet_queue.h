#pragma once
#include <QObject>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/network.h"

namespace zc {

// Received packets wait here and reach the chat from the event loop, a slice at a time. A
// socket's read handler then only reads: whatever the chat does with a packet (a page cleared,
// a view made, a dialog) never runs inside it, and typed input and timers get their turn
// between slices of a burst.
//
// Each source address waits in a line of its own and the lines are served in turn, so one
// sender's flood neither delays nor pushes out a colleague's packet: when the queue is full,
// room is made at the expense of the longest line.
class PacketQueue : public QObject {
public:
    static constexpr size_t kMaxWaiting = 8192;
    static constexpr size_t kMaxSources = 1024;
    static constexpr int kSlice = 64;

    explicit PacketQueue(PacketTextHandler deliver);
    ~PacketQueue() override;
    // False when the packet was dropped (this source holds the longest line of a full queue).
    bool Push(std::string text, const std::string& source = {});
    size_t Waiting() const { return waiting_; }
    size_t Dropped() const { return dropped_; }

private:
    void Schedule();
    void Drain();
    bool MakeRoomFor(const std::string& source);
    PacketTextHandler deliver_;
    std::map<std::string, std::deque<std::string>> lines_;
    std::string nextSource_;  // whose turn it is; lines after it are served first
    size_t waiting_ = 0;
    bool scheduled_ = false;
    size_t dropped_ = 0;
    // A delivered packet may end the transport that owns this queue.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zc
