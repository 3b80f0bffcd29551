#include "options/options_plugins_page.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace zc {

COptionsPluginsPage::COptionsPluginsPage(const OptionsStore& store, QWidget* parent)
    : COptionsPage(store, parent), saved_(LoadPlugins(store.Root(), store.ProfileFile(),
                                                            QCoreApplication::applicationFilePath().toStdString())) {
    auto* layout = new QVBoxLayout(this);
    for (const PluginSwitch& p : saved_) {
        auto* box = new QCheckBox(Q(p.file));
        box->setObjectName("plugin:" + Q(p.file));
        box->setChecked(p.on);
        // The chat could not keep a switch for this name either.
        box->setEnabled(p.storable);
        layout->addWidget(box);
        boxes_.push_back(box);
    }
    auto* note = new QLabel(Tr(149, "Switching a plug-in takes effect when the chat is started again"));
    note->setObjectName("pluginsNote");
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
}

std::vector<PluginSwitch> COptionsPluginsPage::Current() const {
    std::vector<PluginSwitch> now = saved_;
    for (size_t i = 0; i < now.size(); ++i) now[i].on = boxes_[i]->isChecked();
    return now;
}

bool COptionsPluginsPage::Write(std::string&) {
    // The chat reads the switches only when it starts: no change flag fits them.
    const std::vector<PluginSwitch> now = Current();
    if (!SavePlugins(store_.ProfileFile(), saved_, now)) return false;
    saved_ = now;
    return true;
}

}  // namespace zc
