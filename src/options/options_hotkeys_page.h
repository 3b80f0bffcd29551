#pragma once
#include <QLineEdit>
#include <array>

#include "options/options_hotkeys.h"
#include "options/options_page.h"

class QLabel;

namespace zc {

// Shows a key and takes the next key pressed in it as the new one.
class CHotKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CHotKeyEdit(QWidget* parent = nullptr);

signals:
    // The chat's code of the pressed key; 0 for a key the chat cannot see.
    void KeyCaptured(int code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The hot keys of [GLOBAL], part of the general page.
class COptionsHotKeysPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsHotKeysPage(const OptionsStore& store, QWidget* parent = nullptr);
    bool Check() override;
    bool Write(std::string& flags) override;

private:
    void Capture(size_t index, int code);
    void Show(size_t index);
    void Complain(size_t index, const QString& message);
    QString Problem(HotKeyProblem problem) const;

    HotKeyValues saved_{};
    HotKeyValues current_{};
    std::array<CHotKeyEdit*, kHotKeyNames.size()> edits_{};
    std::array<QLabel*, kHotKeyNames.size()> errors_{};
};

}  // namespace zc
