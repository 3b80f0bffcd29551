#pragma once
#include <vector>

#include "options/options_page.h"
#include "options/options_plugins.h"

class QCheckBox;

namespace zc {

// A switch for every plug-in found in plugins/.
class COptionsPluginsPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsPluginsPage(const OptionsStore& store, QWidget* parent = nullptr);
    bool Check() override { return true; }
    bool Write(std::string& flags) override;

private:
    std::vector<PluginSwitch> Current() const;

    std::vector<PluginSwitch> saved_;
    std::vector<QCheckBox*> boxes_;
};

}  // namespace zc
