// What the local user sends: the typed forms, conference messages and invitations.
#include "net/outgoing_forms.h"

#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/user_roster.h"

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

void SendAddressedMessage(ChatSession& chat, const InputForm& form) {
    if (form.recipient.empty()) return;
    const std::string id = chat.Roster().IdOfName(form.recipient);
    if (id.size() <= 1) return;  // nobody of that name
    const bool alert = form.keyword == InputKeyword::Alert;
    chat.SendPacket(alert ? CMD_ALERT : CMD_PRIVATE, form.rest, id);
    const LineText line =
        LineText::Named(Lang(chat, 74) + " " + Lang(chat, alert ? 42 : 61) + " ", form.recipient, ": " + form.text);
    const bool conference = !alert && chat.Roster().IsMember(id) && chat.User().pageMode == PageMode::Conference;
    chat.ShowLine(alert ? ChatLineKind::Alert : ChatLineKind::Private, "", line,
                  conference ? ChatPage::Second : ChatPage::Main);
    chat.AppendHistory(line, false);
}

void SendSoundSignal(ChatSession& chat, const std::string& name) {
    const std::string id = chat.Roster().IdOfName(name);
    if (name.empty() || id.empty()) return;
    chat.SendPacket(CMD_SOUND, id, id);
    chat.ShowLine(ChatLineKind::Sound, "", LineText::Named(Lang(chat, 74) + " " + Lang(chat, 66) + " ", name),
                  ChatPage::Main);
}

void SendPublicMessage(ChatSession& chat, const std::string& typed) {
    const std::string& nickname = chat.User().nickname;
    chat.SendPacket(CMD_MESSAGE, std::to_string(chat.User().mode) + ":" + typed, kEveryone);
    const std::string clean = MessageTextSanitizer(typed, true, chat.Global().showImages);
    chat.ShowLine(ChatLineKind::OwnMessage, "", LineText::Plain(clean), ChatPage::Main);
    chat.AppendHistory(LineText::Named("", nickname, ": " + clean), true);
    chat.Notify(NotifyEvent::Default, nickname, "", "");
}

void SendToConference(ChatSession& chat, const std::string& text) {
    if (text.empty() || !chat.HasSecondPage()) return;
    for (const std::string& id : chat.Roster().Members())
        if (id.size() >= 2 && id != chat.OwnId()) chat.SendPacket(CMD_CONFERENCE, text, id);
    if (!chat.Roster().Members().empty())
        chat.ShowLine(ChatLineKind::OwnMessage, "", LineText::Plain(text), ChatPage::Second);
}

bool InviteToConference(ChatSession& chat, const std::string& name) {
    const std::string id = chat.Roster().IdOfName(name);
    if (id.empty() || id == chat.OwnId() || !chat.FloodGuardAllows()) return false;
    chat.SendPacket(CMD_INVCONFERENCE, chat.OwnId(), id);
    chat.ShowSystemLine(ChatLineKind::Private, LineText::Named(Lang(chat, 74) + " " + Lang(chat, 76) + " ", name));
    return true;
}

}  // namespace zc
