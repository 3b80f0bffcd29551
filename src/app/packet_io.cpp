// Packets of the main window: building and sending, receiving and parsing.
#include "app/chat_main_dlg.h"
#include "base/message_text.h"
#include "net/dispatch.h"
#include "platform/timers.h"

namespace zc {

PacketSender CChatMainDlg::Sender() const {
    return {ownIp_, ownId_, user_.nickname, user_.avatarFile, static_cast<int>(user_.pageMode)};
}

bool CChatMainDlg::PacketFits(Command command, const std::string& body, const std::string& target) const {
    return BuildPacketText(Sender(), command, body, target).has_value();
}

bool CChatMainDlg::SendPacket(Command command, const std::string& body, const std::string& target) {
    auto text = BuildPacketText(Sender(), command, body, target);
    if (!text) return false;
    std::string bytes = codec_.EncodeText(*text);
    bytes.push_back('\0');
    senders_.answers.Sent(bytes.size(), NowMs());
    return transports_.SendAll(
        bytes, [this](const CNetSettings& failed) {
            ShowAlertNotice(language_.LangString(116) + " " + failed.name);
            // The address we sent from may be gone.
            CheckOwnAddress();
        });
}

void CChatMainDlg::OnPacketText(const std::string& received, const std::string& source) {
    if (received.empty() || received == " ") return;
    const std::string text = codec_.DecodeText(received);
    // Raw display comes before any check, so malformed packets show too. The switch is read
    // here, so a changed settings file takes effect at once.
    global_.debugCommand = ReadDebugCommand(settingsPath_);
    // The raw bytes are a stranger's: shown as text, never as markup.
    if (global_.debugCommand && chat_) chat_->AppendChatLine(EscapeHtml(text), "SYSTEMDEBUG", ChatLineKind::Sound);
    if (!HasValidTerminator(text)) return;
    const CChatPacket packet = ParsePacketText(text);
    DispatchPacket(packet, source);
}

void CChatMainDlg::DispatchPacket(const CChatPacket& packet, const std::string& source) {
    ++dispatched_;
    lastCommand_ = packet.command;
    zc::DispatchPacket(*this, packet, source);
}

void CChatMainDlg::ArmIdentityTimer(int ms) { p_.timers.SetTimer(kIdentityTimer, ms); }
void CChatMainDlg::ArmPacingTimer(int ms) { p_.timers.SetTimer(kPacingTimer, ms); }

}  // namespace zc
