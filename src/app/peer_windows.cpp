// Alerts and questions peers open on the user's screen: numbered, a few per address, and the
// flood's oldest give way to newcomers.
#include "app/chat_main_dlg.h"
#include "base/registry_keys.h"
#include "platform/dialogs.h"

namespace zc {

bool CChatMainDlg::OpenPeerWindow(PeerWindows::Window window, const std::string& caption, const std::string& text) {
    if (!p_.dialogs) return false;
    if (!p_.dialogs->KeepsWindows()) {
        // Shown and gone: a question is refused by the dialogs themselves, an alert only shown.
        if (window.kind != PeerWindows::Kind::Alert) p_.dialogs->AskQuestion(caption, text, std::move(window.onAnswer));
        else p_.dialogs->ShowAlert(caption, text, nullptr);
        return true;
    }
    const PeerWindows::Kind kind = window.kind;
    std::optional<PeerWindows::Window> gaveWay;
    const int number = peerWindows_.Open(std::move(window), &gaveWay);
    if (number == 0) return false;
    if (gaveWay) CloseGivenWay(std::move(*gaveWay));
    const std::string numbered = "[" + std::to_string(number) + "] " + caption;
    if (kind == PeerWindows::Kind::Alert) {
        NoteOpenAlerts();
        p_.dialogs->ShowNumberedAlert(number, numbered, text, [this, number] { AnswerPeerWindow(number, true); });
    } else {
        p_.dialogs->AskNumbered(number, numbered, text, [this, number](bool yes) { AnswerPeerWindow(number, yes); });
    }
    return true;
}

void CChatMainDlg::AnswerPeerWindow(int number, bool yes) {
    std::optional<PeerWindows::Window> window = peerWindows_.Take(number);
    if (!window) return;
    if (window->kind == PeerWindows::Kind::Alert) NoteOpenAlerts();
    if (window->onAnswer) window->onAnswer(yes);
}

void CChatMainDlg::CloseGivenWay(PeerWindows::Window window) {
    if (p_.dialogs) p_.dialogs->Withdraw(window.number);
    size_t held = 0;
    if (senders_.log.Allow(window.peerIp, NowSeconds(), &held))
        WriteLog(":::Too many windows open: [" + std::to_string(window.number) + "] from " + window.peerIp +
                 " closed unanswered" + (held ? " (" + std::to_string(held) + " more before)" : ""));
    // A question that gave way is refused; an alert that gave way was not read.
    if (window.kind == PeerWindows::Kind::Alert) NoteOpenAlerts();
    else if (window.onAnswer) window.onAnswer(false);
}

void CChatMainDlg::NoteOpenAlerts() {
    std::string from = " ";  // a blank, not nothing, says that no alert is open
    for (const PeerWindows::Window& w : peerWindows_.All())
        if (w.kind == PeerWindows::Kind::Alert) from = w.peerName;
    WriteAppRegValue(p_.registry, "Profile\\", "AlertFrom", from.empty() ? " " : from);
}

}  // namespace zc
