#pragma once
#include <string>

#include "net/chat_packet.h"

namespace zc {

class CChatMainDlg;

// A packet as the handlers see it: names and body cleaned for the pages.
struct IncomingPacket {
    const CChatPacket& raw;
    std::string name;    // sanitised senderName
    std::string avatar;  // sanitised senderAvatar
    std::string body;    // sanitised, except board records
    std::string displayName;
};

void HandleCommand(CChatMainDlg& dlg, const IncomingPacket& in);

// Handler groups, each in its own file.
bool HandlePresence(CChatMainDlg& dlg, const IncomingPacket& in);
bool HandleMessages(CChatMainDlg& dlg, const IncomingPacket& in);
bool HandleConference(CChatMainDlg& dlg, const IncomingPacket& in);
bool HandleBoard(CChatMainDlg& dlg, const IncomingPacket& in);

}  // namespace zc
