#include "gui/qt_dialog_service.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

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

QMessageBox* QtDialogService::OpenAlert(const std::string& caption, const std::string& text,
                                        std::function<void()> onRead) {
    QMessageBox* box = MakeBox(parent_, caption, text, QMessageBox::Warning);
    box->addButton(QMessageBox::Ok);
    QObject::connect(box, &QMessageBox::finished, box, [onRead](int) {
        if (onRead) onRead();
    });
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

QMessageBox* QtDialogService::OpenQuestion(const std::string& caption, const std::string& text,
                                           std::function<void(bool)> onAnswer) {
    QMessageBox* box = MakeBox(parent_, caption, text, QMessageBox::Question);
    QPushButton* yes = box->addButton(QMessageBox::Yes);
    box->addButton(QMessageBox::No);
    QObject::connect(box, &QMessageBox::finished, box, [box, yes, onAnswer](int) {
        if (onAnswer) onAnswer(box->clickedButton() == yes);
    });
    box->show();
    box->raise();
    return box;
}

void QtDialogService::ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) {
    OpenAlert(caption, text, std::move(onRead));
}

void QtDialogService::AskQuestion(const std::string& caption, const std::string& text,
                                  std::function<void(bool)> onAnswer) {
    OpenQuestion(caption, text, std::move(onAnswer));
}

void QtDialogService::ShowNumberedAlert(int number, const std::string& caption, const std::string& text,
                                        std::function<void()> onRead) {
    std::erase_if(numbered_, [](const auto& entry) { return !entry.second; });
    numbered_[number] = OpenAlert(caption, text, std::move(onRead));
}

void QtDialogService::AskNumbered(int number, const std::string& caption, const std::string& text,
                                  std::function<void(bool)> onAnswer) {
    std::erase_if(numbered_, [](const auto& entry) { return !entry.second; });
    numbered_[number] = OpenQuestion(caption, text, std::move(onAnswer));
}

void QtDialogService::Withdraw(int number) {
    const auto it = numbered_.find(number);
    if (it == numbered_.end()) return;
    QPointer<QMessageBox> box = it->second;
    numbered_.erase(it);
    if (!box) return;
    // Closed by the chat, not answered by the user: nobody hears of it.
    QObject::disconnect(box, &QMessageBox::finished, nullptr, nullptr);
    box->hide();
    box->deleteLater();
}

void QtDialogService::CloseAll() {
    numbered_.clear();
    if (!parent_) return;
    // Every box, card and notice of ours goes when closed; a dialog some menu runs on the stack
    // does not, and is left to the menu.
    for (QDialog* window : parent_->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (!window->testAttribute(Qt::WA_DeleteOnClose)) continue;
        QObject::disconnect(window, &QDialog::finished, nullptr, nullptr);
        window->hide();
        window->deleteLater();
    }
}

void QtDialogService::ShowEventNotice(int kind, const std::string& caption, const std::string& text) {
    QPointer<QMessageBox>& box = notices_[kind];
    if (!box) {
        box = MakeBox(parent_, caption, text, QMessageBox::Information);
        box->addButton(QMessageBox::Ok);
    } else {
        box->setWindowTitle(Text(caption));
        box->setText(caption.empty() ? Text(text) : Text(caption) + "\n\n" + Text(text));
    }
    box->show();
    box->raise();
}

namespace {

QLabel* CardLabel(const QString& text, bool selectable) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);  // a peer's card is never markup
    if (selectable) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setWordWrap(true);
        label->setMinimumWidth(220);
    }
    return label;
}

void FillCard(QDialog* card, const std::vector<std::pair<std::string, std::string>>& lines) {
    auto* form = card->findChild<QFormLayout*>("CardRows");
    while (form->rowCount() > 0) form->removeRow(0);
    for (const auto& [label, value] : lines) form->addRow(CardLabel(Text(label), false), CardLabel(Text(value), true));
}

}  // namespace

void QtDialogService::ShowUserInfo(const std::string& caption,
                                   const std::vector<std::pair<std::string, std::string>>& lines) {
    // Closed windows are on their way out (deleted on close): forget them.
    std::erase_if(cards_, [](const auto& entry) { return !entry.second || !entry.second->isVisible(); });
    QPointer<QDialog>& card = cards_[caption];
    if (!card) {
        card = new QDialog(parent_);
        card->setObjectName("UserInfoDlg");
        card->setAttribute(Qt::WA_DeleteOnClose);
        card->setWindowModality(Qt::NonModal);
        card->setWindowTitle(Text(caption));
        auto* layout = new QVBoxLayout(card);
        auto* form = new QFormLayout;
        form->setObjectName("CardRows");
        form->setLabelAlignment(Qt::AlignRight | Qt::AlignTop);
        layout->addLayout(form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, card);
        QObject::connect(buttons, &QDialogButtonBox::rejected, card, &QDialog::close);
        layout->addWidget(buttons);
    }
    FillCard(card, lines);
    card->show();
    card->raise();
    card->activateWindow();
}

QDialog* QtDialogService::UserInfoWindow(const std::string& caption) const {
    auto it = cards_.find(caption);
    return it == cards_.end() || !it->second || !it->second->isVisible() ? nullptr : it->second.data();
}

void QtDialogService::PickFileToSend(const std::string& caption, std::function<void(const std::string&)> onPicked) {
    // Some file dialogs move the current directory, which must stay the program folder.
    const QString folder = QDir::currentPath();
    const QString file = QFileDialog::getOpenFileName(parent_, Text(caption), QDir::homePath(), "All Files (*)");
    QDir::setCurrent(folder);
    if (file.isEmpty() || !onPicked) return;
    onPicked(QFile::encodeName(file).toStdString());
}

}  // namespace zc
