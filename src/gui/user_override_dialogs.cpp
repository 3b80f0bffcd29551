#include "gui/user_override_dialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/cp1251.h"
#include "base/ini_file.h"
#include "base/language.h"

namespace zc {
namespace {

QString FromCp(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

// The events by their number, as the sound list names them when the language file does not.
const char* const kEventNames[kUserSoundEvents] = {
    "Public message",   "Board message",   "Alert",          "Mode change",           "Nickname change",
    "Conference",       "Entered the chat", "Left the chat", "Left the conference",   "Warning",
    "Conference invitation", "Sound signal", "Private message", "File transfer request",
};

}  // namespace

QString OverrideTexts::Str(int n) const { return lang ? FromCp(lang->LangString(n)) : QString(); }

QString OverrideTexts::Menu(int n, const char* fallback) const {
    const std::string text = ReadIniValue(languageFile, "MENUSTRINGS", "MSTR" + std::to_string(n));
    return text.empty() ? QString::fromUtf8(fallback) : FromCp(text);
}

COverrideSound::COverrideSound(const OverrideTexts& texts, std::string profilePath, std::string soundDir,
                               std::string name, std::function<void(const std::string&)> play, QWidget* parent)
    : QDialog(parent),
      texts_(texts),
      profilePath_(std::move(profilePath)),
      soundDir_(std::move(soundDir)),
      name_(std::move(name)),
      play_(std::move(play)) {
    setWindowTitle(texts_.Str(77) + " : " + FromCp(name_));
    list_ = new QTreeWidget;
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({texts_.Str(81), texts_.Str(80)});
    for (int event = 0; event < kUserSoundEvents; ++event) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, texts_.Menu(kSoundEventMenuStrings + event, kEventNames[event]));
        row->setData(0, Qt::UserRole, event);
        ShowEvent(event);
    }
    list_->setCurrentItem(list_->topLevelItem(0));
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { PlaySelected(); });

    auto* pick = new QPushButton("...");
    auto* remove = new QPushButton("X");
    auto* playButton = new QPushButton(texts_.Str(82));
    auto* ok = new QPushButton(texts_.Str(55));
    connect(pick, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, texts_.Str(83), QString::fromStdString(soundDir_),
                                                          "*.wav");
        if (!path.isEmpty()) UseFile(path);
    });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(playButton, &QPushButton::clicked, this, [this] { PlaySelected(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    remark_ = new QLabel;
    remark_->setWordWrap(true);
    remark_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pick);
    buttons->addWidget(remove);
    buttons->addWidget(playButton);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(remark_);
    layout->addLayout(buttons);
    resize(460, 380);
}

int COverrideSound::SelectedEvent() const {
    const QTreeWidgetItem* row = list_->currentItem();
    return row ? row->data(0, Qt::UserRole).toInt() : -1;
}

void COverrideSound::ShowEvent(int event) {
    list_->topLevelItem(event)->setText(1, FromCp(ReadUserSound(profilePath_, name_, event)));
}

bool COverrideSound::UseFile(const QString& path) {
    const int event = SelectedEvent();
    if (event < 0) return false;
    remark_->hide();
    const QFileInfo file(path);
    const std::string name = Utf8ToCp1251(file.fileName().toStdString());
    // The chat plays "sound/" + the stored name, so only a file of that folder can be meant.
    const bool inSoundDir = file.isFile() && QFileInfo(file.absolutePath()).canonicalFilePath() ==
                                                 QFileInfo(QString::fromStdString(soundDir_)).canonicalFilePath();
    const bool keepsName = Cp1251ToUtf8(name) == file.fileName().toStdString();
    if (!inSoundDir || !keepsName || !IsPlainSoundFileName(name) ||
        !WriteUserSound(profilePath_, name_, event, name)) {
        remark_->setText(texts_.Menu(151, "Choose a sound file of the sound folder"));
        remark_->show();
        return false;
    }
    ShowEvent(event);
    return true;
}

void COverrideSound::RemoveSelected() {
    const int event = SelectedEvent();
    if (event < 0) return;
    WriteUserSound(profilePath_, name_, event, "");
    ShowEvent(event);
}

void COverrideSound::PlaySelected() {
    const int event = SelectedEvent();
    if (event < 0 || !play_) return;
    const std::string file = ReadUserSound(profilePath_, name_, event);
    if (IsPlainSoundFileName(file)) play_(QDir(QString::fromStdString(soundDir_)).filePath(FromCp(file)).toStdString());
}

QString COverrideSound::Remark() const { return remark_->isHidden() ? QString() : remark_->text(); }

OverrideColor::OverrideColor(const OverrideTexts& texts, std::string profilePath, std::string name, QWidget* parent)
    : QDialog(parent), profilePath_(std::move(profilePath)), user_(std::move(name)) {
    setWindowTitle(texts.Menu(kColoursMenuString, "Personal colours") + " : " + FromCp(user_));
    auto* grid = new QGridLayout;
    int row = 0;
    for (UserColour which : {UserColour::Name, UserColour::Message}) {
        auto* pick = new QPushButton;
        auto* remove = new QPushButton("X");
        (which == UserColour::Name ? name_ : message_) = pick;
        const QString caption = texts.Str(which == UserColour::Name ? 79 : 78);
        connect(pick, &QPushButton::clicked, this, [this, which, caption] {
            const QString now = QString::fromStdString(ReadUserColour(profilePath_, user_, which));
            const QColor chosen = QColorDialog::getColor(now.isEmpty() ? QColor(Qt::black) : QColor(now), this,
                                                         caption + " : " + FromCp(user_));
            if (chosen.isValid()) SetColour(which, chosen);
        });
        connect(remove, &QPushButton::clicked, this, [this, which] { RemoveColour(which); });
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(pick, row, 1);
        grid->addWidget(remove, row, 2);
        ++row;
        ShowColour(which);
    }
    auto* ok = new QPushButton(texts.Str(55));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

bool OverrideColor::SetColour(UserColour which, const QColor& colour) {
    if (!colour.isValid() || !WriteUserColour(profilePath_, user_, which, colour.name(QColor::HexRgb).toStdString()))
        return false;
    ShowColour(which);
    return true;
}

void OverrideColor::RemoveColour(UserColour which) {
    WriteUserColour(profilePath_, user_, which, "");
    ShowColour(which);
}

QString OverrideColor::Shown(UserColour which) const { return Button(which)->text(); }

void OverrideColor::ShowColour(UserColour which) {
    const QString colour = QString::fromStdString(ReadUserColour(profilePath_, user_, which));
    QPushButton* button = Button(which);
    button->setText(colour.isEmpty() ? QString("...") : colour);
    button->setStyleSheet(colour.isEmpty() ? QString() : QString("QPushButton { color: %1; }").arg(colour));
}

}  // namespace zc
