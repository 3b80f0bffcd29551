#include "options/options_groups_page.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zc {

COptionsGroupsPage::COptionsGroupsPage(const OptionsStore& store, QWidget* parent)
    : COptionsPage(store, parent), saved_(LoadGroups(store.ProfileFile())) {
    on_ = new QCheckBox(Tr(144, "Use groups"));
    on_->setObjectName("groupsOn");
    on_->setChecked(saved_.on);
    table_ = new QTableWidget(static_cast<int>(kGroupRows), 2);
    table_->setObjectName("groups");
    table_->setHorizontalHeaderLabels({Tr(145, "Group name"), Tr(146, "Address range (from-to)")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    QStringList rows;
    for (size_t i = 0; i < kGroupRows; ++i) {
        rows << QString::number(i + 1);  // people count from one
        table_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(Q(saved_.names[i])));
        table_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(Q(saved_.ranges[i])));
    }
    table_->setVerticalHeaderLabels(rows);
    error_ = ErrorLabel("groupsError");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addWidget(table_, 1);
    layout->addWidget(error_);
}

GroupValues COptionsGroupsPage::Current() const {
    GroupValues v;
    v.on = on_->isChecked();
    for (size_t i = 0; i < kGroupRows; ++i) {
        v.names[i] = S(table_->item(static_cast<int>(i), 0)->text().trimmed());
        v.ranges[i] = S(table_->item(static_cast<int>(i), 1)->text().trimmed());
    }
    return v;
}

bool COptionsGroupsPage::Check() {
    error_->hide();
    size_t row = 0;
    const GroupProblem problem = CheckGroups(Current(), row);
    if (problem == GroupProblem::None) return true;
    const QString why = problem == GroupProblem::Range
                            ? Tr(147, "A range is two IPv4 addresses joined by \"-\", for example "
                                      "192.168.0.1-192.168.0.99, beside a group name")
                            : Tr(148, "A group name has at least 2 characters, no control characters and no empty row "
                                      "above it");
    error_->setText(QString::number(row + 1) + ": " + why);
    error_->show();
    table_->setCurrentCell(static_cast<int>(row), problem == GroupProblem::Range ? 1 : 0);
    return false;
}

bool COptionsGroupsPage::Write(std::string& flags) {
    const GroupValues now = Current();
    if (!SaveGroups(store_.ProfileFile(), saved_, now, flags)) return false;
    saved_ = now;
    return true;
}

}  // namespace zc
