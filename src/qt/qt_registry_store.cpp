#include "qt/qt_registry_store.h"

#include <QSettings>

#include "base/cp1251.h"

namespace zc {

static QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

QtRegistryStore::QtRegistryStore() = default;

QtRegistryStore::QtRegistryStore(QString iniFile) : iniFile_(std::move(iniFile)) {}

std::unique_ptr<QSettings> QtRegistryStore::Open() const {
    if (iniFile_.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Zelto group", "ZeltoChat");
    return std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
}

QString QtRegistryStore::SettingsKey(const std::string& keyPath, const std::string& name) {
    QString key;
    for (const QString& part : FromCp1251(keyPath).split(u'\\', Qt::SkipEmptyParts)) key += part + u'/';
    // The key's unnamed value, as the registry has it.
    return key + (name.empty() ? QStringLiteral("(Default)") : FromCp1251(name));
}

void QtRegistryStore::WriteValue(const std::string& keyPath, const std::string& name, const std::string& value) {
    auto s = Open();
    // Bytes, not text: what was written is read back byte for byte.
    s->setValue(SettingsKey(keyPath, name), QByteArray::fromStdString(value));
    s->sync();
}

std::string QtRegistryStore::ReadValue(const std::string& keyPath, const std::string& name) const {
    const QVariant v = Open()->value(SettingsKey(keyPath, name));
    if (!v.isValid()) return {};
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().toStdString();
    // Written by hand or by another tool as text.
    return Utf8ToCp1251(v.toString().toStdString());
}

void QtRegistryStore::DeleteValue(const std::string& keyPath, const std::string& name) {
    auto s = Open();
    s->remove(SettingsKey(keyPath, name));
    s->sync();
}

}  // namespace zc
