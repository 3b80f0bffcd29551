#include "qt/qt_transport_factory.h"

#include "qt/qt_multicast_transport.h"
#include "qt/qt_relay_transport.h"

namespace zc {

std::unique_ptr<MulticastTransport> QtTransportFactory::CreateMulticast(PacketTextHandler onText) {
    return std::make_unique<QtMulticastTransport>(std::move(onText));
}

std::unique_ptr<RelayTransport> QtTransportFactory::CreateRelay(PacketTextHandler onText) {
    return std::make_unique<QtRelayTransport>(std::move(onText));
}

}  // namespace zc
