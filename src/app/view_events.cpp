#include "app/view_events.h"

#include "app/chat_main_dlg.h"
#include "app/link_policy.h"
#include "base/ini_file.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "platform/main_window_host.h"
#include "platform/shell.h"
#include "ui/html/keyboard_layout.h"

namespace zc {

void CChatMainDlg::AddressUser(const std::string& picked) {
    const std::string name = RemoveChars(picked, "<>");
    if (name.empty()) return;
    std::string appeal = ReadIniValue(user_.ProfilePath(), "OVERRIDE", name + "_APPEAL");
    appeal = appeal.size() >= 4 ? MessageTextSanitizer(appeal, true, global_.showImages) : global_.appeal;
    p_.window.SetInputText(name + appeal + " " + p_.window.InputText());
    p_.window.FocusInput();
}

// The key and the menu item alike: a selection alone is retyped, else the whole text.
void CChatMainDlg::TranslateInput() {
    const std::string text = p_.window.InputText();
    const auto [start, end] = p_.window.InputSelection();
    if (start < end && end <= text.size())
        p_.window.SetInputTextAt(TranslateKeyboardLayout(text, start, end), end);
    else
        p_.window.SetInputText(TranslateKeyboardLayout(text));
}

void CChatMainDlg::OpenLink(const std::string& target) {
    if (target.size() <= 5 || !p_.shell) return;
    const std::string open = LinkToOpen(target);
    if (!open.empty()) p_.shell->OpenDocument(open);
}

// Reply forms put in front of the input, as the compose keywords expect them.
void CChatMainDlg::ReplyTo(const char* keyword, const std::string& name) {
    const std::string clean = RemoveChars(name, "<>");
    if (clean.empty()) return;
    ComposeTo(roster_.IdOfName(clean), clean, std::string(keyword) == "ALERT");
}

namespace {
std::string IdOrText(const ViewEvent& e) { return e.id.empty() ? e.innerText : e.id; }
}  // namespace

// The first row of the event table that matches decides.
WindowRequest CChatMainDlg::OnViewEvent(ViewRole role, const ViewEvent& e) {
    const std::string& c = e.className;
    using K = ViewEventKind;
    const bool click = e.kind == K::Click, dbl = e.kind == K::DoubleClick, menu = e.kind == K::ContextMenu;
    // The second click of a double click belongs to the double click that follows it.
    if (click && e.clickCount > 1) return {};
    if (c == "urllink" && click) {
        OpenLink(e.href);
        return {};
    }
    // On a picture or a name the first click already did what the double click would; the
    // second press took the focus from the input box the first click gave it.
    if (dbl && (c == "image" || c == "username" || c == "usernameover")) {
        if (c != "image") p_.window.FocusInput();
        return {};
    }
    if (c == "image" && click) {
        OpenLink(e.src);
        return {};
    }
    if ((c == "username" || c == "usernameover") && click) {
        if (e.parentClass == "private") ReplyTo("MSG", e.innerText);
        else if (e.parentClass == "alert") ReplyTo("ALERT", e.innerText);
        else AddressUser(e.innerText);
        return {};
    }
    if ((c == "smilesalias" && click) || (c == "smiles" && e.kind == K::MouseDown)) {
        if (!e.title.empty()) InsertSmile(e.title);
        return {};
    }
    if (c == "myimage" && menu) return {WindowAction::OwnMenu, e.id};
    if (c == "myname" && menu) return {WindowAction::OwnMenu, e.innerText};
    if (c == "username" && menu) {
        if (role != ViewRole::UserList) return {};
        return {WindowAction::UserMenu, IdOrText(e)};
    }
    if (c == "userimage" && menu) return {WindowAction::UserMenu, IdOrText(e)};
    if (c == "groupname" && menu) {
        const int group = roster_.GroupIndex(e.innerText);
        if (group == kNoGroup) return {};
        return {WindowAction::GroupMenu, roster_.GroupNames()[static_cast<size_t>(group)]};
    }
    if (c == "userimage" && dbl) {
        AddressUser(roster_.NameOf(e.id));
        return {};
    }
    if ((c == "catname" || c == "catnamefocus") && click) {
        OnBoardCategory(e.id);
        return {};
    }
    if (c == "deletemessage" && click) {
        OnBoardDelete(e.id);
        return {};
    }
    if ((c == "category" || c == "smiles") && e.kind == K::MouseMove)
        return {e.leftButtonDown ? WindowAction::DragWindow : WindowAction::None, ""};
    if ((c == "smiles" || c == "category") && menu) {
        HideSmiles();
        return {};
    }
    // A right click on the page itself, not on one of its elements.
    if (menu && c.empty()) return {WindowAction::CopyMenu, ""};
    return {};
}

}  // namespace zc
