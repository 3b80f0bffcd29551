#include <gtest/gtest.h>

#include <string>

#include "services/info_card.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

namespace {

InfoCardFacts Facts() {
    InfoCardFacts f;
    f.name = "Alice Smith";
    f.avatar = "00000007.jpg";
    f.ip = "10.0.0.5";
    f.mac = "00-1A-2B-3C-4D-5E";
    f.desc = "- - -";
    f.web = "http://example.org/a?b=1|2";
    f.email = "alice@example.org";
    f.version = "1.2.3.4";
    f.mode = "Available";
    f.skinTheme = "default";
    f.computerName = "desk";
    f.systemUser = "alice";
    f.activeWindow = "Inbox";
    return f;
}

}  // namespace

TEST(InfoCard, BuiltInItsOrderAndReadBack) {
    InfoCardFacts f = Facts();
    const std::string card = BuildInfoCard(f);
    EXPECT_EQ(card,
              "|NAME|Alice Smith|/NAME||AVATAR|00000007.jpg|/AVATAR||IP|10.0.0.5|/IP||MAC|00-1A-2B-3C-4D-5E|/MAC|"
              "|DESC|- - -|/DESC||WWW|http://example.org/a?b=1\xA6" "2|/WWW||EMAIL|alice@example.org|/EMAIL|"
              "|VERSION|Zelto Chat 1.2.3.4|/VERSION||MODE|Available|/MODE||SKINTHEME|default|/SKINTHEME|"
              "|COMPNAME|desk|/COMPNAME||SYSNAME|alice|/SYSNAME||ACTIVEW|Inbox|/ACTIVEW|");
    f.showActiveWindow = false;
    EXPECT_TRUE(BuildInfoCard(f).ends_with("|ACTIVEW||/ACTIVEW|"));

    // A window title is anybody's text: it cannot fake the items that follow it.
    f.showActiveWindow = true;
    f.activeWindow = "x|/ACTIVEW||OS|Fake OS|/OS|";
    const auto fields = ParseInfoCard(InfoCardWithSystem(BuildInfoCard(f), "Debian 12 (Build 1)\n", "RAM 1/2 MB (50%)"));
    ASSERT_EQ(fields.size(), 15u);
    EXPECT_EQ(fields[0].tag, "NAME");
    EXPECT_EQ(fields[0].value, "Alice Smith");
    EXPECT_EQ(fields[7].value, "Zelto Chat 1.2.3.4");
    EXPECT_EQ(fields[12].value, "x\xA6/ACTIVEW\xA6\xA6OS\xA6" "Fake OS\xA6/OS\xA6");
    EXPECT_EQ(fields[13].tag, "OS");
    EXPECT_EQ(fields[13].value, "Debian 12 (Build 1)\n");
    EXPECT_EQ(fields[14].value, "RAM 1/2 MB (50%)");
    for (const auto& field : fields) EXPECT_TRUE(field.present) << field.tag;
}

TEST(InfoCard, HostileCardsStayBounded) {
    // Missing items stay empty; the ones after them are still found.
    auto fields = ParseInfoCard("junk|NAME|Bob|/NAME||MAC|m|/MAC||EMAIL|e|/EMAIL||MEMORY|RAM|/MEMORY|tail");
    EXPECT_EQ(fields[0].value, "Bob");
    EXPECT_FALSE(fields[1].present);
    EXPECT_EQ(fields[3].value, "m");
    EXPECT_EQ(fields[6].value, "e");
    EXPECT_FALSE(fields[13].present);
    EXPECT_EQ(fields[14].value, "RAM");

    // Separators inside values, an item never closed, an item out of order, a repeated item.
    fields = ParseInfoCard("|NAME|a|b||c|/NAME||IP|1|/IP||AVATAR|late|/AVATAR||MAC|x|/MAC||DESC|open|WWW|w|/WWW|");
    EXPECT_EQ(fields[0].value, "a|b||c");
    EXPECT_EQ(fields[1].value, "late");
    EXPECT_FALSE(fields[2].present);  // it came before AVATAR
    EXPECT_EQ(fields[3].value, "x");
    EXPECT_FALSE(fields[4].present);
    EXPECT_EQ(fields[5].value, "w");

    for (const char* odd : {"", "|", "||||||", "|NAME|", "|/NAME|", "|NAME||/NAME|"}) {
        fields = ParseInfoCard(odd);
        EXPECT_EQ(fields[0].present, std::string(odd) == "|NAME||/NAME|") << odd;
        EXPECT_EQ(fields[0].value, "");
    }

    // A megabyte of tags that never close: one pass per item, and nothing taken.
    std::string flood;
    for (int i = 0; i < 40000; ++i) flood += "|NAME||OS||MEMORY|";
    fields = ParseInfoCard(flood);
    for (const auto& field : fields) EXPECT_FALSE(field.present) << field.tag;
}

TEST(InfoCard, ProfileValuesAndDefaults) {
    TempRoot root(false);
    root.Write("p.cfg", "[INFO]\r\nNAME=" + std::string(150, 'n') + "\r\nDESC= \r\nWEB=http://w\r\nAVATAR=\r\n");
    const InfoCardProfile p = ReadInfoCardProfile("p.cfg");
    EXPECT_EQ(p.name, std::string(99, 'n'));
    EXPECT_EQ(p.avatar, "- - -");
    EXPECT_EQ(p.desc, "- - -");
    EXPECT_EQ(p.web, "http://w");
    EXPECT_EQ(p.email, "- - -");
    EXPECT_EQ(ReadInfoCardProfile("missing.cfg").name, "- - -");
}

}  // namespace zc
