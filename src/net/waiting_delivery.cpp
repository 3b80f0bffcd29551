#include "net/waiting_delivery.h"

#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/outgoing_forms.h"
#include "net/user_roster.h"
#include "services/waiting_messages.h"

namespace zc {
namespace {

void Say(ChatSession& chat, ExtraText text, const std::string& name, const std::string& tail = "") {
    chat.ShowLine(ChatLineKind::Private, "", LineText::Plain(ReplaceAll(chat.Language().Extra(text, name), "%t", tail)),
                  ChatPage::Main);
}

// The typed form keeps the blank after "Name:"; the delivered text has its own prefix.
std::string WithoutLeadingBlanks(const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? "" : text.substr(start);
}

bool KeptOrSaid(ChatSession& chat, WaitingMessages::Kept kept, const std::string& name) {
    if (kept == WaitingMessages::Kept::Yes) return true;
    RefuseToSend(chat, chat.Language().Extra(ExtraText::WaitingFull, name));
    return false;
}

}  // namespace

bool KeepForAbsent(ChatSession& chat, const std::string& name, const std::string& text, bool alert) {
    const KnownUser* known = chat.Waiting().KnownByName(name);
    if (!known || known->id == chat.OwnId()) return false;
    const KnownUser to = *known;
    if (!KeptOrSaid(chat, chat.Waiting().Keep(to, alert, chat.NowSeconds(), WithoutLeadingBlanks(text)), name)) return true;
    chat.WriteLog(":::Message for " + to.id + " at " + to.ip + " kept until it is back");
    Say(chat, ExtraText::WaitingKept, name);
    return true;
}

void WatchDelivery(ChatSession& chat, const CUserRecord& to, const std::string& text, bool alert) {
    const std::int64_t now = chat.NowSeconds();
    if (now - to.lastHeard < kQuietBeforeKeepingSeconds) return;
    const std::string name = to.displayName.empty() ? to.nickname : to.displayName;
    if (chat.Waiting().Keep({to.id, to.ip, name, to.lastHeard}, alert, now, WithoutLeadingBlanks(text), now) != WaitingMessages::Kept::Yes)
        return;  // sent anyway; only the second chance is missing
    chat.SendPacket(CMD_WHO, chat.ModeBody(), kEveryone);
    chat.ArmWaitingTimer(kAnswerWaitMs);
}

void DeliverWaiting(ChatSession& chat, const std::string& id, const std::string& ip, const std::string& name) {
    for (const WaitingMessage& m : chat.Waiting().TakeFor(id, ip)) {
        const std::string written = chat.Language().Extra(ExtraText::WrittenAt, chat.DateTimeText(m.written));
        const std::string text = written + " " + m.text;
        if (!chat.SendPacket(m.alert ? CMD_ALERT : CMD_PRIVATE, AddressedBody(chat, id, name, text), id)) {
            chat.Waiting().Keep({m.id, m.ip, m.name, 0}, m.alert, m.written, m.text);  // next time
            continue;
        }
        chat.WriteLog(":::Waiting message " + std::to_string(m.number) + " delivered to " + id + " at " + ip);
        Say(chat, ExtraText::WaitingDelivered, name, written + ": " + m.text);
        chat.AppendHistory(LineText::Named(chat.Language().LangString(74) + " " +
                                               chat.Language().LangString(m.alert ? 42 : 61) + " ", name, ": " + text),
                           false);
    }
}

void SettleWaiting(ChatSession& chat) {
    WaitingMessages& waiting = chat.Waiting();
    const std::int64_t now = chat.NowSeconds();
    for (const WaitingMessage& m : waiting.ConfirmGone(now - kAnswerWaitMs / 1000)) {
        chat.WriteLog(":::" + m.id + " did not answer: message " + std::to_string(m.number) + " kept until it is back");
        Say(chat, ExtraText::WaitingKept, m.name);
    }
    for (const WaitingMessage& m : waiting.Expire(now, waiting.Days()))
        Say(chat, ExtraText::WaitingExpired, m.name, m.text);
}

}  // namespace zc
