#pragma once
#include <memory>
#include <vector>

#include <QDialog>

#include "services/history_search.h"

class QLabel;
class QLineEdit;
class QTemporaryDir;
class QTreeWidget;

namespace zc {

class CChatMainDlg;

// Ctrl+F: a text to find in every month's history, the entries that hold it newest first, and
// a page of the picked one's day opened as the history commands open theirs.
class HistorySearchWindow : public QDialog {
public:
    HistorySearchWindow(CChatMainDlg& chat, QWidget* parent);
    ~HistorySearchWindow() override;
    // Runs the search for text (UTF-8) as if typed and Enter pressed.
    void Search(const QString& text);
    // Opens the day of the row-th result: its entries of the same file, on a page of their own;
    // the month's file when the entry has no date.
    void OpenResult(int row);
    // Writes the page of a dated entry's day; empty when it cannot be written.
    std::string WriteDayPage(const HistoryHit& hit);
    QLineEdit* Field() const { return field_; }
    QTreeWidget* Results() const { return results_; }
    QLabel* Status() const { return status_; }

private:
    CChatMainDlg& chat_;
    QLineEdit* field_;
    QTreeWidget* results_;
    QLabel* status_;
    std::vector<HistoryHit> hits_;
    // The day pages, outside the history folder, gone with the window.
    std::unique_ptr<QTemporaryDir> days_;
};

}  // namespace zc
