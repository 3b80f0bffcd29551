#pragma once
#include <cstddef>

#include "net/answer_pacer.h"
#include "net/gateway_trust.h"
#include "net/identity_owners.h"
#include "net/line_pacer.h"
#include "net/source_log.h"

namespace zc {

// What the dispatcher keeps about senders between packets.
struct SenderState {
    IdentityOwners owners;
    // Who may bring other segments' packets; set when the network starts.
    GatewayTrust gateways;
    SourceLog log;
    // Our answers to their requests, and their lines shown, at a pace.
    AnswerPacer answers;
    LinePacer lines;
    // Packets whose IP field was not the address they came from.
    size_t forged = 0;
    // Packets of an identity from an address it does not belong to.
    size_t held = 0, dropped = 0;
};

}  // namespace zc
