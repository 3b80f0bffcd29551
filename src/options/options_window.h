#pragma once
#include <QWidget>

#include "options/options_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zc {

// The editor's window: the user card and the general page, saved together.
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
    QLabel* status_ = nullptr;
};

}  // namespace zc
