// The conference on the second chat page.
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/conference_guard.h"
#include "net/packet_handlers.h"
#include "net/source_log.h"
#include "net/user_roster.h"

namespace zc {
namespace {

void Join(ChatSession& chat, const std::string& other) {
    CUserRoster& roster = chat.Roster();
    if (!roster.IsMember(chat.OwnId())) roster.AddMember(chat.OwnId());
    if (!roster.IsMember(other)) roster.AddMember(other);
    chat.OpenSecondPage();
}

// Acceptance and joining count only from a peer we invited a little before.
bool Asked(ChatSession& chat, const IncomingPacket& in) {
    if (chat.Conference().WasInvited(in.raw.senderId, chat.NowSeconds())) return true;
    LogForSource(chat, "conference", in.raw.senderIp,
                 ":::Conference answer from " + in.raw.senderIp + " that was not invited, ignored");
    return false;
}

}  // namespace

bool HandleConference(ChatSession& chat, const IncomingPacket& in) {
    const std::string& sender = in.raw.senderId;
    const LanguageTable& lang = chat.Language();
    switch (in.raw.command) {
        case CMD_INVCONFERENCE: {
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            if (!EventFlags(chat.User(), NotifyEvent::InvConference).dialog || !chat.CanAsk()) {
                chat.Notify(NotifyEvent::InvConference, in.displayName, lang.LangString(47), in.displayName);
                chat.SendPacket(CMD_NOTICE, lang.LangString(48), sender);
                return true;
            }
            // One open question per peer; a repeat while it is open is not news.
            PeerWindows::Window window{.kind = PeerWindows::Kind::Invitation,
                                       .peerId = sender,
                                       .peerIp = in.raw.senderIp,
                                       .peerName = in.displayName,
                                       .onAnswer = [&chat, sender](bool yes) {
                                           if (!yes) {
                                               chat.SendPacket(CMD_CONF_DECLINE, "", sender);
                                               return;
                                           }
                                           chat.SendPacket(CMD_CONF_ACCEPT, sender, sender);
                                           Join(chat, sender);
                                           chat.SendPacket(CMD_CONF_JOINED, sender, sender);
                                       }};
            if (!chat.OpenPeerWindow(std::move(window), lang.LangString(47) + " " + in.displayName, lang.LangString(49)))
                return true;
            chat.Notify(NotifyEvent::InvConference, in.displayName, lang.LangString(47), in.displayName);
            return true;
        }
        case CMD_CONF_ACCEPT:
            if (!Asked(chat, in)) return true;
            chat.ShowLine(ChatLineKind::Private, "", LineText::Named(lang.LangString(43) + " ", in.displayName), ChatPage::Main);
            Join(chat, sender);
            return true;
        case CMD_CONFERENCE:
            if (!chat.Roster().IsMember(sender)) return true;
            if (EventShowsLine(chat.User(), NotifyEvent::Conference))
                chat.ShowLine(ChatLineKind::Message, in.displayName, LineText::Plain(in.body), ChatPage::Second);
            chat.Notify(NotifyEvent::Conference, in.displayName, lang.LangString(22) + ": " + in.displayName, in.body);
            return true;
        case CMD_LEAVECONFERENCE:
            if (!chat.Roster().IsMember(sender)) return true;
            chat.Roster().RemoveMember(sender);
            if (EventShowsLine(chat.User(), NotifyEvent::LeaveConference))
                chat.ShowLine(ChatLineKind::Private, "", LineText::Named(lang.LangString(45) + " ", in.displayName),
                              ChatPage::Second);
            chat.Notify(NotifyEvent::LeaveConference, in.displayName, lang.LangString(45), in.displayName);
            return true;
        case CMD_CONF_JOINED:
            if (!Asked(chat, in)) return true;
            chat.Conference().Answered(sender);
            if (EventShowsLine(chat.User(), NotifyEvent::Conference))
                chat.ShowLine(ChatLineKind::Private, "", LineText::Named(lang.LangString(46) + " ", in.displayName),
                              ChatPage::Main);
            chat.Notify(NotifyEvent::Conference, in.displayName, lang.LangString(46), in.displayName);
            chat.ArmUserListTimer(3000);
            return true;
        default: return false;
    }
}

}  // namespace zc
