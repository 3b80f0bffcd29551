// The options editor and the settings it changed, applied while the chat runs.
#include "app/chat_main_dlg.h"
#include "app/options_runner.h"
#include "base/cp1251.h"
#include "base/ini_file.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "platform/timers.h"

namespace zc {

void CChatMainDlg::OpenOptions() {
    log_.Write(":::Try open Options...");
    if (!optionsRunner_)
        optionsRunner_ = std::make_shared<COptionsRunner>(
            p_.processes, p_.timers, kOptionsPollTimer, [this](const std::string& why) {
                // F11 that opens nothing must not look like a key that does nothing.
                log_.Write(":::Try open Options FALSE: " + why);
                const std::string launcher = EscapeHtml(Utf8ToCp1251(programDir_ + kOptionsEditor));
                ShowLine(ChatLineKind::Notify, "", LineText::Plain(language_.Extra(ExtraText::OptionsNotStarted, launcher)),
                         ChatPage::Main);
            });
    if (!optionsRunner_->EditorFinished()) {
        log_.Write(":::Options return 'terminated'...");
        return;
    }
    optionsRunner_->Run(programDir_);
}

void CChatMainDlg::RereadProfile() {
    ReadProfileParams(user_.ProfilePath(), Names(), user_);
    user_.showTime = global_.showTime;
    user_.allowProcessList = global_.allowProcessList;
}

void CChatMainDlg::ApplyOptionsFlag(const std::string& flag) {
    if (flag == "INET") {
        log_.Write(":::Change network settings...");
        SendPacket(CMD_EXIT, user_.nickname, kEveryone);
        transports_.Clear();
        RefreshPresence();
    } else if (flag == "ILANGUAGE") {
        log_.Write(":::Change language...");
        // Files that cannot be read leave the texts as they were, not empty.
        LanguageTable fresh;
        if (ReadLanguage(fresh, log_, settingsPath_, global_.showImages)) language_ = std::move(fresh);
        else log_.Write(":::No usable language file, the previous texts stay");
    } else if (flag == "IMAIN") {
        log_.Write(":::Change main settings...");
        const HotKeyTable keys = global_.hotKeys;
        global_ = ReadGlobalSettings(settingsPath_);
        global_.hotKeys = keys;
        // The editor's autostart switch takes effect now, as at start.
        ApplyAutostart();
        RereadProfile();
    } else if (flag == "ISOUND") {
        log_.Write(":::Change sound params...");
        user_.soundOn = ReadSoundOn(user_.ProfilePath());
    } else if (flag == "IGROUP") {
        log_.Write(":::Change group settings...");
        InitUsersGroup();
        RebuildUserList();
    } else if (flag == "IUSER") {
        log_.Write(":::Change username...");
        ChangeName();
    } else if (flag == "IMODE") {
        log_.Write(":::Change mode params...");
        RereadProfile();
        SendPacket(CMD_CHANGEMODE, ModeBody(), kEveryone);
        roster_.SetMode(ownId_, user_.mode, user_.CurrentMode().text, user_.avatarFile);
        RebuildUserList();
    } else if (flag == "IAVATAR") {
        log_.Write(":::Change avatar...");
        ReadAvatarSettings(user_.ProfilePath(), user_);
        RefreshPresence();
        RebuildUserList();
        AnnounceActivity();
    } else if (flag == "ISKIN") {
        log_.Write(":::Change skins...");
        ChangeSkin();
    }
}

void CChatMainDlg::ApplyOptionsChange() {
    log_.Write(":::Apply options change...");
    // At most 99 characters, as the editor's list was always read.
    std::string text = ReadIniValueLimited(settingsPath_, "GLOBAL", "RELOAD", 99);
    // Taken once, and under the editor's lock, so a flag it adds meanwhile is not wiped; an
    // absent list leaves the file alone instead of rewriting it every second.
    if (!text.empty())
        UpdateIniValue(settingsPath_, "GLOBAL", "RELOAD", [&text](const std::string& current) {
            text = current.substr(0, 99);
            return std::string();
        });
    if (text.size() > 3) {
        std::string token = ExtractField(text, ";", 0);
        if (token.empty()) token = text;
        while (token.size() >= 3) {
            ApplyOptionsFlag(token);
            text = ExtractField(text, ";", 1);
            if (text.size() <= 3) break;
            token = text.find(';') == std::string::npos ? text : ExtractField(text, ";", 0);
        }
    }
    p_.timers.SetTimer(kOptionsPollTimer, kOptionsPollMs);
}

}  // namespace zc
