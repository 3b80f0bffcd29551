#pragma once
#include <cstddef>
#include <string>

#include "platform/main_window_host.h"

namespace zc {

inline constexpr int kSmilesWindowWidth = 200;
inline constexpr int kSmilesDestroyDelayMs = 1000;
inline constexpr int kSmilesRefocusDelayMs = 200;

// Beside the main window: same top and height, 200 pixels wide; against the right screen
// edge (10 pixels off it) when no more than 200 pixels of screen remain to the right.
WindowRect SmilesWindowRect(const WindowRect& mainWindow, int screenRight);

struct InputEdit {
    std::string text;
    size_t caret = 0;
};

// A picked alias goes in at the caret with a blank on each side; the caret ends after it.
InputEdit InsertSmileAlias(const std::string& text, size_t caret, const std::string& alias);

// The smiles window's life. With keepWindow (NOSMILESSTARTUP) the window and its page are made
// once per theme and only shown and hidden; otherwise each opening builds them anew and they are
// destroyed a second after hiding. The window side carries out the steps a command returns; every
// hide also gives the input box the focus at once and again 200 ms later.
class SmilesWindowLife {
public:
    explicit SmilesWindowLife(bool keepWindow) : keep_(keepWindow) {}
    void SetKeepWindow(bool keep) { keep_ = keep; }
    bool KeepWindow() const { return keep_; }

    struct Steps {
        bool hide = false;
        bool destroy = false;            // the existing window, before a new one is made
        bool create = false;             // a new window, with the page written into it
        bool show = false;               // placed with SmilesWindowRect, then shown
        bool armDestroyTimer = false;    // destroy it kSmilesDestroyDelayMs from now
        bool cancelDestroyTimer = false;  // a pending destruction must not hit the new window
    };
    // The toggle command (input box menu, skin button, hot key).
    Steps Toggle();
    Steps Hide();
    // The destroy timer ran; true when the window is to go now.
    bool DestroyTimerExpired();
    // Theme application in keep mode made the window and wrote its page; it stays hidden.
    void Prepared();
    // The window went away with the views (theme change, exit).
    void Gone();

    bool Exists() const { return exists_; }
    bool Visible() const { return visible_; }

private:
    bool keep_;
    bool exists_ = false, visible_ = false, destroyPending_ = false;
};

}  // namespace zc
