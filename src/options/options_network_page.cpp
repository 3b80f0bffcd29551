#include "options/options_network_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>

namespace zc {

COptionsNetworkPage::COptionsNetworkPage(const OptionsStore& store, QWidget* parent)
    : COptionsPage(store, parent), saved_(LoadNetwork(store.ProfileFile())) {
    auto* form = new QFormLayout(this);
    interface_ = new QComboBox;
    interface_->setObjectName("interface");
    interface_->addItem(Tr(121, "Automatic"), QString());
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces())
        for (const QNetworkAddressEntry& entry : nic.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                interface_->addItem(entry.ip().toString() + "  (" + nic.humanReadableName() + ")", entry.ip().toString());
    // An address this machine no longer has stays chosen, so saving does not change it silently.
    if (interface_->findData(Q(saved_.interfaceAddr)) < 0) interface_->addItem(Q(saved_.interfaceAddr), Q(saved_.interfaceAddr));
    interface_->setCurrentIndex(interface_->findData(Q(saved_.interfaceAddr)));
    form->addRow(Tr(120, "Interface"), interface_);

    AddField(form, Tr(122, "Multicast group"), saved_.group, "multicastGroup");
    AddField(form, Tr(123, "Port"), saved_.port, "port");
    AddField(form, Tr(124, "File transfer port"), saved_.filePort, "filePort");
    AddField(form, Tr(125, "Time to live (TTL)"), saved_.ttl, "ttl");
    useServer_ = new QCheckBox(Tr(126, "Use the relay server"));
    useServer_->setObjectName("useServer");
    useServer_->setChecked(saved_.useServer);
    form->addRow(useServer_);
    AddField(form, Tr(127, "Relay server"), saved_.server, "server");
    AddField(form, Tr(128, "Relay server port"), saved_.serverPort, "serverPort");
    AddField(form, Tr(250, "Gateways"), saved_.gateways, "gateways");
    auto* hint = new QLabel(Tr(251, "Addresses of zeltorelay gateways on this network, e.g. 10.1.0.254"));
    hint->setWordWrap(true);
    form->addRow(QString(), hint);
}

QLineEdit* COptionsNetworkPage::AddField(QFormLayout* form, const QString& caption, const std::string& value,
                                         const char* name) {
    auto* edit = new QLineEdit(Q(value));
    edit->setObjectName(name);
    QLabel* error = ErrorLabel(QString(name) + "Error");
    form->addRow(caption, WithError(edit, error));
    fields_[name] = edit;
    errors_[name] = error;
    return edit;
}

NetworkValues COptionsNetworkPage::Current() const {
    NetworkValues v;
    v.interfaceAddr = S(interface_->currentData().toString());
    auto text = [&](const char* name) { return S(fields_.at(name)->text().trimmed()); };
    v.group = text("multicastGroup");
    v.port = text("port");
    v.filePort = text("filePort");
    v.ttl = text("ttl");
    v.useServer = useServer_->isChecked();
    v.server = text("server");
    v.serverPort = text("serverPort");
    v.gateways = text("gateways");
    return v;
}

void COptionsNetworkPage::Complain(const char* field, const QString& message) {
    errors_.at(field)->setText(message);
    errors_.at(field)->show();
}

bool COptionsNetworkPage::Check() {
    for (auto& [name, label] : errors_) label->hide();
    const NetworkValues v = Current();
    const QString badPort = Tr(129, "A port is a number from 1025 to 65530");
    if (!IsMulticastText(v.group))
        Complain("multicastGroup", Tr(132, "A multicast group is an address from 224.0.0.0 to 239.255.255.255"));
    if (!IsPortText(v.port)) Complain("port", badPort);
    if (!IsPortText(v.filePort))
        Complain("filePort", badPort);
    else if (v.filePort == v.port)
        Complain("filePort", Tr(130, "The file transfer port must differ from the chat port"));
    if (!IsTtlText(v.ttl)) Complain("ttl", Tr(131, "The TTL is a number from 1 to 255"));
    if (!IsServerText(v.server)) Complain("server", Tr(133, "Enter the server's IPv4 address or host name"));
    if (!IsPortText(v.serverPort)) Complain("serverPort", badPort);
    if (!IsGatewaysText(v.gateways))
        Complain("gateways", Tr(252, "Gateways are IPv4 addresses of hosts, split by commas or blanks"));
    for (auto& [name, label] : errors_)
        if (!label->isHidden()) return false;
    return true;
}

bool COptionsNetworkPage::Write(std::string& flags) {
    const NetworkValues now = Current();
    if (!SaveNetwork(store_.ProfileFile(), saved_, now, flags)) return false;
    saved_ = now;
    return true;
}

}  // namespace zc
