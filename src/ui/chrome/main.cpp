// The desktop program: finds its folder, then hosts the chat in a Qt window.
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/chat_main_dlg.h"
#include "app/data_root.h"
#include "app/print_settings.h"
#include "app/settings.h"
#include "app/version.h"
#include "app/xdg_autostart.h"
#include "qt/memory_html_view.h"
#include "qt/posix_system_facts.h"
#include "qt/qt_clock.h"
#include "qt/qt_process_starter.h"
#include "qt/qt_registry_store.h"
#include "qt/qt_single_instance_lock.h"
#include "qt/qt_timer_service.h"
#include "qt/qt_transport_factory.h"
#include "ui/chrome/qt_dialog_service.h"
#include "ui/chrome/qt_shell_service.h"
#include "qt/unix_signal_quit.h"
#include "ui/chrome/chat_main_window.h"
#include "ui/chrome/command_line.h"
#include "ui/chrome/program_icon.h"
#include "ui/chrome/tray_icon_qt.h"

#ifndef ZC_INSTALLED_DATA
#define ZC_INSTALLED_DATA ""
#endif

namespace {

namespace fs = std::filesystem;

std::string HomeDir(const zc::SystemFacts& facts) {
    std::string home = facts.EnvironmentValue("HOME");
    if (home.empty())
        if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) home = pw->pw_dir;
    return home;
}

// $VARIABLE, else ~/underHome; empty when there is no home either.
std::string HomeSubdir(const zc::SystemFacts& facts, const char* variable, const char* underHome) {
    const std::string set = facts.EnvironmentValue(variable);
    if (!set.empty()) return set;
    const std::string home = HomeDir(facts);
    return home.empty() ? std::string() : home + "/" + underHome;
}

zc::DataRootInputs RootInputs(const zc::CommandLine& cl, const zc::SystemFacts& facts) {
    zc::DataRootInputs in;
    in.rootArgument = cl.root;
    in.rootVariable = facts.EnvironmentValue("ZELTOCHAT_ROOT");
    const fs::path exe = facts.ExecutablePath();
    in.executableDir = exe.parent_path().string();
    in.xdgDataHome = HomeSubdir(facts, "XDG_DATA_HOME", ".local/share");
    // An installed tree that was moved as a whole still finds its data.
    std::error_code ec;
    const fs::path beside = exe.parent_path() / "../share/zeltochat/data";
    in.installedData = fs::is_directory(beside, ec) ? beside.lexically_normal().string() : ZC_INSTALLED_DATA;
    return in;
}

int RunDesktop(int argc, char** argv, const std::string& root, zc::PosixSystemFacts& facts) {
    QApplication app(argc, argv);
    app.setOrganizationName("Zelto group");
    app.setApplicationName("ZeltoChat");
    // Closing the window only hides it; the chat ends through its own exit.
    app.setQuitOnLastWindowClosed(false);
    const QIcon icon = zc::MakeProgramIcon();
    app.setWindowIcon(icon);

    zc::QtClock clock;
    zc::QtTimerService timers;
    zc::ChatMainWindow window;
    zc::MemoryViewFactory views(
        [&window](const zc::MemoryHtmlView& view, zc::MemoryHtmlView::Change change) { window.OnViewChanged(view, change); });
    zc::QtRegistryStore registry;
    zc::QtSingleInstanceLock instance;
    zc::QtProcessStarter processes;
    zc::TrayIconQt tray(icon);
    const std::string config = HomeSubdir(facts, "XDG_CONFIG_HOME", ".config");
    zc::XdgAutostart autostart(config.empty() ? std::string() : config + "/autostart");
    zc::QtTransportFactory network;
    zc::QtDialogService dialogs(&window);
    zc::QtShellService shell;

    zc::CChatMainDlg chat(
        {clock, timers, views, window, registry, instance, facts, processes, tray, autostart, &network, &dialogs, &shell},
        root);
    window.AttachChat(&chat);
    tray.SetActions([&window] { window.ToggleFromTray(); }, [&chat] { chat.EndDialog(); });
    instance.SetActivateHandler([&chat] { chat.ActivateFromOtherCopy(); });
    zc::UnixSignalQuit quitOnSignal([](int) { QCoreApplication::exit(0); });

    if (chat.OnInitDialog() && !chat.Ended()) app.exec();
    chat.ExitMain();
    window.AttachChat(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const zc::CommandLine cl = zc::ParseCommandLine(argc, argv);
    if (!cl.error.empty()) {
        std::fprintf(stderr, "zeltochat: %s\n\n%s", cl.error.c_str(), zc::UsageText().c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(zc::UsageText().c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("zeltochat %s\n", zc::GetVersionText(zc::ProgramFileVersion()).c_str());
        return 0;
    }

    zc::PosixSystemFacts facts;
    const zc::DataRoot root = zc::ResolveDataRoot(RootInputs(cl, facts));
    if (!root.error.empty()) {
        std::fprintf(stderr, "zeltochat: %s\n", root.error.c_str());
        return 1;
    }
    if (::chdir(root.path.c_str()) != 0) {
        std::fprintf(stderr, "zeltochat: cannot enter %s\n", root.path.c_str());
        return 1;
    }
    if (cl.printSettings) {
        const zc::SystemNames names{zc::SystemNameOrFallback(facts.UserName()),
                                    zc::SystemNameOrFallback(facts.ComputerName())};
        const std::string text = zc::PrintSettings(names);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    return RunDesktop(argc, argv, root.path, facts);
}
