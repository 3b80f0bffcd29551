#pragma once
#include <string>

#include "platform/main_window_host.h"
#include "platform/shell.h"
#include "platform/tray.h"

namespace zc {

class Console;

// The main window of a chat that has none: the rectangle is kept so a shared program folder
// keeps the desktop window's place; ending the dialog leaves the event loop.
class HeadlessWindow : public MainWindowHost {
public:
    void SetTitle(const std::string& title) override { title_ = title; }
    std::string Title() const override { return title_; }
    void HideWindow() override {}
    void ShowNormal() override {}
    void MinimizeWindow() override {}
    void BringToFront() override {}
    bool IsWindowVisible() const override { return false; }
    void MoveWindow(int left, int top, int width, int height) override;
    WindowRect ScreenRect() const override { return rect_; }
    void FocusInput() override {}
    void EndDialog() override;

private:
    std::string title_;
    WindowRect rect_;
};

class NoTrayIcon : public TrayIcon {
public:
    bool Create(const std::string&) override { return false; }
    void Remove() override {}
    bool IsAvailable() const override { return false; }
};

// No sounds on a terminal; documents are named so the user can open them.
class ConsoleShell : public ShellService {
public:
    explicit ConsoleShell(Console& console) : console_(console) {}
    void PlaySound(const std::string&) override {}
    bool OpenDocument(const std::string& pathOrUrl) override;

private:
    Console& console_;
};

}  // namespace zc
