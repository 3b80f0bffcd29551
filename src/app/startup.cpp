// Start-up sequence of the main window.
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
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
#include "ui/html/skin_theme.h"
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
    // Flags an editor left from an earlier run are not this run's changes: applied when this
    // run's first editor closes, they would redo whatever they named.
    if (!ReadIniValue(settingsPath_, "GLOBAL", "RELOAD").empty()) {
        log_.Write(":::Reload flags of an earlier run cleared");
        WriteIniValue(settingsPath_, "GLOBAL", "RELOAD", "");
    }
    codec_.SetTables(SubstTableA(), SubstTableB());
    if (!ReadParams()) return false;

    CheckProfileFile();
    CheckWritableFolders();
    log_.Write(":::ReadProfileParams from " + user_.profileFile);
    ReadProfileParams(user_.ProfilePath(), Names(), user_);
    user_.showTime = global_.showTime;
    user_.allowProcessList = global_.allowProcessList;
    if (!CheckNickname()) return false;
    OpenWaiting();

    log_.Write(":::ReadSmilesAlias...");
    ReadSmilesAlias(smiles_, log_);
    smilesLife_.SetKeepWindow(global_.noSmilesStartup);
    if (!ApplyTheme()) {
        const std::string theme = ReadSkinStyles(user_.ProfilePath()).theme;
        Notice("Cannot start: the skin theme \"" + Cp1251ToUtf8(theme) + "\" has no usable " + programDir_ +
                   Cp1251ToUtf8(SkinConfigPath(theme)) + " (SKINSTHEME in " + programDir_ +
                   Cp1251ToUtf8(user_.ProfilePath()) + ").",
               true);
        EndDialog();
        return false;
    }

    user_.soundOn = ReadSoundOn(user_.ProfilePath());
    inputHistory_.fill("");
    inputHistoryIndex_ = 9;
    profiles_ = ListProfiles();
    global_.hotKeys = ReadHotKeys(settingsPath_);
    LoadPlugins();

    flood_.Reset(15, 5, 15);

    p_.tray.Create(WindowTitle());
    p_.window.HideWindow();
    InitPlugins();
    p_.timers.SetTimer(kStartupTimer, 2000);
    return true;
}

bool CChatMainDlg::CheckSettingsFile() {
    log_.Write(":::Check zeltochat.ini...");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(settingsPath_, ec)) {
        log_.Write(":::Check zeltochat.ini...FAILED");
        Notice("Cannot start: the settings file " + programDir_ + settingsPath_ + " is missing.", true);
        EndDialog();
        return false;
    }
    log_.Write(":::Check zeltochat.ini...OK");
    return true;
}

// A hand-edited name with the separators of our own packets would break every packet we send.
bool CChatMainDlg::CheckNickname() {
    for (const char* separator : {"||", ":", "//"}) {
        if (user_.nickname.find(separator) == std::string::npos) continue;
        Notice("Cannot start: the nickname \"" + Cp1251ToUtf8(user_.nickname) + "\" (CHATNAME in " + programDir_ +
                   Cp1251ToUtf8(user_.ProfilePath()) + ") contains \"" + separator +
                   "\", which the chat's packets use to separate their parts. Choose another name.",
               true);
        EndDialog();
        return false;
    }
    return true;
}

bool CChatMainDlg::ReadParams() {
    log_.Write(":::ReadParams:::");
    if (!SingleInstanceGuard()) return false;
    global_ = ReadGlobalSettings(settingsPath_);
    user_.profileFile = global_.profileName + ".cfg";
    ApplyAutostart();
    if (!ReadLanguage(language_, log_, settingsPath_, global_.showImages)) {
        Notice("Cannot start: no usable language file; " + programDir_ + LanguageTable::FilePath("english") +
                   " is missing or empty.",
               true);
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

void CChatMainDlg::Notice(const std::string& text, bool fatal) { notices_.push_back({text, fatal}); }

bool CChatMainDlg::StartFailed() const {
    for (const StartupNotice& n : notices_)
        if (n.fatal) return true;
    return false;
}

void CChatMainDlg::CheckProfileFile() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(user_.ProfilePath(), ec)) return;
    Notice("The profile \"" + Cp1251ToUtf8(global_.profileName) + "\" has no file " + programDir_ +
               Cp1251ToUtf8(user_.ProfilePath()) + "; the chat runs with the default settings.",
           false);
}

namespace {

// Tries what the program will do there: make the folder and write a file in it.
bool CanWriteIn(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string probe = folder + "/.write-test-" + std::to_string(::getpid());
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fputc('x', f) != EOF;
    const bool closed = std::fclose(f) == 0;
    std::remove(probe.c_str());
    return written && closed;
}

}  // namespace

void CChatMainDlg::CheckWritableFolders() {
    static const struct {
        const char* folder;
        const char* lost;
    } kept[] = {{"board", "board messages"}, {"history", "the chat history"}, {"logs", "the debug log"}};
    for (const auto& k : kept) {
        if (CanWriteIn(k.folder)) continue;
        Notice("Cannot write in the folder " + programDir_ + k.folder + ": " + k.lost + " will be lost.", false);
    }
}

}  // namespace zc
