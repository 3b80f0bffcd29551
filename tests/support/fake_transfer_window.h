#pragma once
// Transfer windows that keep what they were told, and a screen with a small fixed picture.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/screen_capture.h"
#include "platform/transfer_window.h"

namespace zc::test {

struct FakeTransferWindowState {
    std::string title, fileName, cancel, progress, rate;
    int range = -1, position = -1;
    bool shown = false, hidden = false;
    std::function<void()> onCancel;
};

class FakeTransferWindows : public TransferWindowFactory {
public:
    std::unique_ptr<TransferWindow> Create(std::function<void()> onCancel) override {
        windows.push_back(std::make_shared<FakeTransferWindowState>());
        windows.back()->onCancel = std::move(onCancel);
        return std::make_unique<Window>(windows.back());
    }
    // Every window made, oldest first; they outlive their owners so tests can look afterwards.
    std::vector<std::shared_ptr<FakeTransferWindowState>> windows;

private:
    struct Window : TransferWindow {
        explicit Window(std::shared_ptr<FakeTransferWindowState> s) : s(std::move(s)) {}
        void SetTexts(const std::string& title, const std::string& fileName, const std::string& cancel) override {
            s->title = title;
            s->fileName = fileName;
            s->cancel = cancel;
        }
        void SetRange(int maxKb) override { s->range = maxKb; }
        void SetPosition(int kb) override { s->position = kb; }
        void SetProgressText(const std::string& text) override { s->progress = text; }
        void SetRateText(const std::string& text) override { s->rate = text; }
        void Show() override { s->shown = true; }
        void Hide() override { s->hidden = true; }
        std::shared_ptr<FakeTransferWindowState> s;
    };
};

class FakeScreen : public ScreenCapture {
public:
    bool Capture(ScreenPicture* picture, std::string* why) override {
        ++captures;
        if (!available) {
            *why = "no screen";
            return false;
        }
        picture->width = 5;
        picture->height = 3;
        picture->rgb.assign(5 * 3 * 3, 0x7f);
        return true;
    }
    bool available = true;
    int captures = 0;
};

}  // namespace zc::test
