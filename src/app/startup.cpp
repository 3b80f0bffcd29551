// Start-up sequence of the main window.
#include <filesystem>

#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "base/registry_keys.h"
#include "base/text_helpers.h"
#include "base/version.h"
#include "base/xdg_autostart.h"
#include "platform/clock.h"
#include "platform/main_window_host.h"
#include "platform/single_instance.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "platform/tray.h"
#include "ui/html/user_list_page.h"

namespace zc {

bool CChatMainDlg::OnInitDialog() {
    // Gives a copy that restarted itself time to finish.
    p_.clock.SleepMs(1000);

    p_.window.HideWindow();
    chat_.reset();
    user_ = LocalUser{};
    global_.appeal = ":";

    version_ = GetVersionText(ProgramFileVersion());
    p_.window.SetTitle(WindowTitle());
    WriteAppRegValue(p_.registry, "System\\", "Exec", p_.system.ExecutablePath());

    log_.Write("\n\n", true);
    log_.Write("**********************\nZelto Chat " + version_ + "\n" +
                   FormatTime("[%d-%m-%Y %H:%M:%S]", p_.clock.LocalTime(p_.clock.Now())) + "\n**********************",
               true);

    if (!CheckSettingsFile()) return false;
    codec_.SetTables(SubstTableA(), SubstTableB());
    if (!ReadParams()) return false;

    log_.Write(":::ReadProfileParams from " + user_.profileFile);
    ReadProfileParams(user_.ProfilePath(), Names(), user_);
    user_.showTime = global_.showTime;
    user_.allowProcessList = global_.allowProcessList;

    log_.Write(":::ReadSmilesAlias...");
    ReadSmilesAlias(smiles_, log_);
    smilesLife_.SetKeepWindow(global_.noSmilesStartup);
    if (!ApplyTheme()) {
        EndDialog();
        return false;
    }

    user_.soundOn = ReadSoundOn(user_.ProfilePath());
    inputHistory_.fill("");
    inputHistoryIndex_ = 9;
    profiles_ = ListProfiles();
    global_.hotKeys = ReadHotKeys(settingsPath_);

    flood_.Reset(15, 5, 15);

    p_.tray.Create(WindowTitle());
    p_.window.HideWindow();
    p_.timers.SetTimer(kStartupTimer, 2000);
    return true;
}

bool CChatMainDlg::CheckSettingsFile() {
    log_.Write(":::Check zeltochat.ini...");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(settingsPath_, ec)) {
        log_.Write(":::Check zeltochat.ini...FAILED");
        EndDialog();
        return false;
    }
    log_.Write(":::Check zeltochat.ini...OK");
    return true;
}

bool CChatMainDlg::ReadParams() {
    log_.Write(":::ReadParams:::");
    if (!SingleInstanceGuard()) return false;
    global_ = ReadGlobalSettings(settingsPath_);
    user_.profileFile = global_.profileName + ".cfg";
    ApplyAutostart();
    if (!ReadLanguage(language_, log_, settingsPath_, global_.showImages)) {
        EndDialog();
        return false;
    }
    InitUsersGroup();
    return true;
}

bool CChatMainDlg::SingleInstanceGuard() {
    const bool allowMany = ReadIniValue(settingsPath_, "GLOBAL", "ALLOWMULTIAPP").size() >= 2;
    if (!allowMany && p_.instance.IsHeldElsewhere(kInstanceMutexName)) {
        // Our own window must not be mistaken for the running copy.
        p_.window.SetTitle("Zelto Chat");
        p_.instance.ActivateHolder(kInstanceMutexName);
        EndDialog();
        return false;
    }
    p_.instance.Acquire(kInstanceMutexName);
    WriteAppRegValue(p_.registry, "Profile\\", "AlertFrom", " ");
    return true;
}

void CChatMainDlg::ApplyAutostart() {
    if (!global_.autostart) {
        p_.autostart.Disable();
        return;
    }
    const std::string exec = ReadAppRegValue(p_.registry, "System\\", "Exec");
    if (exec.size() > 4) p_.autostart.Enable(DesktopExecQuote(exec) + " --root " + DesktopExecQuote(programDir_));
}

}  // namespace zc
