// Messages, alerts, sounds and notices from other users.
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/outgoing_forms.h"
#include "net/packet_handlers.h"
#include "net/paced_answers.h"
#include "net/user_roster.h"
#include "platform/tray.h"

namespace zc {
namespace {

std::string Lang(ChatSession& chat, int n) { return chat.Language().LangString(n); }

void NoticeLine(ChatSession& chat, const IncomingPacket& in, int stringNumber, ChatLineKind kind,
                const std::string& tail = "") {
    chat.ShowLine(kind, "", LineText::Named(Lang(chat, stringNumber) + " ", in.displayName, tail), ChatPage::Main);
}

void HandleAlert(ChatSession& chat, const IncomingPacket& in) {
    if (chat.IsIgnored(in.raw.senderIp)) return;
    const std::string text = ExtractField(in.body, ":", 1);
    const LineText line = LineText::Named("", in.displayName, ": " + text);
    const std::string sender = in.raw.senderId;
    if (!EventFlags(chat.User(), NotifyEvent::Alert).dialog || !chat.CanAsk()) {
        if (EventShowsLine(chat.User(), NotifyEvent::Alert)) chat.ShowLine(ChatLineKind::Alert, "", line, ChatPage::Main);
        chat.AppendHistory(line, false);
        chat.Notify(NotifyEvent::Alert, in.displayName, Lang(chat, 54) + " " + in.displayName, text);
        chat.FlashTray(kTrayAlertIcon);
        chat.SendPacket(CMD_NOTICE, Lang(chat, 48), sender);
        return;
    }
    // One open alert window per sender: a stranger's never blocks a colleague's.
    PeerWindows::Window window{.kind = PeerWindows::Kind::Alert,
                               .peerId = sender,
                               .peerIp = in.raw.senderIp,
                               .peerName = in.displayName,
                               .onAnswer = [&chat, sender](bool) { chat.SendPacket(CMD_ALERT_READ, "", sender); }};
    if (!chat.OpenPeerWindow(std::move(window), Lang(chat, 54) + " " + in.displayName, text)) {
        NoticeLine(chat, in, 40, ChatLineKind::AlertExist);
        chat.SendPacket(CMD_ALERT_EXISTS, "", sender);
        return;
    }
    if (EventShowsLine(chat.User(), NotifyEvent::Alert)) chat.ShowLine(ChatLineKind::Alert, "", line, ChatPage::Main);
    chat.AppendHistory(line, false);
    chat.Notify(NotifyEvent::Alert, in.displayName, Lang(chat, 54) + " " + in.displayName, text);
    chat.FlashTray(kTrayAlertIcon);
}

}  // namespace

bool HandleMessages(ChatSession& chat, const IncomingPacket& in) {
    switch (in.raw.command) {
        case CMD_PRIVATE: {
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            const std::string text = ExtractField(in.body, ":", 1);
            const LineText line = LineText::Named("", in.displayName, ": " + text);
            if (EventShowsLine(chat.User(), NotifyEvent::Private))
                chat.ShowLine(ChatLineKind::Private, "", line, PageOfPrivateTalk(chat, in.raw.senderId));
            chat.AppendHistory(line, false);
            chat.Notify(NotifyEvent::Private, in.displayName, Lang(chat, 68) + " " + in.displayName, text);
            chat.FlashTray(kTrayPrivateIcon);
            return true;
        }
        case CMD_MESSAGE: {
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            const std::string text = chat.FilterIncomingMessage(in.displayName, ExtractField(in.body, ":", 1));
            chat.AppendHistory(LineText::Named("", in.displayName, ": " + text), true);
            if (EventShowsLine(chat.User(), NotifyEvent::Default))
                chat.ShowLine(ChatLineKind::Message, in.displayName, LineText::Plain(text), ChatPage::Main);
            chat.Notify(NotifyEvent::Default, in.displayName, in.displayName, text);
            chat.AnswerIncomingMessage(in.displayName, text);
            return true;
        }
        case CMD_ALERT: HandleAlert(chat, in); return true;
        case CMD_ALERT_READ: NoticeLine(chat, in, 41, ChatLineKind::AlertRead); return true;
        case CMD_ALERT_EXISTS: NoticeLine(chat, in, 40, ChatLineKind::AlertExist); return true;
        case CMD_SOUND:
            if (chat.IsIgnored(in.raw.senderIp)) {
                if (AnswerDue(chat, in, AnswerKind::Card, kShortAnswerBytes))
                    chat.SendPacket(CMD_REFUSED, "n/a", in.raw.senderId);
                return true;
            }
            if (EventShowsLine(chat.User(), NotifyEvent::Sound)) NoticeLine(chat, in, 67, ChatLineKind::Sound);
            chat.Notify(NotifyEvent::Sound, in.displayName, Lang(chat, 67), in.displayName);
            return true;
        case CMD_CONF_DECLINE: NoticeLine(chat, in, 52, ChatLineKind::AlertExist); return true;
        case CMD_NOTICE_22: NoticeLine(chat, in, 44, ChatLineKind::AlertExist, ": " + in.body); return true;
        case CMD_NOTICE:
            NoticeLine(chat, in, 48, ChatLineKind::Notify);
            chat.Notify(NotifyEvent::Warning, in.displayName, Lang(chat, 48), in.displayName);
            return true;
        case CMD_REFUSED:
            NoticeLine(chat, in, 101, ChatLineKind::Notify);
            chat.Notify(NotifyEvent::Warning, in.displayName, Lang(chat, 101), in.displayName);
            return true;
        default: return false;
    }
}

}  // namespace zc
