#pragma once
#include <functional>
#include <string>

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
};

}  // namespace zc
