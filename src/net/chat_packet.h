#pragma once
#include <optional>
#include <string>

namespace zc {

inline constexpr size_t kMaxPacketText = 4096;
inline const char kEveryone[] = "0.0";

// One parsed packet; lives for one dispatch.
struct CChatPacket {
    int senderPage = 0;
    int command = 0;
    std::string body;
    std::string senderAvatar;
    std::string senderIp;
    std::string senderId;
    std::string senderName;
    std::string target;
};

struct PacketSender {
    std::string ip, id, nickname, avatar;
    int pageMode = 0;
};

// The plain wire text, "//end" included; nullopt when it would pass 4096 characters.
std::optional<std::string> BuildPacketText(const PacketSender& sender, int command, const std::string& body,
                                           const std::string& target);

// True when the text ends in "//end", or "//end" is followed by exactly four characters.
bool HasValidTerminator(const std::string& text);

// Splits an accepted plain text into its fields; missing separators give empty fields.
CChatPacket ParsePacketText(const std::string& text);

}  // namespace zc
