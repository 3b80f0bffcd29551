#include "gui/history_search_window.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "base/text_helpers.h"
#include "gui/chat_main_window.h"
#include "ui/html/history_day_page.h"

namespace zc {

namespace {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

// Day pages kept at once; older ones are removed, so a long session does not fill the disk.
constexpr int kDayPagesKept = 8;

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

HistorySearchWindow::~HistorySearchWindow() = default;

std::string HistorySearchWindow::WriteDayPage(const HistoryHit& hit) {
    const HistoryEntry& e = hit.entry;
    if (e.day == 0) return {};
    if (!days_) {
        // The user's own runtime folder when there is one: private to the user, emptied at logout.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QString base = !runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()
                                 ? QString::fromLocal8Bit(runtime)
                                 : QDir::tempPath();
        days_ = std::make_unique<QTemporaryDir>(base + "/zeltochat-history-XXXXXX");
    }
    if (!days_->isValid()) return {};
    const std::string date = e.DateText().substr(0, 10);
    const std::string heading = chat_.Language().LangString(hit.isMain ? 14 : 15) + ": " + date;
    const std::string page = HistoryDayPage(
        heading, HistoryDayEntries(hit.file, e.year, e.month, e.day),
        chat_.MenuText(230, "Only the latest entries of this day are shown; the month's file holds them all"));
    const QString name =
        QString::asprintf("%04d-%02d-%02d_%s.htm", e.year, e.month, e.day, hit.isMain ? "main" : "private");
    QDir dir(days_->path());
    const QStringList older = dir.entryList({"*.htm"}, QDir::Files, QDir::Time);
    for (int i = kDayPagesKept - 1; i < older.size(); ++i)
        if (older[i] != name) dir.remove(older[i]);
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(page.data(), static_cast<qint64>(page.size())) != static_cast<qint64>(page.size()))
        return {};
    return file.fileName().toStdString();
}

void HistorySearchWindow::OpenResult(int row) {
    if (row < 0 || static_cast<size_t>(row) >= hits_.size()) return;
    const HistoryHit& hit = hits_[static_cast<size_t>(row)];
    const std::string day = hit.entry.DateText().substr(0, hit.entry.DateText().find(' '));
    HistoryHit page = hit;
    page.file = WriteDayPage(hit);
    const auto say = [&](int number, const char* fallback) {
        status_->setText(FromCp1251(ReplaceAll(chat_.MenuText(number, fallback), "%s", day)));
    };
    if (!page.file.empty()) {
        if (chat_.OpenHistoryFile(page)) say(231, "The history of %s is open");
        else say(232, "No program could open the history of %s");
        return;
    }
    // No date, or no page could be written: the month's file, and where the day is in it.
    if (chat_.OpenHistoryFile(hit))
        say(193, "History files have no marks by day: the month's file is open; look for [%s]");
    else
        say(232, "No program could open the history of %s");
}

}  // namespace zc
