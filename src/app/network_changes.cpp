// Following address and link changes the platform reports, between refreshes.
#include "app/chat_main_dlg.h"
#include "net/net_settings.h"
#include "platform/system_facts.h"
#include "platform/timers.h"

namespace zc {

void CChatMainDlg::OnNetworkChanged() {
    // Before the first refresh the start joins anyway; after the end nothing may.
    if (exited_ || !p_.timers.IsArmed(kRefreshTimer)) return;
    const CNetSettings s = ReadNetSettings(user_.ProfilePath());
    // Nothing to join on until an interface comes back; that change calls again.
    if (p_.system.LocalIpv4(s.interfaceAddr).empty()) return;
    const bool moved = OwnAddressChanged();
    // The relay connection looks after itself; only a new address of ours is news to it.
    if (s.useServer != 0 && !moved) return;
    if (!moved) {
        // A link that came back may have lost the group; joining again costs one refresh.
        log_.Write(":::Network changed, joining the group again");
        transports_.Clear();
    }
    RefreshPresence();
}

}  // namespace zc
