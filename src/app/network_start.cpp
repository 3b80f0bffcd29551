// Bringing the transport up, the local identity and the presence refresh.
#include "app/chat_main_dlg.h"
#include "app/copy_identity.h"
#include "base/text_helpers.h"
#include "net/net_settings.h"
#include "net/waiting_delivery.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "services/user_groups.h"

namespace zc {

static std::string WithName(const std::string& text, const std::string& name) { return ReplaceAll(text, "%s", name); }

bool CChatMainDlg::InitNetwork() {
    log_.Write(":::InitNetwork:::");
    transports_.Clear();
    CNetSettings s = ReadNetSettings(user_.ProfilePath());
    if (s.ttlClamped) log_.Write(":::TTL above 255, using " + std::to_string(s.ttl));
    TrustGateways(s);
    auto onText = [this](const std::string& text, const std::string& source) { OnPacketText(text, source); };
    if (s.useServer == 0) {
        log_.Write(":::InitUDPMulticast...");
        if (multicast_) multicast_->LeaveGroup();
        ShowStartupLine(WithName(language_.LangString(96), s.name));
        if (!multicast_ && p_.network) multicast_ = p_.network->CreateMulticast(onText);
        // Datagrams leave from the interface whose address we claim in them: the others drop a
        // packet whose source is not its IP field.
        const std::string sendFrom = p_.system.LocalIpv4(s.interfaceAddr);
        if (multicast_ && multicast_->JoinGroup(s.group, s.port, s.ttl, s.interfaceAddr, sendFrom)) {
            ShowStartupLine(WithName(language_.LangString(122), s.name));
            transports_.Add(multicast_.get(), s);
            log_.Write(":::InitUDPMulticast...OK");
            return true;
        }
        ShowStartupLine(WithName(language_.LangString(123), s.name));
        log_.Write(":::InitUDPMulticast...FAILED");
        if (multicast_) multicast_->ShutdownAndClose();
        return false;
    }
    log_.Write(":::InitTCP...");
    ShowStartupLine(WithName(language_.LangString(95), s.name));
    relay_.reset();
    relayEverUp_ = relayEverDown_ = false;
    if (p_.network) relay_ = p_.network->CreateRelay(onText);
    if (relay_) relay_->SetEventHandler([this, name = s.name](RelayEvent e) { OnRelayEvent(e, name); });
    // Returns at once; whether it worked is told by OnRelayEvent.
    if (relay_ && relay_->Connect(s.server, s.serverPort)) {
        transports_.Add(relay_.get(), s);
        return true;
    }
    ShowStartupLine(WithName(language_.LangString(94), s.name));
    log_.Write(":::InitTCP...FAILED");
    if (relay_) relay_->ShutdownAndClose();
    return false;
}

void CChatMainDlg::TrustGateways(const CNetSettings& s) {
    // The interfaces' networks are read here, once per start, not for every packet.
    senders_.gateways.Set(s.gateways, s.gateways.empty() ? std::vector<Ipv4Subnet>{} : p_.system.LocalSubnets());
    const std::string bad = JoinTexts(s.badGateways, ", ");
    if (bad != loggedBadGateways_ && !bad.empty()) log_.Write(":::GATEWAYS: not a host's address, ignored: " + bad);
    loggedBadGateways_ = bad;
    if (!s.gateways.empty()) log_.Write(":::Gateways trusted: " + JoinTexts(s.gateways, ", "));
}

void CChatMainDlg::OnRelayEvent(RelayEvent event, const std::string& name) {
    if (event == RelayEvent::WriteBufferFull) {
        log_.Write(":::Relay write buffer full (" + std::to_string(kRelayWriteLimit / 1024) +
                   " KB waiting), packets refused");
        return;
    }
    const bool up = event == RelayEvent::Up;
    if (!relayEverUp_) {
        // The first attempt's outcome, or the first success after it failed.
        ShowStartupLine(WithName(language_.LangString(up ? 121 : 94), name));
        log_.Write(up ? ":::InitTCP...OK" : ":::InitTCP...FAILED, trying again");
    } else {
        ShowAlertNotice(language_.Extra(up ? ExtraText::RelayBack : ExtraText::RelayLost, name));
        log_.Write(up ? ":::Relay connection back" : ":::Relay connection lost, trying again");
    }
    // From the loop: a lost relay empties the list of the others, a return announces us again
    // (whatever we announced while it was away went nowhere).
    if (up ? relayEverDown_ : relayEverUp_) p_.timers.SetTimer(kRefreshTimer, 100);
    (up ? relayEverUp_ : relayEverDown_) = true;
}

std::string CChatMainDlg::OwnAddressFor(const CNetSettings& s) const {
    return AddressToName(s, p_.system.LocalIpv4(s.interfaceAddr),
                         [this](const std::string& server) { return p_.system.SourceAddressToward(server); });
}

void CChatMainDlg::ComputeIdentity() {
    const std::string ip = OwnAddressFor(ReadNetSettings(user_.ProfilePath()));
    ownIp_ = ip.empty() ? "0.0.0.0" : ip;
    // Copies beside each other on one machine must not speak for each other.
    ownId_ = ClaimCopyIdentity(p_.system, p_.system.HardwareAddressOf(ownIp_), ownIp_, p_.system.UserName());
    senders_.owners.SetOwner(ownId_, ownIp_, NowSeconds());
}

bool CChatMainDlg::OwnAddressChanged() const {
    const std::string ip = OwnAddressFor(ReadNetSettings(user_.ProfilePath()));
    return !ip.empty() && ip != ownIp_;
}

void CChatMainDlg::StartNetwork() {
    if (InitNetwork()) ComputeIdentity();
}

void CChatMainDlg::InitUsersGroup() {
    groups_ = ReadUserGroups(user_.ProfilePath());
    user_.groupsOn = groups_.groupsOn;
    if (groups_.groupsOn) log_.Write(":::InitUsersGroup:::");
    roster_.SetGroupNames(groups_.names);
}

void CChatMainDlg::CheckOwnAddress() {
    const std::int64_t now = NowSeconds();
    if (lastAddressCheck_ >= 0 && now - lastAddressCheck_ < 5) return;
    lastAddressCheck_ = now;
    // From the loop, not from inside a send or a delivery that the re-initialisation would end.
    if (OwnAddressChanged()) p_.timers.SetTimer(kRefreshTimer, 100);
}

void CChatMainDlg::RefreshPresence() {
    // Another network (DHCP, a laptop carried elsewhere): the others must see the new address,
    // or they would drop everything we send as coming from the wrong place.
    if (OwnAddressChanged()) {
        log_.Write(":::Own address changed from " + ownIp_ + ", network reinitialised");
        transports_.Clear();
    }
    if (!transports_.IsActive()) {
        log_.Write(":::Try reinitilized network...");
        InitUsersGroup();
        StartNetwork();
    }
    const int refresh = ReadGlobalSettings(settingsPath_).refreshList;
    p_.timers.SetTimer(kRefreshTimer, refresh * 10000);
    roster_.Clear();
    roster_.AddOrUpdate(ownId_, ownIp_, user_.nickname, user_.mode, user_.avatarFile);
    roster_.SetGroup(ownId_, GroupOfMember(user_.ProfilePath(), user_.nickname, roster_.GroupNames().size()));
    roster_.SetMode(ownId_, user_.mode, user_.CurrentMode().text, user_.avatarFile);
    SendPacket(CMD_WHO, ModeBody(), kEveryone);
    SettleWaiting(*this);
    // The page keeps the last list until the answers are in, instead of blinking to "only me".
    ArmUserListTimer(4000);
}

}  // namespace zc
