#pragma once
#include "platform/file_transfer.h"

namespace zc {

// Transfer connections over plain IPv4 stream sockets.
class PosixTransferSockets : public TransferSockets {
public:
    // connectTimeoutMs bounds one connection attempt. A link gives up a Send or Receive that
    // makes no progress for idleTimeoutMs: nothing flows back on a transfer, so a peer that
    // vanished is noticed only this way.
    explicit PosixTransferSockets(int connectTimeoutMs = 3000, int idleTimeoutMs = 30000);

    std::unique_ptr<ByteLink> Accept(int port, const std::atomic<bool>& stop, std::string* why) override;
    std::unique_ptr<ByteLink> Connect(const std::string& ip, int port, const std::atomic<bool>& stop,
                                      std::string* why) override;
    void Pause(int ms, const std::atomic<bool>& stop) override;

private:
    int connectTimeoutMs_, idleTimeoutMs_;
};

}  // namespace zc
