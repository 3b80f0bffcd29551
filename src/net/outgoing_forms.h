#pragma once
#include <string>

#include "net/chat_line.h"

namespace zc {

class ChatSession;

// The forms a typed line may take: "KEYWORD->rest".
enum class InputKeyword { None, Msg, Alert, MsgGroup, AlertGroup, Sound, Mode };

struct InputForm {
    InputKeyword keyword = InputKeyword::None;
    std::string rest;       // after "->": cleaned for the pages, except for MODE (as typed)
    std::string recipient;  // the user or group name before the first ":" (SOUND: all of rest)
    std::string text;       // after that ":"
};

// Reads a typed line; keywords are compared exactly, case included. A line without a known
// keyword is plain text (None) and goes to the page in front.
InputForm ParseInputForm(const std::string& typed, bool showImages);

// Each form is false when nothing went out; a line on the page in front then says why, and the
// caller keeps what the user typed.

// MSG and ALERT: the packet to the named user and our own copy of the line.
bool SendAddressedMessage(ChatSession& chat, const InputForm& form);
// The sound signal to a user picked by name.
bool SendSoundSignal(ChatSession& chat, const std::string& name);
// The same to a user known by identity (the menus): the name is only shown, never parsed, so
// any name works. The text is as typed.
bool SendAddressedTo(ChatSession& chat, const std::string& id, const std::string& name, const std::string& text,
                     bool alert);
// The body of a private message or alert to a user known by identity: name ":" text, or the
// identity in front when the name would not arrive as itself.
std::string AddressedBody(const ChatSession& chat, const std::string& id, const std::string& name,
                          const std::string& text);
bool SendSoundSignalTo(ChatSession& chat, const std::string& id, const std::string& name);
// Typed text for the public chat: the packet, our own line, the history and the sound.
bool SendPublicMessage(ChatSession& chat, const std::string& typed);
// Cleaned text to every conference member, shown on the second page.
bool SendToConference(ChatSession& chat, const std::string& text);
// Says on the page in front why nothing was sent; always false.
bool RefuseToSend(ChatSession& chat, const std::string& why);
// Where private lines with this user go: the second page while we share the conference there.
ChatPage PageOfPrivateTalk(ChatSession& chat, const std::string& userId);
// False when the name is unknown, our own, or the flood guard says no.
bool InviteToConference(ChatSession& chat, const std::string& name);

}  // namespace zc
