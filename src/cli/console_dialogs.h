#pragma once
#include <deque>
#include <functional>
#include <string>

#include "platform/dialogs.h"

namespace zc {

class Console;

// Dialogs as lines on the terminal, each open until /yes or /no. Peers' windows carry the
// chat's number, by which an answer can name one; without a number the newest is answered.
class ConsoleDialogs : public DialogService {
public:
    explicit ConsoleDialogs(Console& console) : console_(console) {}
    void ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) override {
        ShowNumberedAlert(0, caption, text, std::move(onRead));
    }
    void AskQuestion(const std::string& caption, const std::string& text,
                     std::function<void(bool)> onAnswer) override {
        AskNumbered(0, caption, text, std::move(onAnswer));
    }
    void ShowNumberedAlert(int number, const std::string& caption, const std::string& text,
                           std::function<void()> onRead) override;
    void AskNumbered(int number, const std::string& caption, const std::string& text,
                     std::function<void(bool)> onAnswer) override;
    void Withdraw(int number) override;
    bool KeepsWindows() const override { return !nobodyAnswers_; }
    // A card waits for nothing: the caption, then one "label: value" line each.
    void ShowUserInfo(const std::string& caption,
                      const std::vector<std::pair<std::string, std::string>>& lines) override;

    // Answers the dialog of that number, or the newest when number is 0; an alert is
    // confirmed by either answer. False when there is no such dialog.
    bool Answer(bool yes, int number = 0);
    // Prints every open dialog, oldest first; false when none is open.
    bool List();
    size_t Open() const { return open_.size(); }
    // At exit: open dialogs go unanswered.
    void DropAll() { open_.clear(); }
    // Without input nobody can answer: questions are refused just after they are shown and
    // alerts are only shown.
    void SetNobodyAnswers() { nobodyAnswers_ = true; }

private:
    struct Dialog {
        int number = 0;
        bool question = false;
        std::string caption, text;  // windows-1251
        std::function<void()> onRead;
        std::function<void(bool)> onAnswer;
    };
    void Print(const Dialog& d, bool reminder);

    Console& console_;
    std::deque<Dialog> open_;  // oldest first
    bool nobodyAnswers_ = false;
};

}  // namespace zc
