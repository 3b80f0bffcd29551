#pragma once
#include <array>
#include <string>
#include <string_view>

namespace zc {

// The facts an information card is made of, gathered by the caller.
struct InfoCardFacts {
    std::string name, avatar, ip, mac, desc, web, email;
    std::string version;  // the program's version text, without "Zelto Chat "
    std::string mode, skinTheme, computerName, systemUser;
    std::string activeWindow;
    bool showActiveWindow = true;  // off: the foreground window title stays private
};

// The self-description kept in the profile, as the card shows it: "- - -" for what is missing,
// each value at most 99 characters.
struct InfoCardProfile {
    std::string name, avatar, desc, web, email;
};
InfoCardProfile ReadInfoCardProfile(const std::string& profilePath);

// "|NAME|...|/NAME||AVATAR|...|/AVATAR|..." through "|/ACTIVEW|". A "|" inside a value is written
// as a broken bar, so no value can end its own item or fake another.
std::string BuildInfoCard(const InfoCardFacts& facts);
// The card followed by "|OS|" os "|/OS||MEMORY|" memory "|/MEMORY|", as a request is answered.
std::string InfoCardWithSystem(const std::string& card, std::string_view osText, std::string_view memoryText);

// The items of a card in their order; the last two come only with an answer to a request.
inline constexpr std::array<std::string_view, 15> kInfoCardTags = {
    "NAME", "AVATAR", "IP", "MAC", "DESC", "WWW", "EMAIL", "VERSION",
    "MODE", "SKINTHEME", "COMPNAME", "SYSNAME", "ACTIVEW", "OS", "MEMORY"};

struct InfoCardField {
    std::string_view tag;
    std::string value;
    bool present = false;
};

// A received card split into its items, in the order above. The card is a peer's text: any
// length, items missing or out of place, separators inside values. Each item is looked for after
// the previous one found, so the work stays linear and there are never more than these fields.
std::array<InfoCardField, kInfoCardTags.size()> ParseInfoCard(std::string_view card);

}  // namespace zc
