#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/transport.h"

namespace zc {

// Each received text (up to its first zero byte) goes to this callback with the address it came
// from: the datagram's source in multicast mode, empty where the transport cannot tell (the relay).
using PacketTextHandler = std::function<void(const std::string& text, const std::string& source)>;

// The multicast group socket pair; one for the life of the chat, closed and re-joined.
class MulticastTransport : public Transport {
public:
    bool IsMulticast() const override { return true; }
    // sendFrom: the address our packets claim, so datagrams leave from it; empty: as interfaceAddr.
    virtual bool JoinGroup(const std::string& group, int port, int ttl, const std::string& interfaceAddr,
                           const std::string& sendFrom = {}) = 0;
};

// One connection to the relay server.
class RelayTransport : public Transport {
public:
    bool IsMulticast() const override { return false; }
    // Blocks until connected or failed.
    virtual bool Connect(const std::string& server, int port) = 0;
};

class TransportFactory {
public:
    virtual ~TransportFactory() = default;
    virtual std::unique_ptr<MulticastTransport> CreateMulticast(PacketTextHandler onText) = 0;
    virtual std::unique_ptr<RelayTransport> CreateRelay(PacketTextHandler onText) = 0;
};

}  // namespace zc
