#pragma once
#include <string>
#include <vector>

#include "platform/skin_chrome.h"

class QWidget;

namespace zc {

// The window's skin chrome, except that a skin error is kept for the notice the program
// gives when it ends, instead of a message box that waits for a user who may not be there.
class NoticeSkinChrome : public SkinChrome {
public:
    explicit NoticeSkinChrome(SkinChrome& window) : window_(window) {}
    void RemoveSkinElements() override { window_.RemoveSkinElements(); }
    void ShowSkinError(const std::string& text) override { errors_.push_back(text); }
    void SetMainElements(const SkinMainElements& main) override { window_.SetMainElements(main); }
    void AddPicture(const SkinPicture& picture, const std::string& path) override { window_.AddPicture(picture, path); }
    void AddButton(const SkinButton& button, const std::string& path) override { window_.AddButton(button, path); }
    void FinishLayout() override { window_.FinishLayout(); }
    // The errors (windows-1251) not yet told, oldest first; telling forgets them.
    std::vector<std::string> TakeErrors();

private:
    SkinChrome& window_;
    std::vector<std::string> errors_;
};

// Seconds a notice stays on the screen when nobody closes it.
inline constexpr int kNoticeSeconds = 10;

// Tells the user: every text on standard error, and all of them in one message box that
// closes by itself. With wait the call returns when the box is gone; otherwise at once.
void TellUser(const std::vector<std::string>& utf8Texts, bool fatal, bool wait, QWidget* parent);

}  // namespace zc
