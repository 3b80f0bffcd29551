// Board messages between copies: new ones, lists, requests, answers and deletions.
#include <filesystem>

#include "base/text_helpers.h"
#include "net/board_requests.h"
#include "net/chat_session.h"
#include "net/packet_handlers.h"
#include "net/paced_answers.h"
#include "platform/tray.h"
#include "services/board_store.h"

namespace zc {
namespace {

bool HaveBoardFile(const std::string& name) {
    std::error_code ec;
    return std::filesystem::exists(std::string(kBoardFolder) + "/" + name, ec);
}

void Ask(ChatSession& chat, const std::vector<std::string>& names, const std::string& peer) {
    for (const std::string& name : names) chat.SendPacket(CMD_BOARD_REQUEST, name, peer);
}

// A stored message may have pushed the board past its limits.
void KeepBoardWithinLimits(ChatSession& chat) {
    BoardIndex& files = chat.Board().files;
    const bool wasFull = files.Full();
    const size_t removed = files.Trim(chat.User().nickname, chat.OwnIp());
    if (removed > 0 && !wasFull)
        chat.WriteLog(":::Board full (" + std::to_string(kMaxBoardFiles) + " files, " +
                      std::to_string(kMaxBoardBytes) + " bytes), oldest messages of others removed");
}

}  // namespace

bool HandleBoard(ChatSession& chat, const IncomingPacket& in) {
    const std::string& from = in.raw.senderId;
    switch (in.raw.command) {
        case CMD_BOARD_MESSAGE: {  // a new message
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            if (!WriteBoardFile(ExtractField(in.body, ";", 0), ExtractField(in.body, ";", 1))) return true;
            KeepBoardWithinLimits(chat);
            chat.Notify(NotifyEvent::Board, in.displayName, "", "");
            chat.FlashTray(kTrayBoardIcon);
            chat.ShowBoardPage();
            return true;
        }
        case CMD_BOARD_ITEM: {  // the answer to our request; one we did not ask for is dropped
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            const std::string name = ExtractField(in.body, ";", 0);
            BoardRequests& requests = chat.Board().requests;
            if (!requests.Answered(from, name)) return true;
            if (WriteBoardFile(name, ExtractField(in.body, ";", 1))) {
                KeepBoardWithinLimits(chat);
                chat.ShowBoardPage();
            }
            Ask(chat, requests.Next(from, chat.NowSeconds(), HaveBoardFile), from);
            return true;
        }
        case CMD_BOARD_LIST: {  // the sender's own messages: ask for the ones we lack, a few at a time
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            std::string note;
            const auto ask = chat.Board().requests.OnList(from, in.body, chat.NowSeconds(), HaveBoardFile, note);
            if (!note.empty()) chat.WriteLog(note);
            Ask(chat, ask, from);
            return true;
        }
        case CMD_BOARD_REQUEST: {  // a peer asks for one of our messages
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            const std::string item = ReadBoardFileForSend(in.body);
            if (item.size() > 5 && AnswerDue(chat, in, AnswerKind::Board, item.size()))
                chat.SendPacket(CMD_BOARD_ITEM, item, from);
            return true;
        }
        case CMD_BOARD_DELETE: {  // the author deleted a message
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            const std::string path = BoardPathOfWirePath(in.body);
            std::error_code ec;
            if (!path.empty() && std::filesystem::remove(path, ec)) chat.ShowBoardPage();
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
