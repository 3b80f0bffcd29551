// What the local user sends: typed text routed by its form and the page in front, group
// messages paced by a timer, the name change and leaving the conference.
#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/outgoing_forms.h"
#include "platform/clock.h"
#include "platform/timers.h"

namespace zc {

bool CChatMainDlg::FloodGuardAllows() {
    // A typed line counts once, also when its form goes on to a guarded action (MODE->).
    if (typedLineCounted_) return true;
    if (flood_.Check(p_.clock.Now()) == FloodGuard::Verdict::Allowed) return true;
    return RefuseToSend(*this, ReplaceAll(language_.LangString(91), "%s", std::to_string(flood_.Penalty())));
}

bool CChatMainDlg::Ignore(const std::string& name) {
    const std::string ip = roster_.IpOfName(name);
    if (ip.empty()) return false;
    WriteIniValue(user_.ProfilePath(), "IGNORELIST", RemoveChars(ip, "."), "1");
    ShowAlertNotice(language_.LangString(50) + " \"" + name + "\"");
    return true;
}

bool CChatMainDlg::Unignore(const std::string& name) {
    const std::string ip = roster_.IpOfName(name);
    if (ip.empty()) return false;
    WriteIniValue(user_.ProfilePath(), "IGNORELIST", RemoveChars(ip, "."), "");
    ShowAlertNotice(language_.LangString(51) + " \"" + name + "\"");
    return true;
}

bool CChatMainDlg::ToggleIgnore(const std::string& name) {
    return IsIgnored(roster_.IpOfName(name)) ? Unignore(name) : Ignore(name);
}

void CChatMainDlg::AnnounceActivity() { SendPacket(user_.hidden ? CMD_INACTIVE : CMD_ACTIVE, ModeBody(), kEveryone); }

bool CChatMainDlg::SendChatMessage(const std::string& input) {
    if (input.empty() || input == " ") return false;
    if (!FloodGuardAllows()) return false;
    typedLineCounted_ = true;
    struct Uncount {
        bool& flag;
        ~Uncount() { flag = false; }
    } uncount{typedLineCounted_};
    inputHistoryIndex_ = (inputHistoryIndex_ + 1) % 10;
    inputHistory_[static_cast<size_t>(inputHistoryIndex_)] = input;
    if (const std::optional<bool> sent = SendDraft(input)) return *sent;

    const InputForm form = ParseInputForm(input, global_.showImages);
    switch (form.keyword) {
        case InputKeyword::Msg:
        case InputKeyword::Alert: return SendAddressedMessage(*this, form);
        case InputKeyword::MsgGroup:
        case InputKeyword::AlertGroup:
            return SendToUserGroup(form.keyword == InputKeyword::MsgGroup ? 1 : 2, form.recipient + ":" + form.text,
                                   roster_.GroupIndex(form.recipient), form.recipient);
        case InputKeyword::Sound: return SendSoundSignal(*this, form.recipient);
        case InputKeyword::Mode: {
            const int mode = ParseInt(form.rest);
            if (mode >= 1 && mode <= 4) SetChatMode(mode);
            return true;
        }
        case InputKeyword::None: break;
    }
    if (user_.pageMode == PageMode::Board) return PostToBoard(input);
    if (user_.pageMode == PageMode::Conference) {
        if (!SendToConference(*this, MessageTextSanitizer(input, true, global_.showImages))) return false;
        Notify(NotifyEvent::Default, user_.nickname, "", "");
        return true;
    }
    return SendPublicMessage(*this, input);
}

bool CChatMainDlg::SendToUserGroup(int kind, const std::string& text, int group, const std::string& groupName) {
    if (text.empty()) return false;
    const bool known = user_.groupsOn && group >= 0 && static_cast<size_t>(group) < roster_.GroupNames().size();
    if (!known) return RefuseToSend(*this, language_.Extra(ExtraText::UnknownGroup, groupName));
    const Command command = kind == 1 ? CMD_PRIVATE : kind == 2 ? CMD_ALERT : CMD_SOUND;
    for (const CUserRecord& e : roster_.Entries())
        if (e.group == group && groupQueue_.size() < CUserRoster::kMaxUsers)
            groupQueue_.push_back({e.id, command, kind == 3 ? e.id : text});
    // One packet now, the rest 300 ms apart from a timer, so the window keeps answering.
    if (!groupQueue_.empty() && !p_.timers.IsArmed(kGroupSendTimer)) SendNextGroupPacket();
    if (roster_.Entries().empty()) return true;
    const int what = kind == 1 ? 61 : kind == 2 ? 42 : 66;
    const ChatLineKind lineKind = kind == 1   ? ChatLineKind::Private
                                  : kind == 2 ? ChatLineKind::Alert
                                              : ChatLineKind::Sound;
    const LineText line = LineText::Plain(language_.LangString(74) + " " + language_.LangString(what) + " " +
                                          roster_.GroupNames()[static_cast<size_t>(group)]);
    ShowLine(lineKind, "", line, ChatPage::Main);
    AppendHistory(line, kind == 3);
    return true;
}

void CChatMainDlg::SendNextGroupPacket() {
    if (groupQueue_.empty()) {
        p_.timers.KillTimer(kGroupSendTimer);
        return;
    }
    GroupSend next = groupQueue_.front();
    groupQueue_.erase(groupQueue_.begin());
    SendPacket(next.command, next.body, next.target);
    if (groupQueue_.empty()) p_.timers.KillTimer(kGroupSendTimer);
    else if (!p_.timers.IsArmed(kGroupSendTimer)) p_.timers.SetTimer(kGroupSendTimer, 300);
}

bool CChatMainDlg::InviteToConference(const std::string& name) { return zc::InviteToConference(*this, name); }

void CChatMainDlg::LeaveConference() {
    SendPacket(CMD_LEAVECONFERENCE, "", kEveryone);
    while (!roster_.Members().empty()) roster_.RemoveMember(roster_.Members().front());
    user_.pageMode = PageMode::Main;
}

void CChatMainDlg::ChangeName() {
    const std::string oldName = user_.nickname;
    ReadProfileParams(user_.ProfilePath(), Names(), user_);
    SendPacket(CMD_CHANGENAME, oldName + ":" + user_.nickname, kEveryone);
    RefreshPresence();
    AnnounceActivity();
}

}  // namespace zc
