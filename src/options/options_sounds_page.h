#pragma once
#include <array>
#include <map>

#include "options/options_page.h"
#include "options/options_sounds.h"

class QComboBox;
class QSoundEffect;

namespace zc {

// The sound file of every event, chosen from sound/ or copied into it, with a button to hear it.
class COptionsSoundsPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsSoundsPage(const OptionsStore& store, QWidget* parent = nullptr);
    bool Check() override;
    bool Write(std::string& flags) override;
    // A file as if picked in the file dialog for event i; it is copied into sound/ when saved.
    bool PickSound(size_t event, const QString& path);
    // What Play would play for event i; empty for none.
    QString SoundPath(size_t event) const;

private:
    void Play(size_t event);
    SoundValues Current() const;
    QString Folder() const;

    SoundValues saved_;
    std::array<QComboBox*, kSoundEvents.size()> choices_{};
    std::array<QLabel*, kSoundEvents.size()> errors_{};
    std::map<QString, QString> picked_;  // name in sound/ -> file it is copied from
    QLabel* note_ = nullptr;
    QSoundEffect* effect_ = nullptr;
};

}  // namespace zc
