#include "gui/history_search_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "base/text_helpers.h"
#include "gui/chat_main_window.h"

namespace zc {

namespace {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

}  // namespace

HistorySearchWindow::HistorySearchWindow(CChatMainDlg& chat, QWidget* parent) : QDialog(parent), chat_(chat) {
    setObjectName("HistorySearch");
    const QString caption = FromCp1251(chat_.MenuText(191, "Search the history"));
    setWindowTitle(caption);
    resize(640, 400);
    field_ = new QLineEdit(this);
    field_->setPlaceholderText(caption);
    field_->setClearButtonEnabled(true);
    results_ = new QTreeWidget(this);
    results_->setColumnCount(3);
    results_->setHeaderHidden(true);
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    results_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(results_, 1);
    layout->addWidget(status_);
    connect(field_, &QLineEdit::returnPressed, this, [this] { Search(field_->text()); });
    connect(results_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { OpenResult(results_->indexOfTopLevelItem(item)); });
}

void HistorySearchWindow::Search(const QString& text) {
    field_->setText(text);
    results_->clear();
    hits_ = chat_.FindInHistory(Utf8ToCp1251(text.toStdString()));
    for (const HistoryHit& hit : hits_) {
        const HistoryEntry& e = hit.entry;
        const QString sender = e.sender.empty() ? QString() : "<" + FromCp1251(e.sender) + ">";
        auto* item = new QTreeWidgetItem(results_, {FromCp1251(e.DateText()), sender, TextFromCp1251(e.text)});
        // Private messages and alerts stand apart from the public chat; the file says which.
        for (int column = 0; column < 3; ++column) {
            QFont font = item->font(column);
            font.setItalic(!hit.isMain);
            item->setFont(column, font);
            item->setToolTip(column, QString::fromStdString(hit.file.substr(chat_.ProgramDir().size())));
        }
        item->setToolTip(2, item->text(2));
    }
    status_->setText(hits_.empty() && !text.trimmed().isEmpty()
                         ? FromCp1251(chat_.MenuText(192, "Nothing in the history holds this text"))
                         : QString());
    if (!hits_.empty()) results_->setCurrentItem(results_->topLevelItem(0));
}

void HistorySearchWindow::OpenResult(int row) {
    if (row < 0 || static_cast<size_t>(row) >= hits_.size()) return;
    const HistoryHit& hit = hits_[static_cast<size_t>(row)];
    chat_.OpenHistoryFile(hit);
    // The files hold no marks by day, so the month's file opens; say where the day is in it.
    const std::string day = hit.entry.DateText().substr(0, hit.entry.DateText().find(' '));
    status_->setText(FromCp1251(
        ReplaceAll(chat_.MenuText(193, "History files have no marks by day: the month's file is open; look for [%s]"),
                   "%s", day)));
}

}  // namespace zc
