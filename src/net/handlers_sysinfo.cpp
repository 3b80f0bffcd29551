// Requests for what runs on this machine.
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/packet_handlers.h"
#include "services/system_texts.h"

namespace zc {

bool HandleSystemRequests(ChatSession& chat, const IncomingPacket& in) {
    const std::string& sender = in.raw.senderId;
    switch (in.raw.command) {
        case CMD_PROCLIST_REQUEST: {
            // A refusal is answered, never dropped; the list is sent only where the user allows it.
            if (!chat.User().allowProcessList) {
                chat.SendPacket(CMD_REFUSED, "n/a", sender);
                return true;
            }
            // As much of the list as one packet holds, whole lines only.
            std::string list;
            for (size_t limit = 3900; limit >= 256; limit -= 256) {
                list = ProcessListText("/proc", limit);
                if (chat.PacketFits(CMD_PROCLIST, list, sender)) break;
            }
            if (!chat.SendPacket(CMD_PROCLIST, list, sender)) return true;
            chat.WriteLog(":::Send proccess list to MAC " + sender);
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
