#pragma once
#include <string>

namespace zc {

class ChatSession;
struct CChatPacket;

// Hands one accepted packet to the handler of its command code. source is the address the
// packet came from (empty where the transport cannot tell): a packet whose IP field says
// otherwise is dropped, and one whose identity belongs to another address waits for a probe.
void DispatchPacket(ChatSession& chat, const CChatPacket& packet, const std::string& source = {});

// Claims whose probe has ended: moved identities get their held packets handled in order.
void SettleIdentityClaims(ChatSession& chat);

}  // namespace zc
