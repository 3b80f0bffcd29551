#include <gtest/gtest.h>

#include "net/file_offer.h"

namespace zc {

TEST(FileOffer, SizeTravelsAfterTheNameAndOnlyDigitsCountAsOne) {
    EXPECT_EQ(FileOfferText(ParseFileOffer(FileOfferBody("plan.bin", 52428800))), "plan.bin (50 MB)");
    EXPECT_EQ(FileOfferText(ParseFileOffer(FileOfferBody("a||b.txt", 1))), "a||b.txt (1 byte)");
    EXPECT_EQ(FileOfferText(ParseFileOffer("x||1048525")), "x (1 MB)");  // 1023.95 KB rounds up
    EXPECT_EQ(FileOfferText(ParseFileOffer("x||12800")), "x (12.5 KB)");
    // Names from copies that send no size, and tails that are no size, stay whole.
    for (const char* body : {"notes.txt", "x||", "x||12a", "x||-5", "x||99999999999999999999"})
        EXPECT_EQ(ParseFileOffer(body).name, body) << body;
    EXPECT_FALSE(ParseFileOffer("x||12a").size);
}

}  // namespace zc
