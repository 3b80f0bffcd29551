#include "net/subst_codec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "support/temp_root.h"

namespace zc {

TEST(SubstCodec, TablesHoldTheSame160DistinctNonZeroBytes) {
    const auto a = SubstTableA(), b = SubstTableB();
    ASSERT_EQ(a.size(), 160u);
    ASSERT_EQ(b.size(), 160u);
    std::set<unsigned char> sa(a.begin(), a.end()), sb(b.begin(), b.end());
    EXPECT_EQ(sa.size(), 160u);
    EXPECT_EQ(sa, sb);
    EXPECT_EQ(sa.count(0), 0u);
}

TEST(SubstCodec, PublishedTablesMatchTheProgram) {
    // Other implementations copy the tables from the protocol reference.
    std::ifstream in(std::string(ZC_SOURCE_DIR) + "/docs/protocol.md");
    ASSERT_TRUE(in) << "docs/protocol.md is missing";
    std::string line, published[2];
    while (std::getline(in, line)) {
        if (line.rfind("TABLE_A:", 0) == 0) published[0] = line.substr(8);
        if (line.rfind("TABLE_B:", 0) == 0) published[1] = line.substr(8);
    }
    const std::string_view tables[2] = {SubstTableA(), SubstTableB()};
    for (int t = 0; t < 2; ++t) {
        std::istringstream hex(published[t]);
        std::string code;
        size_t i = 0;
        while (hex >> code) {
            ASSERT_LT(i, 160u);
            EXPECT_EQ(code.size(), 2u);
            EXPECT_EQ(static_cast<unsigned char>(tables[t][i]), std::stoul(code, nullptr, 16)) << t << ":" << i;
            ++i;
        }
        EXPECT_EQ(i, 160u) << "table " << t;
    }
}

TEST(SubstCodec, DecodingInvertsEncodingForEveryByte) {
    CSubstCodec codec;
    codec.SetTables(SubstTableA(), SubstTableB());
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string wire = codec.EncodeText(all);
    EXPECT_EQ(wire.size(), all.size());
    EXPECT_NE(wire, all);
    EXPECT_EQ(codec.DecodeText(wire), all);
    // Bytes in neither table pass through both ways.
    EXPECT_EQ(codec.EncodeText(" \t\x01\x80"), " \t\x01\x80");
    EXPECT_EQ(codec.DecodeText(" \t\x01\x80"), " \t\x01\x80");
}

TEST(SubstCodec, FirstOccurrenceWinsInUnevenTables) {
    CSubstCodec codec;
    codec.SetTables("aab", "xyz");
    EXPECT_EQ(codec.EncodeText("ab"), "xz");
    EXPECT_EQ(codec.DecodeText("xyz"), "aab");
}

}  // namespace zc
