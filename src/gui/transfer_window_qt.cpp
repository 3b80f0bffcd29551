#include "gui/transfer_window_qt.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/cp1251.h"

namespace zc {
namespace {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

QLabel* PlainLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);  // a peer's file name is never markup
    return label;
}

}  // namespace

TransferDialog::TransferDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CmyFileTrans");
    setWindowModality(Qt::NonModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    fileName = PlainLabel(this, "FileName");
    // A long name is clipped (its tool tip has it whole) rather than widening the window off the screen.
    fileName->setMinimumWidth(1);
    fileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar = new QProgressBar(this);
    bar->setObjectName("Progress");
    bar->setTextVisible(false);
    bar->setRange(0, 1);
    bar->setValue(0);
    progress = PlainLabel(this, "ProgressText");
    rate = PlainLabel(this, "RateText");
    cancel = new QPushButton(this);
    cancel->setObjectName("Cancel");
    cancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    layout->addWidget(fileName);
    layout->addWidget(bar);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(progress);
    numbers->addStretch(1);
    numbers->addWidget(rate);
    layout->addLayout(numbers);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(340);
    setMaximumWidth(520);
}

TransferWindowQt::TransferWindowQt(std::function<void()> onCancel, QWidget* parent)
    : dialog_(new TransferDialog(parent)), onCancel_(std::move(onCancel)) {
    // rejected comes from the button, Escape and the frame's close alike.
    QObject::connect(dialog_->cancel, &QPushButton::clicked, dialog_, &QDialog::reject);
    QObject::connect(dialog_, &QDialog::rejected, dialog_, [this] { Cancel(); });
}

TransferWindowQt::~TransferWindowQt() {
    // Owned by the chat; the main window may already have taken it along.
    delete dialog_.data();
}

void TransferWindowQt::Cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    dialog_->cancel->setEnabled(false);
    // Later, from the event loop: the chat may drop this window in its answer, and the dialog
    // must not go away inside its own signal.
    QMetaObject::invokeMethod(
        dialog_,
        [this] {
            if (onCancel_) onCancel_();
        },
        Qt::QueuedConnection);
}

void TransferWindowQt::SetTexts(const std::string& title, const std::string& fileName, const std::string& cancel) {
    if (!dialog_) return;
    dialog_->setWindowTitle(FromCp1251(title));
    const QString name = FromCp1251(fileName);
    dialog_->fileName->setText(name);
    dialog_->fileName->setToolTip(name);
    dialog_->cancel->setText(FromCp1251(cancel));
}

void TransferWindowQt::SetRange(int maxKb) {
    // A range of 0..0 would make the bar a busy indicator, as if nothing were known.
    if (dialog_) dialog_->bar->setRange(0, std::max(1, maxKb));
}

void TransferWindowQt::SetPosition(int kb) {
    if (dialog_) dialog_->bar->setValue(std::clamp(kb, 0, dialog_->bar->maximum()));
}

void TransferWindowQt::SetProgressText(const std::string& text) {
    if (dialog_) dialog_->progress->setText(FromCp1251(text));
}

void TransferWindowQt::SetRateText(const std::string& text) {
    if (dialog_) dialog_->rate->setText(FromCp1251(text));
}

void TransferWindowQt::Show() {
    if (!dialog_) return;
    dialog_->show();
    dialog_->raise();
}

void TransferWindowQt::Hide() {
    if (dialog_) dialog_->hide();
}

std::unique_ptr<TransferWindow> TransferWindowFactoryQt::Create(std::function<void()> onCancel) {
    return std::make_unique<TransferWindowQt>(std::move(onCancel), parent_);
}

}  // namespace zc
