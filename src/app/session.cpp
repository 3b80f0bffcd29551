// The chat as its packet handlers and outgoing forms see it: lines, history, dialogs.
#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "base/registry_keys.h"
#include "base/text_helpers.h"
#include "platform/clock.h"
#include "platform/system_facts.h"
#include "services/info_card.h"
#include "services/system_texts.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/timers.h"

namespace zc {

std::string CChatMainDlg::NameSpan(const std::string& name) const { return chat_ ? chat_->UserNameSpan(name) : name; }

std::string CChatMainDlg::LineHtml(const LineText& text) const {
    if (!text.named) return text.before;
    return text.before + NameSpan(text.name) + text.after;
}

HtmlView* CChatMainDlg::ChatView(ChatPage page) const {
    if (!chat_) return nullptr;
    return page == ChatPage::Second ? chat_->SecondTextView() : chat_->ChatTextView();
}

void CChatMainDlg::SetChatLineListener(ChatLineListener listener) {
    lineListener_ = std::move(listener);
    if (chat_) chat_->SetLineListener(lineListener_);
}

void CChatMainDlg::ShowLine(ChatLineKind kind, const std::string& sender, const LineText& text, ChatPage page) {
    // Without its own view the second page's lines go to the main page.
    if (chat_) chat_->AppendChatLine(LineHtml(text), sender, kind, ChatView(page));
    CountShownLine(kind, sender, text, page);
}

void CChatMainDlg::ShowStartupLine(const std::string& text) {
    if (chat_) chat_->AppendChatLine(text, "", ChatLineKind::Alert, nullptr, false, true);
}

void CChatMainDlg::ShowAlertNotice(const std::string& text) {
    ShowLine(ChatLineKind::Alert, "", LineText::Plain(text), ChatPage::Main);
}

void CChatMainDlg::AppendHistory(const LineText& text, bool isMain) {
    history_.AppendHistory(LineHtml(text), isMain, true);
}

std::int64_t CChatMainDlg::NowSeconds() const { return p_.clock.Now(); }
std::int64_t CChatMainDlg::NowMs() const { return p_.clock.MonotonicMs(); }

void CChatMainDlg::ArmUserListTimer(int ms) { p_.timers.SetTimer(kUserListTimer, ms); }

// Joining a conference brings its page up just as the page button does.
void CChatMainDlg::OpenSecondPage() { ShowPage(PageMode::Conference); }

bool CChatMainDlg::HasSecondPage() const { return chat_ && chat_->SecondPagePrepared(); }

bool CChatMainDlg::CanAsk() const { return p_.dialogs != nullptr; }

std::string CChatMainDlg::OwnInfoCard() const {
    const InfoCardProfile profile = ReadInfoCardProfile(user_.ProfilePath());
    InfoCardFacts facts;
    facts.name = profile.name;
    facts.avatar = profile.avatar;
    facts.desc = profile.desc;
    facts.web = profile.web;
    facts.email = profile.email;
    facts.ip = ownIp_;
    facts.mac = ownId_;
    facts.version = version_;
    facts.mode = user_.CurrentMode().text;
    facts.skinTheme = styles_.theme;
    facts.computerName = SystemNameOrFallback(p_.system.ComputerName());
    facts.systemUser = SystemNameOrFallback(p_.system.UserName());
    // No foreground window title leaves this machine: the desktop does not tell it here.
    facts.showActiveWindow = false;
    return InfoCardWithSystem(BuildInfoCard(facts), OsText(), MemoryText());
}

bool CChatMainDlg::IsIgnored(const std::string& ip) const {
    if (ip.empty()) return false;
    return !ReadIniValue(user_.ProfilePath(), "IGNORELIST", RemoveChars(ip, ".")).empty();
}

bool CChatMainDlg::OpenHistory(bool isMain) {
    return p_.shell && p_.shell->OpenDocument(programDir_ + history_.PathFor(isMain));
}

}  // namespace zc
