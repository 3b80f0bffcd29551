#include "cli/console_dialogs.h"

#include <QTimer>
#include <algorithm>

#include "cli/chat_line_text.h"
#include "cli/console.h"

namespace zc {

void ConsoleDialogs::Print(const Dialog& d, bool reminder) {
    std::string line = d.question ? "[question] " : "[alert] ";
    line += ChatLineText(d.caption);
    const std::string text = ChatLineText(d.text);
    if (!text.empty()) line += ": " + text;
    const std::string n = d.number ? " " + std::to_string(d.number) : "";
    if (nobodyAnswers_) line += d.question ? "  (no input: refused)" : "";
    else line += d.question ? "  (/yes" + n + " or /no" + n + ")" : "  (/yes" + n + " to confirm)";
    if (!reminder && open_.size() > 1) line += "  [" + std::to_string(open_.size() - 1) + " more waiting]";
    console_.Line(line, d.question ? LineStyle::Notice : LineStyle::Alert);
}

void ConsoleDialogs::ShowNumberedAlert(int number, const std::string& caption, const std::string& text,
                                       std::function<void()> onRead) {
    if (nobodyAnswers_) {
        Print({number, false, caption, text, nullptr, nullptr}, false);
        return;
    }
    open_.push_back({number, false, caption, text, std::move(onRead), nullptr});
    Print(open_.back(), false);
}

void ConsoleDialogs::AskNumbered(int number, const std::string& caption, const std::string& text,
                                 std::function<void(bool)> onAnswer) {
    if (nobodyAnswers_) {
        Print({number, true, caption, text, nullptr, nullptr}, false);
        // After the handler that asked has finished, as a click would come.
        if (onAnswer) QTimer::singleShot(0, [answer = std::move(onAnswer)] { answer(false); });
        return;
    }
    open_.push_back({number, true, caption, text, nullptr, std::move(onAnswer)});
    Print(open_.back(), false);
}

void ConsoleDialogs::Withdraw(int number) {
    auto it = std::find_if(open_.begin(), open_.end(), [number](const Dialog& d) { return d.number == number; });
    if (it == open_.end()) return;
    console_.Note("closed unanswered, too many open: " + ChatLineText(it->caption));
    open_.erase(it);
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

bool ConsoleDialogs::Answer(bool yes, int number) {
    auto it = number == 0 ? (open_.empty() ? open_.end() : std::prev(open_.end()))
                          : std::find_if(open_.begin(), open_.end(), [number](const Dialog& d) { return d.number == number; });
    if (it == open_.end()) return false;
    // Taken out first: the answer may open or close other dialogs.
    Dialog d = std::move(*it);
    open_.erase(it);
    if (d.question) {
        if (d.onAnswer) d.onAnswer(yes);
    } else if (d.onRead) {
        d.onRead();
    }
    if (!open_.empty()) Print(open_.back(), true);
    return true;
}

bool ConsoleDialogs::List() {
    for (const Dialog& d : open_) Print(d, true);
    return !open_.empty();
}

}  // namespace zc
