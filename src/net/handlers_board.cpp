// Board messages between copies: new ones, lists, requests, answers and deletions.
#include <filesystem>

#include "base/text_helpers.h"
#include "net/chat_session.h"
#include "net/packet_handlers.h"
#include "services/board_store.h"

namespace zc {

bool HandleBoard(ChatSession& chat, const IncomingPacket& in) {
    const std::string& from = in.raw.senderId;
    switch (in.raw.command) {
        case CMD_BOARD_MESSAGE:
        case CMD_BOARD_ITEM: {  // new, or the answer to our request
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            if (!WriteBoardFile(ExtractField(in.body, ";", 0), ExtractField(in.body, ";", 1))) return true;
            if (in.raw.command == CMD_BOARD_MESSAGE) chat.Notify(NotifyEvent::Board, in.displayName, "", "");
            chat.ShowBoardPage();
            return true;
        }
        case CMD_BOARD_LIST: {  // the sender's own messages: ask for the ones we lack
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            std::string rest = in.body;
            while (rest.size() > 5) {
                const std::string name = ExtractField(rest, ";", 0);
                if (IsBoardFileName(name) && !std::filesystem::exists(std::string(kBoardFolder) + "/" + name))
                    chat.SendPacket(CMD_BOARD_REQUEST, name, from);
                if (rest.find(';') == std::string::npos) break;
                rest = ExtractField(rest, ";", 1);
            }
            return true;
        }
        case CMD_BOARD_REQUEST: {  // a peer asks for one of our messages
            if (chat.IsIgnored(in.raw.senderIp)) return true;
            const std::string item = ReadBoardFileForSend(in.body);
            if (item.size() > 5) chat.SendPacket(CMD_BOARD_ITEM, item, from);
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
