#include "net/chat_packet.h"

#include "base/text_helpers.h"

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

namespace {
// The text before the first delimiter; rest moves past it. Both empty when it is absent.
std::string_view Before(std::string_view& rest, std::string_view delimiter) {
    size_t at = rest.find(delimiter);
    if (at == std::string_view::npos) {
        rest = {};
        return {};
    }
    std::string_view field = rest.substr(0, at);
    rest.remove_prefix(at + delimiter.size());
    return field;
}
}  // namespace

CChatPacket ParsePacketText(const std::string& text) {
    CChatPacket p;
    std::string_view whole(text);
    std::string_view rest = Before(whole, "//end");
    const size_t paren = rest.find('(');
    p.senderIp = paren == std::string_view::npos ? std::string() : std::string(rest.substr(0, paren));
    std::string_view head = rest.substr(0, rest.find(")||"));
    if (rest.find(")||") == std::string_view::npos) head = {};
    const size_t idParen = head.find('(');
    p.senderId = idParen == std::string_view::npos ? std::string() : std::string(head.substr(idParen + 1));
    Before(rest, "||");
    p.senderName = Before(rest, "||");
    p.senderAvatar = Before(rest, "||");
    p.target = Before(rest, "||");
    p.senderPage = ParseInt(Before(rest, "||"));
    p.command = ParseInt(Before(rest, "||"));
    p.body = rest;
    return p;
}

}  // namespace zc
