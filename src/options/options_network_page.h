#pragma once
#include <map>

#include "options/options_network.h"
#include "options/options_page.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;

namespace zc {

// Interface, multicast group, ports, TTL and the relay server of [NETWORK].
class COptionsNetworkPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsNetworkPage(const OptionsStore& store, QWidget* parent = nullptr);
    bool Check() override;
    bool Write(std::string& flags) override;

private:
    QLineEdit* AddField(QFormLayout* form, const QString& caption, const std::string& value, const char* name);
    NetworkValues Current() const;
    void Complain(const char* field, const QString& message);

    NetworkValues saved_;
    QComboBox* interface_ = nullptr;
    QCheckBox* useServer_ = nullptr;
    std::map<std::string, QLineEdit*> fields_;
    std::map<std::string, QLabel*> errors_;
};

}  // namespace zc
