#pragma once
#include <string>
#include <vector>

namespace zc {

// The relay connection is a byte stream: packets end at their zero byte, and one read may hold
// several packets or part of one. The unfinished part waits for the next read.
class PacketStream {
public:
    static constexpr size_t kMaxPacketChars = 4096;

    std::vector<std::string> Feed(const char* data, size_t size);
    size_t Pending() const { return pending_.size(); }

private:
    std::string pending_;
};

}  // namespace zc
