// Files, avatars and desktop pictures between two users, and the information window.
#include <sys/stat.h>

#include <cctype>

#include "app/chat_main_dlg.h"
#include "app/file_trans.h"
#include "base/cp1251.h"
#include "base/file_url.h"
#include "base/language.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/net_settings.h"
#include "net/transfer_requests.h"
#include "platform/dialogs.h"
#include "platform/screen_capture.h"
#include "platform/shell.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "platform/window_commands.h"
#include "services/bmp_writer.h"
#include "services/info_card.h"

namespace zc {
namespace {

// The card's items in the order the window shows them, one per label.
constexpr std::string_view kInfoWindowOrder[] = {"NAME",     "DESC", "WWW",     "EMAIL", "VERSION",
                                                 "MODE",     "SKINTHEME", "AVATAR", "COMPNAME", "IP",
                                                 "SYSNAME",  "MAC",  "OS",      "MEMORY", "ACTIVEW"};

std::string CardValue(const std::array<InfoCardField, kInfoCardTags.size()>& fields, std::string_view tag) {
    for (const InfoCardField& f : fields)
        if (f.tag == tag) return f.value;
    return {};
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> InfoWindowLines(const LanguageTable& language, const std::string& card) {
    const auto fields = ParseInfoCard(card);
    const std::vector<std::string> labels = InfoDialogLabels(language);
    std::vector<std::pair<std::string, std::string>> lines;
    for (size_t i = 0; i < std::size(kInfoWindowOrder) && i < labels.size(); ++i) {
        std::string value = CardValue(fields, kInfoWindowOrder[i]);
        if (kInfoWindowOrder[i] == "WWW") value = RemoveChars(ReplaceAll(ReplaceAll(value, "[URL]", ""), "[/URL]", ""), "\"");
        lines.emplace_back(labels[i], std::move(value));
    }
    return lines;
}

void CChatMainDlg::ShowUserInfo(const std::string& userName, const std::string& card) {
    if (p_.dialogs) p_.dialogs->ShowUserInfo(language_.LangString(26) + ": " + userName, InfoWindowLines(language_, card));
}

void CChatMainDlg::ShowOwnInfo() { ShowUserInfo(user_.nickname, OwnInfoCard()); }

void CChatMainDlg::OnUserCommand(int command, const std::string& name) {
    switch (command) {
        case ID_USER_PROCLIST: RequestProcessList(*this, name); break;
        case ID_USER_SYSINFO: RequestUserInfo(*this, name); break;
        case ID_USER_AVATAR: RequestAvatar(*this, name); break;
        case ID_USER_DESKTOP: RequestDesktop(*this, name); break;
        case ID_USER_SHARES:
        case ID_USER_WEB: {
            // The address comes from the roster, which holds only dotted IPv4 addresses.
            const std::string ip = roster_.IpOfName(name);
            if (!ip.empty() && p_.shell) p_.shell->OpenDocument((command == ID_USER_WEB ? "http://" : "smb://") + ip + "/");
            break;
        }
        // Every ignore item, by name or by address, puts the user on the list or takes him off.
        case ID_USER_IGNORE:
        case ID_USER_IGNORE_NAME:
        case ID_USER_IGNORE_IP: ToggleIgnore(name); break;
        case ID_USER_SENDFILE:
            if (p_.dialogs && !UserTransferRunning())
                p_.dialogs->PickFileToSend(language_.LangString(104),
                                           [this, name](const std::string& path) { OfferFileTo(name, path); });
            break;
        default: break;
    }
}

void CChatMainDlg::PlaySoundFile(const std::string& path) {
    if (p_.shell) p_.shell->PlaySound(path);
}

bool CChatMainDlg::OfferFileTo(const std::string& name, const std::string& path) { return OfferFile(*this, name, path); }

bool CChatMainDlg::TransferRunning() const { return transfer_ && transfer_->Running(); }

bool CChatMainDlg::UserTransferRunning() const {
    return TransferSlotTaken(CurrentTransfer(), TransferMode::File);
}

void CChatMainDlg::CancelTransfer() {
    if (transfer_) transfer_->Cancel();
}

const TransferOrder* CChatMainDlg::CurrentTransfer() const {
    return TransferRunning() ? &transfer_->Order() : nullptr;
}

int CChatMainDlg::TransferPort() const {
    const auto& entries = transports_.Entries();
    return entries.empty() ? 0 : entries.front().settings.filePort;
}

bool CChatMainDlg::CaptureScreenToFile(const std::string& path, std::string* why) {
    ScreenPicture picture;
    if (!p_.screen) {
        *why = "no screen";
        return false;
    }
    if (!p_.screen->Capture(&picture, why)) return false;
    ::mkdir(path.substr(0, path.find_last_of('/')).c_str(), 0755);
    const RgbImage image{picture.width, picture.height, 3, 0, picture.rgb};
    if (WriteBmpFile(path, image)) return true;
    *why = "cannot write " + path;
    return false;
}

bool CChatMainDlg::StartTransfer(const TransferOrder& asked) {
    if (TransferSlotTaken(CurrentTransfer(), asked.mode)) return false;
    // The last transfer's line comes before anything of this one.
    if (heldTransferLine_) {
        p_.timers.KillTimer(kTransferLineTimer);
        ShowHeldTransferLine();
    }
    if (TransferRunning()) {
        // An avatar gives way: its worker is stopped and waited for (it notices within a block
        // or a tenth of a second), its partial file removed, and it is asked for again later.
        log_.Write(":::Avatar transfer with " + transfer_->Order().peerIp + " stopped for a user's transfer");
        transfer_.reset();
    }
    // The worker runs beside the chat: it gets paths that do not depend on the current folder.
    TransferOrder order = asked;
    for (std::string* path : {&order.path, &order.folder})
        if (!path->empty() && path->front() != '/') *path = programDir_ + *path;
    if (!p_.transferSockets || !p_.workers || !p_.transferWindows) {
        log_.Write(":::File transfer is not available here");
        return false;
    }
    const std::string what = language_.LangString(order.mode == TransferMode::Desktop ? 103 : 106);
    CmyFileTrans::Texts texts{language_.LangString(order.sending ? 74 : 73) + " " + what, order.name,
                              language_.LangString(84), language_.LangString(107)};
    transfer_ = std::make_shared<CmyFileTrans>(
        CmyFileTrans::Services{*p_.transferSockets, *p_.workers, *p_.transferWindows, p_.timers, p_.clock}, order,
        std::move(texts), [this](int command, const CmyFileTrans& t) { OnTransferEnd(command, t); });
    transfer_->Start();
    return true;
}

void CChatMainDlg::OnTransferEnd(int command, const CmyFileTrans& t) {
    const TransferOrder& order = t.Order();
    // The written file's name (a download may have got a number), in the chat's code page.
    const std::string name = t.Result().path.empty() || order.sending ? order.name
                                                                       : Utf8ToCp1251(FileNameOf(t.Result().path));
    auto line = [this](ChatLineKind kind, const std::string& html) {
        ShowLine(kind, "", LineText::Plain(html), ChatPage::Main);
    };
    switch (command) {
        case ID_TRANSFER_DESKTOP_RECEIVED: {
            // Every picture is received under the same name; a count in the address keeps the
            // page from showing an earlier one from its cache.
            const std::string& path = t.Result().path;
            const std::string picture = ReplaceAll(PictureConversion("[IMG]" + Utf8ToCp1251(path) + "[/IMG]", true),
                                                   "src=\"" + FileUrl(path) + "\"",
                                                   "src=\"" + FileUrl(path) + "?" + std::to_string(++snapshots_) + "\"");
            line(ChatLineKind::TransferNotify, language_.LangString(103) + " " + picture);
            log_.Write(":::Download desktop from " + order.peerName + " success");
            break;
        }
        case ID_TRANSFER_FILE_RECEIVED:
            line(ChatLineKind::TransferNotify, language_.LangString(73) + " " + language_.LangString(105) +
                                                   " <a class=\"urllink\" href=\"file://" +
                                                   PercentEncodedPath(t.Result().path) + "\" target=_blank>" +
                                                   EscapeHtml(name) + "</a>");
            log_.Write(":::Download file " + name + " from " + order.peerIp + " success");
            break;
        case ID_TRANSFER_FILE_SENT:
            line(ChatLineKind::TransferNotify, language_.LangString(110));
            log_.Write(":::Upload file " + name + " from " + order.peerIp + " success");
            break;
        case ID_TRANSFER_ABORTED:
            if (!t.CancelledBy().empty()) {
                ShowCancelledByPeer(t.CancelledBy());
                break;
            }
            line(ChatLineKind::TransferNotify,
                 language_.LangString(108) +
                     (t.WaitedOut() ? ": " + language_.Extra(ExtraText::TransferNoConnection,
                                                             std::to_string(kTransferWaitMs / 1000)) +
                                          RouteHint(order.peerIp)
                                    : std::string()));
            SendPacket(CMD_FILE_ABORT, "", order.peerId);
            log_.Write(":::Transfer file aborted");
            break;
        case ID_TRANSFER_FAILED:
            ShowTransferFailure(t);
            log_.Write("::: Transfer file failure");
            if (!t.Result().why.empty()) log_.Write(":::Transfer: " + t.Result().why);
            break;
        default: break;
    }
    if (t.Running()) return;
    const bool avatarArrived = order.mode == TransferMode::Avatar && !order.sending &&
                               t.Result().end == TransferEnd::Done;
    if (order.mode == TransferMode::Avatar && t.Result().end != TransferEnd::Done) {
        const std::string why = t.OverTime() ? "took longer than " + std::to_string(order.limitMs / 1000) + " s"
                                             : t.Result().why;
        log_.Write(":::Avatar transfer with " + order.peerIp + " ended: " + why);
    }
    transfer_.reset();
    // A new avatar shows in the list, and the next missing one is asked for from there.
    if (avatarArrived) ArmUserListTimer(500);
}

void CChatMainDlg::ShowCancelledByPeer(const std::string& peerName) {
    const std::string text = language_.LangString(108) + ": " + language_.Extra(ExtraText::TransferCancelledBy, "%s");
    ShowLine(ChatLineKind::TransferNotify, "", LineText::Around(text, peerName), ChatPage::Main);
}

void CChatMainDlg::ShowTransferFailure(const CmyFileTrans& t) {
    if (!t.CancelledBy().empty()) return ShowCancelledByPeer(t.CancelledBy());
    const TransferResult& result = t.Result();
    std::string text = language_.LangString(109);
    if (!t.EverConnected()) text += RouteHint(t.Order().peerIp);
    if (!result.connectionLost) return ShowLine(ChatLineKind::Alert, "", LineText::Plain(text), ChatPage::Main);
    if (result.length) {
        const auto [done, total] = TransferAmountText(result.bytes, *result.length);
        text += ": " + ReplaceAll(language_.Extra(ExtraText::TransferLostAfter, done), "%t", total);
    } else {
        text += ": " + language_.Extra(ExtraText::TransferLostAtStart);
    }
    // A cancel on the other side breaks the connection before its word arrives by packet.
    heldTransferLine_ = HeldTransferLine{t.Order().peerId, t.Order().peerIp, LineText::Plain(text)};
    p_.timers.SetTimer(kTransferLineTimer, kPeerCancelWordMs);
}

std::string CChatMainDlg::RouteHint(const std::string& peerIp) const {
    // In relay mode, or behind a gateway, the chat's packets find the peer but a connection may not.
    const auto ip = ParseDottedIpv4(peerIp);
    if (!ip) return {};
    if (ReadNetSettings(user_.ProfilePath()).useServer == 0)
        for (const Ipv4Subnet& net : p_.system.LocalSubnets())
            if (net.Contains(*ip)) return {};
    return " " + language_.Extra(ExtraText::TransferNeedsRoute, peerIp);
}

void CChatMainDlg::ShowHeldTransferLine() {
    if (!heldTransferLine_) return;
    const LineText text = std::move(heldTransferLine_->text);
    heldTransferLine_.reset();
    ShowLine(ChatLineKind::Alert, "", text, ChatPage::Main);
}

bool CChatMainDlg::TransferAbortedByPeer(const std::string& peerId, const std::string& peerIp,
                                         const std::string& peerName) {
    if (TransferRunning()) {
        const TransferOrder& order = transfer_->Order();
        if (order.peerId != peerId || order.peerIp != peerIp || !transfer_->CancelledBy().empty()) return false;
        // Stopped at once: a worker still trying to connect would otherwise go on for seconds.
        transfer_->CancelledByPeer(peerName);
        return true;
    }
    if (!heldTransferLine_ || heldTransferLine_->peerId != peerId || heldTransferLine_->peerIp != peerIp) return false;
    p_.timers.KillTimer(kTransferLineTimer);
    heldTransferLine_.reset();
    ShowCancelledByPeer(peerName);
    return true;
}

}  // namespace zc
