// Files, avatars and desktop pictures between two users, and the cards and process lists we asked for.
#include <sys/stat.h>

#include <utility>

#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/file_offer.h"
#include "net/packet_handlers.h"
#include "net/source_log.h"
#include "net/paced_answers.h"
#include "net/transfer_asks.h"
#include "net/transfer_requests.h"
#include "services/avatar_files.h"
#include "services/transfer_stream.h"

namespace zc {
namespace {

using Kind = TransferAsks::Kind;

inline constexpr char kDownloadFolder[] = "download";
inline constexpr char kAvatarFolder[] = "avatars";

std::string Lang(ChatSession& chat, int n) { return chat.Language().LangString(n); }

bool IsRegularFile(const std::string& path) {
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// "name||port" as offers and avatar answers carry them.
struct NameAndPort {
    std::string name;
    std::string port;
};
NameAndPort SplitNameAndPort(const std::string& body) {
    const size_t bars = body.find("||");
    if (bars == std::string::npos) return {body, ""};
    return {body.substr(0, bars), body.substr(bars + 2)};
}

// The ask an answer uses up: for this sender, from the address it had when we asked.
bool TakeAnswer(ChatSession& chat, const IncomingPacket& in, Kind kind, const std::string& name = "") {
    return chat.Asks().TakeAnswer(kind, in.raw.senderId, in.raw.senderIp, name, chat.NowSeconds());
}

bool SlotTaken(ChatSession& chat, TransferMode wanted) { return TransferSlotTaken(chat.CurrentTransfer(), wanted); }

TransferOrder OrderFor(const IncomingPacket& in, TransferMode mode, bool sending, int port) {
    TransferOrder order;
    order.mode = mode;
    order.sending = sending;
    order.peerIp = in.raw.senderIp;
    order.peerId = in.raw.senderId;
    order.peerName = in.displayName;
    order.port = port;
    return order;
}

void OnFileRequest(ChatSession& chat, const IncomingPacket& in) {
    if (chat.IsIgnored(in.raw.senderIp)) return;
    const std::string sender = in.raw.senderId;
    const std::string fileName = ParseFileOffer(in.raw.body).name;
    // What the user reads: the sanitised name, and the size when the offer tells it.
    const std::string offered = FileOfferText(ParseFileOffer(in.body));
    // A name that could not be saved here is refused before the user is asked, and the line says why.
    if (const DownloadName check = CheckDownloadName(fileName, kDownloadFolder); check != DownloadName::Usable) {
        const ExtraText why = check == DownloadName::TooLong ? ExtraText::DownloadNameTooLong : ExtraText::DownloadNameUnusable;
        chat.ShowLine(ChatLineKind::TransferNotify, "",
                      LineText::Named(Lang(chat, 58) + " ", in.displayName, ": " + offered + "; " + chat.Language().Extra(why)),
                      ChatPage::Main);
        chat.SendPacket(CMD_REFUSED, "n/a", sender);
        return;
    }
    if (EventShowsLine(chat.User(), NotifyEvent::FRequest))
        chat.ShowLine(ChatLineKind::TransferNotify, "", LineText::Named(Lang(chat, 58) + " ", in.displayName, ": " + offered),
                      ChatPage::Main);
    chat.Notify(NotifyEvent::FRequest, in.displayName, Lang(chat, 58) + " " + in.displayName, offered);
    // A name we could not write under, nobody to ask, or this peer's question still open: refused.
    const std::string name = in.displayName;
    PeerWindows::Window window{.kind = PeerWindows::Kind::File,
                               .peerId = sender,
                               .peerIp = in.raw.senderIp,
                               .peerName = name,
                               .onAnswer = [&chat, sender, name, fileName](bool yes) {
                                   if (yes) AcceptFile(chat, sender, name, fileName);
                                   else chat.SendPacket(CMD_REFUSED, "n/a", sender);
                               }};
    if (!IsPlainFileName(fileName) || !chat.CanAsk() ||
        !chat.OpenPeerWindow(std::move(window), Lang(chat, 58) + " " + name, offered + "?"))
        chat.SendPacket(CMD_REFUSED, "n/a", sender);
}

void OnFileAccept(ChatSession& chat, const IncomingPacket& in) {
    // Only the user we offered the file to gets it, at the address we offered it to, and only once.
    OfferedFile& offer = chat.Offered();
    if (SlotTaken(chat, TransferMode::File) || offer.name.empty() || offer.peerId != in.raw.senderId) return;
    if (offer.peerIp != in.raw.senderIp) {
        LogForSource(chat, "acceptance", in.raw.senderIp,
                     ":::File acceptance from " + in.raw.senderIp + " refused: offered to " + offer.peerIp);
        return;
    }
    const OfferedFile file = std::exchange(offer, {});
    const int port = chat.TransferPort();
    if (port <= 0 || !IsRegularFile(file.path)) return;
    chat.WriteLog("::: fileaccept " + file.name + " port " + std::to_string(port));
    TransferOrder order = OrderFor(in, TransferMode::File, true, port);
    order.path = file.path;
    order.name = file.name;
    // Listening before the peer hears the port, so its first connection finds us.
    if (!chat.StartTransfer(order)) return;
    chat.SendPacket(CMD_FILE_OFFER, file.name + "||" + std::to_string(port), in.raw.senderId);
    chat.WriteLog(":::Send file " + file.name);
}

void OnFileOffer(ChatSession& chat, const IncomingPacket& in) {
    if (SlotTaken(chat, TransferMode::File)) return;
    const NameAndPort offer = SplitNameAndPort(in.raw.body);
    if (!TakeAnswer(chat, in, Kind::File, offer.name)) return;
    const int port = TransferPortOrDefault(offer.port, chat.TransferPort());
    if (port <= 0 || !IsPlainFileName(offer.name)) return;
    chat.WriteLog("::: filetransfer " + offer.name + " port " + std::to_string(port));
    chat.WriteLog(":::Get file " + offer.name + " from " + in.raw.senderIp);
    TransferOrder order = OrderFor(in, TransferMode::File, false, port);
    order.folder = kDownloadFolder;
    order.name = offer.name;
    chat.StartTransfer(order);
}

void OnAvatarRequest(ChatSession& chat, const IncomingPacket& in) {
    // Everybody hears it; the one it is meant for answers.
    if (in.raw.target != chat.OwnId() && in.raw.target != "0.0") return;
    const std::string& avatar = chat.User().avatarFile;
    const int port = chat.TransferPort();
    if (port <= 0 || !IsRegularFile(AvatarFilePath("", avatar))) return;
    if (!AnswerDue(chat, in, AnswerKind::Card, kShortAnswerBytes)) return;
    if (!chat.SendPacket(CMD_AVATAR_INFO, avatar + "||" + std::to_string(port), in.raw.senderId)) return;
    chat.Asks().Asked(Kind::AvatarServed, in.raw.senderId, in.raw.senderIp, "", chat.NowSeconds());
}

void OnAvatarInfo(ChatSession& chat, const IncomingPacket& in) {
    if (chat.CurrentTransfer()) return;
    const NameAndPort answer = SplitNameAndPort(in.raw.body);
    if (!IsPlainFileName(answer.name)) return;
    if (!TakeAnswer(chat, in, Kind::Avatar, answer.name)) return;
    const int port = TransferPortOrDefault(answer.port, chat.TransferPort());
    if (port <= 0) return;
    TransferOrder order = OrderFor(in, TransferMode::Avatar, false, port);
    order.folder = kAvatarFolder;
    order.name = answer.name;
    order.overwrite = true;
    order.maxLength = kAvatarMaxBytes;
    order.limitMs = kAvatarMaxMs;
    if (!chat.SendPacket(CMD_AVATAR_SEND, answer.name, in.raw.senderId)) return;
    chat.StartTransfer(order);
    chat.WriteLog(":::Get avatar from " + in.displayName);
}

void OnAvatarSend(ChatSession& chat, const IncomingPacket& in) {
    if (chat.CurrentTransfer()) return;
    const std::string& name = in.raw.body;
    const std::string path = AvatarFilePath("", name);
    // Only a file of the avatars folder, and only to a peer whose request we answered.
    if (!IsRegularFile(path)) return;
    if (!TakeAnswer(chat, in, Kind::AvatarServed)) return;
    const int port = chat.TransferPort();
    if (port <= 0) return;
    TransferOrder order = OrderFor(in, TransferMode::Avatar, true, port);
    order.path = path;
    order.name = name;
    order.limitMs = kAvatarMaxMs;
    if (chat.StartTransfer(order)) chat.WriteLog(":::Send avatar");
}

void OnDesktopRequest(ChatSession& chat, const IncomingPacket& in) {
    const std::string& sender = in.raw.senderId;
    if (!chat.User().allowSendDesktop) {
        chat.SendPacket(CMD_REFUSED, "n/a", sender);
        return;
    }
    if (SlotTaken(chat, TransferMode::Desktop)) return;
    const std::string path = std::string(kDownloadFolder) + "/mydesktop.bmp";
    const int port = chat.TransferPort();
    std::string why = "no transfer port";
    if (port <= 0 || !chat.CaptureScreenToFile(path, &why)) {
        chat.WriteLog(":::Desktop snapshot refused: " + why);
        chat.SendPacket(CMD_REFUSED, "n/a", sender);
        return;
    }
    TransferOrder order = OrderFor(in, TransferMode::Desktop, true, port);
    order.path = path;
    order.name = "mydesktop.bmp";
    if (!chat.StartTransfer(order)) return;
    chat.SendPacket(CMD_DESKTOP, std::to_string(port), sender);
    chat.WriteLog(":::Send desktop to " + in.displayName + " MAC " + sender);
    chat.ShowLine(ChatLineKind::Notify, "",
                  LineText::Around(chat.Language().Extra(ExtraText::SnapshotSent, "%s"), in.displayName),
                  ChatPage::Main);
}

void OnDesktop(ChatSession& chat, const IncomingPacket& in) {
    if (SlotTaken(chat, TransferMode::Desktop)) return;
    if (!TakeAnswer(chat, in, Kind::Desktop)) return;
    const int port = TransferPortOrDefault(in.raw.body, chat.TransferPort());
    if (port <= 0) return;
    TransferOrder order = OrderFor(in, TransferMode::Desktop, false, port);
    order.folder = kDownloadFolder;
    order.name = "remotedesktop.bmp";
    order.overwrite = true;
    if (chat.StartTransfer(order)) chat.WriteLog(":::Get desktopt from " + in.displayName);
}

}  // namespace

bool HandleTransfers(ChatSession& chat, const IncomingPacket& in) {
    switch (in.raw.command) {
        case CMD_FREQUEST: OnFileRequest(chat, in); return true;
        case CMD_FILE_ACCEPT: OnFileAccept(chat, in); return true;
        case CMD_FILE_OFFER: OnFileOffer(chat, in); return true;
        case CMD_FILE_ABORT:
            // Only the other side of our transfer can call it off; the chat shows who did.
            if (chat.TransferAbortedByPeer(in.raw.senderId, in.raw.senderIp, in.displayName))
                chat.WriteLog(":::Transfer file aborted");
            return true;
        case CMD_AVATAR_REQUEST: OnAvatarRequest(chat, in); return true;
        case CMD_AVATAR_INFO: OnAvatarInfo(chat, in); return true;
        case CMD_AVATAR_SEND: OnAvatarSend(chat, in); return true;
        case CMD_DESKTOP_REQUEST: OnDesktopRequest(chat, in); return true;
        case CMD_DESKTOP: OnDesktop(chat, in); return true;
        case CMD_PROCLIST:
            // A list nobody asked for is not shown: it would speak in that user's name.
            if (!TakeAnswer(chat, in, Kind::ProcessList)) return true;
            chat.ShowLine(ChatLineKind::Notify, "",
                          LineText::Named(Lang(chat, 62) + " ", in.displayName, "\n" + in.body), ChatPage::Main);
            return true;
        case CMD_SYSINFO: {
            // A card nobody asked for opens no window.
            if (!TakeAnswer(chat, in, Kind::Info)) return true;
            chat.ShowLine(ChatLineKind::TransferNotify, "", LineText::Named(Lang(chat, 71) + " ", in.displayName),
                          ChatPage::Main);
            const size_t colon = in.raw.body.find(':');
            chat.ShowUserInfo(in.displayName, colon == std::string::npos ? std::string() : in.raw.body.substr(colon + 1));
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
