#include "support/chat_fixture.h"

#include <filesystem>

namespace zc::test {

FakeChat::FakeChat(FakeLockBoard& board, const std::string& autostartDir, bool trayAvailable, FakeLan* lan,
                   const std::string& ip)
    : lock(board, [this] { dlg->ActivateFromOtherCopy(); }), tray(trayAvailable), autostart(autostartDir) {
    if (lan && !lan->transferNet) lan->transferNet = std::make_shared<FakeTransferNet>();
    transferSockets = lan ? std::make_unique<FakeTransferSockets>(lan->transferNet, ip)
                          : std::make_unique<FakeTransferSockets>();
    if (lan) network = lan->PortFor([this] { return system.ip; });
    Platform platform{clock, timers, views, window, registry, lock, system, processes, tray, autostart, network.get(),
                      &dialogs, &shell};
    platform.transferSockets = transferSockets.get();
    platform.workers = &workers;
    platform.transferWindows = &transferWindows;
    platform.screen = &screen;
    dlg = std::make_unique<CChatMainDlg>(platform, std::filesystem::current_path().string() + "/");
    home = std::filesystem::current_path().string();
}

CChatMainDlg& FakeChat::Use() const {
    EnterFolder(home);
    return *dlg;
}

std::string FakeChat::LogText() const { return ReadFileBytes(dlg->Log().CurrentFilePath()); }

}  // namespace zc::test
