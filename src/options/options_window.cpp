#include "options/options_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/cp1251.h"
#include "base/settings.h"
#include "options/options_groups_page.h"
#include "options/options_hotkeys_page.h"
#include "options/options_modes_page.h"
#include "options/options_network_page.h"
#include "options/options_plugins_page.h"
#include "options/options_sounds_page.h"
#include "qt/posix_system_facts.h"

namespace zc {
namespace {

QComboBox* Choice(const std::vector<std::string>& names, const std::string& current, const char* objectName) {
    auto* box = new QComboBox;
    box->setObjectName(objectName);
    for (const auto& n : names) box->addItem(Q(n));
    // A value with no file behind it stays selectable, so saving does not change it silently.
    if (box->findText(Q(current)) < 0) box->addItem(Q(current));
    box->setCurrentText(Q(current));
    return box;
}

QCheckBox* Switch(const QString& caption, bool on, const char* objectName) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(objectName);
    box->setChecked(on);
    return box;
}

// The name the chat gives a profile without one, made from the same system facts.
std::string ChatsDefaultNickname() {
    const PosixSystemFacts facts;
    const SystemNames names{SystemNameOrFallback(facts.UserName()), SystemNameOrFallback(facts.ComputerName())};
    return Cp1251ToUtf8(DefaultNickname(names));
}

QLineEdit* Field(const std::string& value, const char* objectName) {
    auto* edit = new QLineEdit(Q(value));
    edit->setObjectName(objectName);
    return edit;
}

}  // namespace

COptionsWindow::COptionsWindow(const std::string& root, QWidget* parent)
    : QWidget(parent), store_(root, ChatsDefaultNickname()), saved_(store_.Load()) {
    setWindowTitle("ZeltoChat");
    auto* tabs = tabs_ = new QTabWidget;
    tabs->addTab(BuildUserPage(), Tr(100, "User"));
    tabs->addTab(BuildGeneralPage(), Tr(101, "General"));
    pages_ = {new COptionsNetworkPage(store_), new COptionsModesPage(store_), new COptionsSoundsPage(store_),
              new COptionsGroupsPage(store_), new COptionsPluginsPage(store_)};
    const QString names[] = {Tr(115, "Network"), Tr(116, "Modes"), Tr(117, "Sounds"), Tr(118, "Groups"),
                             Tr(119, "Plug-ins")};
    for (size_t i = 0; i < pages_.size(); ++i) tabs->addTab(pages_[i], names[i]);
    pages_.insert(pages_.begin(), hotKeys_);

    auto* save = new QPushButton(Tr(107, "Save"));
    save->setObjectName("save");
    auto* close = new QPushButton(Tr(108, "Close"));
    status_ = new QLabel;
    status_->setObjectName("status");
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

QString COptionsWindow::Tr(int number, const char* fallback) const { return Q(store_.Text(number, fallback)); }

QWidget* COptionsWindow::BuildUserPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    nickname_ = Field(saved_.nickname, "nickname");
    nicknameError_ = new QLabel;
    nicknameError_->setObjectName("nicknameError");
    nicknameError_->setStyleSheet("color: #b00000");
    nicknameError_->hide();
    auto* nickBox = new QVBoxLayout;
    nickBox->addWidget(nickname_);
    nickBox->addWidget(nicknameError_);
    form->addRow(Tr(102, "Nickname"), nickBox);
    form->addRow(Tr(25, "Full name"), fullName_ = Field(saved_.fullName, "fullName"));
    form->addRow(Tr(26, "Description"), description_ = Field(saved_.description, "description"));
    form->addRow(Tr(27, "Web page"), web_ = Field(saved_.web, "web"));
    form->addRow(Tr(28, "E-mail"), email_ = Field(saved_.email, "email"));

    avatar_ = Field(saved_.avatar, "avatar");
    avatar_->setReadOnly(true);
    auto* pick = new QPushButton(Tr(103, "Choose..."));
    connect(pick, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, Tr(43, "Avatar"), QString(), "*.png *.jpg *.jpeg *.gif *.bmp");
        if (!path.isEmpty()) PickAvatar(path);
    });
    auto* avatarRow = new QHBoxLayout;
    avatarRow->addWidget(avatar_, 1);
    avatarRow->addWidget(pick);
    form->addRow(Tr(43, "Avatar"), avatarRow);
    return page;
}

