#pragma once
#include <string>

#include "platform/view_event.h"

namespace zc {

// What a page event leaves for the window to do once the chat has done its part.
enum class WindowAction { None, OwnMenu, UserMenu, GroupMenu, CopyMenu, DragWindow };

struct WindowRequest {
    WindowAction action = WindowAction::None;
    std::string picked;  // the name or id the menu is about
};

}  // namespace zc
