#pragma once
#include <QString>
#include <memory>

#include "platform/registry_store.h"

class QSettings;

namespace zc {

// The per-user store in QSettings; backslash key paths become groups.
class QtRegistryStore : public RegistryStore {
public:
    // ~/.config/Zelto group/ZeltoChat.conf
    QtRegistryStore();
    // An ini file of its own, for tools and tests.
    explicit QtRegistryStore(QString iniFile);

    void WriteValue(const std::string& keyPath, const std::string& name, const std::string& value) override;
    std::string ReadValue(const std::string& keyPath, const std::string& name) const override;
    void DeleteValue(const std::string& keyPath, const std::string& name) override;

    // "Software\\A\\B\\" -> "Software/A/B/" + name
    static QString SettingsKey(const std::string& keyPath, const std::string& name);

private:
    // Opened for every access so other copies' writes are seen at once.
    std::unique_ptr<QSettings> Open() const;

    QString iniFile_;
};

}  // namespace zc
