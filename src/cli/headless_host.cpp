#include "cli/headless_host.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "cli/console.h"

namespace zc {

void HeadlessWindow::MoveWindow(int left, int top, int width, int height) {
    rect_ = {left, top, left + width, top + height};
}

void HeadlessWindow::EndDialog() {
    // Queued: the caller is still inside the chat and must return to the loop first.
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

bool ConsoleShell::OpenDocument(const std::string& pathOrUrl) {
    // What opens is the desktop's text already (UTF-8); only control bytes are kept off the terminal.
    std::string shown;
    for (char c : pathOrUrl) shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    console_.Note("open: " + shown);
    return true;
}

}  // namespace zc
