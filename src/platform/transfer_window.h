#pragma once
#include <functional>
#include <memory>
#include <string>

namespace zc {

// The small window that shows one transfer: title, file name, progress bar, "n / mKB", the rate
// and the time left, and a cancel button. Texts are windows-1251.
class TransferWindow {
public:
    virtual ~TransferWindow() = default;
    virtual void SetTexts(const std::string& title, const std::string& fileName, const std::string& cancel) = 0;
    virtual void SetRange(int maxKb) = 0;
    virtual void SetPosition(int kb) = 0;
    virtual void SetProgressText(const std::string& text) = 0;
    // Rate and time left, or a waiting text before the connection.
    virtual void SetRateText(const std::string& text) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

class TransferWindowFactory {
public:
    virtual ~TransferWindowFactory() = default;
    // onCancel runs on the UI thread when the user cancels.
    virtual std::unique_ptr<TransferWindow> Create(std::function<void()> onCancel) = 0;
};

}  // namespace zc
