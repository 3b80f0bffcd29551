#include <gtest/gtest.h>

#include "app/file_trans.h"

namespace zc {

TEST(TransferRate, RateAndTimeLeftOnceBytesMove) {
    EXPECT_EQ(TransferRateText(0, 1000, 500), "");
    EXPECT_EQ(TransferRateText(10 << 20, 30 << 20, 1000), "10.0 MB/s, 0:02 left");
    EXPECT_EQ(TransferRateText(512 * 1024, 512 * 1024 + 600 * 512 * 1024, 1000), "512 KB/s, 10:00 left");
    // How far it got, in the unit of its length.
    EXPECT_EQ(TransferAmountText(34393293, 50u << 20), (std::pair<std::string, std::string>{"32.8", "50 MB"}));
    EXPECT_EQ(TransferAmountText(300, 700), (std::pair<std::string, std::string>{"300", "700 B"}));
}

}  // namespace zc
