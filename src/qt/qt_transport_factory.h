#pragma once
#include "platform/network.h"

namespace zc {

class QtTransportFactory : public TransportFactory {
public:
    std::unique_ptr<MulticastTransport> CreateMulticast(PacketTextHandler onText) override;
    std::unique_ptr<RelayTransport> CreateRelay(PacketTextHandler onText) override;
};

}  // namespace zc
