#include "net/dispatch.h"

#include "app/chat_main_dlg.h"
#include "net/chat_packet.h"

namespace zc {

void DispatchPacket(CChatMainDlg& dlg, const CChatPacket& packet) {
    // The roster and the command handlers plug in here; until then every packet is only counted.
    dlg.CountDispatched(packet.command);
}

}  // namespace zc
