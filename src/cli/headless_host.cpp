#include "cli/headless_host.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "base/cp1251.h"
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
    console_.Note("open: " + Cp1251ToUtf8(pathOrUrl));
    return true;
}

}  // namespace zc
