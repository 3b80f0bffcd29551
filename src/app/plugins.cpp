// The plug-ins around the chat: loading, notifications, message filters and answers, menus.
#include "app/chat_main_dlg.h"
#include "base/message_text.h"
#include "platform/dialogs.h"
#include "platform/main_window_host.h"
#include "platform/shell.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "services/plugin_folders.h"
#include "services/plugin_host.h"

namespace zc {
namespace {

inline constexpr char kNotifyProcedure[] = "ShowTipBubble";
inline constexpr size_t kMaxQueuedBubbleRequests = 16;

// Events whose bubble stays away while the user looks at the main chat page.
bool QuietInFront(NotifyEvent event) {
    switch (event) {
        case NotifyEvent::ChangeMode:
        case NotifyEvent::ChangeName:
        case NotifyEvent::Conference:
        case NotifyEvent::Warning:
        case NotifyEvent::InvConference:
        case NotifyEvent::Private: return true;
        default: return false;
    }
}

}  // namespace

void CChatMainDlg::LoadPlugins() {
    PluginHostServices services;
    services.mainWindow = p_.window.NativeId();
    services.sendAsTyped = [this](const std::string& text) {
        p_.window.SetInputText(text);
        p_.window.FocusInput();
        if (SendChatMessage(text)) p_.window.SetInputText("");
    };
    // Handled on the next turn of the loop, never inside the plug-in's own call.
    services.postNotifyRequest = [this](int kind, const std::string& title, const std::string& text) {
        if (bubbleRequests_.size() >= kMaxQueuedBubbleRequests) return;
        bubbleRequests_.push_back({kind, title, text});
        p_.timers.SetTimer(kPluginRequestTimer, 1);
    };
    // A click on a notification brings the chat back as the tray's click does, from the tray too.
    services.bringMainWindowToFront = [this] {
        ResetTrayTip();
        ShowFromTray();
    };
    plugins_ = std::make_unique<PluginHost>(log_, PluginFolders("plugins", p_.system.ExecutablePath()),
                                            user_.ProfilePath(), std::move(services));
    plugins_->LoadPlugins();
}

void CChatMainDlg::InitPlugins() {
    if (plugins_) plugins_->InitPlugins();
}

void CChatMainDlg::UnloadPlugins() { plugins_.reset(); }

void CChatMainDlg::ShowBubble(const std::string& title, const std::string& text) {
    if (plugins_) plugins_->CallNotifyPlugins(kNotifyProcedure, {title, user_.nickname, text});
}

void CChatMainDlg::ShowTipBubbleRequest(int kind, const std::string& title, const std::string& text) {
    if (kind < 0 || kind > static_cast<int>(NotifyEvent::FRequest)) return;
    if (EventFlags(user_, static_cast<NotifyEvent>(kind)).info) ShowBubble(title, text);
}

void CChatMainDlg::RunBubbleRequests() {
    p_.timers.KillTimer(kPluginRequestTimer);
    const auto requests = std::move(bubbleRequests_);
    bubbleRequests_.clear();
    for (const BubbleRequest& r : requests) ShowTipBubbleRequest(r.kind, r.title, r.text);
}

void CChatMainDlg::Notify(NotifyEvent event, const std::string& userName, const std::string& caption,
                          const std::string& text) {
    if (event == NotifyEvent::Board) CountUnread(PageMode::Board);
    const ChatModeEventFlags flags = EventFlags(user_, event);
    // Alerts and invitations ask in windows of their own.
    if (flags.dialog && event != NotifyEvent::Alert && event != NotifyEvent::InvConference && p_.dialogs)
        p_.dialogs->ShowEventNotice(static_cast<int>(event), caption, text);
    const bool inFront = p_.window.IsForeground() && user_.pageMode == PageMode::Main;
    // Our own line notifies by sound only: a bubble with nothing in it names nobody.
    const bool blank = caption.empty() && text.empty();
    if (flags.info && !blank && !(QuietInFront(event) && inFront)) ShowBubble(caption, text);
    if (flags.sound && user_.soundOn && p_.shell) {
        const std::string file = EventSoundFile(user_.ProfilePath(), event, userName);
        if (!file.empty()) p_.shell->PlaySound(file);
    }
}

std::string CChatMainDlg::FilterIncomingMessage(const std::string& sender, const std::string& text) {
    if (!plugins_) return text;
    const std::string filtered = plugins_->RunPluginHandler(5, {sender, user_.nickname, text});
    // What a plug-in wrote goes onto the page under the same rules as what the peer sent.
    return filtered == text ? text : MessageTextSanitizer(filtered, true, global_.showImages);
}

void CChatMainDlg::AnswerIncomingMessage(const std::string& sender, const std::string& text) {
    if (plugins_) plugins_->RunPluginHandler(1, {sender, user_.nickname, text});
}

std::vector<PluginMenu> CChatMainDlg::PluginMenus() const {
    return plugins_ ? plugins_->BuildPluginMenu(language_) : std::vector<PluginMenu>{};
}

}  // namespace zc
