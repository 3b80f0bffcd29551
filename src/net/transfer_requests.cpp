#include "net/transfer_requests.h"

#include <sys/stat.h>

#include "base/cp1251.h"
#include "base/message_text.h"
#include "net/chat_session.h"
#include "net/transfer_asks.h"
#include "net/user_roster.h"
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

// Asks the user for the avatar its packets name, and remembers both the ask and the user.
bool SendAvatarRequest(ChatSession& chat, const CUserRecord& user, std::int64_t now) {
    if (!chat.SendPacket(CMD_AVATAR_REQUEST, "", user.id)) return false;
    chat.Asks().Asked(Kind::Avatar, user.id, user.avatar, now);
    chat.Asks().NoteAvatarAsked(user.id);
    return true;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool RequestProcessList(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    return !id.empty() && chat.SendPacket(CMD_PROCLIST_REQUEST, "", id);
}

bool RequestUserInfo(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    if (id.empty() || !chat.SendPacket(CMD_SYSINFO_REQUEST, chat.User().nickname, id)) return false;
    chat.Asks().Asked(Kind::Info, id, "", chat.NowSeconds());
    return true;
}

bool RequestAvatar(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    const CUserRecord* user = id.empty() ? nullptr : chat.Roster().Find(id);
    if (!user || chat.CurrentTransfer() || !IsPlainFileName(user->avatar)) return false;
    return SendAvatarRequest(chat, *user, chat.NowSeconds());
}

bool RequestDesktop(ChatSession& chat, const std::string& name) {
    const std::string id = PeerId(chat, name);
    if (id.empty() || chat.CurrentTransfer() || !chat.SendPacket(CMD_DESKTOP_REQUEST, "", id)) return false;
    chat.Asks().Asked(Kind::Desktop, id, "", chat.NowSeconds());
    return true;
}

bool OfferFile(ChatSession& chat, const std::string& name, const std::string& path) {
    const std::string id = PeerId(chat, name);
    // The path is the file system's (UTF-8); the name travels in the chat's code page.
    const std::string fileName = Utf8ToCp1251(BaseName(path));
    if (id.empty() || chat.CurrentTransfer()) return false;
    // The peer writes under this name; one it would refuse is not offered at all.
    if (!IsRegularFile(path) || !IsPlainFileName(fileName)) {
        chat.ShowLine(ChatLineKind::Alert, "", LineText::Plain(Lang(chat, 109) + ": " + EscapeHtml(path)), ChatPage::Main);
        return false;
    }
    if (!chat.FloodGuardAllows() || !chat.SendPacket(CMD_FREQUEST, fileName, id)) return false;
    chat.Offered() = {path, fileName, id};
    chat.ShowLine(ChatLineKind::TransferNotify, "",
                  LineText::Named(Lang(chat, 104) + " ", name, ": " + EscapeHtml(fileName)), ChatPage::Main);
    return true;
}

void AcceptFile(ChatSession& chat, const std::string& peerId, const std::string& peerName, const std::string& fileName) {
    if (!chat.SendPacket(CMD_FILE_ACCEPT, fileName, peerId)) return;
    chat.Asks().Asked(Kind::File, peerId, fileName, chat.NowSeconds());
    chat.WriteLog(":::Send file transfer accept to " + peerName + " MAC " + peerId);
}

bool AskForAMissingAvatar(ChatSession& chat, const std::string& avatarFolder) {
    const std::int64_t now = chat.NowSeconds();
    if (chat.CurrentTransfer() || chat.Asks().Waiting(Kind::Avatar, now)) return false;
    for (const CUserRecord& user : chat.Roster().Entries()) {
        if (user.id == chat.OwnId() || chat.Asks().AvatarAskedBefore(user.id)) continue;
        if (!IsPlainFileName(user.avatar) || IsRegularFile(avatarFolder + "/" + user.avatar)) continue;
        return SendAvatarRequest(chat, user, now);
    }
    return false;
}

}  // namespace zc
