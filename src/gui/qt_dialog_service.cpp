#include "gui/qt_dialog_service.h"

#include <QMessageBox>
#include <QPushButton>

#include "base/cp1251.h"

namespace zc {
namespace {

QString Text(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

QMessageBox* MakeBox(QWidget* parent, const std::string& caption, const std::string& text, QMessageBox::Icon icon) {
    // The caption says who it is from (an invitation, an alert); title bars are not always
    // shown, so the box says it too.
    const QString body = caption.empty() ? Text(text) : Text(caption) + "\n\n" + Text(text);
    auto* box = new QMessageBox(icon, Text(caption), body, QMessageBox::NoButton, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);  // peer text is never markup here
    box->setWindowModality(Qt::NonModal);
    return box;
}

}  // namespace

void QtDialogService::ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) {
    QMessageBox* box = MakeBox(parent_, caption, text, QMessageBox::Warning);
    box->addButton(QMessageBox::Ok);
    QObject::connect(box, &QMessageBox::finished, box, [onRead](int) {
        if (onRead) onRead();
    });
    box->show();
    box->raise();
    box->activateWindow();
}

void QtDialogService::AskQuestion(const std::string& caption, const std::string& text,
                                  std::function<void(bool)> onAnswer) {
    QMessageBox* box = MakeBox(parent_, caption, text, QMessageBox::Question);
    QPushButton* yes = box->addButton(QMessageBox::Yes);
    box->addButton(QMessageBox::No);
    QObject::connect(box, &QMessageBox::finished, box, [box, yes, onAnswer](int) {
        if (onAnswer) onAnswer(box->clickedButton() == yes);
    });
    box->show();
    box->raise();
}

}  // namespace zc
