#pragma once
#include <string>

#include "platform/html_view.h"

namespace zc {

class CChatMainDlg;

enum class ViewEventKind { Click, DoubleClick, MouseDown, MouseMove, ContextMenu };

// One element event as a page reports it.
struct ViewEvent {
    ViewEventKind kind = ViewEventKind::Click;
    std::string className;
    std::string id;
    std::string innerText;
    std::string parentClass;
    std::string outerHtml;
    std::string title;
    bool leftButtonDown = false;
};

// What a view asks of the window after an event that the core does not finish itself.
enum class ViewAction { None, Handled, OwnMenu, UserMenu, GroupMenu, DragWindow, HideSmiles, InsertSmile,
                        PickBoardCategory, DeleteBoardMessage };

// Runs the first row of the event table that matches; picked texts are kept by the caller.
struct ViewEventResult {
    ViewAction action = ViewAction::None;
    std::string picked;  // the name, id or alias the action is about
};
ViewEventResult HandleViewEvent(CChatMainDlg& dlg, ViewRole role, const ViewEvent& event);

// The target of a link or picture taken from an element's outer HTML; empty when none.
std::string LinkTarget(const std::string& outerHtml, const std::string& attribute);

// Puts a user's name and the appeal mark in front of the input text.
void AddressUser(CChatMainDlg& dlg, const std::string& name);

}  // namespace zc
