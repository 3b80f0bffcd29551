#include "net/dispatch.h"

#include <cctype>

#include "app/chat_main_dlg.h"
#include "net/chat_packet.h"
#include "net/packet_handlers.h"
#include "services/user_groups.h"
#include "ui/html/markup.h"

namespace zc {
namespace {

// Addresses and identities land in page attributes: anything but their plain forms is an attack.
bool IsDottedIpv4(const std::string& s) {
    int parts = 0, digits = 0, value = 0;
    for (char c : s) {
        if (c == '.') {
            if (digits == 0) return false;
            ++parts;
            digits = value = 0;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (++digits > 3 || value > 255) return false;
        } else {
            return false;
        }
    }
    return parts == 3 && digits > 0;
}

bool IsPlainIdentity(const std::string& s) {
    if (s.empty() || s.size() > 32) return false;
    for (unsigned char c : s)
        if (!std::isalnum(c) || c > 127) return false;
    return true;
}

// Codes for which the target must be this copy.
bool IsAddressed(int command) {
    switch (command) {
        case 5: case 8: case 9: case 10: case 11: case 12: case 13: case 14: case 15: case 17: case 18:
        case 19: case 20: case 21: case 22: case 24: case 28: case 30: case 31: case 32: case 36: case 37:
        case 38: case 39: case 40: case 41: case 42: case 43: case 44:
            return true;
        default: return false;
    }
}

}  // namespace

void HandleCommand(CChatMainDlg& dlg, const IncomingPacket& in) {
    const int command = in.raw.command;
    if (command < 1 || command > 45) return;
    if (IsAddressed(command) && in.raw.target != dlg.OwnId()) return;
    if (HandlePresence(dlg, in) || HandleMessages(dlg, in) || HandleConference(dlg, in) || HandleBoard(dlg, in))
        return;
    // File transfer, avatars, system information and snapshots have their own handlers.
}

void DispatchPacket(CChatMainDlg& dlg, const CChatPacket& raw) {
    dlg.CountDispatched(raw.command);
    if (!IsDottedIpv4(raw.senderIp) || !IsPlainIdentity(raw.senderId)) return;

    const bool showImages = dlg.Global().showImages;
    IncomingPacket in{raw, MessageTextSanitizer(raw.senderName, true, showImages),
                      MessageTextSanitizer(raw.senderAvatar, true, showImages), "", ""};

    std::string rosterName;
    if (raw.senderPage != 777) {
        CUserRoster& roster = dlg.Roster();
        roster.AddOrUpdate(raw.senderId, raw.senderIp, in.name, 1, in.avatar);
        rosterName = roster.NameOf(raw.senderId);
        const std::string profile = dlg.User().ProfilePath();
        const size_t groupCount = roster.GroupNames().size();
        int group = GroupOfMember(profile, rosterName, groupCount);
        const int byAddress = GroupOfAddress(profile, raw.senderIp, groupCount);
        if (byAddress > 0 && group <= 0) group = byAddress;
        roster.SetGroup(raw.senderId, group);
    }
    const bool ownEcho = raw.senderId == dlg.OwnId() && rosterName == dlg.User().nickname && !dlg.Global().echo;
    if (ownEcho && raw.command != 37) return;

    in.body = (raw.command == 31 || raw.command == 16) ? raw.body : MessageTextSanitizer(raw.body, true, showImages);
    in.displayName = rosterName.empty() ? in.name : rosterName;
    HandleCommand(dlg, in);
}

}  // namespace zc
