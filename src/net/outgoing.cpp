// What the local user sends: typed text, command forms, conference and group messages.
#include "app/chat_main_dlg.h"
#include "app/ini_file.h"
#include "app/text_helpers.h"
#include "platform/clock.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "ui/html/markup.h"

namespace zc {

std::string CChatMainDlg::NameSpan(const std::string& name) { return chat_ ? chat_->UserNameSpan(name) : name; }

bool CChatMainDlg::FloodGuardAllows() {
    if (flood_.Check(p_.clock.Now()) == FloodGuard::Verdict::Allowed) return true;
    const std::string text = ReplaceAll(language_.LangString(91), "%s", std::to_string(flood_.Penalty()));
    HtmlView* page = (user_.pageMode == 2 && chat_) ? chat_->SecondTextView() : nullptr;
    if (chat_) chat_->AppendChatLine(text, "", ChatLineKind::Alert, page);
    return false;
}

bool CChatMainDlg::IsIgnored(const std::string& ip) const {
    if (ip.empty()) return false;
    return !ReadIniValue(user_.ProfilePath(), "IGNORELIST", RemoveChars(ip, ".")).empty();
}

bool CChatMainDlg::Ignore(const std::string& name) {
    const std::string ip = roster_.IpOfName(name);
    if (ip.empty()) return false;
    WriteIniValue(user_.ProfilePath(), "IGNORELIST", RemoveChars(ip, "."), "1");
    ShowSystemLine(language_.LangString(50) + " \"" + name + "\"", ChatLineKind::Alert);
    return true;
}

bool CChatMainDlg::Unignore(const std::string& name) {
    const std::string ip = roster_.IpOfName(name);
    if (ip.empty()) return false;
    WriteIniValue(user_.ProfilePath(), "IGNORELIST", RemoveChars(ip, "."), "");
    ShowSystemLine(language_.LangString(51) + " \"" + name + "\"", ChatLineKind::Alert);
    return true;
}

bool CChatMainDlg::ToggleIgnore(const std::string& name) {
    return IsIgnored(roster_.IpOfName(name)) ? Unignore(name) : Ignore(name);
}

bool CChatMainDlg::OpenHistory(bool isMain) {
    return p_.shell && p_.shell->OpenDocument(programDir_ + history_.PathFor(isMain));
}

void CChatMainDlg::ArmUserListTimer(int ms) { p_.timers.SetTimer(kUserListTimer, ms); }

void CChatMainDlg::AnnounceActivity() { SendPacket(user_.hidden ? 34 : 25, ModeBody(), kEveryone); }

void CChatMainDlg::Notify(NotifyEvent event, const std::string& userName, const std::string&, const std::string&) {
    const ChatModeEventFlags flags = EventFlags(user_, event);
    if (!flags.sound || !user_.soundOn || !p_.shell) return;
    const std::string file = EventSoundFile(user_.ProfilePath(), event, userName);
    if (!file.empty()) p_.shell->PlaySound(file);
    // Bubbles come through the notification plug-in.
}

HtmlView* CChatMainDlg::PageForPrivate(const std::string& senderId) {
    if (!chat_) return nullptr;
    if (roster_.IsMember(senderId) && chat_->SecondTextView() && user_.pageMode == 2) return chat_->SecondTextView();
    return nullptr;
}

void CChatMainDlg::OpenSecondPage() {
    if (!chat_) return;
    user_.pageMode = 2;
    if (!chat_->SecondPagePrepared() && chat_->SecondTextView()) chat_->PrepareText(chat_->SecondTextView(), false);
}

bool CChatMainDlg::SendChatMessage(const std::string& input) {
    if (input.empty() || input == " ") return false;
    if (!FloodGuardAllows()) return false;
    inputHistoryIndex_ = (inputHistoryIndex_ + 1) % 10;
    inputHistory_[static_cast<size_t>(inputHistoryIndex_)] = input;
    const bool showImages = global_.showImages;
    const LanguageTable& lang = language_;

    if (input.find("->") != std::string::npos) {
        const std::string keyword = ExtractField(input, "->", 0);
        const std::string rest = ExtractField(input, "->", 1);
        if (keyword == "MSG" || keyword == "ALERT") {
            const std::string clean = MessageTextSanitizer(rest, true, showImages);
            const std::string recipient = ExtractField(clean, ":", 0);
            if (recipient.empty()) return true;
            const std::string id = roster_.IdOfName(recipient);
            const bool alert = keyword == "ALERT";
            if (id.size() <= 1) return true;  // nobody of that name
            SendPacket(alert ? 8 : 5, clean, id);
            const std::string line = lang.LangString(74) + " " + lang.LangString(alert ? 42 : 61) + " " +
                                     NameSpan(recipient) + ": " + ExtractField(clean, ":", 1);
            HtmlView* page = (!alert && roster_.IsMember(id) && user_.pageMode == 2 && chat_) ? chat_->SecondTextView()
                                                                                              : nullptr;
            if (chat_) chat_->AppendChatLine(line, "", alert ? ChatLineKind::Alert : ChatLineKind::Private, page);
            history_.AppendHistory(line, false, true);
            return true;
        }
        if (keyword == "MSGGROUP" || keyword == "ALERTGROUP") {
            const std::string clean = MessageTextSanitizer(rest, true, showImages);
            const std::string group = ExtractField(clean, ":", 0);
            SendToUserGroup(keyword == "MSGGROUP" ? 1 : 2, group + ":" + ExtractField(clean, ":", 1),
                            roster_.GroupIndex(group));
            return true;
        }
        if (keyword == "SOUND") {
            const std::string name = MessageTextSanitizer(rest, true, showImages);
            const std::string id = roster_.IdOfName(name);
            if (name.empty() || id.empty()) return true;
            SendPacket(11, id, id);
            if (chat_) chat_->AppendChatLine(lang.LangString(74) + " " + lang.LangString(66) + " " + NameSpan(name), "",
                                             ChatLineKind::Sound);
            return true;
        }
        if (keyword == "MODE") {
            const int mode = ParseInt(rest);
            if (mode >= 1 && mode <= 4) SetChatMode(mode);
            return true;
        }
    }
    if (user_.pageMode == 1) return PostToBoard(input);
    if (user_.pageMode == 2) {
        SendToConference(MessageTextSanitizer(input, true, showImages));
        Notify(NotifyEvent::Default, user_.nickname, "", "");
        return true;
    }
    SendPacket(6, std::to_string(user_.mode) + ":" + input, kEveryone);
    if (chat_) chat_->AppendChatLine(MessageTextSanitizer(input, true, showImages), "", ChatLineKind::OwnMessage);
    history_.AppendHistory(NameSpan(user_.nickname) + ": " + MessageTextSanitizer(input, true, showImages), true, true);
    Notify(NotifyEvent::Default, user_.nickname, "", "");
    return true;
}

void CChatMainDlg::SendToConference(const std::string& text) {
    if (text.empty() || !chat_ || !chat_->SecondPagePrepared()) return;
    for (const std::string& id : roster_.Members())
        if (id.size() >= 2 && id != ownId_) SendPacket(21, text, id);
    if (!roster_.Members().empty())
        chat_->AppendChatLine(text, "", ChatLineKind::OwnMessage, chat_->SecondTextView());
}

void CChatMainDlg::SendToUserGroup(int kind, const std::string& text, int group) {
    if (text.empty() || !user_.groupsOn) return;
    const int command = kind == 1 ? 5 : kind == 2 ? 8 : 11;
    for (const CUserRecord& e : roster_.Entries())
        if (e.group == group) groupQueue_.push_back({e.id, command, kind == 3 ? e.id : text});
    // One packet now, the rest 300 ms apart from a timer, so the window keeps answering.
    if (!groupQueue_.empty() && !p_.timers.IsArmed(kGroupSendTimer)) SendNextGroupPacket();
    if (roster_.Entries().empty() || group < 0 || static_cast<size_t>(group) >= roster_.GroupNames().size()) return;
    const int what = kind == 1 ? 61 : kind == 2 ? 42 : 66;
    const int lineKind = kind == 1 ? ChatLineKind::Private : kind == 2 ? ChatLineKind::Alert : ChatLineKind::Sound;
    const std::string line = language_.LangString(74) + " " + language_.LangString(what) + " " +
                             roster_.GroupNames()[static_cast<size_t>(group)];
    if (chat_) chat_->AppendChatLine(line, "", lineKind);
    history_.AppendHistory(line, kind == 3, true);
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

bool CChatMainDlg::InviteToConference(const std::string& name) {
    const std::string id = roster_.IdOfName(name);
    if (id.empty() || id == ownId_ || !FloodGuardAllows()) return false;
    SendPacket(18, ownId_, id);
    ShowSystemLine(language_.LangString(74) + " " + language_.LangString(76) + " " + NameSpan(name), ChatLineKind::Private);
    return true;
}

void CChatMainDlg::LeaveConference() {
    SendPacket(23, "", kEveryone);
    while (!roster_.Members().empty()) roster_.RemoveMember(roster_.Members().front());
    user_.pageMode = 0;
}

void CChatMainDlg::ChangeName() {
    const std::string oldName = user_.nickname;
    ReadProfileParams(user_.ProfilePath(), Names(), user_);
    SendPacket(35, oldName + ":" + user_.nickname, kEveryone);
    RefreshPresence();
    AnnounceActivity();
}

}  // namespace zc
