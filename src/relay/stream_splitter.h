#pragma once
#include <cstddef>
#include <string>

namespace zc::relay {

// Longest packet text: the chat sends up to 4096 characters, then the zero byte.
inline constexpr size_t kMaxPacketText = 4096;

// Cuts one client's byte stream into zero-terminated packets. TCP gives no message
// boundaries, so an unfinished packet is kept until a later read completes it.
class StreamSplitter {
public:
    // Appends every completed packet, zero byte included, to `out`; a lone zero byte is dropped.
    // Returns false once more than kMaxPacketText bytes arrived without a zero byte: that peer
    // is not speaking our protocol. Packets completed before that point are still appended.
    bool Feed(const char* data, size_t size, std::string& out);

    bool Overflowed() const { return overflowed_; }
    size_t Buffered() const { return partial_.size(); }

private:
    std::string partial_;
    bool overflowed_ = false;
};

}  // namespace zc::relay
