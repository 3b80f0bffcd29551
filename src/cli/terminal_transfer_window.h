#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/transfer_window.h"

namespace zc {

class Console;

// A transfer on the terminal: one line when it starts, then one line each time another tenth
// of the file has moved, and silence once it is hidden. /cancel stands in for the button.
class TerminalTransferWindow : public TransferWindow {
public:
    explicit TerminalTransferWindow(Console& console) : console_(console) {}

    void SetTexts(const std::string& title, const std::string& fileName, const std::string& cancel) override;
    void SetRange(int maxKb) override { rangeKb_ = maxKb; }
    void SetPosition(int kb) override;
    void SetProgressText(const std::string& text) override { progress_ = text; }
    void SetRateText(const std::string& text) override;
    void Show() override;
    void Hide() override;

private:
    void PrintProgress();

    Console& console_;
    std::string title_, fileName_, progress_, rate_;  // windows-1251
    int rangeKb_ = 0, positionKb_ = 0;
    int tenthsShown_ = 0;
    bool shown_ = false, hidden_ = false, pending_ = false;
};

class TerminalTransferWindowFactory : public TransferWindowFactory {
public:
    explicit TerminalTransferWindowFactory(Console& console) : console_(console) {}
    // The terminal has no button: /cancel asks the chat, which stops its own transfer.
    std::unique_ptr<TransferWindow> Create(std::function<void()> onCancel) override;

private:
    Console& console_;
};

}  // namespace zc
