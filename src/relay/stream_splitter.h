#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace zc::relay {

// Largest packet, its zero byte included: the client reads into a 4096-byte buffer.
inline constexpr size_t kMaxPacketBytes = 4096;

// Cuts one client's byte stream into zero-terminated packets. TCP gives no message
// boundaries, so an unfinished packet is kept until a later read completes it.
class StreamSplitter {
public:
    // Appends every completed packet, zero byte included, to `out`; a lone zero byte is dropped.
    // Returns false once kMaxPacketBytes arrived without a zero byte: that peer is not
    // speaking our protocol. Packets completed before that point are still appended.
    bool Feed(const char* data, size_t size, std::vector<std::string>& out);

    bool Overflowed() const { return overflowed_; }
    size_t Buffered() const { return partial_.size(); }

private:
    std::string partial_;
    bool overflowed_ = false;
};

}  // namespace zc::relay
