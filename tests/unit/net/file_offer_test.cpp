#include <gtest/gtest.h>

#include "net/file_offer.h"

namespace zc {

TEST(FileOffer, SizeTravelsAfterTheNameAndOnlyDigitsCountAsOne) {
    EXPECT_EQ(FileOfferText(ParseFileOffer(FileOfferBody("a||b.txt", 52428800))), "a||b.txt (50 MB)");
    EXPECT_EQ(FileOfferText(ParseFileOffer("x||1048525")), "x (1 MB)");  // 1023.95 KB rounds up
    for (const char* body : {"notes.txt", "x||", "x||12a", "x||-5", "x||99999999999999999999"})
        EXPECT_EQ(FileOfferText(ParseFileOffer(body)), body);
}

}  // namespace zc
