#include "services/info_card.h"

#include "base/ini_file.h"

namespace zc {

namespace {

constexpr size_t kMaxCardValue = 99;
constexpr char kBrokenBar = '\xA6';  // windows-1251

void AddItem(std::string& card, std::string_view tag, std::string_view value) {
    card += '|';
    card += tag;
    card += '|';
    for (char c : value) card += c == '|' ? kBrokenBar : c;
    card += "|/";
    card += tag;
    card += '|';
}

std::string CardValue(const std::string& profile, const char* key) {
    std::string value = ValueOrDefault(ReadIniValue(profile, "INFO", key), "- - -");
    if (value.size() > kMaxCardValue) value.resize(kMaxCardValue);
    return value;
}

}  // namespace

InfoCardProfile ReadInfoCardProfile(const std::string& profilePath) {
    return {CardValue(profilePath, "NAME"), CardValue(profilePath, "AVATAR"), CardValue(profilePath, "DESC"),
            CardValue(profilePath, "WEB"), CardValue(profilePath, "EMAIL")};
}

std::string BuildInfoCard(const InfoCardFacts& f) {
    std::string card;
    AddItem(card, "NAME", f.name);
    AddItem(card, "AVATAR", f.avatar);
    AddItem(card, "IP", f.ip);
    AddItem(card, "MAC", f.mac);
    AddItem(card, "DESC", f.desc);
    AddItem(card, "WWW", f.web);
    AddItem(card, "EMAIL", f.email);
    AddItem(card, "VERSION", "Zelto Chat " + f.version);
    AddItem(card, "MODE", f.mode);
    AddItem(card, "SKINTHEME", f.skinTheme);
    AddItem(card, "COMPNAME", f.computerName);
    AddItem(card, "SYSNAME", f.systemUser);
    AddItem(card, "ACTIVEW", f.showActiveWindow ? std::string_view(f.activeWindow) : std::string_view());
    return card;
}

std::string InfoCardWithSystem(const std::string& card, std::string_view osText, std::string_view memoryText) {
    std::string out = card;
    AddItem(out, "OS", osText);
    AddItem(out, "MEMORY", memoryText);
    return out;
}

std::array<InfoCardField, kInfoCardTags.size()> ParseInfoCard(std::string_view card) {
    std::array<InfoCardField, kInfoCardTags.size()> fields;
    size_t pos = 0;
    for (size_t i = 0; i < kInfoCardTags.size(); ++i) {
        const std::string_view tag = kInfoCardTags[i];
        fields[i].tag = tag;
        const std::string open = "|" + std::string(tag) + "|";
        const std::string close = "|/" + std::string(tag) + "|";
        const size_t start = card.find(open, pos);
        if (start == std::string_view::npos) continue;
        const size_t valueStart = start + open.size();
        const size_t end = card.find(close, valueStart);
        if (end == std::string_view::npos) continue;  // an item cut off counts as missing
        fields[i].value = std::string(card.substr(valueStart, end - valueStart));
        fields[i].present = true;
        pos = end + close.size();
    }
    return fields;
}

}  // namespace zc
