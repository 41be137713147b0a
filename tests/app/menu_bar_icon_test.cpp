#include "app/menu_bar_icon.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(MenuBarIcon, FiveRoundedBarsCentredInTheImage) {
    const auto bars = MenuBarIcon::bars();
    EXPECT_EQ(bars[0], Rect(0.5, 5.5, 2.2, 5));
    EXPECT_EQ(bars[2], Rect(0.5 + 2 * 3.7, 1.5, 2.2, 13));
    EXPECT_NEAR(bars[4].maxX(), 17.5, 1e-9);

    const platform::Image& image = MenuBarIcon::image();
    ASSERT_EQ(image.width, 36);
    ASSERT_EQ(image.height, 32);
    const auto alpha = [&](int x, int y) {
        return (*image.pixels)[static_cast<std::size_t>(y * 36 + x) * 4 + 3];
    };
    const auto colour = [&](int x, int y, int channel) {
        return (*image.pixels)[static_cast<std::size_t>(y * 36 + x) * 4 + channel];
    };
    // The middle of the tall bar is solid black; the gaps between bars and the corners are clear.
    EXPECT_EQ(alpha(17, 16), 255);
    EXPECT_EQ(colour(17, 16, 0), 0);
    EXPECT_EQ(alpha(17, 2), 0);
    EXPECT_EQ(alpha(6, 16), 0);
    EXPECT_EQ(alpha(0, 16), 0);
    EXPECT_EQ(alpha(2, 8), 0);  // above the short outer bar
    EXPECT_EQ(alpha(2, 15), 255);
    // Rounded ends: the tall bar's top row is only partly covered.
    EXPECT_GT(alpha(17, 3), 0);
    EXPECT_LT(alpha(17, 3), 255);
    // Mirror-symmetric, left to right and top to bottom.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 36; ++x) {
            ASSERT_EQ(alpha(x, y), alpha(35 - x, y)) << x << "," << y;
            ASSERT_EQ(alpha(x, y), alpha(x, 31 - y)) << x << "," << y;
        }
}

}  // namespace
}  // namespace quorlix