QWidget* COptionsWindow::BuildGeneralPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->addRow(Tr(104, "Language"), language_ = Choice(store_.Languages(), saved_.language, "language"));
    form->addRow(Tr(105, "Skin theme"), skin_ = Choice(store_.Skins(), saved_.skin, "skin"));
    form->addRow(sound_ = Switch(Tr(106, "Sound on"), saved_.soundOn, "sound"));
    form->addRow(autostart_ = Switch(Tr(210, "Start with the desktop session"), saved_.autostart, "autostart"));
    form->addRow(allowDesktop_ = Switch(Tr(240, "Allow others to ask for a desktop snapshot"), saved_.allowDesktop,
                                        "allowDesktop"));
    form->addRow(allowProcessList_ = Switch(Tr(241, "Allow others to ask for the process list"),
                                            saved_.allowProcessList, "allowProcessList"));
    form->addRow(hotKeys_ = new COptionsHotKeysPage(store_));
    return page;
}

bool COptionsWindow::PickAvatar(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    // The name goes into packets and pages as it is.
    static const QString kUnsafe = "<>\"'|&:;%";
    for (QChar c : name)
        if (kUnsafe.contains(c) || c.unicode() < 0x20 || c.unicode() > 0x7e) {
            status_->setText(Tr(114, "This file name cannot be used for an avatar"));
            return false;
        }
    avatarSource_ = path;
    avatar_->setText(name);
    return true;
}

OptionValues COptionsWindow::Current() const {
    OptionValues v = saved_;
    v.nickname = S(nickname_->text());
    v.fullName = S(fullName_->text());
    v.description = S(description_->text());
    v.web = S(web_->text());
    v.email = S(email_->text());
    v.avatar = S(avatar_->text());
    v.language = S(language_->currentText());
    v.skin = S(skin_->currentText());
    v.soundOn = sound_->isChecked();
    v.autostart = autostart_->isChecked();
    v.allowDesktop = allowDesktop_->isChecked();
    v.allowProcessList = allowProcessList_->isChecked();
    return v;
}

bool COptionsWindow::Save() {
    status_->clear();
    nicknameError_->hide();
    const OptionValues now = Current();
    // A name left as shown is not written, so only a typed one is checked: the chat's own
    // fallback may be longer than a typed name may be.
    const NicknameProblem problem =
        now.nickname == saved_.nickname ? NicknameProblem::None : CheckNickname(now.nickname);
    if (problem != NicknameProblem::None) {
        if (problem == NicknameProblem::Empty)
            nicknameError_->setText(Tr(109, "The nickname must not be empty"));
        else if (problem == NicknameProblem::TooLong)
            nicknameError_->setText(Tr(110, "The nickname must not be longer than 30 characters"));
        else
            nicknameError_->setText(Tr(111, "The nickname must not contain < > | : or //"));
        nicknameError_->show();
        tabs_->setCurrentIndex(0);
        nickname_->setFocus();
        return false;
    }
    // Every page is checked before anything is written, and the first wrong one is shown.
    bool valid = true;
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
        if (!(*it)->Check()) {
            // A page may sit inside a tab, as the hot keys do on the general page.
            QWidget* tab = *it;
            while (tab && tabs_->indexOf(tab) < 0) tab = tab->parentWidget();
            if (tab) tabs_->setCurrentWidget(tab);
            valid = false;
        }
    if (!valid) return false;
    if (!avatarSource_.isEmpty()) {
        const QString target = QDir(Q(store_.Root())).filePath("avatars/" + avatar_->text());
        if (!CopyOver(avatarSource_, target)) {
            status_->setText(Tr(112, "The settings could not be written"));
            return false;
        }
        avatarSource_.clear();
    }
    if (!store_.Save(saved_, now)) {
        status_->setText(Tr(112, "The settings could not be written"));
        return false;
    }
    saved_ = now;
    std::string flags;
    bool written = true;
    for (COptionsPage* page : pages_) written = page->Write(flags) && written;
    // What was written must still be re-read, even after a page failed.
    written = store_.AddReload(flags) && written;
    if (!written) {
        status_->setText(Tr(112, "The settings could not be written"));
        return false;
    }
    status_->setText(Tr(113, "Saved"));
    return true;
}

}  // namespace zc
