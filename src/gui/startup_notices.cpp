#include "gui/startup_notices.h"

#include <cstdio>

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

namespace zc {

std::vector<std::string> NoticeSkinChrome::TakeErrors() {
    std::vector<std::string> taken;
    taken.swap(errors_);
    return taken;
}

void TellUser(const std::vector<std::string>& utf8Texts, bool fatal, bool wait, QWidget* parent) {
    if (utf8Texts.empty()) return;
    QString all;
    for (const std::string& text : utf8Texts) {
        std::fprintf(stderr, "zeltochat: %s\n", text.c_str());
        if (!all.isEmpty()) all += "\n\n";
        all += QString::fromStdString(text);
    }
    std::fflush(stderr);
    auto* box = new QMessageBox(fatal ? QMessageBox::Critical : QMessageBox::Warning, "Zelto Chat", all,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Nobody may be at the screen: the box goes by itself, and the program does not wait for ever.
    QTimer::singleShot(kNoticeSeconds * 1000, box, [box] { box->close(); });
    if (!wait) {
        box->setModal(false);
        box->show();
        return;
    }
    // The chat's own end request may still be queued, and once run it ends every nested event
    // loop at once; so it goes first, and the box gets an event loop of its own.
    QCoreApplication::processEvents();
    QObject::connect(box, &QObject::destroyed, [] { QCoreApplication::exit(0); });
    box->show();
    QCoreApplication::exec();
}

}  // namespace zc
