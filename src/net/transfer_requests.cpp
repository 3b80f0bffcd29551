#include "net/transfer_requests.h"

#include <sys/stat.h>

#include "base/cp1251.h"
#include "base/message_text.h"
#include "net/chat_session.h"
#include "net/file_offer.h"
#include "net/sender_state.h"
#include "net/transfer_asks.h"
#include "net/user_roster.h"
#include "services/avatar_files.h"
#include "services/transfer_stream.h"

namespace zc {
namespace {

using Kind = TransferAsks::Kind;

std::string Lang(ChatSession& chat, int n) { return chat.Language().LangString(n); }

// The identity of a user other than ourselves; empty when there is none.
std::string PeerId(ChatSession& chat, const std::string& name) {
    const std::string id = chat.Roster().IdOfName(name);
    return id == chat.OwnId() ? std::string() : id;
}

bool IsRegularFile(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Sends a request and remembers it with the address its answer must come from.
bool Ask(ChatSession& chat, Kind kind, Command command, const std::string& body, const std::string& id,
         const std::string& name = "") {
    const std::string ip = KnownAddressOf(chat, id);
    if (ip.empty() || !chat.SendPacket(command, body, id)) return false;
    chat.Asks().Asked(kind, id, ip, name, chat.NowSeconds());
    return true;
}

// Asks the user for the avatar its packets name, and remembers both the ask and the user.
bool SendAvatarRequest(ChatSession& chat, const CUserRecord& user, std::int64_t now) {
    if (!Ask(chat, Kind::Avatar, CMD_AVATAR_REQUEST, "", user.id, user.avatar)) return false;
    chat.Asks().NoteAvatarAsked(user.id, now);
    return true;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string KnownAddressOf(ChatSession& chat, const std::string& id) {
    const std::string owner = chat.Senders().owners.IpOf(id);
    if (!owner.empty()) return owner;
    const CUserRecord* user = chat.Roster().Find(id);
    return user ? user->ip : std::string();
}

bool RequestProcessList(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    return !id.empty() && Ask(chat, Kind::ProcessList, CMD_PROCLIST_REQUEST, "", id);
}

bool RequestUserInfo(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    return !id.empty() && Ask(chat, Kind::Info, CMD_SYSINFO_REQUEST, chat.User().nickname, id);
}

bool RequestAvatar(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    const CUserRecord* user = id.empty() ? nullptr : chat.Roster().Find(id);
    if (!user || chat.CurrentTransfer() || !IsPlainFileName(user->avatar)) return false;
    return SendAvatarRequest(chat, *user, chat.NowSeconds());
}

bool RequestDesktop(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    if (id.empty() || TransferSlotTaken(chat.CurrentTransfer(), TransferMode::Desktop)) return false;
    return Ask(chat, Kind::Desktop, CMD_DESKTOP_REQUEST, "", id);
}

bool OfferFile(ChatSession& chat, const std::string& name, const std::string& path) {
    const std::string id = PeerId(chat, name);
    // The path is the file system's (UTF-8); the name travels in the chat's code page.
    const std::string fileName = Utf8ToCp1251(BaseName(path));
    const std::string ip = id.empty() ? std::string() : KnownAddressOf(chat, id);
    if (ip.empty() || TransferSlotTaken(chat.CurrentTransfer(), TransferMode::File)) return false;
    // The peer writes under this name; one it would refuse is not offered at all.
    if (!IsRegularFile(path) || !IsPlainFileName(fileName)) {
        chat.ShowLine(ChatLineKind::Alert, "", LineText::Plain(Lang(chat, 109) + ": " + EscapeHtml(path)), ChatPage::Main);
        return false;
    }
    struct stat st{};
    const std::uint64_t size = ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (!chat.FloodGuardAllows() || !chat.SendPacket(CMD_FREQUEST, FileOfferBody(fileName, size), id)) return false;
    chat.Offered() = {path, fileName, id, ip};
    chat.ShowLine(ChatLineKind::TransferNotify, "",
                  LineText::Named(Lang(chat, 104) + " ", name, ": " + EscapeHtml(fileName)), ChatPage::Main);
    return true;
}

void AcceptFile(ChatSession& chat, const std::string& peerId, const std::string& peerName, const std::string& fileName) {
    if (!Ask(chat, Kind::File, CMD_FILE_ACCEPT, fileName, peerId, fileName)) return;
    chat.WriteLog(":::Send file transfer accept to " + peerName + " MAC " + peerId);
}

bool AskForAMissingAvatar(ChatSession& chat, const std::string& programFolder) {
    const std::int64_t now = chat.NowSeconds();
    if (chat.CurrentTransfer() || chat.Asks().Waiting(Kind::Avatar, now)) return false;
    for (const CUserRecord& user : chat.Roster().Entries()) {
        if (user.id == chat.OwnId() || !chat.Asks().AvatarAskDue(user.id, now)) continue;
        const std::string file = AvatarFilePath(programFolder, user.avatar);
        if (file.empty() || IsRegularFile(file)) continue;
        return SendAvatarRequest(chat, user, now);
    }
    return false;
}

}  // namespace zc
