// Messages begun from the user menu or a name on the page go to the user picked, by identity:
// a name with ":" or "www." in it would not survive being read back from typed text.
#include "app/chat_main_dlg.h"
#include "net/outgoing_forms.h"
#include "platform/main_window_host.h"
#include "platform/window_commands.h"

namespace zc {

void CChatMainDlg::ComposeTo(const std::string& id, const std::string& name, bool alert) {
    const std::string prefix = std::string(alert ? "ALERT" : "MSG") + "->" + name + ":";
    if (id.empty()) draft_.reset();
    else draft_ = AddressedDraft{prefix, id, name, alert};
    p_.window.SetInputText(prefix);
    p_.window.FocusInput();
}

void CChatMainDlg::AddressFromMenu(int command, const std::string& picked) {
    const std::string id = roster_.Find(picked) ? picked : roster_.IdOfName(picked);
    const std::string name = id.empty() ? picked : roster_.NameOf(id);
    switch (command) {
        case ID_USER_MESSAGE: ComposeTo(id, name, false); break;
        case ID_USER_ALERT: ComposeTo(id, name, true); break;
        case ID_USER_SOUND_SIGNAL:
            if (FloodGuardAllows()) SendSoundSignalTo(*this, id, name);
            break;
        default: break;
    }
}

std::optional<bool> CChatMainDlg::SendDraft(const std::string& input) {
    if (!draft_ || input.compare(0, draft_->prefix.size(), draft_->prefix) != 0) return std::nullopt;
    const AddressedDraft draft = *draft_;
    const bool sent = SendAddressedTo(*this, draft.id, draft.name, input.substr(draft.prefix.size()), draft.alert);
    if (sent) draft_.reset();
    return sent;
}

}  // namespace zc
