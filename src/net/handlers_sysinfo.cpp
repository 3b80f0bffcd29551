// Requests for who we are and what runs on this machine.
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/packet_handlers.h"
#include "net/paced_answers.h"
#include "services/system_texts.h"

namespace zc {

bool HandleSystemRequests(ChatSession& chat, const IncomingPacket& in) {
    const std::string& sender = in.raw.senderId;
    switch (in.raw.command) {
        case CMD_PROCLIST_REQUEST: {
            // A refusal is answered like the list; the list is sent only where the user allows it.
            if (!chat.User().allowProcessList) {
                if (AnswerDue(chat, in, AnswerKind::Card, kShortAnswerBytes)) chat.SendPacket(CMD_REFUSED, "n/a", sender);
                return true;
            }
            if (!AnswerDue(chat, in, AnswerKind::Card, kProcessListAnswerBytes)) return true;
            // As much of the list as one packet holds, whole lines only.
            std::string list;
            for (size_t limit = 3900; limit >= 256; limit -= 256) {
                list = ProcessListText("/proc", limit);
                if (chat.PacketFits(CMD_PROCLIST, list, sender)) break;
            }
            if (!chat.SendPacket(CMD_PROCLIST, list, sender)) return true;
            chat.WriteLog(":::Send proccess list to MAC " + sender);
            // The owner sees each time what left the machine, and for whom.
            chat.ShowLine(ChatLineKind::Notify, "",
                          LineText::Around(chat.Language().Extra(ExtraText::ProcessListSent, "%s"), in.displayName),
                          ChatPage::Main);
            return true;
        }
        case CMD_SYSINFO_REQUEST: {
            if (!AnswerDue(chat, in, AnswerKind::Card, kCardAnswerBytes)) return true;
            // The request's first text comes back in front of the card.
            const std::string& asked = in.raw.body;
            const std::string first = asked.find(':') == std::string::npos ? asked : ExtractField(asked, ":", 0);
            const std::string body = first + ":" + chat.OwnInfoCard();
            if (!chat.SendPacket(CMD_SYSINFO, body, sender)) return true;
            chat.WriteLog(":::Send info to " + in.displayName + " MAC " + sender);
            return true;
        }
        default: return false;
    }
}

}  // namespace zc
