#include "ui/html/smiles_window.h"

namespace zc {

WindowRect SmilesWindowRect(const WindowRect& mainWindow, int screenRight) {
    WindowRect r;
    r.top = mainWindow.top;
    r.bottom = mainWindow.bottom;
    if (screenRight - mainWindow.right > kSmilesWindowWidth) {
        r.left = mainWindow.right;
    } else {
        r.left = screenRight - 10 - kSmilesWindowWidth;
    }
    r.right = r.left + kSmilesWindowWidth;
    return r;
}

InputEdit InsertSmileAlias(const std::string& text, size_t caret, const std::string& alias) {
    if (caret > text.size()) caret = text.size();
    const std::string inserted = " " + alias + " ";
    InputEdit edit;
    edit.text = text.substr(0, caret) + inserted + text.substr(caret);
    edit.caret = caret + inserted.size();
    return edit;
}

SmilesWindowLife::Steps SmilesWindowLife::Toggle() {
    if (exists_ && visible_) return Hide();
    Steps steps;
    if (!keep_ || !exists_) {
        steps.destroy = exists_;
        steps.create = true;
        steps.cancelDestroyTimer = destroyPending_;
        destroyPending_ = false;
        exists_ = true;
    }
    steps.show = true;
    visible_ = true;
    return steps;
}

SmilesWindowLife::Steps SmilesWindowLife::Hide() {
    Steps steps;
    steps.hide = exists_;
    visible_ = false;
    if (!keep_ && exists_ && !destroyPending_) {
        steps.armDestroyTimer = true;
        destroyPending_ = true;
    }
    return steps;
}

bool SmilesWindowLife::DestroyTimerExpired() {
    const bool due = destroyPending_ && exists_ && !visible_;
    destroyPending_ = false;
    if (due) exists_ = false;
    return due;
}

void SmilesWindowLife::Prepared() {
    exists_ = true;
    visible_ = false;
    destroyPending_ = false;
}

void SmilesWindowLife::Gone() {
    exists_ = visible_ = destroyPending_ = false;
}

}  // namespace zc
