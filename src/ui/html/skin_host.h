#pragma once
#include <string>

#include "platform/skin_chrome.h"

namespace zc {

struct SkinStyles;

// What the chat itself does while a theme is applied: its views and pages.
class SkinPages {
public:
    virtual ~SkinPages() = default;
    // Destroys and recreates the chat text view and the user list view.
    virtual void RecreateMainViews() = 0;
    virtual void PrepareSmilesList(const SkinStyles& styles) = 0;
    // The main chat page with its greeting.
    virtual void PrepareMainText(const SkinStyles& styles) = 0;
    // The user list shell.
    virtual void PrepareUserList(const SkinStyles& styles) = 0;
    // Takes the window rectangle of main.ini, no smaller than the skin, and arms timer 1.
    virtual void StartLayoutTimer(const SkinMainElements& main) = 0;
    // Page mode 0.
    virtual void ShowMainPage() = 0;
};

}  // namespace zc
