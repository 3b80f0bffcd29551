#include "gui/connection_check_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "base/ini_file.h"
#include "base/language.h"
#include "doctor/doctor.h"

namespace zc {

namespace {

QString MenuText(const CChatMainDlg& chat, int number, const char* fallback) {
    const std::string file = LanguageTable::FilePath(chat.Language().Name());
    const std::string text = ReadIniValue(file, "MENUSTRINGS", "MSTR" + std::to_string(number));
    return QString::fromStdString(text.empty() ? fallback : Cp1251ToUtf8(text));
}

class ConnectionCheckDialog : public QDialog {
public:
    ConnectionCheckDialog(doctor::DoctorOptions options, const QString& caption, const QString& close, QWidget* parent)
        : QDialog(parent) {
        setWindowTitle(caption);
        text_ = new QPlainTextEdit(this);
        text_->setReadOnly(true);
        text_->setLineWrapMode(QPlainTextEdit::NoWrap);
        text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton(close, QDialogButtonBox::RejectRole);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text_);
        layout->addWidget(buttons);
        resize(760, 300);

        // The peers take three seconds and the firewall tools may take more; the window stays live.
        worker_ = QThread::create([this, options] {
            doctor::RunDoctor(options, [this](const doctor::CheckLine& line) {
                const QString shown = QString::fromStdString(doctor::FormatLine(line));
                QMetaObject::invokeMethod(this, [this, shown] { text_->appendPlainText(shown); }, Qt::QueuedConnection);
            });
        });
        connect(worker_, &QThread::finished, this, [this] {
            if (!isVisible()) deleteLater();
        });
        worker_->start();
    }

    ~ConnectionCheckDialog() override {
        // Only when the chat window itself goes while a check runs; the check ends within seconds.
        worker_->wait();
        delete worker_;
    }

    void done(int result) override {
        QDialog::done(result);
        if (worker_->isFinished()) deleteLater();
    }

private:
    QPlainTextEdit* text_ = nullptr;
    QThread* worker_ = nullptr;
};

QPointer<ConnectionCheckDialog> openDialog;

}  // namespace

QString ConnectionCheckCaption(const CChatMainDlg& chat) { return MenuText(chat, 170, "Connection check"); }

void ShowConnectionCheck(QWidget* parent, const CChatMainDlg& chat) {
    if (openDialog && openDialog->isVisible()) {
        openDialog->raise();
        openDialog->activateWindow();
        return;
    }
    doctor::DoctorOptions options;
    options.net = ReadNetSettings(chat.User().ProfilePath());
    // Our own chat answers the check's WHO too; it is no other copy.
    options.ownIds = {chat.OwnId()};
    openDialog = new ConnectionCheckDialog(options, ConnectionCheckCaption(chat), MenuText(chat, 171, "Close"),
                                           parent);
    openDialog->show();
}

}  // namespace zc
