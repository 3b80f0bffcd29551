#include "options/options_modes_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace zc {
namespace {
constexpr const char* kSuffixes[4] = {"SND", "TXT", "DLG", "INF"};
}

COptionsModesPage::COptionsModesPage(const OptionsStore& store, QWidget* parent)
    : COptionsPage(store, parent), saved_(LoadModes(store.ProfileFile())) {
    choice_ = new QComboBox;
    choice_->setObjectName("modeChoice");
    stack_ = new QStackedWidget;
    for (int m = 1; m <= 4; ++m) {
        choice_->addItem(Tr(134, "Mode") + " " + QString::number(m));
        stack_->addWidget(BuildMode(m));
    }
    connect(choice_, &QComboBox::currentIndexChanged, stack_, &QStackedWidget::setCurrentIndex);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choice_);
    layout->addWidget(stack_, 1);
}

QWidget* COptionsModesPage::BuildMode(int mode) {
    const size_t m = static_cast<size_t>(mode - 1);
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    texts_[m] = new QLineEdit(Q(saved_.texts[m]));
    texts_[m]->setObjectName(QString("modeText%1").arg(mode));
    textErrors_[m] = ErrorLabel(QString("modeText%1Error").arg(mode));
    grid->addWidget(new QLabel(Tr(135, "Text")), 0, 0);
    grid->addLayout(WithError(texts_[m], textErrors_[m]), 0, 1, 1, 4);

    grid->addWidget(new QLabel(ChatTr(81, "Event")), 1, 0);
    const QString heads[4] = {Tr(136, "Sound"), Tr(137, "Line"), Tr(138, "Dialog"), Tr(139, "Bubble")};
    for (int c = 0; c < 4; ++c) grid->addWidget(new QLabel(heads[c]), 1, c + 1, Qt::AlignHCenter);
    for (size_t e = 0; e < kChatModeEvents.size(); ++e) {
        const int row = static_cast<int>(e) + 2;
        grid->addWidget(new QLabel(ChatTr(kModeEventStrings[e], kChatModeEvents[e])), row, 0);
        const ChatModeEventFlags& f = saved_.events[m][e];
        const bool on[4] = {f.sound, f.text, f.dialog, f.info};
        for (int c = 0; c < 4; ++c) {
            auto* box = new QCheckBox;
            box->setObjectName(QString("mode%1_%2_%3").arg(mode).arg(kChatModeEvents[e]).arg(kSuffixes[c]));
            box->setChecked(on[c]);
            grid->addWidget(box, row, c + 1, Qt::AlignHCenter);
            boxes_[m][e][static_cast<size_t>(c)] = box;
        }
    }
    grid->setRowStretch(static_cast<int>(kChatModeEvents.size()) + 2, 1);
    return page;
}

ModeValues COptionsModesPage::Current() const {
    ModeValues v;
    for (size_t m = 0; m < 4; ++m) {
        v.texts[m] = S(texts_[m]->text());
        for (size_t e = 0; e < kChatModeEvents.size(); ++e) {
            const auto& b = boxes_[m][e];
            v.events[m][e] = {b[0]->isChecked(), b[1]->isChecked(), b[2]->isChecked(), b[3]->isChecked()};
        }
    }
    return v;
}

bool COptionsModesPage::Check() {
    bool ok = true;
    for (size_t m = 4; m-- > 0;) {
        textErrors_[m]->hide();
        if (IsModeText(S(texts_[m]->text()))) continue;
        textErrors_[m]->setText(Tr(140, "The mode text must not contain < > \" | or control characters"));
        textErrors_[m]->show();
        // The first wrong mode is the one shown.
        choice_->setCurrentIndex(static_cast<int>(m));
        ok = false;
    }
    return ok;
}

bool COptionsModesPage::Write(std::string& flags) {
    const ModeValues now = Current();
    if (!SaveModes(store_.ProfileFile(), saved_, now, flags)) return false;
    saved_ = now;
    return true;
}

}  // namespace zc
