#include "cli/terminal_transfer_window.h"

#include <algorithm>

#include "cli/chat_line_text.h"
#include "cli/console.h"

namespace zc {

void TerminalTransferWindow::SetTexts(const std::string& title, const std::string& fileName, const std::string&) {
    title_ = title;
    fileName_ = fileName;
}

void TerminalTransferWindow::SetPosition(int kb) {
    positionKb_ = kb;
    if (rangeKb_ <= 0) return;
    const int tenths = std::clamp(static_cast<int>(static_cast<long long>(kb) * 10 / rangeKb_), 0, 10);
    if (tenths > tenthsShown_) {
        tenthsShown_ = tenths;
        pending_ = true;
    }
}

// The chat sets range, position, progress and rate of one step in that order: the line goes
// out with the rate, so it shows the step's own numbers.
void TerminalTransferWindow::SetRateText(const std::string& text) {
    rate_ = text;
    PrintProgress();
}

void TerminalTransferWindow::PrintProgress() {
    if (!pending_ || !shown_ || hidden_) return;
    pending_ = false;
    const long long percent = rangeKb_ > 0 ? std::min(100LL, static_cast<long long>(positionKb_) * 100 / rangeKb_) : 0;
    std::string line = "[transfer] " + PlainText(fileName_) + " " + std::to_string(percent) + "%: " + PlainText(progress_);
    const std::string rate = PlainText(rate_);
    if (!rate.empty()) line += "  " + rate;
    console_.Line(line, LineStyle::Notice);
}

void TerminalTransferWindow::Show() {
    if (shown_ || hidden_) return;
    shown_ = true;
    std::string line = "[transfer] " + PlainText(title_) + " " + PlainText(fileName_);
    const std::string waiting = PlainText(rate_);
    if (!waiting.empty()) line += "  " + waiting;
    console_.Line(line + "  (/cancel stops it)", LineStyle::Notice);
    PrintProgress();
}

void TerminalTransferWindow::Hide() {
    // The last step may still be waiting for its rate; it is part of the transfer.
    PrintProgress();
    hidden_ = true;
}

std::unique_ptr<TransferWindow> TerminalTransferWindowFactory::Create(std::function<void()>) {
    return std::make_unique<TerminalTransferWindow>(console_);
}

}  // namespace zc
