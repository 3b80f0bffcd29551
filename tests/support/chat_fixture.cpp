#include "support/chat_fixture.h"

#include <filesystem>

namespace zc::test {

FakeChat::FakeChat(FakeLockBoard& board, const std::string& autostartDir, bool trayAvailable, FakeLan* lan)
    : lock(board, [this] { dlg->ActivateFromOtherCopy(); }), tray(trayAvailable), autostart(autostartDir) {
    dlg = std::make_unique<CChatMainDlg>(
        Platform{clock, timers, views, window, registry, lock, system, processes, tray, autostart, lan, &dialogs, &shell},
        std::filesystem::current_path().string() + "/");
    home = std::filesystem::current_path().string();
}

CChatMainDlg& FakeChat::Use() const {
    EnterFolder(home);
    return *dlg;
}

std::string FakeChat::LogText() const { return ReadFileBytes(dlg->Log().CurrentFilePath()); }

}  // namespace zc::test
