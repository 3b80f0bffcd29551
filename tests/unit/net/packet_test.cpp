#include "net/chat_packet.h"

#include <gtest/gtest.h>

#include "net/subst_codec.h"
#include "support/temp_root.h"

namespace zc {
using test::ReadGolden;

namespace {
std::string Fields(const CChatPacket& p) {
    return "senderIp=" + p.senderIp + "\nsenderId=" + p.senderId + "\nsenderName=" + p.senderName +
           "\nsenderAvatar=" + p.senderAvatar + "\ntarget=" + p.target + "\nsenderPage=" + std::to_string(p.senderPage) +
           "\ncommand=" + std::to_string(p.command) + "\nbody=" + p.body + "\n";
}
CSubstCodec Codec() {
    CSubstCodec c;
    c.SetTables(SubstTableA(), SubstTableB());
    return c;
}
}  // namespace

class GoldenPacket : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenPacket, WireBytesDecodeAndParseAsRecorded) {
    const std::string name = std::string("packets/") + GetParam();
    const std::string plain = ReadGolden(name + ".plain");
    std::string wire = ReadGolden(name + ".wire");
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.back(), '\0');
    wire.pop_back();
    const CSubstCodec codec = Codec();
    EXPECT_EQ(codec.EncodeText(plain), wire);
    const std::string decoded = codec.DecodeText(wire);
    ASSERT_EQ(decoded, plain);
    ASSERT_TRUE(HasValidTerminator(decoded));
    EXPECT_EQ(Fields(ParsePacketText(decoded)), ReadGolden(name + ".fields"));
}

INSTANTIATE_TEST_SUITE_P(Grammar, GoldenPacket,
                         ::testing::Values("presence", "body_with_bars", "body_with_end", "four_after_end", "cyrillic",
                                           "missing_separators"));

TEST(Packet, BuildsTheWireOrder) {
    PacketSender s{"10.1.2.3", "AABBCCDDEEFF", "Ann", "a.jpg", 2};
    auto text = BuildPacketText(s, 5, "1:hi||there", "0.0");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "10.1.2.3(AABBCCDDEEFF)||Ann||a.jpg||0.0||2||5||1:hi||there//end");
    CChatPacket p = ParsePacketText(*text);
    EXPECT_EQ(p.body, "1:hi||there");
    EXPECT_EQ(p.senderPage, 2);
}

TEST(Packet, LengthLimitIs4096WithTheTerminator) {
    PacketSender s{"1.2.3.4", "ID", "N", "", 0};
    const std::string head = *BuildPacketText(s, 5, "", "0.0");
    const size_t room = 4096 - head.size();
    EXPECT_TRUE(BuildPacketText(s, 5, std::string(room, 'x'), "0.0"));
    EXPECT_EQ(BuildPacketText(s, 5, std::string(room, 'x'), "0.0")->size(), 4096u);
    EXPECT_FALSE(BuildPacketText(s, 5, std::string(room + 1, 'x'), "0.0"));
}

TEST(Packet, TerminatorMayBeFollowedByExactlyFourCharacters) {
    EXPECT_TRUE(HasValidTerminator("a//end"));
    EXPECT_TRUE(HasValidTerminator("a//end1234"));
    EXPECT_TRUE(HasValidTerminator("//end"));
    for (const char* bad : {"a//end1", "a//end12", "a//end123", "a//end12345", "", "/end", "a//en"})
        EXPECT_FALSE(HasValidTerminator(bad)) << bad;
}

TEST(Packet, NameWithBarsShiftsTheLaterFields) {
    CChatPacket p = ParsePacketText("1.1.1.1(ID)||Ev||il||av||0.0||0||5||b//end");
    EXPECT_EQ(p.senderName, "Ev");
    EXPECT_EQ(p.senderAvatar, "il");
    EXPECT_EQ(p.target, "av");
    EXPECT_EQ(p.command, 0);
}

}  // namespace zc
