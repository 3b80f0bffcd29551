// What the tray icon's clicks and menu do.
#include "app/chat_main_dlg.h"
#include "platform/dialogs.h"
#include "platform/main_window_host.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/tray.h"
#include "platform/window_commands.h"

namespace zc {

void CChatMainDlg::ResetTrayTip() {
    trayFlasher_.StopFlashing();
    p_.tray.SetTip(TrayTip());
}

void CChatMainDlg::OnTrayLeftClick() {
    if (p_.window.IsWindowVisible()) {
        HideToTray();
        return;
    }
    ResetTrayTip();
    ShowFromTray();
    // Back from the tray the user types at once.
    p_.timers.SetTimer(kFocusInputTimer, 100);
}

std::vector<TrayMenuItem> CChatMainDlg::OnTrayMenu() {
    ResetTrayTip();
    return TrayMenuItems(language_, user_, p_.window.IsWindowVisible());
}

void CChatMainDlg::OnTrayCommand(int command) {
    switch (command) {
        case ID_TRAY_HIDE: HideToTray(); break;
        case ID_TRAY_SHOW: ShowFromTray(); break;
        case ID_ABOUT:
            if (p_.dialogs) p_.dialogs->ShowAlert(language_.LangString(33), AboutText(version_), nullptr);
            break;
        case ID_TRAY_MAIL:
            if (p_.shell) p_.shell->OpenDocument(SupportMailLink(version_));
            break;
        case ID_TRAY_WEB:
            if (p_.shell) p_.shell->OpenDocument(kProductWebPage);
            break;
        case ID_EXIT: EndDialog(); break;
        default:
            if (command >= ID_TRAY_MODE_FIRST && command <= ID_TRAY_MODE_LAST) SetChatMode(command - ID_TRAY_MODE_FIRST + 1);
            else OnCommand(command);
            break;
    }
}

void CChatMainDlg::FlashTray(int firstIcon) {
    trayFlasher_.LoadFlashIcons(firstIcon, firstIcon + 1);
    trayFlasher_.StartFlashing(200, global_.flashIcon);
}

}  // namespace zc
