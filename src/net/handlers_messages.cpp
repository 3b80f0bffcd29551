// Messages, alerts, sounds and notices from other users.
#include "app/chat_main_dlg.h"
#include "app/ini_file.h"
#include "app/registry_keys.h"
#include "app/text_helpers.h"
#include "net/packet_handlers.h"
#include "platform/dialogs.h"

namespace zc {
namespace {

std::string Lang(CChatMainDlg& dlg, int n) { return dlg.Language().LangString(n); }

void NoticeLine(CChatMainDlg& dlg, const IncomingPacket& in, int stringNumber, int kind, const std::string& tail = "") {
    dlg.ShowSystemLine(Lang(dlg, stringNumber) + " " + dlg.NameSpan(in.displayName) + tail, kind);
}

void HandleAlert(CChatMainDlg& dlg, const IncomingPacket& in) {
    if (dlg.IsIgnored(in.raw.senderIp)) return;
    const std::string text = ExtractField(in.body, ":", 1);
    const std::string line = dlg.NameSpan(in.displayName) + ": " + text;
    const std::string sender = in.raw.senderId;
    DialogService* dialogs = dlg.Services().dialogs;
    if (!EventFlags(dlg.User(), NotifyEvent::Alert).dialog || !dialogs) {
        dlg.ShowSystemLine(line, ChatLineKind::Alert);
        dlg.History().AppendHistory(line, false, true);
        dlg.Notify(NotifyEvent::Alert, in.displayName, Lang(dlg, 54), text);
        dlg.SendPacket(24, Lang(dlg, 48), sender);
        return;
    }
    RegistryStore& registry = dlg.Services().registry;
    if (ValueOrDefault(ReadAppRegValue(registry, "Profile\\", "AlertFrom"), "").size() > 0) {
        NoticeLine(dlg, in, 40, ChatLineKind::AlertExist);
        dlg.SendPacket(10, "", sender);
        return;
    }
    WriteAppRegValue(registry, "Profile\\", "AlertFrom", in.displayName);
    dlg.ShowSystemLine(line, ChatLineKind::Alert);
    dlg.History().AppendHistory(line, false, true);
    dlg.Notify(NotifyEvent::Alert, in.displayName, Lang(dlg, 54), text);
    dialogs->ShowAlert(Lang(dlg, 54) + " " + in.displayName, text, [&dlg, &registry, sender] {
        dlg.SendPacket(9, "", sender);
        WriteAppRegValue(registry, "Profile\\", "AlertFrom", " ");
    });
}

}  // namespace

bool HandleMessages(CChatMainDlg& dlg, const IncomingPacket& in) {
    switch (in.raw.command) {
        case 5: {  // private
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            const std::string text = ExtractField(in.body, ":", 1);
            const std::string line = dlg.NameSpan(in.displayName) + ": " + text;
            dlg.Chat().AppendChatLine(line, "", ChatLineKind::Private, dlg.PageForPrivate(in.raw.senderId));
            dlg.History().AppendHistory(line, false, true);
            dlg.Notify(NotifyEvent::Private, in.displayName, Lang(dlg, 68) + " " + in.displayName, text);
            return true;
        }
        case 6: {  // public
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            const std::string text = ExtractField(in.body, ":", 1);
            dlg.History().AppendHistory(dlg.NameSpan(in.displayName) + ": " + text, true, true);
            dlg.Chat().AppendChatLine(text, in.displayName, ChatLineKind::Message);
            dlg.Notify(NotifyEvent::Default, in.displayName, in.displayName, text);
            return true;
        }
        case 8: HandleAlert(dlg, in); return true;
        case 9: NoticeLine(dlg, in, 41, ChatLineKind::AlertRead); return true;
        case 10: NoticeLine(dlg, in, 40, ChatLineKind::AlertExist); return true;
        case 11:  // sound signal
            if (dlg.IsIgnored(in.raw.senderIp)) {
                dlg.SendPacket(41, "n/a", in.raw.senderId);
                return true;
            }
            NoticeLine(dlg, in, 67, ChatLineKind::Sound);
            dlg.Notify(NotifyEvent::Sound, in.displayName, Lang(dlg, 67), in.displayName);
            return true;
        case 13: NoticeLine(dlg, in, 62, ChatLineKind::Notify, "<br>" + in.body); return true;
        case 15: NoticeLine(dlg, in, 71, ChatLineKind::TransferNotify); return true;
        case 19: NoticeLine(dlg, in, 52, ChatLineKind::AlertExist); return true;
        case 22: NoticeLine(dlg, in, 44, ChatLineKind::AlertExist, ": " + in.body); return true;
        case 24:
            NoticeLine(dlg, in, 48, ChatLineKind::Notify);
            dlg.Notify(NotifyEvent::Warning, in.displayName, Lang(dlg, 48), in.displayName);
            return true;
        case 41:
            NoticeLine(dlg, in, 101, ChatLineKind::Notify);
            dlg.Notify(NotifyEvent::Warning, in.displayName, Lang(dlg, 101), in.displayName);
            return true;
        case 42:  // file request; accepting comes with file transfer
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            NoticeLine(dlg, in, 58, ChatLineKind::TransferNotify, ": " + in.body);
            dlg.Notify(NotifyEvent::FRequest, in.displayName, Lang(dlg, 58), in.body);
            return true;
        default: return false;
    }
}

}  // namespace zc
