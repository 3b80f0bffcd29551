#include "relay/stream_splitter.h"

#include <cstring>

namespace zc::relay {

bool StreamSplitter::Feed(const char* data, size_t size, std::string& out) {
    if (overflowed_) return false;
    const char* const end = data + size;
    while (data < end) {
        const char* zero = static_cast<const char*>(std::memchr(data, '\0', static_cast<size_t>(end - data)));
        const size_t take = static_cast<size_t>((zero ? zero : end) - data);
        if (partial_.size() + take > kMaxPacketText) {
            overflowed_ = true;
            partial_.clear();
            partial_.shrink_to_fit();
            return false;
        }
        if (!zero) {
            partial_.append(data, take);
            break;
        }
        // A lone zero byte carries nothing and is dropped.
        if (!partial_.empty() || take > 0) {
            out += partial_;
            out.append(data, take + 1);
            partial_.clear();
        }
        data = zero + 1;
    }
    return true;
}

}  // namespace zc::relay
