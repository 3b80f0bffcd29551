#pragma once
#include <cstddef>
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

// What the relay connection tells the chat: it came up, it went down (the first failed attempt
// or a drop; later failed attempts are quiet), or a packet was refused because too much waits.
enum class RelayEvent { Up, Down, WriteBufferFull };

// Send refuses a packet once this many bytes wait to be written to the relay.
inline constexpr size_t kRelayWriteLimit = 256 * 1024;

// One connection to the relay server, kept up by the transport itself: after a drop or a failed
// attempt it tries again, with growing pauses, until ShutdownAndClose.
class RelayTransport : public Transport {
public:
    bool IsMulticast() const override { return false; }
    bool ReconnectsByItself() const override { return true; }
    // Starts connecting and returns at once; packets sent until the first attempt ends wait
    // for it. False when the attempt cannot even start.
    virtual bool Connect(const std::string& server, int port) = 0;
    virtual bool IsConnected() const = 0;
    // Called from the event loop, never from inside Send or Connect.
    virtual void SetEventHandler(std::function<void(RelayEvent)> onEvent) = 0;
};

class TransportFactory {
public:
    virtual ~TransportFactory() = default;
    virtual std::unique_ptr<MulticastTransport> CreateMulticast(PacketTextHandler onText) = 0;
    virtual std::unique_ptr<RelayTransport> CreateRelay(PacketTextHandler onText) = 0;
};

}  // namespace zc
