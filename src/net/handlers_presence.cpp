// Who is here, in which mode, under which name.
#include "app/chat_main_dlg.h"
#include "app/text_helpers.h"
#include "net/packet_handlers.h"

namespace zc {
namespace {

void StoreMode(CChatMainDlg& dlg, const IncomingPacket& in) {
    const std::string text = ExtractField(in.body, ":", 1);
    dlg.Roster().SetMode(in.raw.senderId, ParseInt(ExtractField(in.body, ":", 0)), text, in.avatar);
}

void Line(CChatMainDlg& dlg, int stringNumber, const std::string& name, int kind, const std::string& tail = "") {
    dlg.ShowSystemLine(dlg.Language().LangString(stringNumber) + " " + dlg.NameSpan(name) + tail, kind);
}

bool ShowsLine(CChatMainDlg& dlg, NotifyEvent event) { return EventFlags(dlg.User(), event).text; }

}  // namespace

bool HandlePresence(CChatMainDlg& dlg, const IncomingPacket& in) {
    const std::string& id = in.raw.senderId;
    switch (in.raw.command) {
        case 1:  // here
            if (ExtractField(in.body, ":", 1).empty()) return true;
            StoreMode(dlg, in);
            dlg.ArmUserListTimer(4000);
            return true;
        case 2:  // who
            dlg.SendPacket(1, dlg.ModeBody(), kEveryone);
            dlg.AnnounceActivity();
            return true;
        case 3: {  // exit
            if (dlg.Roster().IsMember(id)) {
                dlg.Roster().RemoveMember(id);
                Line(dlg, 45, in.displayName, ChatLineKind::Private);
            }
            dlg.Roster().Remove(id);
            if (ShowsLine(dlg, NotifyEvent::Exit)) Line(dlg, 90, in.displayName, ChatLineKind::ExitUser);
            dlg.History().AppendHistory(dlg.Language().LangString(90) + " " + in.displayName, true, true);
            dlg.Notify(NotifyEvent::Exit, in.displayName, dlg.Language().LangString(90), in.displayName);
            dlg.ArmUserListTimer(2000);
            return true;
        }
        case 4:  // enter
            StoreMode(dlg, in);
            if (ShowsLine(dlg, NotifyEvent::Enter)) Line(dlg, 89, in.displayName, ChatLineKind::EnterUser);
            dlg.History().AppendHistory(dlg.Language().LangString(89) + " " + in.displayName, true, true);
            dlg.Notify(NotifyEvent::Enter, in.displayName, dlg.Language().LangString(89), in.displayName);
            dlg.ArmUserListTimer(2000);
            dlg.SendOwnBoardList(id);
            dlg.AnnounceActivity();
            return true;
        case 7:  // change mode
            StoreMode(dlg, in);
            if (ShowsLine(dlg, NotifyEvent::ChangeMode))
                Line(dlg, 92, in.displayName, ChatLineKind::ChangeMode, " " + ExtractField(in.body, ":", 1));
            dlg.Notify(NotifyEvent::ChangeMode, in.displayName, dlg.Language().LangString(92), in.displayName);
            dlg.ArmUserListTimer(3000);
            dlg.SendOwnBoardList(id);
            return true;
        case 25:  // active
        case 34:  // inactive
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            dlg.Roster().SetActive(id, in.raw.command == 25 ? 1 : 0);
            dlg.Roster().SetAvatar(id, in.avatar);
            dlg.ArmUserListTimer(3000);
            return true;
        case 35: {  // change name: the packet already carries the new name
            const std::string newName = ExtractField(in.body, ":", 1);
            if (ShowsLine(dlg, NotifyEvent::ChangeName))
                dlg.ShowSystemLine(ExtractField(in.body, ":", 0) + ": " + dlg.Language().LangString(75) + " " +
                                       dlg.NameSpan(newName.empty() ? in.name : newName),
                                   ChatLineKind::ChangeMode);
            dlg.Notify(NotifyEvent::ChangeName, in.displayName, dlg.Language().LangString(75), newName);
            dlg.ArmUserListTimer(3000);
            return true;
        }
        case 37:  // user list import: the list page learns it with the user list
            return true;
        case 45: {  // flood limit
            const int limit = ParseInt(ExtractField(in.body, ":", 1));
            if (limit >= 0) dlg.Flood().SetLimit(limit);
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
