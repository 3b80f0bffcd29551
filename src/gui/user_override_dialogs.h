#pragma once
#include <functional>
#include <string>

#include <QDialog>

#include "services/user_overrides.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zc {

class LanguageTable;

// Texts these dialogs and the user menu take from the language file: the numbered table and,
// for what it has no entry for, [MENUSTRINGS] of the same file.
struct OverrideTexts {
    const LanguageTable* lang = nullptr;
    std::string languageFile;  // path of the chosen language's file
    QString Str(int n) const;
    QString Menu(int n, const char* fallback) const;
};

// The user menu's item that opens OverrideColor.
inline constexpr int kColoursMenuString = 150;
// Event i of the sound list is named by [MENUSTRINGS] MSTR<152 + i>.
inline constexpr int kSoundEventMenuStrings = 152;

// The sounds one user's events play here: event and sound file, a file picked from sound/
// ("..."), removed ("X") or played ("Play"). Every change is written at once.
class COverrideSound : public QDialog {
public:
    COverrideSound(const OverrideTexts& texts, std::string profilePath, std::string soundDir, std::string name,
                   std::function<void(const std::string&)> play, QWidget* parent = nullptr);
    QTreeWidget* List() const { return list_; }
    // The picked file for the selected event; refused (with a remark) unless it lies directly
    // in the sound folder under a name the profile can hold.
    bool UseFile(const QString& path);
    void RemoveSelected();
    void PlaySelected();
    QString Remark() const;

private:
    int SelectedEvent() const;
    void ShowEvent(int event);
    OverrideTexts texts_;
    std::string profilePath_, soundDir_, name_;
    std::function<void(const std::string&)> play_;
    QTreeWidget* list_ = nullptr;
    QLabel* remark_ = nullptr;
};

// One user's name and message colours in the chat pages: a colour chosen ("..."), removed
// ("X"). Every change is written at once.
class OverrideColor : public QDialog {
public:
    OverrideColor(const OverrideTexts& texts, std::string profilePath, std::string name, QWidget* parent = nullptr);
    bool SetColour(UserColour which, const QColor& colour);
    void RemoveColour(UserColour which);
    // The colour button's text: the stored colour, or "..." without one.
    QString Shown(UserColour which) const;

private:
    void ShowColour(UserColour which);
    QPushButton* Button(UserColour which) const { return which == UserColour::Name ? name_ : message_; }
    std::string profilePath_, user_;
    QPushButton* name_ = nullptr;
    QPushButton* message_ = nullptr;
};

}  // namespace zc
