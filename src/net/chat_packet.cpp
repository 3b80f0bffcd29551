#include "net/chat_packet.h"

#include "app/text_helpers.h"

namespace zc {

std::optional<std::string> BuildPacketText(const PacketSender& s, int command, const std::string& body,
                                           const std::string& target) {
    std::string text = s.ip + "(" + s.id + ")||" + s.nickname + "||" + s.avatar + "||" + target + "||" +
                       std::to_string(s.pageMode) + "||" + std::to_string(command) + "||" + body + "//end";
    if (text.size() > kMaxPacketText) return std::nullopt;
    return text;
}

bool HasValidTerminator(const std::string& text) {
    const size_t n = text.size();
    if (n >= 5 && text.compare(n - 5, 5, "//end") == 0) return true;
    return n >= 9 && text.compare(n - 9, 5, "//end") == 0;
}

CChatPacket ParsePacketText(const std::string& text) {
    CChatPacket p;
    std::string rest = ExtractField(text, "//end", 0);
    p.senderIp = ExtractField(rest, "(", 0);
    p.senderId = ExtractField(ExtractField(rest, ")||", 0), "(", 1);
    rest = ExtractField(rest, "||", 1);
    auto next = [&rest]() {
        std::string field = ExtractField(rest, "||", 0);
        rest = ExtractField(rest, "||", 1);
        return field;
    };
    p.senderName = next();
    p.senderAvatar = next();
    p.target = next();
    p.senderPage = ParseInt(next());
    p.command = ParseInt(next());
    p.body = rest;
    return p;
}

}  // namespace zc
