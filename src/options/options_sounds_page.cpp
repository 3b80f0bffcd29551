#include "options/options_sounds_page.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#ifdef ZC_OPTIONS_SOUND
#include <QSoundEffect>
#endif

namespace zc {

COptionsSoundsPage::COptionsSoundsPage(const OptionsStore& store, QWidget* parent)
    : COptionsPage(store, parent), saved_(LoadSounds(store.ProfileFile())) {
    const std::vector<std::string> files = SoundFiles(S(Folder()));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(ChatTr(81, "Event")), 0, 0);
    grid->addWidget(new QLabel(ChatTr(80, "Sound file")), 0, 1);
    for (size_t i = 0; i < kSoundEvents.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid->addWidget(new QLabel(ChatTr(kSoundEvents[i].string, kSoundEvents[i].name)), row, 0);
        auto* box = new QComboBox;
        box->setObjectName(QString("sound%1").arg(i));
        box->addItem(Tr(141, "No sound"), QString());
        for (const std::string& f : files) box->addItem(Q(f), Q(f));
        // A file named in the profile but missing from sound/ stays chosen.
        if (box->findData(Q(saved_.files[i])) < 0) box->addItem(Q(saved_.files[i]), Q(saved_.files[i]));
        box->setCurrentIndex(box->findData(Q(saved_.files[i])));
        choices_[i] = box;
        errors_[i] = ErrorLabel(QString("sound%1Error").arg(i));
        grid->addLayout(WithError(box, errors_[i]), row, 1);

        auto* choose = new QPushButton(Tr(103, "Choose..."));
        connect(choose, &QPushButton::clicked, this, [this, i] {
            const QString path = QFileDialog::getOpenFileName(this, ChatTr(83, "Choose sound file"), Folder(),
                                                              "*.wav *.WAV");
            if (!path.isEmpty()) PickSound(i, path);
        });
        grid->addWidget(choose, row, 2);
        auto* play = new QPushButton(ChatTr(82, "Play"));
        play->setObjectName(QString("play%1").arg(i));
        connect(play, &QPushButton::clicked, this, [this, i] { Play(i); });
        grid->addWidget(play, row, 3);
    }
    note_ = new QLabel;
    note_->setObjectName("soundNote");
    grid->addWidget(note_, static_cast<int>(kSoundEvents.size()) + 1, 0, 1, 4);
    grid->setRowStretch(static_cast<int>(kSoundEvents.size()) + 2, 1);
}

QString COptionsSoundsPage::Folder() const { return QDir(Q(store_.Root())).filePath("sound"); }

bool COptionsSoundsPage::PickSound(size_t event, const QString& path) {
    if (event >= choices_.size()) return false;
    const QString name = QFileInfo(path).fileName();
    errors_[event]->hide();
    if (!IsSoundFileName(S(name))) {
        errors_[event]->setText(Tr(142, "This file name cannot be used for a sound"));
        errors_[event]->show();
        return false;
    }
    // A file already inside sound/ is only named; one from elsewhere is copied in when saved.
    if (QFileInfo(path).absoluteDir().canonicalPath() != QDir(Folder()).canonicalPath()) picked_[name] = path;
    QComboBox* box = choices_[event];
    if (box->findData(name) < 0) box->addItem(name, name);
    box->setCurrentIndex(box->findData(name));
    return true;
}

QString COptionsSoundsPage::SoundPath(size_t event) const {
    if (event >= choices_.size()) return {};
    const QString name = choices_[event]->currentData().toString();
    if (name.isEmpty()) return {};
    const auto it = picked_.find(name);
    return it != picked_.end() ? it->second : QDir(Folder()).filePath(name);
}

void COptionsSoundsPage::Play(size_t event) {
    const QString path = SoundPath(event);
    if (path.isEmpty()) return;
#ifdef ZC_OPTIONS_SOUND
    if (!effect_) effect_ = new QSoundEffect(this);
    effect_->setSource(QUrl::fromLocalFile(path));
    effect_->play();
#else
    note_->setText(Tr(143, "Sounds cannot be played by this build"));
#endif
}

SoundValues COptionsSoundsPage::Current() const {
    SoundValues v;
    for (size_t i = 0; i < choices_.size(); ++i) v.files[i] = S(choices_[i]->currentData().toString());
    return v;
}

bool COptionsSoundsPage::Check() {
    // Names were checked when picked; a picked file that has gone since would fail half-way.
    bool ok = true;
    for (size_t i = 0; i < choices_.size(); ++i) {
        const auto it = picked_.find(choices_[i]->currentData().toString());
        if (it == picked_.end() || QFileInfo(it->second).isReadable()) continue;
        errors_[i]->setText(Tr(112, "The settings could not be written"));
        errors_[i]->show();
        ok = false;
    }
    return ok;
}

bool COptionsSoundsPage::Write(std::string& flags) {
    const SoundValues now = Current();
    for (const std::string& name : now.files) {
        const auto it = picked_.find(Q(name));
        if (it == picked_.end()) continue;
        if (!CopyOver(it->second, QDir(Folder()).filePath(it->first))) return false;
        picked_.erase(it);
    }
    if (!SaveSounds(store_.ProfileFile(), saved_, now, flags)) return false;
    saved_ = now;
    return true;
}

}  // namespace zc
