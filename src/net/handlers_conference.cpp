// The conference on the second chat page.
#include "app/chat_main_dlg.h"
#include "net/packet_handlers.h"
#include "platform/dialogs.h"

namespace zc {

bool HandleConference(CChatMainDlg& dlg, const IncomingPacket& in) {
    const std::string& sender = in.raw.senderId;
    const LanguageTable& lang = dlg.Language();
    switch (in.raw.command) {
        case 18: {  // invitation
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            DialogService* dialogs = dlg.Services().dialogs;
            dlg.Notify(NotifyEvent::InvConference, in.displayName, lang.LangString(47), in.displayName);
            if (!EventFlags(dlg.User(), NotifyEvent::InvConference).dialog || !dialogs) {
                dlg.SendPacket(24, lang.LangString(48), sender);
                return true;
            }
            dialogs->AskQuestion(lang.LangString(47) + " " + in.displayName, lang.LangString(49),
                                 [&dlg, sender](bool yes) {
                                     if (!yes) {
                                         dlg.SendPacket(19, "", sender);
                                         return;
                                     }
                                     dlg.SendPacket(20, sender, sender);
                                     dlg.Roster().AddMember(dlg.OwnId());
                                     dlg.Roster().AddMember(sender);
                                     dlg.OpenSecondPage();
                                     dlg.SendPacket(36, sender, sender);
                                 });
            return true;
        }
        case 20:  // accepted
            dlg.ShowSystemLine(lang.LangString(43) + " " + dlg.NameSpan(in.displayName), ChatLineKind::Private);
            if (!dlg.Roster().IsMember(dlg.OwnId())) dlg.Roster().AddMember(dlg.OwnId());
            if (!dlg.Roster().IsMember(sender)) dlg.Roster().AddMember(sender);
            dlg.OpenSecondPage();
            return true;
        case 21:  // conference message
            if (!dlg.Roster().IsMember(sender)) return true;
            dlg.Chat().AppendChatLine(in.body, in.displayName, ChatLineKind::Message, dlg.Chat().SecondTextView());
            dlg.Notify(NotifyEvent::Conference, in.displayName, lang.LangString(22), in.body);
            return true;
        case 23:  // left
            if (!dlg.Roster().IsMember(sender)) return true;
            dlg.Roster().RemoveMember(sender);
            dlg.Chat().AppendChatLine(lang.LangString(45) + " " + dlg.NameSpan(in.displayName), "",
                                      ChatLineKind::Private, dlg.Chat().SecondTextView());
            dlg.Notify(NotifyEvent::LeaveConference, in.displayName, lang.LangString(45), in.displayName);
            return true;
        case 36:  // joined
            dlg.ShowSystemLine(lang.LangString(46) + " " + dlg.NameSpan(in.displayName), ChatLineKind::Private);
            dlg.Notify(NotifyEvent::Conference, in.displayName, lang.LangString(46), in.displayName);
            dlg.ArmUserListTimer(3000);
            return true;
        default: return false;
    }
}

}  // namespace zc
