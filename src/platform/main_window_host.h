#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/html_view.h"

namespace zc {

struct WindowRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What the chat asks of the window that hosts it.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual std::string Title() const = 0;
    virtual void HideWindow() = 0;
    virtual void ShowNormal() = 0;
    virtual void MinimizeWindow() = 0;
    virtual void BringToFront() = 0;
    virtual bool IsWindowVisible() const = 0;
    // Shown and the window the user works in.
    virtual bool IsForeground() const { return IsWindowVisible(); }
    // The window's identity on the desktop (an X11 window id); 0 when it has none.
    virtual std::uint64_t NativeId() const { return 0; }
    virtual void MoveWindow(int left, int top, int width, int height) = 0;
    virtual WindowRect ScreenRect() const = 0;
    virtual void FocusInput() = 0;
    // The message input box; positions count bytes of the text as InputText gives it.
    virtual std::string InputText() const { return {}; }
    virtual void SetInputText(const std::string& /*text*/) {}
    // The text with the caret placed at that position.
    virtual void SetInputTextAt(const std::string& text, size_t /*caret*/) { SetInputText(text); }
    virtual size_t InputCaret() const { return InputText().size(); }
    // The selected part as [start, end); start == end when nothing is selected.
    virtual std::pair<size_t, size_t> InputSelection() const { return {0, 0}; }
    // A page shown in a window of its own (the smiles), placed in screen coordinates.
    virtual void PlaceToolWindow(ViewRole /*role*/, const WindowRect& /*rect*/) {}
    virtual int ScreenRight() const { return 1024; }
    // The chat is over: the host runs ExitMain and leaves its event loop.
    virtual void EndDialog() = 0;
};

}  // namespace zc
