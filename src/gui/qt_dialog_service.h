#pragma once
#include <map>
#include <string>

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

class QDialog;

namespace zc {

// Alerts and questions as windows of their own, so the chat keeps running while they are open.
class QtDialogService : public DialogService {
public:
    explicit QtDialogService(QWidget* parent) : parent_(parent) {}
    void ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) override;
    void AskQuestion(const std::string& caption, const std::string& text, std::function<void(bool)> onAnswer) override;
    void ShowNumberedAlert(int number, const std::string& caption, const std::string& text,
                           std::function<void()> onRead) override;
    void AskNumbered(int number, const std::string& caption, const std::string& text,
                     std::function<void(bool)> onAnswer) override;
    // Closes that window without an answer.
    void Withdraw(int number) override;
    void CloseAll() override;
    // One card window per caption (it names the user); shown again, it is refilled and raised.
    void ShowUserInfo(const std::string& caption,
                      const std::vector<std::pair<std::string, std::string>>& lines) override;
    // The path handed on is the file system's own (UTF-8 on Linux), so any file name opens.
    void PickFileToSend(const std::string& caption, std::function<void(const std::string&)> onPicked) override;

    // One small window per event kind: shown again, it is refilled and raised.
    void ShowEventNotice(int kind, const std::string& caption, const std::string& text) override;

    // The open card window of that caption, if any.
    QDialog* UserInfoWindow(const std::string& caption) const;

private:
    QMessageBox* OpenAlert(const std::string& caption, const std::string& text, std::function<void()> onRead);
    QMessageBox* OpenQuestion(const std::string& caption, const std::string& text, std::function<void(bool)> onAnswer);
    QWidget* parent_;
    std::map<int, QPointer<QMessageBox>> numbered_;
    std::map<std::string, QPointer<QDialog>> cards_;
    std::map<int, QPointer<QMessageBox>> notices_;
};

}  // namespace zc
