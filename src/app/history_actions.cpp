// History beyond the page: the lines from before this start, searching every month, and the
// unread counts of the pages the user is not looking at.
#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "base/text_helpers.h"
#include "platform/clock.h"
#include "platform/main_window_host.h"
#include "platform/shell.h"
#include "platform/tray.h"
#include "ui/html/earlier_lines.h"

namespace zc {

namespace {

size_t PageIndex(PageMode page) {
    const size_t i = static_cast<size_t>(page);
    return i < 3 ? i : 0;
}

}  // namespace

std::string CChatMainDlg::MenuText(int number, const std::string& fallback) const {
    const std::string text =
        ReadIniValue(LanguageTable::FilePath(language_.Name()), "MENUSTRINGS", "MSTR" + std::to_string(number));
    return text.empty() ? fallback : text;
}

std::string CChatMainDlg::EarlierCaption() const { return MenuText(190, "earlier"); }

void CChatMainDlg::ShowEarlierLines() {
    earlier_.clear();
    HtmlView* view = chat_ ? chat_->ChatTextView() : nullptr;
    if (!view) return;
    const std::tm now = p_.clock.LocalTime(p_.clock.Now());
    earlier_ = LastHistoryEntries(programDir_ + history_.PathOf(true), kEarlierLinesShown, now.tm_year + 1900,
                                  now.tm_mon + 1);
    const std::string html =
        EarlierLinesHtml(EarlierCaption(), earlier_, [this](const std::string& name) { return NameSpan(name); });
    if (!html.empty()) view->AppendToBody(html);
}

std::vector<HistoryHit> CChatMainDlg::FindInHistory(const std::string& query) const {
    return SearchHistory(programDir_ + "history", query);
}

bool CChatMainDlg::OpenHistoryFile(const HistoryHit& hit) {
    // A month's file, or the page the window made of one day's entries.
    return p_.shell && !hit.file.empty() && p_.shell->OpenDocument(hit.file);
}

int CChatMainDlg::Unread(PageMode page) const { return unread_[PageIndex(page)]; }

int CChatMainDlg::UnreadTotal() const { return unread_[0] + unread_[1] + unread_[2]; }

std::string CChatMainDlg::TrayTip() const {
    const int total = UnreadTotal();
    return total > 0 ? WindowTitle() + " (" + std::to_string(total) + ")" : WindowTitle();
}

void CChatMainDlg::SetUnreadListener(std::function<void()> listener) { unreadListener_ = std::move(listener); }

void CChatMainDlg::CountShownLine(ChatLineKind kind, const std::string& sender, const LineText& text, ChatPage page) {
    // Another user's words: a public or conference message under its sender, a private message
    // or an alert that starts with the sender's name. Own copies, notices and invitations lead
    // with a text of ours.
    const bool fromOther = kind == ChatLineKind::Message
                               ? !sender.empty()
                               : (kind == ChatLineKind::Private || kind == ChatLineKind::Alert) && text.named &&
                                     text.before.empty();
    if (!fromOther || !chat_) return;
    HtmlView* view = ChatView(page);
    CountUnread(view && view == chat_->SecondTextView() ? PageMode::Conference : PageMode::Main);
}

void CChatMainDlg::CountUnread(PageMode page) {
    // Seen as it comes: the window is up and shows that page.
    if (p_.window.IsWindowVisible() && !user_.hidden && user_.pageMode == page) return;
    ++unread_[PageIndex(page)];
    UnreadChanged();
}

void CChatMainDlg::ClearUnread(PageMode page) {
    int& count = unread_[PageIndex(page)];
    if (count == 0) return;
    count = 0;
    UnreadChanged();
}

void CChatMainDlg::UnreadChanged() {
    p_.tray.SetTip(TrayTip());
    if (unreadListener_) unreadListener_();
}

}  // namespace zc
