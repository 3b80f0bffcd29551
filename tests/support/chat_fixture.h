#pragma once
#include <memory>

#include "app/chat_main_dlg.h"
#include "base/xdg_autostart.h"
#include "support/fake_transfer.h"
#include "support/fake_transfer_window.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc::test {

// One chat on fakes, in its own program folder.
struct FakeChat {
    explicit FakeChat(FakeLockBoard& board, const std::string& autostartDir = "/tmp/zc-no-autostart",
                      bool trayAvailable = true, FakeLan* lan = nullptr, const std::string& ip = "127.0.0.1");
    FakeClock clock;
    FakeTimers timers{clock};
    FakeViewFactory views;
    FakeWindow window;
    FakeRegistry registry;
    FakeInstanceLock lock;
    FakeSystem system;
    FakeProcesses processes;
    FakeTray tray;
    XdgAutostart autostart;
    FakeDialogs dialogs;
    FakeShell shell;
    // Transfers meet on the LAN's transfer net at this chat's address.
    std::unique_ptr<FakeTransferSockets> transferSockets;
    FakeWorkerThreads workers;
    FakeTransferWindows transferWindows;
    FakeScreen screen;
    // The LAN as this chat sees it: its datagrams come from system.ip.
    std::unique_ptr<TransportFactory> network;
    std::unique_ptr<CChatMainDlg> dlg;

    std::string LogText() const;
    // Makes this chat's folder current, for calls the test makes itself.
    CChatMainDlg& Use() const;
    std::string home;
    FakeView* ChatView() const { return views.Live(ViewRole::ChatText); }
};

}  // namespace zc::test
