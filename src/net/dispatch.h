#pragma once

namespace zc {

class CChatMainDlg;
struct CChatPacket;

// Hands one accepted packet to the handler of its command code.
void DispatchPacket(CChatMainDlg& dlg, const CChatPacket& packet);

}  // namespace zc
