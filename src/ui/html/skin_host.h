#pragma once
#include <string>

#include "ui/html/skin_layout.h"

namespace zc {

struct SkinStyles;

// The skinned window frame: the desktop window implements it. Positions come from
// skin_geometry.h at whatever size the window has; paths are relative to the program folder.
class SkinChrome {
public:
    virtual ~SkinChrome() = default;
    // Forgets the pictures and buttons of the theme shown so far.
    virtual void RemoveSkinElements() = 0;
    // A reading of skin.cfg failed; the program ends right after.
    virtual void ShowSkinError(const std::string& text) = 0;
    // Smallest size, view rectangles and the colours of the input box, menus and alerts.
    virtual void SetMainElements(const SkinMainElements& main) = 0;
    // One picture, in drawing order; its file exists.
    virtual void AddPicture(const SkinPicture& picture, const std::string& path) = 0;
    // One button; a click on it sends button.command to the chat.
    virtual void AddButton(const SkinButton& button, const std::string& path) = 0;
    // Everything is known: cut the window's shape and place pictures, buttons and views.
    virtual void FinishLayout() = 0;
};

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
