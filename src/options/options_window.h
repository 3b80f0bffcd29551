#pragma once
#include <QWidget>
#include <vector>

#include "options/options_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace zc {

class COptionsPage;

// The editor's window: the user card, the general page and the other pages, saved together.
class COptionsWindow : public QWidget {
    Q_OBJECT
public:
    explicit COptionsWindow(const std::string& root, QWidget* parent = nullptr);
    // Validates, copies a newly picked avatar and writes what changed; false when nothing was written.
    bool Save();
    // The avatar as if picked in the file dialog.
    bool PickAvatar(const QString& path);

private:
    QString Tr(int number, const char* fallback) const;
    OptionValues Current() const;
    QWidget* BuildUserPage();
    QWidget* BuildGeneralPage();

    OptionsStore store_;
    OptionValues saved_;
    QTabWidget* tabs_ = nullptr;
    std::vector<COptionsPage*> pages_;
    QString avatarSource_;
    QLineEdit* nickname_ = nullptr;
    QLabel* nicknameError_ = nullptr;
    QLineEdit* fullName_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* web_ = nullptr;
    QLineEdit* email_ = nullptr;
    QLineEdit* avatar_ = nullptr;
    QComboBox* language_ = nullptr;
    QComboBox* skin_ = nullptr;
    QCheckBox* sound_ = nullptr;
    QCheckBox* autostart_ = nullptr;
    QCheckBox* allowDesktop_ = nullptr;
    QCheckBox* allowProcessList_ = nullptr;
    COptionsPage* hotKeys_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace zc
