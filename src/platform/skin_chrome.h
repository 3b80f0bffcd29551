#pragma once
#include <string>

#include "platform/skin_elements.h"

namespace zc {

// The skinned window frame: the desktop window implements it. Positions are worked out
// at whatever size the window has; paths are relative to the program folder.
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
    // One button; a click on it sends button.command to the chat. An empty path: its picture
    // is missing, and the button shows its name instead.
    virtual void AddButton(const SkinButton& button, const std::string& path) = 0;
    // Everything is known: cut the window's shape and place pictures, buttons and views.
    virtual void FinishLayout() = 0;
};

}  // namespace zc
