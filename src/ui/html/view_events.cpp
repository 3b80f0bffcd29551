#include "ui/html/view_events.h"

#include "app/chat_main_dlg.h"
#include "app/ini_file.h"
#include "app/text_helpers.h"
#include "platform/main_window_host.h"
#include "platform/shell.h"
#include "ui/html/markup.h"

namespace zc {

std::string LinkTarget(const std::string& outerHtml, const std::string& attribute) {
    const std::string open = attribute + "=\"";
    const size_t at = outerHtml.find(open);
    if (at == std::string::npos) return {};
    const size_t start = at + open.size();
    // The value ends at its closing quote; links with a title attribute would otherwise carry it along.
    const size_t end = outerHtml.find('"', start);
    if (end == std::string::npos) return {};
    return outerHtml.substr(start, end - start);
}

void AddressUser(CChatMainDlg& dlg, const std::string& picked) {
    const std::string name = RemoveChars(picked, "<>");
    if (name.empty()) return;
    std::string appeal = ReadIniValue(dlg.User().ProfilePath(), "OVERRIDE", name + "_APPEAL");
    appeal = appeal.size() >= 4 ? MessageTextSanitizer(appeal, true, dlg.Global().showImages) : dlg.Global().appeal;
    MainWindowHost& window = dlg.Services().window;
    window.SetInputText(name + appeal + " " + window.InputText());
    window.FocusInput();
}

namespace {

void Open(CChatMainDlg& dlg, const std::string& target) {
    if (target.size() > 5 && dlg.Services().shell) dlg.Services().shell->OpenDocument(target);
}

std::string IdOrText(const ViewEvent& e) { return e.id.empty() ? e.innerText : e.id; }

// Reply forms put in front of the input, as the compose keywords expect them.
void Reply(CChatMainDlg& dlg, const char* keyword, const std::string& name) {
    const std::string clean = RemoveChars(name, "<>");
    if (clean.empty()) return;
    dlg.Services().window.SetInputText(std::string(keyword) + "->" + clean + ":");
    dlg.Services().window.FocusInput();
}

void NameClick(CChatMainDlg& dlg, const ViewEvent& e) {
    if (e.parentClass == "private") return Reply(dlg, "MSG", e.innerText);
    if (e.parentClass == "alert") return Reply(dlg, "ALERT", e.innerText);
    AddressUser(dlg, e.innerText);
}

}  // namespace

ViewEventResult HandleViewEvent(CChatMainDlg& dlg, ViewRole role, const ViewEvent& e) {
    const std::string& c = e.className;
    using K = ViewEventKind;
    const bool click = e.kind == K::Click, dbl = e.kind == K::DoubleClick, menu = e.kind == K::ContextMenu;
    const ViewEventResult handled{ViewAction::Handled, ""};
    if (c == "urllink" && click) {
        Open(dlg, LinkTarget(e.outerHtml, "href"));
        return handled;
    }
    if (c == "image" && (click || dbl)) {
        Open(dlg, LinkTarget(e.outerHtml, "src"));
        return handled;
    }
    if ((c == "username" || c == "usernameover") && click) {
        NameClick(dlg, e);
        return handled;
    }
    if (c == "smilesalias" && click) return {ViewAction::InsertSmile, e.title};
    if (c == "myimage" && menu) return {ViewAction::OwnMenu, e.id};
    if (c == "myname" && menu) return {ViewAction::OwnMenu, e.innerText};
    if (c == "username" && menu) {
        if (role != ViewRole::UserList) return {};
        return {ViewAction::UserMenu, IdOrText(e)};
    }
    if (c == "userimage" && menu) return {ViewAction::UserMenu, IdOrText(e)};
    if (c == "groupname" && menu) {
        if (dlg.Roster().GroupIndex(e.innerText) == kNoGroup) return {};
        return {ViewAction::GroupMenu, e.innerText};
    }
    if ((c == "userimage" || c == "username") && dbl) {
        const std::string key = c == "userimage" ? e.id : IdOrText(e);
        AddressUser(dlg, dlg.Roster().NameOf(key));
        return handled;
    }
    if ((c == "catname" || c == "catnamefocus") && click) return {ViewAction::PickBoardCategory, e.id};
    if (c == "deletemessage" && click) return {ViewAction::DeleteBoardMessage, e.id};
    if (c == "smiles" && e.kind == K::MouseDown) return {ViewAction::InsertSmile, e.title};
    if ((c == "category" || c == "smiles") && e.kind == K::MouseMove)
        return {e.leftButtonDown ? ViewAction::DragWindow : ViewAction::None, ""};
    if ((c == "smiles" || c == "category") && menu) return {ViewAction::HideSmiles, ""};
    return {};
}

}  // namespace zc
