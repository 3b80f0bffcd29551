#pragma once
#include <vector>

#include <QDialog>

#include "services/history_search.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace zc {

class CChatMainDlg;

// Ctrl+F: a text to find in every month's history, the entries that hold it newest first, and
// the history file of the one picked opened as the history commands open theirs.
class HistorySearchWindow : public QDialog {
public:
    HistorySearchWindow(CChatMainDlg& chat, QWidget* parent);
    // Runs the search for text (UTF-8) as if typed and Enter pressed.
    void Search(const QString& text);
    // Opens the file of the row-th result.
    void OpenResult(int row);
    QLineEdit* Field() const { return field_; }
    QTreeWidget* Results() const { return results_; }
    QLabel* Status() const { return status_; }

private:
    CChatMainDlg& chat_;
    QLineEdit* field_;
    QTreeWidget* results_;
    QLabel* status_;
    std::vector<HistoryHit> hits_;
};

}  // namespace zc
