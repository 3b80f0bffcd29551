#include "net/dispatch.h"

#include <cctype>

#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/commands.h"
#include "net/held_lines.h"
#include "net/packet_handlers.h"
#include "net/sender_state.h"
#include "net/user_roster.h"
#include "net/waiting_delivery.h"
#include "services/user_groups.h"
#include "services/waiting_messages.h"

namespace zc {
namespace {

bool IsPlainIdentity(const std::string& s) {
    if (s.empty() || s.size() > 32) return false;
    for (unsigned char c : s)
        if (!std::isalnum(c) || c > 127) return false;
    return true;
}

// DispatchPacket has already left out what no handler acts on.
void HandleCommand(ChatSession& chat, const IncomingPacket& in) {
    if (HandlePresence(chat, in) || HandleMessages(chat, in) || HandleConference(chat, in) || HandleBoard(chat, in) ||
        HandleSystemRequests(chat, in))
        return;
    HandleTransfers(chat, in);
}

void ProbeIfDue(ChatSession& chat) {
    IdentityOwners& owners = chat.Senders().owners;
    if (owners.TakeProbe(chat.NowSeconds())) chat.SendPacket(CMD_WHO, chat.ModeBody(), kEveryone);
    const std::int64_t next = owners.SecondsToNextStep(chat.NowSeconds());
    if (next >= 0) chat.ArmIdentityTimer(static_cast<int>(next < 1 ? 1 : next) * 1000);
}

// Whether the packet speaks for an identity that belongs to its address. Packets of a known
// identity from another address wait with their claim until a probe settles it.
bool FromItsOwner(ChatSession& chat, const CChatPacket& raw) {
    SenderState& senders = chat.Senders();
    if (raw.senderId == chat.OwnId() && raw.senderIp != chat.OwnIp()) {
        ++senders.dropped;
        LogForSource(chat, "own", raw.senderIp, ":::" + raw.senderIp + " speaks with our own identity, dropped");
        return false;
    }
    if (raw.senderPage == 777) {  // a connection check claims nothing and is not remembered
        const std::string owner = senders.owners.IpOf(raw.senderId);
        return owner.empty() || owner == raw.senderIp;
    }
    switch (senders.owners.Check(raw, chat.NowSeconds())) {
        case IdentityOwners::Verdict::Owner: return true;
        case IdentityOwners::Verdict::Held:
            ++senders.held;
            LogForSource(chat, "held", raw.senderIp,
                   ":::" + raw.senderIp + " speaks for " + raw.senderId + ", known at " +
                       senders.owners.IpOf(raw.senderId) + ": held until the old address is asked");
            ProbeIfDue(chat);
            return false;
        case IdentityOwners::Verdict::Dropped: ++senders.dropped; return false;
    }
    return false;
}

// A packet whose IP field is not its source: true when a trusted gateway may speak for that
// address; otherwise it is dropped here and counted.
bool Forwarded(ChatSession& chat, const CChatPacket& raw, const std::string& source) {
    const GatewayTrust& gateways = chat.Senders().gateways;
    const bool gateway = gateways.IsGateway(source);
    // Ours, carried back by a second gateway: no news, and no sign that our address changed.
    if (gateway && raw.senderIp == chat.OwnIp()) return false;
    if (gateway && gateways.MaySpeakFor(source, raw.senderIp)) return true;
    // Our own packet from another address: the machine's address has probably changed.
    if (raw.senderId == chat.OwnId() && raw.senderIp == chat.OwnIp()) chat.CheckOwnAddress();
    ++chat.Senders().forged;
    LogForSource(chat, "forged", source,
                 ":::Packet from " + source + " claims to come from " + raw.senderIp +
                     (gateway ? ", which its gateway may not speak for" : "") + ", dropped");
    return false;
}

void DispatchOwned(ChatSession& chat, const CChatPacket& raw);

}  // namespace

void DispatchPacket(ChatSession& chat, const CChatPacket& raw, const std::string& source) {
    // Addresses and identities land in page attributes: anything but their plain forms is an attack.
    if (!ParseDottedIpv4(raw.senderIp) || !IsPlainIdentity(raw.senderId)) return;
    // The sender is where the datagram came from, whatever its IP field says, unless a trusted
    // gateway brought it from elsewhere. The relay transport cannot tell (source is empty): a
    // copy in relay mode trusts its relay to have checked the address.
    if (!source.empty() && source != raw.senderIp && !Forwarded(chat, raw, source)) return;
    if (!FromItsOwner(chat, raw)) return;
    DispatchOwned(chat, raw);
}

void SettleIdentityClaims(ChatSession& chat) {
    IdentityOwners& owners = chat.Senders().owners;
    for (IdentityOwners::Settled& s : owners.Settle(chat.NowSeconds())) {
        if (!s.moved) {
            LogForSource(chat, "refused", s.to, ":::" + s.to + " spoke for " + s.id + ", but " + s.from + " still answers: dropped");
            continue;
        }
        chat.WriteLog(":::" + s.id + " moved from " + s.from + " to " + s.to);
        chat.Waiting().Moved(s.id, s.from, s.to);
        chat.Roster().Remove(s.id);
        chat.ArmUserListTimer(1000);
        for (const CChatPacket& p : s.held) DispatchOwned(chat, p);
    }
    ProbeIfDue(chat);
}

namespace {

void DispatchOwned(ChatSession& chat, const CChatPacket& raw) {

    // What no handler will act on is not run through the text steps at all; the name and avatar
    // only when a handler shows them or the user list meets this sender for the first time.
    const CommandInfo info = InfoOf(raw.command);
    const bool acted = info.name && !(info.addressed && raw.target != chat.OwnId()) &&
                       !(info.dropsIgnored && chat.IsIgnored(raw.senderIp));
    const bool learns = raw.senderPage != 777 && !chat.Roster().Knows(raw.senderId, raw.senderIp);
    const bool showImages = chat.Global().showImages;
    IncomingPacket in{raw, "", "", "", ""};
    if (acted || learns) {
        in.name = MessageTextSanitizer(raw.senderName, true, showImages);
        // A file name, not a text: cleaned, it would no longer name the owner's file, and the
        // list that shows it escapes it itself.
        in.avatar = raw.senderAvatar;
    }

    std::string rosterName;
    if (raw.senderPage != 777) {
        CUserRoster& roster = chat.Roster();
        const size_t refused = roster.Refused();
        roster.AddOrUpdate(raw.senderId, raw.senderIp, in.name, 1, in.avatar, chat.NowSeconds());
        if (learns) roster.SetSentName(raw.senderId, raw.senderName);  // the list escapes it itself
        if (refused == 0 && roster.Refused() == 1)
            chat.WriteLog(":::User list full (" + std::to_string(CUserRoster::kMaxUsers) + "), new senders left out");
        rosterName = roster.NameOf(raw.senderId);
        const std::string profile = chat.User().ProfilePath();
        const size_t groupCount = roster.GroupNames().size();
        // The hand-set group is kept under the nickname, not under the "(id)" form of a doubled name.
        const CUserRecord* record = roster.Find(raw.senderId);
        int group = GroupOfMember(profile, record ? record->nickname : rosterName, groupCount);
        const int byAddress = GroupOfAddress(profile, raw.senderIp, groupCount);
        if (byAddress > 0 && group <= 0) group = byAddress;
        roster.SetGroup(raw.senderId, group);
        // A user we may keep messages for; one who is back gets them. Only packets from the
        // address this identity belongs to come this far.
        if (record && raw.senderId != chat.OwnId() && raw.command != CMD_EXIT) {
            if (learns) chat.Waiting().Seen(raw.senderId, raw.senderIp, record->nickname, chat.NowSeconds());
            if (chat.Waiting().HasFor(raw.senderId)) DeliverWaiting(chat, raw.senderId, raw.senderIp, rosterName);
        }
    }
    const bool ownEcho = raw.senderId == chat.OwnId() && rosterName == chat.User().nickname && !chat.EchoOn();
    if (ownEcho && raw.command != CMD_USERLIST) return;

    if (!acted) return;
    in.displayName = rosterName.empty() ? in.name : rosterName;
    // Lines faster than a person types or reads are counted before any work is spent on their text.
    if (ShowsPeerLine(raw.command) && raw.senderId != chat.OwnId() && !chat.IsIgnored(raw.senderIp) &&
        !LineAllowed(chat, raw.senderIp, in.displayName))
        return;
    in.body = (raw.command == CMD_BOARD_ITEM || raw.command == CMD_BOARD_MESSAGE)
                  ? raw.body
                  : MessageTextSanitizer(raw.body, true, showImages);
    HandleCommand(chat, in);
}

}  // namespace

}  // namespace zc
