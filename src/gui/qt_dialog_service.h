#pragma once
#include <QWidget>

#include "platform/dialogs.h"

namespace zc {

// Alerts and questions as windows of their own, so the chat keeps running while they are open.
class QtDialogService : public DialogService {
public:
    explicit QtDialogService(QWidget* parent) : parent_(parent) {}
    void ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) override;
    void AskQuestion(const std::string& caption, const std::string& text, std::function<void(bool)> onAnswer) override;

private:
    QWidget* parent_;
};

}  // namespace zc
