// zeltochat-cli: the chat on a terminal, for servers, scripts and tests.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include "app/chat_main_dlg.h"
#include "base/data_root.h"
#include "base/version.h"
#include "base/xdg_autostart.h"
#include "cli/chat_line_text.h"
#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/console_dialogs.h"
#include "cli/headless_host.h"
#include "cli/stdin_reader.h"
#include "cli/terminal_session.h"
#include "cli/terminal_transfer_window.h"
#include "cli/terminal_views.h"
#include "cli/timer_watch.h"
#include "doctor/doctor.h"
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

namespace fs = std::filesystem;

// Lines typed before the network came up wait this long more, so the first answers to the
// presence request are in and "MSG->Name" finds Name.
constexpr int kSettleMs = 1000;

int RunChat(int argc, char** argv, const zc::CliOptions& options, const std::string& root,
            const std::string& startDir, zc::PosixSystemFacts& facts) {
    QCoreApplication app(argc, argv);
    app.setOrganizationName("Zelto group");
    app.setApplicationName("ZeltoChat");

    zc::Console console(STDOUT_FILENO, zc::Console::WantsColour(STDOUT_FILENO));
    zc::PageStore pages;
    zc::TerminalViewFactory views(pages);

    zc::QtClock clock;
    zc::QtTimerService qtTimers;
    zc::TerminalSession* session = nullptr;
    zc::TimerWatch timers(qtTimers, zc::kStartupTimer, [&session] {
        QTimer::singleShot(kSettleMs, QCoreApplication::instance(), [&session] {
            if (session) session->SetReady();
        });
    });
    zc::HeadlessWindow window;
    zc::QtRegistryStore registry;
    zc::QtSingleInstanceLock instance;
    zc::QtProcessStarter processes;
    zc::NoTrayIcon tray;
    // A terminal program is no desktop session's autostart entry.
    zc::XdgAutostart autostart("");
    zc::QtTransportFactory network;
    zc::NetlinkWatch networkWatch;
    zc::ConsoleDialogs dialogs(console);
    if (options.noInput) dialogs.SetNobodyAnswers();
    zc::ConsoleShell shell(console);
    // Declared before the chat, so they outlive its transfers. No screen here: snapshot
    // requests to this copy are refused.
    zc::PosixTransferSockets transferSockets;
    zc::QtWorkerThreads workers;
    zc::TerminalTransferWindowFactory transferWindows(console);

    zc::CChatMainDlg chat({clock, timers, views, window, registry, instance, facts, processes, tray, autostart,
                           &network, &dialogs, &shell, nullptr, &transferSockets, &workers, &transferWindows,
                           nullptr, &networkWatch},
                          root);
    chat.SetChatLineListener([&console](const zc::ChatLineEvent& line) {
        const std::string text = zc::TerminalLineText(line);
        if (!text.empty()) console.Line(text, zc::ChatLineStyle(line.kind));
    });
    zc::TerminalSession terminal(chat, dialogs, console);
    session = &terminal;
    terminal.SetStartDir(startDir);
    // Someone who runs a second copy here sees it in the first one's output.
    instance.SetActivateHandler([&console] { console.Note("another copy was started and ended"); });
    // SIGUSR1 writes the pages as they are now, for whoever watches a running chat.
    zc::UnixSignalQuit quitOnSignal([&chat, &pages, &options](int signal) {
        if (signal == SIGUSR1) {
            std::string error;
            if (!options.dumpPagesDir.empty() && !pages.DumpTo(options.dumpPagesDir, error))
                std::fprintf(stderr, "zeltochat-cli: %s\n", error.c_str());
            return;
        }
        chat.EndDialog();
        QCoreApplication::exit(0);
    });

    zc::InputReader input(
        STDIN_FILENO, [&terminal](const std::string& line) { terminal.OnLine(line); },
        [&terminal] { terminal.OnInputEnd(); });

    int status = 0;
    const bool started = chat.OnInitDialog() && !chat.Ended();
    for (const zc::StartupNotice& notice : chat.StartupNotices())
        std::fprintf(stderr, "zeltochat-cli: %s\n", notice.text.c_str());
    if (started) {
        if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO))
            console.Note(chat.WindowTitle() + " in " + root + "; /help lists the commands");
        terminal.PrintEarlier();
        if (!options.noInput) {
            // A closed terminal sends SIGHUP, which leaves the chat in order like the end of input.
            input.Start();
        }
        app.exec();
    } else {
        if (!instance.IsHeld() && instance.IsHeldElsewhere(zc::kInstanceMutexName))
            std::fprintf(stderr,
                         "zeltochat-cli: another copy is running; ALLOWMULTIAPP=ON in [GLOBAL] of "
                         "system/zeltochat.ini allows several\n");
        std::fprintf(stderr, "zeltochat-cli: the chat did not start; see %s%s\n", root.c_str(),
                     chat.Log().CurrentFilePath().c_str());
        status = 1;
    }
    session = nullptr;
    dialogs.DropAll();
    chat.ExitMain();

    if (!options.dumpPagesDir.empty()) {
        std::string error;
        if (!pages.DumpTo(options.dumpPagesDir, error)) {
            std::fprintf(stderr, "zeltochat-cli: %s\n", error.c_str());
            status = 1;
        }
    }
    return status;
}

// The connection check for the profile of the program folder we are in.
int RunDoctorLines() {
    zc::doctor::DoctorOptions doctor;
    doctor.net = zc::doctor::ReadProfileNetSettings();
    const auto lines = zc::doctor::RunDoctor(doctor, [](const zc::doctor::CheckLine& line) {
        std::printf("%s\n", zc::doctor::FormatLine(line).c_str());
        std::fflush(stdout);
    });
    return zc::doctor::ChatWorks(lines) ? 0 : 1;
}

}  // namespace

// Started with a standard descriptor closed, the first socket we open would take its number
// and be read as typed input or written with chat lines.
static void KeepStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0) continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

int main(int argc, char** argv) {
    KeepStandardDescriptors();
    const zc::CliOptions options = zc::ParseCliOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "zeltochat-cli: %s\nTry 'zeltochat-cli --help'.\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(zc::CliUsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("zeltochat-cli %s\n", zc::GetVersionText(zc::ProgramFileVersion()).c_str());
        return 0;
    }
    // A reader that went away must not take the chat down; writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);

    zc::PosixSystemFacts facts;
    const zc::DataRoot root = zc::ResolveDataRoot(zc::RootInputs(options.root, facts, ZC_INSTALLED_DATA));
    if (!root.error.empty()) {
        std::fprintf(stderr, "zeltochat-cli: %s\n", root.error.c_str());
        return 1;
    }
    // --dump-pages names a folder as seen from where we were started.
    zc::CliOptions resolved = options;
    if (!resolved.dumpPagesDir.empty()) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(resolved.dumpPagesDir, ec);
        if (!ec) resolved.dumpPagesDir = absolute.string();
    }
    // Files named to /send are found from where we were started.
    std::error_code cwdError;
    const std::string startDir = fs::current_path(cwdError).string();
    if (::chdir(root.path.c_str()) != 0) {
        std::fprintf(stderr, "zeltochat-cli: cannot enter %s\n", root.path.c_str());
        return 1;
    }
    if (options.doctor) return RunDoctorLines();
    return RunChat(argc, argv, resolved, root.path, startDir, facts);
}
