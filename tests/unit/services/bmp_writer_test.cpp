#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/bmp_writer.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

namespace {

uint32_t U32(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
           static_cast<unsigned char>(b[at + 2]) << 16 | static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

// Every pixel different: r = 10*x + y, g = 100 + y, b = 200 + x.
std::vector<unsigned char> Pattern(int w, int h, int bpp, size_t stride) {
    std::vector<unsigned char> px(stride * static_cast<size_t>(h), 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[static_cast<size_t>(y) * stride + static_cast<size_t>(x * bpp)];
            p[0] = static_cast<unsigned char>(10 * x + y);
            p[1] = static_cast<unsigned char>(100 + y);
            p[2] = static_cast<unsigned char>(200 + x);
            if (bpp == 4) p[3] = 0x7F;
        }
    return px;
}

void CheckPicture(const std::string& bmp, int w, int h) {
    const size_t row = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + row * static_cast<size_t>(h));
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(U32(bmp, 2), bmp.size());
    EXPECT_EQ(U32(bmp, 6), 0u);
    EXPECT_EQ(U32(bmp, 10), 54u);
    EXPECT_EQ(U32(bmp, 14), 40u);
    EXPECT_EQ(U32(bmp, 18), static_cast<uint32_t>(w));
    EXPECT_EQ(U32(bmp, 22), static_cast<uint32_t>(h));
    EXPECT_EQ(U16(bmp, 26), 1);
    EXPECT_EQ(U16(bmp, 28), 24);
    EXPECT_EQ(U32(bmp, 30), 0u);
    EXPECT_EQ(U32(bmp, 34), row * static_cast<size_t>(h));
    for (size_t at = 38; at < 54; at += 4) EXPECT_EQ(U32(bmp, at), 0u) << at;
    for (int fileRow = 0; fileRow < h; ++fileRow) {
        const int y = h - 1 - fileRow;  // bottom row first
        const size_t base = 54 + row * static_cast<size_t>(fileRow);
        for (int x = 0; x < w; ++x) {
            const size_t p = base + static_cast<size_t>(x) * 3;
            EXPECT_EQ(static_cast<unsigned char>(bmp[p]), 200 + x);  // blue first
            EXPECT_EQ(static_cast<unsigned char>(bmp[p + 1]), 100 + y);
            EXPECT_EQ(static_cast<unsigned char>(bmp[p + 2]), 10 * x + y);
        }
        for (size_t p = base + static_cast<size_t>(w) * 3; p < base + row; ++p) EXPECT_EQ(bmp[p], '\0') << p;
    }
}

}  // namespace

TEST(BmpWriter, HeadersRowsAndPadding) {
    auto rgb = Pattern(3, 2, 3, 9);  // 9 bytes a row in, 12 out
    CheckPicture(EncodeBmp24({3, 2, 3, 0, rgb}), 3, 2);
    auto rgba = Pattern(5, 3, 4, 24);  // rows with stride padding of their own, 15 bytes out -> 16
    const std::string bmp = EncodeBmp24({5, 3, 4, 24, rgba});
    CheckPicture(bmp, 5, 3);
    auto exact = Pattern(4, 1, 3, 12);  // 12 bytes a row: no padding at all
    CheckPicture(EncodeBmp24({4, 1, 3, 0, exact}), 4, 1);

    TempRoot root(false);
    ASSERT_TRUE(WriteBmpFile("mydesktop.bmp", {5, 3, 4, 24, rgba}));
    EXPECT_EQ(root.Read("mydesktop.bmp"), bmp);
}

TEST(BmpWriter, RefusesWhatItCannotWrite) {
    auto px = Pattern(3, 2, 3, 9);
    EXPECT_EQ(EncodeBmp24({0, 0, 3, 0, px}), "");
    EXPECT_EQ(EncodeBmp24({0, 2, 3, 0, px}), "");
    EXPECT_EQ(EncodeBmp24({3, 0, 3, 0, px}), "");
    EXPECT_EQ(EncodeBmp24({-3, 2, 3, 0, px}), "");
    EXPECT_EQ(EncodeBmp24({3, 2, 2, 0, px}), "");                                   // neither RGB nor RGBA
    EXPECT_EQ(EncodeBmp24({3, 2, 3, 8, px}), "");                                   // stride shorter than a row
    EXPECT_EQ(EncodeBmp24({3, 2, 3, 0, std::span(px).first(px.size() - 1)}), "");  // pixels short
    EXPECT_EQ(EncodeBmp24({3, 3, 3, 0, px}), "");
    // A huge picture with a few bytes behind it: refused before anything is read or reserved.
    EXPECT_EQ(EncodeBmp24({70000, 70000, 3, 0, px}), "");

    TempRoot root(false);
    EXPECT_FALSE(WriteBmpFile("empty.bmp", {0, 0, 3, 0, px}));
    EXPECT_FALSE(root.Exists("empty.bmp"));
    EXPECT_FALSE(WriteBmpFile("no-such-folder/x.bmp", {3, 2, 3, 0, px}));
}

}  // namespace zc
