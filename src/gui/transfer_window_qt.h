#pragma once
#include <functional>
#include <memory>

#include <QDialog>
#include <QPointer>

#include "platform/transfer_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zc {

// The dialog itself; closing it by its frame or Escape counts as cancel.
class TransferDialog : public QDialog {
public:
    explicit TransferDialog(QWidget* parent = nullptr);
    QLabel* fileName = nullptr;
    QProgressBar* bar = nullptr;
    QLabel* progress = nullptr;
    QLabel* rate = nullptr;
    QPushButton* cancel = nullptr;
};

// One transfer's progress window, a small dialog beside the chat that does not block it.
class TransferWindowQt : public TransferWindow {
public:
    TransferWindowQt(std::function<void()> onCancel, QWidget* parent);
    ~TransferWindowQt() override;

    void SetTexts(const std::string& title, const std::string& fileName, const std::string& cancel) override;
    void SetRange(int maxKb) override;
    void SetPosition(int kb) override;
    void SetProgressText(const std::string& text) override;
    void SetRateText(const std::string& text) override;
    void Show() override;
    void Hide() override;

    TransferDialog* Dialog() const { return dialog_; }

private:
    void Cancel();

    QPointer<TransferDialog> dialog_;
    std::function<void()> onCancel_;
    bool cancelled_ = false;
};

class TransferWindowFactoryQt : public TransferWindowFactory {
public:
    explicit TransferWindowFactoryQt(QWidget* parent) : parent_(parent) {}
    std::unique_ptr<TransferWindow> Create(std::function<void()> onCancel) override;

private:
    QWidget* parent_;
};

}  // namespace zc
