// Board messages between copies: new ones, lists, requests, answers and deletions.
#include <filesystem>

#include "base/text_helpers.h"
#include "net/board_requests.h"
#include "net/chat_session.h"
#include "net/packet_handlers.h"
#include "net/paced_answers.h"
#include "net/source_log.h"
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

BoardSender SenderOf(const IncomingPacket& in) {
    return {in.raw.senderIp, in.raw.senderName, in.raw.senderId, in.fromOwner};
}

void NoteRefusal(ChatSession& chat, const std::string& ip, const std::string& why) {
    LogForSource(chat, "board", ip, ":::Board message from " + ip + " refused: " + why, 1);
}

// A message from a peer (16 or 31), stored when it is the sender's own.
bool Store(ChatSession& chat, const IncomingPacket& in) {
    const BoardAdmission a = chat.Board().files.Admit(ExtractField(in.body, ";", 0), ExtractField(in.body, ";", 1),
                                                      SenderOf(in), chat.NowSeconds(), chat.User().boardMessageLife);
    if (a != BoardAdmission::Stored) {
        NoteRefusal(chat, in.raw.senderIp, BoardAdmissionText(a));
        return false;
    }
    KeepBoardWithinLimits(chat);
    return true;
}

}  // namespace

bool HandleBoard(ChatSession& chat, const IncomingPacket& in) {
    const std::string& from = in.raw.senderId;
    switch (in.raw.command) {
        case CMD_BOARD_MESSAGE: {  // a new message
            if (chat.IsIgnored(in.raw.senderIp) || !Store(chat, in)) return true;
            chat.Notify(NotifyEvent::Board, in.displayName, chat.Language().LangString(16) + ": " + in.displayName, "");
            chat.FlashTray(kTrayBoardIcon);
            chat.BoardChanged();
            return true;
        }
        case CMD_BOARD_ITEM: {  // the answer to our request; one we did not ask for is dropped
            if (chat.IsIgnored(in.raw.senderIp) || !in.fromOwner) return true;
            const std::string name = ExtractField(in.body, ";", 0);
            BoardRequests& requests = chat.Board().requests;
            if (!requests.Answered(from, name)) return true;
            if (Store(chat, in)) chat.BoardChanged();
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
        case CMD_BOARD_DELETE: {  // the author deleted a message; nobody else's delete counts
            if (chat.IsIgnored(in.raw.senderIp) || BoardPathOfWirePath(in.body).empty()) return true;
            const std::string name = in.body.substr(std::string(kBoardWirePrefix).size());
            BoardIndex& files = chat.Board().files;
            if (files.DeleteFrom(name, SenderOf(in))) chat.BoardChanged();
            else if (files.Find(name)) NoteRefusal(chat, in.raw.senderIp, "deleting another user's message");
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
