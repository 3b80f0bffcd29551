#include "base/packet_stream.h"

#include <algorithm>

namespace zc {

std::vector<std::string> PacketStream::Feed(const char* data, size_t size) {
    pending_.append(data, size);
    std::vector<std::string> packets;
    size_t start = 0, zero;
    while ((zero = pending_.find('\0', start)) != std::string::npos) {
        // A packet holds at most 4096 characters, as many as a sender may send.
        if (zero > start) packets.push_back(pending_.substr(start, std::min<size_t>(zero - start, kMaxPacketChars)));
        start = zero + 1;
    }
    pending_.erase(0, start);
    if (pending_.size() > kMaxPacketChars) pending_.clear();  // no packet is that long: resynchronise
    return packets;
}

}  // namespace zc
