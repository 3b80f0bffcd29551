#include "cli/console_dialogs.h"

#include <QTimer>

#include "cli/chat_line_text.h"
#include "cli/console.h"

namespace zc {

void ConsoleDialogs::Print(const Dialog& d, bool reminder) {
    std::string line = d.question ? "[question] " : "[alert] ";
    line += ChatLineText(d.caption);
    const std::string text = ChatLineText(d.text);
    if (!text.empty()) line += ": " + text;
    if (nobodyAnswers_) line += d.question ? "  (no input: refused)" : "";
    else line += d.question ? "  (/yes or /no)" : "  (/yes to confirm)";
    if (!reminder && open_.size() > 1) line += "  [" + std::to_string(open_.size() - 1) + " more waiting]";
    console_.Line(line, d.question ? LineStyle::Notice : LineStyle::Alert);
}

void ConsoleDialogs::ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) {
    if (nobodyAnswers_) {
        Print({false, caption, text, nullptr, nullptr}, false);
        return;
    }
    open_.push_back({false, caption, text, std::move(onRead), nullptr});
    Print(open_.back(), false);
}

void ConsoleDialogs::AskQuestion(const std::string& caption, const std::string& text,
                                 std::function<void(bool)> onAnswer) {
    if (nobodyAnswers_) {
        Print({true, caption, text, nullptr, nullptr}, false);
        // After the handler that asked has finished, as a click would come.
        if (onAnswer) QTimer::singleShot(0, [answer = std::move(onAnswer)] { answer(false); });
        return;
    }
    open_.push_back({true, caption, text, nullptr, std::move(onAnswer)});
    Print(open_.back(), false);
}

void ConsoleDialogs::ShowUserInfo(const std::string& caption,
                                  const std::vector<std::pair<std::string, std::string>>& lines) {
    console_.Line("[info] " + ChatLineText(caption), LineStyle::Notice);
    // The values are the peer's own words, plain text: nothing in them is markup.
    for (const auto& [label, value] : lines) {
        const std::string shownLabel = PlainText(label);
        const std::string shownValue = PlainText(value);
        console_.Line("  " + (shownLabel.empty() ? shownValue : shownLabel + ": " + shownValue));
    }
}

bool ConsoleDialogs::Answer(bool yes) {
    if (open_.empty()) return false;
    // Taken out first: the answer may open the next dialog.
    Dialog d = std::move(open_.front());
    open_.pop_front();
    if (d.question) {
        if (d.onAnswer) d.onAnswer(yes);
    } else if (d.onRead) {
        d.onRead();
    }
    if (!open_.empty()) Print(open_.front(), true);
    return true;
}

}  // namespace zc
