#pragma once

namespace zc {

class ChatSession;
struct CChatPacket;

// Hands one accepted packet to the handler of its command code.
void DispatchPacket(ChatSession& chat, const CChatPacket& packet);

}  // namespace zc
