#pragma once
#include <string>

namespace zc {

// How a chat line looks; the numbers are the kinds' own.
enum class ChatLineKind {
    Message = 0,
    ExitUser = 3,
    EnterUser = 4,
    Private = 5,
    ChangeMode = 7,
    Alert = 8,
    AlertRead = 9,
    AlertExist = 10,
    Sound = 11,
    Notify = 13,
    TransferNotify = 15,
    OwnMessage = 27,
};

// Which chat page a line goes to; the second page falls back to the main one where it has no view.
enum class ChatPage { Main, Second };

// The text of a line before it becomes page markup: optionally one user's name, which the page
// shows as a clickable name between the text before and after it.
struct LineText {
    std::string before;
    std::string name;
    std::string after;
    bool named = false;

    static LineText Plain(std::string text) { return {std::move(text), {}, {}, false}; }
    static LineText Named(std::string before, std::string name, std::string after = {}) {
        return {std::move(before), std::move(name), std::move(after), true};
    }
    // A text with "%s" where the name goes; without one the name follows the text.
    static LineText Around(const std::string& format, std::string name) {
        const size_t at = format.find("%s");
        if (at == std::string::npos) return Named(format + " ", std::move(name));
        return Named(format.substr(0, at), std::move(name), format.substr(at + 2));
    }
};

}  // namespace zc
