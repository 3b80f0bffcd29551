#pragma once
#include "options/options_groups.h"
#include "options/options_page.h"

class QCheckBox;
class QTableWidget;

namespace zc {

// Whether groups are used, and every group's name and address range.
class COptionsGroupsPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsGroupsPage(const OptionsStore& store, QWidget* parent = nullptr);
    bool Check() override;
    bool Write(std::string& flags) override;

private:
    GroupValues Current() const;

    GroupValues saved_;
    QCheckBox* on_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* error_ = nullptr;
};

}  // namespace zc
