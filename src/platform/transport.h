#pragma once
#include <string>

namespace zc {

// One way out to the other copies: the multicast group or the relay connection.
class Transport {
public:
    virtual ~Transport() = default;
    // bytes holds the encoded packet followed by its terminating zero byte.
    virtual bool Send(const std::string& bytes) = 0;
    virtual bool IsMulticast() const = 0;
    // A transport that comes back by itself stays in use when a send fails; it reports its own state.
    virtual bool ReconnectsByItself() const { return false; }
    virtual void LeaveGroup() {}
    virtual void ShutdownAndClose() = 0;
};

}  // namespace zc
