// What the local user sends: the typed forms, conference messages and invitations.
#include "net/outgoing_forms.h"

#include <vector>

#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/conference_guard.h"
#include "net/user_roster.h"
#include "net/waiting_delivery.h"

namespace zc {
namespace {

InputKeyword KeywordOf(const std::string& word) {
    if (word == "MSG") return InputKeyword::Msg;
    if (word == "ALERT") return InputKeyword::Alert;
    if (word == "MSGGROUP") return InputKeyword::MsgGroup;
    if (word == "ALERTGROUP") return InputKeyword::AlertGroup;
    if (word == "SOUND") return InputKeyword::Sound;
    if (word == "MODE") return InputKeyword::Mode;
    return InputKeyword::None;
}

std::string Lang(const ChatSession& chat, int n) { return chat.Language().LangString(n); }

}  // namespace

InputForm ParseInputForm(const std::string& typed, bool showImages) {
    InputForm form;
    if (typed.find("->") == std::string::npos) return form;
    form.keyword = KeywordOf(ExtractField(typed, "->", 0));
    if (form.keyword == InputKeyword::None) return form;
    const std::string rest = ExtractField(typed, "->", 1);
    if (form.keyword == InputKeyword::Mode) {
        form.rest = form.recipient = rest;
        return form;
    }
    form.rest = MessageTextSanitizer(rest, true, showImages);
    if (form.keyword == InputKeyword::Sound) {
        form.recipient = form.rest;
        return form;
    }
    form.recipient = ExtractField(form.rest, ":", 0);
    form.text = ExtractField(form.rest, ":", 1);
    return form;
}

bool RefuseToSend(ChatSession& chat, const std::string& why) {
    const bool conference = chat.User().pageMode == PageMode::Conference;
    chat.ShowLine(ChatLineKind::Alert, "", LineText::Plain(why), conference ? ChatPage::Second : ChatPage::Main);
    return false;
}

ChatPage PageOfPrivateTalk(ChatSession& chat, const std::string& userId) {
    const bool conference = chat.Roster().IsMember(userId) && chat.User().pageMode == PageMode::Conference;
    return conference ? ChatPage::Second : ChatPage::Main;
}

namespace {

// One packet the user asked for; false (and a line saying why) when it cannot go out.
bool SendTyped(ChatSession& chat, Command command, const std::string& body, const std::string& target) {
    if (!chat.PacketFits(command, body, target)) return RefuseToSend(chat, chat.Language().Extra(ExtraText::TooLong));
    if (!chat.SendPacket(command, body, target))
        return RefuseToSend(chat, chat.Language().Extra(ExtraText::NotConnected));
    return true;
}

// The packet of a private message or alert and our own copy of its line.
bool SendAddressed(ChatSession& chat, const std::string& id, const std::string& name, const std::string& body,
                   const std::string& text, bool alert) {
    if (!SendTyped(chat, alert ? CMD_ALERT : CMD_PRIVATE, body, id)) return false;
    const LineText line = LineText::Named(Lang(chat, 74) + " " + Lang(chat, alert ? 42 : 61) + " ", name, ": " + text);
    chat.ShowLine(alert ? ChatLineKind::Alert : ChatLineKind::Private, "", line,
                  alert ? ChatPage::Main : PageOfPrivateTalk(chat, id));
    chat.AppendHistory(line, false);
    return true;
}

// How a form is written, for the line that says a name is missing.
std::string FormText(const char* keyword, bool withText) {
    return std::string(keyword) + "-&gt;Name" + (withText ? ": text" : "");
}

}  // namespace

bool SendAddressedMessage(ChatSession& chat, const InputForm& form) {
    const LanguageTable& lang = chat.Language();
    if (form.recipient.empty()) return RefuseToSend(chat, lang.Extra(ExtraText::NoRecipient, FormText(form.keyword == InputKeyword::Alert ? "ALERT" : "MSG", true)));
    const bool alert = form.keyword == InputKeyword::Alert;
    const std::string id = chat.Roster().IdOfName(form.recipient);
    if (id.size() <= 1) {
        if (KeepForAbsent(chat, form.recipient, form.text, alert)) return true;
        return RefuseToSend(chat, lang.Extra(ExtraText::UnknownUser, form.recipient));
    }
    if (!SendAddressed(chat, id, form.recipient, form.rest, form.text, alert)) return false;
    if (const CUserRecord* to = chat.Roster().Find(id)) WatchDelivery(chat, *to, form.text, alert);
    return true;
}

std::string AddressedBody(const ChatSession& chat, const std::string& id, const std::string& name,
                          const std::string& text) {
    // Receivers clean the whole body and show what follows its first ":": a name that would
    // change in cleaning (a "www." taken for a link) or holds a ":" gives way to the identity.
    const bool plain = name.find(':') == std::string::npos &&
                       MessageTextSanitizer(name, true, chat.Global().showImages) == name;
    return (plain ? name : id) + ":" + text;
}

bool SendAddressedTo(ChatSession& chat, const std::string& id, const std::string& name, const std::string& text,
                     bool alert) {
    if (id.size() <= 1 || !chat.Roster().Find(id)) return RefuseToSend(chat, chat.Language().Extra(ExtraText::UnknownUser, name));
    const std::string clean = MessageTextSanitizer(text, true, chat.Global().showImages);
    if (clean.empty()) return false;
    if (!SendAddressed(chat, id, name, AddressedBody(chat, id, name, clean), clean, alert)) return false;
    WatchDelivery(chat, *chat.Roster().Find(id), clean, alert);
    return true;
}

bool SendSoundSignal(ChatSession& chat, const std::string& name) {
    if (name.empty()) return RefuseToSend(chat, chat.Language().Extra(ExtraText::NoRecipient, FormText("SOUND", false)));
    return SendSoundSignalTo(chat, chat.Roster().IdOfName(name), name);
}

bool SendSoundSignalTo(ChatSession& chat, const std::string& id, const std::string& name) {
    if (id.empty() || !chat.Roster().Find(id)) return RefuseToSend(chat, chat.Language().Extra(ExtraText::UnknownUser, name));
    if (!SendTyped(chat, CMD_SOUND, id, id)) return false;
    chat.ShowLine(ChatLineKind::Sound, "", LineText::Named(Lang(chat, 74) + " " + Lang(chat, 66) + " ", name),
                  ChatPage::Main);
    return true;
}

bool SendPublicMessage(ChatSession& chat, const std::string& typed) {
    const std::string& nickname = chat.User().nickname;
    if (!SendTyped(chat, CMD_MESSAGE, std::to_string(chat.User().mode) + ":" + typed, kEveryone)) return false;
    const std::string clean = MessageTextSanitizer(typed, true, chat.Global().showImages);
    chat.ShowLine(ChatLineKind::OwnMessage, "", LineText::Plain(clean), ChatPage::Main);
    chat.AppendHistory(LineText::Named("", nickname, ": " + clean), true);
    chat.Notify(NotifyEvent::Default, nickname, "", "");
    return true;
}

bool SendToConference(ChatSession& chat, const std::string& text) {
    if (text.empty()) return false;
    std::vector<std::string> others;
    for (const std::string& id : chat.Roster().Members())
        if (id.size() >= 2 && id != chat.OwnId()) others.push_back(id);
    if (!chat.HasSecondPage() || others.empty())
        return RefuseToSend(chat, chat.Language().Extra(ExtraText::EmptyConference));
    if (!chat.PacketFits(CMD_CONFERENCE, text, others.front()))
        return RefuseToSend(chat, chat.Language().Extra(ExtraText::TooLong));
    bool sent = false;
    for (const std::string& id : others) sent = chat.SendPacket(CMD_CONFERENCE, text, id) || sent;
    if (!sent) return RefuseToSend(chat, chat.Language().Extra(ExtraText::NotConnected));
    chat.ShowLine(ChatLineKind::OwnMessage, "", LineText::Plain(text), ChatPage::Second);
    return true;
}

bool InviteToConference(ChatSession& chat, const std::string& name) {
    const std::string id = chat.Roster().IdOfName(name);
    if (id.empty() || id == chat.OwnId() || !chat.FloodGuardAllows()) return false;
    chat.SendPacket(CMD_INVCONFERENCE, chat.OwnId(), id);
    chat.Conference().Invited(id, chat.NowSeconds());
    chat.ShowLine(ChatLineKind::Private, "", LineText::Named(Lang(chat, 74) + " " + Lang(chat, 76) + " ", name), ChatPage::Main);
    return true;
}

}  // namespace zc
