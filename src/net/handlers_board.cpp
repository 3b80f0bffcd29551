// Board messages between copies: new ones, lists, requests, answers and deletions.
#include <filesystem>

#include "app/chat_main_dlg.h"
#include "app/text_helpers.h"
#include "net/packet_handlers.h"
#include "services/board_store.h"

namespace zc {

bool HandleBoard(CChatMainDlg& dlg, const IncomingPacket& in) {
    const std::string& from = in.raw.senderId;
    switch (in.raw.command) {
        case 16:    // new message
        case 31: {  // answer to our request
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            if (!WriteBoardFile(ExtractField(in.body, ";", 0), ExtractField(in.body, ";", 1))) return true;
            if (in.raw.command == 16) dlg.Notify(NotifyEvent::Board, in.displayName, "", "");
            dlg.ShowBoardPage();
            return true;
        }
        case 17: {  // the sender's own messages: ask for the ones we lack
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            std::string rest = in.body;
            while (rest.size() > 5) {
                const std::string name = ExtractField(rest, ";", 0);
                if (IsBoardFileName(name) && !std::filesystem::exists(std::string(kBoardFolder) + "/" + name))
                    dlg.SendPacket(32, name, from);
                if (rest.find(';') == std::string::npos) break;
                rest = ExtractField(rest, ";", 1);
            }
            return true;
        }
        case 32: {  // a peer asks for one of our messages
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            const std::string item = ReadBoardFileForSend(in.body);
            if (item.size() > 5) dlg.SendPacket(31, item, from);
            return true;
        }
        case 33: {  // the author deleted a message
            if (dlg.IsIgnored(in.raw.senderIp)) return true;
            const std::string path = BoardPathOfWirePath(in.body);
            std::error_code ec;
            if (!path.empty() && std::filesystem::remove(path, ec)) dlg.ShowBoardPage();
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
