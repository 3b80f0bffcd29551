// Who is here, in which mode, under which name.
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/held_lines.h"
#include "net/packet_handlers.h"
#include "net/paced_answers.h"
#include "net/user_roster.h"

namespace zc {
namespace {

void StoreMode(ChatSession& chat, const IncomingPacket& in) {
    const std::string text = ExtractField(in.body, ":", 1);
    chat.Roster().SetMode(in.raw.senderId, ParseInt(ExtractField(in.body, ":", 0)), text, in.avatar);
    chat.Roster().SetSentModeText(in.raw.senderId, ExtractField(in.raw.body, ":", 1));
}

void Line(ChatSession& chat, int stringNumber, const std::string& name, ChatLineKind kind,
          const std::string& tail = "") {
    chat.ShowLine(kind, "", LineText::Named(chat.Language().LangString(stringNumber) + " ", name, tail), ChatPage::Main);
}

void History(ChatSession& chat, int stringNumber, const std::string& name) {
    chat.AppendHistory(LineText::Plain(chat.Language().LangString(stringNumber) + " " + name), true);
}

bool ShowsLine(ChatSession& chat, NotifyEvent event) { return EventShowsLine(chat.User(), event); }

// Someone came or went: shown, written and notified at the pace of typed lines, so a flood of
// them is counted like one.
void Arrival(ChatSession& chat, const IncomingPacket& in, int stringNumber, NotifyEvent event, ChatLineKind kind) {
    if (!LineAllowed(chat, in.raw.senderIp, in.displayName)) return;
    if (ShowsLine(chat, event)) Line(chat, stringNumber, in.displayName, kind);
    History(chat, stringNumber, in.displayName);
    chat.Notify(event, in.displayName, chat.Language().LangString(stringNumber), in.displayName);
}

}  // namespace

bool HandlePresence(ChatSession& chat, const IncomingPacket& in) {
    const std::string& id = in.raw.senderId;
    const LanguageTable& lang = chat.Language();
    switch (in.raw.command) {
        case CMD_HERE:
            if (ExtractField(in.body, ":", 1).empty()) return true;
            StoreMode(chat, in);
            chat.ArmUserListTimer(4000);
            return true;
        case CMD_WHO:
            if (!PresenceAnswerDue(chat, in, 2)) return true;
            chat.SendPacket(CMD_HERE, chat.ModeBody(), kEveryone);
            chat.AnnounceActivity();
            return true;
        case CMD_EXIT: {
            if (chat.Roster().IsMember(id)) {
                chat.Roster().RemoveMember(id);
                Line(chat, 45, in.displayName, ChatLineKind::Private);
            }
            chat.Roster().Remove(id);
            Arrival(chat, in, 90, NotifyEvent::Exit, ChatLineKind::ExitUser);
            chat.ArmUserListTimer(2000);
            return true;
        }
        case CMD_ENTER:
            StoreMode(chat, in);
            Arrival(chat, in, 89, NotifyEvent::Enter, ChatLineKind::EnterUser);
            chat.ArmUserListTimer(2000);
            if (!PresenceAnswerDue(chat, in, 2)) return true;
            chat.SendOwnBoardList(id);
            chat.AnnounceActivity();
            return true;
        case CMD_CHANGEMODE:
            StoreMode(chat, in);
            if (ShowsLine(chat, NotifyEvent::ChangeMode))
                Line(chat, 92, in.displayName, ChatLineKind::ChangeMode, " " + ExtractField(in.body, ":", 1));
            chat.Notify(NotifyEvent::ChangeMode, in.displayName, lang.LangString(92), in.displayName);
            chat.ArmUserListTimer(3000);
            if (PresenceAnswerDue(chat, in, 1)) chat.SendOwnBoardList(id);
            return true;
        case CMD_ACTIVE:
        case CMD_INACTIVE:
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            chat.Roster().SetActive(id, in.raw.command == CMD_ACTIVE ? 1 : 0);
            chat.Roster().SetAvatar(id, in.avatar);
            chat.ArmUserListTimer(3000);
            return true;
        case CMD_CHANGENAME: {  // the packet already carries the new name
            const std::string newName = ExtractField(in.body, ":", 1);
            if (ShowsLine(chat, NotifyEvent::ChangeName))
                chat.ShowLine(ChatLineKind::ChangeMode, "", LineText::Named(ExtractField(in.body, ":", 0) + ": " + lang.LangString(75) + " ",
                                                    newName.empty() ? in.name : newName), ChatPage::Main);
            chat.Notify(NotifyEvent::ChangeName, in.displayName, ExtractField(in.body, ":", 0) + ": " + lang.LangString(75), newName);
            chat.Roster().Rename(id, in.name, in.raw.senderName);
            chat.ArmUserListTimer(3000);
            return true;
        }
        case CMD_USERLIST:  // the list page learns it with the user list
            return true;
        case CMD_FLOODLIMIT: {
            const int limit = ParseInt(ExtractField(in.body, ":", 1));
            if (limit >= 0) chat.SetFloodLimit(limit);
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
