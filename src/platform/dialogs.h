#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zc {

// Dialogs that wait for the user without blocking the chat; answers come back by callback.
class DialogService {
public:
    virtual ~DialogService() = default;
    // An alert from a user; onRead runs when the user confirms it.
    virtual void ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) = 0;
    // A yes/no question; onAnswer(true) for yes.
    virtual void AskQuestion(const std::string& caption, const std::string& text,
                             std::function<void(bool)> onAnswer) = 0;
    // A peer's alert or question, numbered by the chat ("[n]" leads the caption) so that the
    // user can answer it by number; Withdraw closes one that gave way to newer ones, unanswered.
    virtual void ShowNumberedAlert(int /*number*/, const std::string& caption, const std::string& text,
                                   std::function<void()> onRead) {
        ShowAlert(caption, text, std::move(onRead));
    }
    virtual void AskNumbered(int /*number*/, const std::string& caption, const std::string& text,
                             std::function<void(bool)> onAnswer) {
        AskQuestion(caption, text, std::move(onAnswer));
    }
    virtual void Withdraw(int /*number*/) {}
    // Closes every window these dialogs opened, unanswered: the chat has ended.
    virtual void CloseAll() {}
    // False where windows are only shown and nobody answers them (the terminal without input):
    // the chat then keeps no record of them.
    virtual bool KeepsWindows() const { return true; }
    // A user's information card: label and value lines, in order. Shown without waiting.
    virtual void ShowUserInfo(const std::string& /*caption*/,
                              const std::vector<std::pair<std::string, std::string>>& /*lines*/) {}
    // An event's own small window (the event kind's one, raised and refilled when it shows
    // again, never stacked). Does not wait.
    virtual void ShowEventNotice(int /*kind*/, const std::string& /*caption*/, const std::string& /*text*/) {}
    // A file to send to somebody; onPicked gets its full path, and is not called when cancelled.
    virtual void PickFileToSend(const std::string& /*caption*/, std::function<void(const std::string&)> /*onPicked*/) {}
};

}  // namespace zc
