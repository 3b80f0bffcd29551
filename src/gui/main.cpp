// The desktop program: finds its folder, then hosts the chat in a Qt window.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <utility>

#include <QApplication>

#include "app/chat_main_dlg.h"
#include "app/print_settings.h"
#include "base/cp1251.h"
#include "base/data_root.h"
#include "base/settings.h"
#include "base/version.h"
#include "base/xdg_autostart.h"
#include "gui/chat_main_window.h"
#include "gui/command_line.h"
#include "gui/program_icon.h"
#include "gui/qt_dialog_service.h"
#include "gui/qt_shell_service.h"
#include "gui/screen_capture_qt.h"
#include "gui/startup_notices.h"
#include "gui/transfer_window_qt.h"
#include "gui/tray_icon_qt.h"
#include "gui/web/page_dump.h"
#include "gui/web/page_scheme.h"
#include "gui/web/web_view_factory.h"
#include "qt/netlink_watch.h"
#include "qt/posix_system_facts.h"
#include "qt/posix_transfer_sockets.h"
#include "qt/program_folders.h"
#include "qt/qt_clock.h"
#include "qt/qt_process_starter.h"
#include "qt/qt_registry_store.h"
#include "qt/qt_single_instance_lock.h"
#include "qt/qt_timer_service.h"
#include "qt/qt_transport_factory.h"
#include "qt/qt_worker_threads.h"
#include "qt/unix_signal_quit.h"

#ifndef ZC_INSTALLED_DATA
#define ZC_INSTALLED_DATA ""
#endif

namespace {

// Set while a chat runs: a process that ends under it (the X server gone at logout) still
// ends the chat in order.
std::function<void()> g_endChatAtExit;

void EndChatAtExit() {
    if (g_endChatAtExit) std::exchange(g_endChatAtExit, nullptr)();
}

// The session manager's "die" arrives as a quit request, which our window would refuse.
class QuitRequestFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit) return false;
        QCoreApplication::exit(0);
        return true;
    }
};

std::vector<std::string> Utf8Texts(const std::vector<std::string>& cp1251) {
    std::vector<std::string> out;
    for (const std::string& text : cp1251) out.push_back(zc::Cp1251ToUtf8(text));
    return out;
}

int RunDesktop(int argc, char** argv, const std::string& root, const std::string& dumpDir,
               zc::PosixSystemFacts& facts) {
    // The browser's sandbox cannot start as root; everything it shows is our own page anyway.
    if (::geteuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // One renderer process for all views keeps the memory down.
    if (!std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"))
        ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--renderer-process-limit=1 --disable-background-networking", 0);
    zc::PageSchemeHandler::RegisterScheme();
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
    zc::CChatMainDlg* chatPtr = nullptr;
    zc::WebViewFactory views(
        root, &window,
        [&chatPtr, &window](zc::ViewRole role, const zc::ViewEvent& event) {
            if (chatPtr) window.CarryOut(role, chatPtr->OnViewEvent(role, event));
        },
        [&window](zc::CZeltoChatText* view) { window.PlaceView(view, view->Role()); });
    zc::QtRegistryStore registry;
    zc::QtSingleInstanceLock instance;
    zc::QtProcessStarter processes;
    zc::TrayIconQt tray(icon);
    const std::string config = zc::HomeSubdir(facts, "XDG_CONFIG_HOME", ".config");
    zc::XdgAutostart autostart(config.empty() ? std::string() : config + "/autostart");
    zc::QtTransportFactory network;
    zc::NetlinkWatch networkWatch;
    zc::QtDialogService dialogs(&window);
    zc::QtShellService shell;
    // Declared before the chat, so they outlive its transfers.
    zc::PosixTransferSockets transferSockets;
    zc::QtWorkerThreads workers;
    zc::TransferWindowFactoryQt transferWindows(&window);
    zc::ScreenCaptureQt screen;

    zc::NoticeSkinChrome skin(window);

    zc::CChatMainDlg chat({clock, timers, views, window, registry, instance, facts, processes, tray, autostart,
                           &network, &dialogs, &shell, &skin, &transferSockets, &workers, &transferWindows, &screen,
                           &networkWatch},
                          root);
    chatPtr = &chat;
    window.AttachChat(&chat);
    tray.SetActions([&chat] { chat.OnTrayLeftClick(); }, [&chat] { return chat.OnTrayMenu(); },
                    [&chat](int command) { chat.OnTrayCommand(command); });
    instance.SetActivateHandler([&chat] { chat.ActivateFromOtherCopy(); });
    auto dumpPages = [&views, &dumpDir] {
        if (!dumpDir.empty()) zc::DumpPages(views, dumpDir);
    };
    zc::UnixSignalQuit quitOnSignal([&dumpPages](int signal) {
        if (signal == SIGUSR1) dumpPages();
        else QCoreApplication::exit(0);
    });
    QuitRequestFilter quitRequests;
    app.installEventFilter(&quitRequests);
    g_endChatAtExit = [&chat] { chat.ExitMain(); };
    std::atexit(EndChatAtExit);

    const bool started = chat.OnInitDialog() && !chat.Ended();
    std::vector<std::string> problems = Utf8Texts(skin.TakeErrors());
    bool failed = !problems.empty() || chat.StartFailed();
    std::vector<std::string> warnings;
    for (const zc::StartupNotice& notice : chat.StartupNotices())
        (notice.fatal ? problems : warnings).push_back(notice.text);
    if (started) {
        // Said once: on Wayland the bubble plug-in declines every notification.
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            chat.WriteLog(":::Wayland: the notification bubble cannot place itself; notifications go to the "
                          "desktop's notification server");
        zc::TellUser(warnings, false, false, &window);
        app.exec();
        // A theme that could not be applied again ends the chat too.
        problems = Utf8Texts(skin.TakeErrors());
        failed = !problems.empty();
    } else {
        problems.insert(problems.end(), warnings.begin(), warnings.end());
    }
    dumpPages();
    g_endChatAtExit = nullptr;
    chat.ExitMain();
    chatPtr = nullptr;
    window.AttachChat(nullptr);
    zc::TellUser(problems, true, true, nullptr);
    return failed ? 1 : 0;
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
    const zc::DataRoot root = zc::ResolveDataRoot(zc::RootInputs(cl.root, facts, ZC_INSTALLED_DATA));
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
    return RunDesktop(argc, argv, root.path, cl.dumpPagesDir, facts);
}
