#pragma once
#include <string>

#include "net/chat_packet.h"

namespace zc {

class ChatSession;

// A packet as the handlers see it: names and body cleaned for the pages.
struct IncomingPacket {
    const CChatPacket& raw;
    std::string name;    // sanitised senderName
    std::string avatar;  // senderAvatar as sent: a file name
    std::string body;    // sanitised, except board records
    std::string displayName;
    // The identity is known at the address this packet came from (or is new here). A packet
    // that fails this speaks as a different user: what it asks of the identity counts for nothing.
    bool fromOwner = true;
};

// Handler groups, each in its own file.
bool HandlePresence(ChatSession& chat, const IncomingPacket& in);
bool HandleMessages(ChatSession& chat, const IncomingPacket& in);
bool HandleConference(ChatSession& chat, const IncomingPacket& in);
bool HandleBoard(ChatSession& chat, const IncomingPacket& in);
bool HandleSystemRequests(ChatSession& chat, const IncomingPacket& in);
bool HandleTransfers(ChatSession& chat, const IncomingPacket& in);

}  // namespace zc
