// Orderly end of the chat, the profile switch and the restart.
#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "platform/dialogs.h"
#include "platform/main_window_host.h"
#include "platform/process_starter.h"
#include "platform/single_instance.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "platform/tray.h"
#include "platform/window_commands.h"

namespace zc {

void CChatMainDlg::ExitMain() {
    if (exited_) return;
    exited_ = true;
    p_.tray.Remove();
    if (!user_.nickname.empty()) SendPacket(CMD_EXIT, user_.nickname, kEveryone);
    if (p_.instance.IsHeld()) p_.instance.Release();
    p_.system.ReleaseIdentities();
    log_.Write(":::ExitMain:::");
    if (!waiting_.SaveIfChanged()) log_.Write(":::The waiting messages' file could not be written");
    // A window that was never laid out has no rectangle worth keeping.
    if (laidOut_) {
        WindowRect r = p_.window.ScreenRect();
        WriteWindowParams({r.top, r.left, r.bottom, r.right});
    }
    p_.tray.Remove();
    // The program may still run an event loop for its last notice: no timer of ours may fire
    // in it, and no window the user could click may reach a chat that has ended.
    for (int id = kLayoutTimer; id <= kLastTimer; ++id) p_.timers.KillTimer(id);
    trayFlasher_.StopFlashing();
    groupQueue_.clear();
    while (!peerWindows_.All().empty()) {
        const int number = peerWindows_.All().front().number;
        peerWindows_.Take(number);
        if (p_.dialogs) p_.dialogs->Withdraw(number);
    }
    transfer_.reset();
    if (p_.dialogs) p_.dialogs->CloseAll();
    p_.window.HideWindow();
    UnloadPlugins();
    transports_.Clear();
    if (chat_) chat_->DestroyViews();
    userListView_.reset();
    smilesView_.reset();
    smilesLife_.Gone();
    user_ = LocalUser{};
}

bool CChatMainDlg::RestartSelf() {
    const std::string program = p_.system.ExecutablePath();
    if (program.empty()) return false;
    return p_.processes.StartDetached(program, {"--root", programDir_}, programDir_);
}

void CChatMainDlg::SwitchProfile(int command) {
    const int index = command - kProfileCommandBase;
    if (index < 0 || command > kProfileCommandLast || static_cast<size_t>(index) >= profiles_.size()) return;
    const std::string& profile = profiles_[static_cast<size_t>(index)];
    const std::string previous = ReadIniValue(settingsPath_, "GLOBAL", "PROFILE");
    WriteProfileName(profile, settingsPath_);
    if (!RestartSelf()) {
        // Ending now would leave the user with no chat at all.
        WriteProfileName(previous, settingsPath_);
        log_.Write(":::Restart with profile " + profile + " FAILED");
        ShowAlertNotice("The chat could not start again with the profile \"" + profile +
                        "\"; it goes on with the profile it has.");
        return;
    }
    EndDialog();
}

}  // namespace zc
