// The chat's side of applying a skin theme: its views and pages.
#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "platform/main_window_host.h"
#include "platform/timers.h"
#include "platform/window_commands.h"
#include "services/plugin_host.h"
#include "ui/html/skin_theme.h"
#include "ui/html/smiles_page.h"
#include "ui/html/user_list_page.h"

namespace zc {

namespace {
// Where there is no skinned window (terminal client, tests) the theme still gives the pages.
class NoChrome : public SkinChrome {
public:
    explicit NoChrome(const DebugLog& log) : log_(log) {}
    void RemoveSkinElements() override {}
    void ShowSkinError(const std::string& text) override { log_.Write(":::" + text); }
    void SetMainElements(const SkinMainElements&) override {}
    void AddPicture(const SkinPicture&, const std::string&) override {}
    void AddButton(const SkinButton&, const std::string&) override {}
    void FinishLayout() override {}

private:
    const DebugLog& log_;
};
}  // namespace

bool CChatMainDlg::ApplyTheme() {
    NoChrome none(log_);
    SkinChrome& chrome = p_.skin ? *p_.skin : static_cast<SkinChrome&>(none);
    const SkinThemeResult result = ApplySkinTheme(user_.ProfilePath(), global_.noSmilesStartup, *this, chrome, log_);
    styles_ = result.styles;
    return result.Ok();
}

void CChatMainDlg::ChangeSkin() {
    const SkinStyles wanted = ReadSkinStyles(user_.ProfilePath());
    if (SkinThemeUsable(wanted.theme)) {
        ApplyTheme();
        return;
    }
    // Taking the window apart for a theme that cannot be read would leave it without frame or
    // buttons; the profile goes back to the theme shown, so the next start finds it too.
    log_.Write(":::Skin theme " + wanted.theme + " cannot be read, " + styles_.theme + " kept");
    WriteIniValue(user_.ProfilePath(), "GLOBAL", "SKINSTHEME", styles_.theme);
    WriteIniValue(user_.ProfilePath(), "GLOBAL", "SKINSTYLETEXT", styles_.textStyle);
    ShowAlertNotice("The skin theme \"" + wanted.theme + "\" cannot be used: " + SkinConfigPath(wanted.theme) +
                    " is missing or gives no window size. The chat keeps the theme \"" + styles_.theme + "\".");
}

void CChatMainDlg::RecreateMainViews() {
    if (chat_) chat_->DestroyViews();
    else
        chat_ = std::make_unique<ChatDocument>(
            ChatDocumentContext{p_.clock, log_, user_, language_, programDir_, version_, "def", "text.css"}, p_.views,
            &p_.window);
    chat_->SetLineListener(lineListener_);
    chat_->SetSmileSubstitution(
        [this](const std::string& text) { return SmileSubstitution(smiles_, text, programDir_); });
    userListView_ = p_.views.CreateView(ViewRole::UserList);
    boardCategory_.clear();
    boardView_ = p_.views.CreateView(ViewRole::Board);
    if (boardView_) boardView_->SetVisible(false);
}

void CChatMainDlg::PrepareSmilesList(const SkinStyles& s) {
    smilesLife_.SetKeepWindow(true);
    smilesView_ = p_.views.CreateView(ViewRole::Smiles);
    if (smilesView_) {
        smilesView_->SetVisible(false);
        SetSmilesList(smilesView_.get(), SmilesPage(smiles_, programDir_, s.theme, SmilesStyleSheet(s)), log_);
        smilesLife_.Prepared();
    }
}

void CChatMainDlg::ToggleSmiles() { CarryOut(smilesLife_.Toggle()); }

void CChatMainDlg::HideSmiles() { CarryOut(smilesLife_.Hide()); }

void CChatMainDlg::CarryOut(const SmilesWindowLife::Steps& s) {
    if (s.cancelDestroyTimer) p_.timers.KillTimer(kSmilesHideTimer);
    if (s.hide && smilesView_) smilesView_->SetVisible(false);
    if (s.destroy) smilesView_.reset();
    if (s.create) {
        smilesView_ = p_.views.CreateView(ViewRole::Smiles);
        if (smilesView_)
            SetSmilesList(smilesView_.get(), SmilesPage(smiles_, programDir_, styles_.theme, SmilesStyleSheet(styles_)),
                          log_);
    }
    if (s.show && smilesView_) {
        p_.window.PlaceToolWindow(ViewRole::Smiles, SmilesWindowRect(p_.window.ScreenRect(), p_.window.ScreenRight()));
        smilesView_->SetVisible(true);
    }
    if (s.armDestroyTimer) p_.timers.SetTimer(kSmilesHideTimer, kSmilesDestroyDelayMs);
    if (s.hide) {
        p_.window.FocusInput();
        p_.timers.SetTimer(kFocusInputTimer, kSmilesRefocusDelayMs);
    }
}

void CChatMainDlg::InsertSmile(const std::string& alias) {
    const InputEdit edit = InsertSmileAlias(p_.window.InputText(), p_.window.InputCaret(), alias);
    p_.window.SetInputTextAt(edit.text, edit.caret);
    p_.timers.SetTimer(kFocusInputTimer, kSmilesRefocusDelayMs);
}

void CChatMainDlg::PrepareMainText(const SkinStyles& s) {
    chat_->SetTheme(s.theme, s.textStyle);
    chat_->CreateViews();
    ShowEarlierLines();
}

void CChatMainDlg::PrepareUserList(const SkinStyles& s) {
    if (userListView_) zc::PrepareUserList(userListView_.get(), programDir_, s.theme, s.listStyle);
}

void CChatMainDlg::StartLayoutTimer(const SkinMainElements& m) {
    skinMinWidth_ = m.width;
    skinMinHeight_ = m.height;
    windowParams_ = RaiseToSkinMinimum(ReadWindowParams(), m);
    p_.timers.SetTimer(kLayoutTimer, 50);
}

void CChatMainDlg::ShowMainPage() { ShowPage(PageMode::Main); }

void CChatMainDlg::ShowPage(PageMode mode) {
    if (!chat_) return;
    user_.pageMode = mode;
    if (mode == PageMode::Conference && !chat_->SecondPagePrepared() && chat_->SecondTextView())
        chat_->PrepareText(chat_->SecondTextView(), false);
    if (HtmlView* v = chat_->ChatTextView()) v->SetVisible(mode == PageMode::Main);
    if (HtmlView* v = chat_->SecondTextView()) v->SetVisible(mode == PageMode::Conference);
    if (mode == PageMode::Board) ShowBoardPage();
    if (boardView_) boardView_->SetVisible(mode == PageMode::Board);
    // The conference page lists its members, the others the groups.
    RebuildUserList();
    if (p_.window.IsWindowVisible() && !user_.hidden) ClearUnread(mode);
}

void CChatMainDlg::OnCommand(int command) {
    switch (command) {
        case ID_CLOSE: HideToTray(); break;
        case ID_MINIMIZE: p_.window.MinimizeWindow(); break;
        case ID_SHOW_MAIN: ShowPage(PageMode::Main); break;
        case ID_SHOW_BOARD: ShowPage(PageMode::Board); break;
        case ID_SHOW_CONFERENCE: ShowPage(PageMode::Conference); break;
        case ID_REFRESH: RefreshPresence(); break;
        case ID_CLEARCHAT:
            if (chat_) chat_->ClearPage();
            break;
        case ID_SMILES: ToggleSmiles(); break;
        case ID_HISTORY_MAIN: OpenHistory(true); break;
        case ID_HISTORY_PRIVATE: OpenHistory(false); break;
        case ID_SOUNDTRIGGER: user_.soundOn = ToggleSoundOn(user_.ProfilePath()); break;
        case ID_SHOW_OWN_INFO: ShowOwnInfo(); break;
        case ID_OPTIONS: OpenOptions(); break;
        default:
            // The plug-ins' menu items (the host knows their ranges, ends included); menus,
            // options and smiles are the window's.
            if (plugins_) plugins_->OnCommand(command, user_.nickname);
            break;
    }
}

}  // namespace zc
