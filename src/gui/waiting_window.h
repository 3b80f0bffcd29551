#pragma once

class QWidget;

namespace zc {

class CChatMainDlg;

// The messages kept for users who are away, each with when it was written; the user takes back
// the ones picked. The list is read again each time the window opens.
void ShowWaitingMessages(CChatMainDlg& chat, QWidget* parent);

}  // namespace zc
