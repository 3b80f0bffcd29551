#include "app/chat_main_dlg.h"

#include <algorithm>

#include "app/file_trans.h"
#include "net/dispatch.h"
#include "net/held_lines.h"
#include "net/transfer_requests.h"
#include "net/waiting_delivery.h"
#include "services/plugin_host.h"
#include "platform/clock.h"
#include "platform/main_window_host.h"
#include "platform/network_watch.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "platform/tray.h"
#include "ui/html/keyboard_layout.h"
#include "ui/html/user_list_page.h"

namespace zc {

CChatMainDlg::CChatMainDlg(Platform platform, std::string programDir)
    : p_(platform), programDir_(std::move(programDir)), log_(platform.clock, ""), history_(platform.clock) {
    p_.timers.SetHandler([this](int id) { OnTimer(id); });
    watchingNetwork_ = p_.networkWatch && p_.networkWatch->SetHandler([this] { OnNetworkChanged(); });
}

CChatMainDlg::~CChatMainDlg() {
    // A transfer still moving bytes is stopped and waited for before anything it reports to goes.
    transfer_.reset();
    plugins_.reset();
    p_.timers.SetHandler(nullptr);
    if (p_.networkWatch) p_.networkWatch->SetHandler(nullptr);
}

SystemNames CChatMainDlg::Names() const {
    return {SystemNameOrFallback(p_.system.UserName()), SystemNameOrFallback(p_.system.ComputerName())};
}

void CChatMainDlg::SetIdentity(const std::string& ip, const std::string& id) {
    ownIp_ = ip;
    ownId_ = id;
    senders_.owners.SetOwner(id, ip, NowSeconds());
}

void CChatMainDlg::EndDialog() {
    if (ended_) return;
    ended_ = true;
    p_.window.EndDialog();
}

const Clock& CChatMainDlg::ChatClock() const { return p_.clock; }

void CChatMainDlg::OnTimer(int id) {
    switch (id) {
        case kLayoutTimer: LayoutTimer(); break;
        case kPresenceTimer:
            p_.timers.KillTimer(id);
            SendPacket(CMD_WHO, user_.nickname, kEveryone);
            break;
        case kStartupTimer: StartupTimer(); break;
        case kRefreshTimer: RefreshPresence(); break;
        case kUserListTimer:
            p_.timers.KillTimer(id);
            RebuildUserList();
            break;
        case kGroupSendTimer: SendNextGroupPacket(); break;
        case kPluginRequestTimer: RunBubbleRequests(); break;
        case kOptionsPollTimer:
            p_.timers.KillTimer(id);
            ApplyOptionsChange();
            break;
        case kTrayFlashTimer: trayFlasher_.OnTick(); break;
        case kBoardPageTimer: OnBoardPageTimer(); break;
        case kIdentityTimer:
            p_.timers.KillTimer(id);
            SettleIdentityClaims(*this);
            break;
        case kWaitingTimer:
            p_.timers.KillTimer(id);
            SettleWaiting(*this);
            break;
        case kPacingTimer:
            p_.timers.KillTimer(id);
            ReportHeldLines(*this);
            break;
        case kTransferWaitTimer:
            if (transfer_) transfer_->OnWaitTimer();
            else p_.timers.KillTimer(id);
            break;
        case kTransferLineTimer:
            p_.timers.KillTimer(id);
            ShowHeldTransferLine();
            break;
        case kSmilesHideTimer:
            p_.timers.KillTimer(id);
            if (smilesLife_.DestroyTimerExpired()) smilesView_.reset();
            break;
        case kFocusInputTimer:
            p_.window.FocusInput();
            p_.timers.KillTimer(id);
            break;
        default:
            // Timers of features that are not built in yet must not keep firing.
            p_.timers.KillTimer(id);
            break;
    }
}

void CChatMainDlg::LayoutTimer() {
    p_.timers.KillTimer(kLayoutTimer);
    p_.window.HideWindow();
    int width = windowParams_.right - windowParams_.left;
    int height = windowParams_.bottom - windowParams_.top;
    // A stored rectangle turned inside out would give a window nobody can see.
    width = std::max(width, std::max(skinMinWidth_, 200));
    height = std::max(height, std::max(skinMinHeight_, 150));
    p_.window.MoveWindow(windowParams_.left, windowParams_.top, width, height);
    p_.window.ShowNormal();
    laidOut_ = true;
}

void CChatMainDlg::StartupTimer() {
    p_.timers.KillTimer(kStartupTimer);
    if (!watchingNetwork_) log_.Write(":::Network changes are noticed at the refresh only");
    RefreshPresence();
    SendPacket(CMD_ENTER, ModeBody(), kEveryone);
    SendPacket(CMD_WHO, user_.nickname, kEveryone);
    RebuildUserList();
}

bool CChatMainDlg::OnKeyDown(int key) {
    const HotKeyTable& k = global_.hotKeys;
    if (key == k.mode1) SetChatMode(1);
    else if (key == k.mode2) SetChatMode(2);
    else if (key == k.mode3) SetChatMode(3);
    else if (key == k.mode4) SetChatMode(4);
    else if (key == k.refreshList) RefreshPresence();
    else if (key == k.openSmilesList) ToggleSmiles();
    else if (key == k.translate) TranslateInput();
    else if (key == k.options) OpenOptions();
    else if (key == 27) HideToTray();
    else return false;
    return true;
}

void CChatMainDlg::HideToTray() {
    // The smiles window belongs to the chat: it does not stay behind on the desktop.
    if (smilesLife_.Visible()) HideSmiles();
    if (p_.tray.IsAvailable()) {
        p_.window.HideWindow();
        user_.hidden = true;
        AnnounceActivity();
    } else {
        // Without a notification area a hidden window could never come back.
        p_.window.MinimizeWindow();
    }
}

void CChatMainDlg::NoteDropBesideNames() {
    ShowLine(ChatLineKind::Notify, "", LineText::Plain(language_.Extra(ExtraText::DropOntoName)), ChatPage::Main);
}

void CChatMainDlg::ShowFromTray() {
    const bool wasHidden = user_.hidden;
    user_.hidden = false;
    if (wasHidden) AnnounceActivity();
    p_.window.ShowNormal();
    p_.window.BringToFront();
    p_.timers.SetTimer(kFocusInputTimer, 200);
    ClearUnread(user_.pageMode);
}

void CChatMainDlg::ActivateFromOtherCopy() { ShowFromTray(); }

void CChatMainDlg::SetChatMode(int mode) {
    if (mode < 1 || mode > 4) mode = 1;
    if (mode == user_.mode) return;
    user_.mode = mode;
    WriteMode(user_.ProfilePath(), mode);
    roster_.SetMode(ownId_, mode, user_.CurrentMode().text, user_.avatarFile);
    RebuildUserList();
    if (!FloodGuardAllows()) return;
    SendPacket(CMD_CHANGEMODE, ModeBody(), kEveryone);
    ShowLine(ChatLineKind::ChangeMode, "",
             LineText::Named(language_.LangString(92) + " ", user_.nickname, " " + user_.CurrentMode().text),
             ChatPage::Main);
}

void CChatMainDlg::RebuildUserList() {
    ++userListRebuilds_;
    if (userListView_)
        RefreshUserList(userListView_.get(), {roster_, user_, ownId_, programDir_, language_.LangString(69)});
    // The list shows only what the avatars folder holds; a missing picture is asked for.
    if (transports_.IsActive()) AskForAMissingAvatar(*this, "");
}

std::string CChatMainDlg::ModeBody() const { return std::to_string(user_.mode) + ":" + user_.CurrentMode().text; }

}  // namespace zc
