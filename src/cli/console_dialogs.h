#pragma once
#include <deque>
#include <functional>
#include <string>

#include "platform/dialogs.h"

namespace zc {

class Console;

// Dialogs as lines on the terminal: each waits in turn for /yes or /no, oldest first.
class ConsoleDialogs : public DialogService {
public:
    explicit ConsoleDialogs(Console& console) : console_(console) {}
    void ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) override;
    void AskQuestion(const std::string& caption, const std::string& text,
                     std::function<void(bool)> onAnswer) override;
    // A card waits for nothing: the caption, then one "label: value" line each.
    void ShowUserInfo(const std::string& caption,
                      const std::vector<std::pair<std::string, std::string>>& lines) override;

    // Answers the oldest open dialog; an alert is confirmed by either answer. False when none is open.
    bool Answer(bool yes);
    size_t Open() const { return open_.size(); }
    // At exit: open dialogs go unanswered.
    void DropAll() { open_.clear(); }
    // Without input nobody can answer: questions are refused just after they are shown and
    // alerts are only shown.
    void SetNobodyAnswers() { nobodyAnswers_ = true; }

private:
    struct Dialog {
        bool question = false;
        std::string caption, text;  // windows-1251
        std::function<void()> onRead;
        std::function<void(bool)> onAnswer;
    };
    void Print(const Dialog& d, bool reminder);

    Console& console_;
    std::deque<Dialog> open_;
    bool nobodyAnswers_ = false;
};

}  // namespace zc
