#pragma once
#include <functional>

namespace zc {

// Tells the chat that an address or a link of this machine changed, once per burst of changes,
// so it need not wait for its next refresh to notice.
class NetworkWatch {
public:
    virtual ~NetworkWatch() = default;
    // The first handler starts the watch; an empty one stops the calls. False when changes
    // cannot be watched here.
    virtual bool SetHandler(std::function<void()> onChanged) = 0;
};

}  // namespace zc
