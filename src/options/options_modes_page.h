#pragma once
#include <array>

#include "options/options_modes.h"
#include "options/options_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace zc {

// The four mode texts and, per mode and event, which of sound, line, dialog and bubble are on.
class COptionsModesPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsModesPage(const OptionsStore& store, QWidget* parent = nullptr);
    bool Check() override;
    bool Write(std::string& flags) override;

private:
    QWidget* BuildMode(int mode);
    ModeValues Current() const;

    ModeValues saved_;
    QComboBox* choice_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::array<QLineEdit*, 4> texts_{};
    std::array<QLabel*, 4> textErrors_{};
    // Per mode and event: sound, line, dialog, bubble.
    std::array<std::array<std::array<QCheckBox*, 4>, kChatModeEvents.size()>, 4> boxes_{};
};

}  // namespace zc
