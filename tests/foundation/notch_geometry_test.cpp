#include "foundation/notch_geometry.h"
#include "fakes/fake_platform.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorlix {
namespace {

using fakes::FakeScreens;

TEST(NotchGeometry, ANotchedScreenMeasuresItsNotch) {
    const NotchGeometry g(FakeScreens::notchedLaptop(), false);
    EXPECT_TRUE(g.hasNotch);
    EXPECT_FALSE(g.floating);
    EXPECT_EQ(g.notchSize, (Size{187, 32}));
    EXPECT_EQ(g.topGap, 0);
    EXPECT_EQ(g.centerX, 756);
    EXPECT_EQ(g.screenFrame, Rect(0, 0, 1512, 982));
}

TEST(NotchGeometry, ScreensWithoutACompleteNotchFloatBelowWhatTheirTopReserves) {
    const NotchGeometry external(FakeScreens::externalDisplay(1512), false);
    EXPECT_FALSE(external.hasNotch);
    EXPECT_TRUE(external.floating);
    EXPECT_EQ(external.notchSize, (Size{84, 24}));
    EXPECT_EQ(external.topGap, 3);
    EXPECT_EQ(external.centerX, 1512 + 1280);

    // A desktop's bar along the top edge is an inset without a camera housing beside it: the
    // pill hangs 3 points below it, as below a bare edge.
    auto oneArea = FakeScreens::notchedLaptop();
    oneArea.auxiliaryTopRightArea.reset();
    auto bar = [](double top) {
        auto s = FakeScreens::externalDisplay();
        s.safeAreaInsets.top = top;
        return s;
    };
    const struct {
        const char* screen;
        platform::Screen value;
        double topGap;
    } rows[] = {
        {"one menu-bar area beside the inset", oneArea, 35},
        {"GNOME's bar", bar(32), 35},
        {"Xfce's panel", bar(27), 30},
        {"a negative inset", bar(-5), 3},
        {"an inset that is not a number", bar(std::nan("")), 3},
    };
    for (const auto& row : rows) {
        const NotchGeometry g(row.value, false);
        EXPECT_FALSE(g.hasNotch) << row.screen;
        EXPECT_TRUE(g.floating) << row.screen;
        EXPECT_EQ(g.notchSize, (Size{84, 24})) << row.screen;
        EXPECT_EQ(g.topGap, row.topGap) << row.screen;
    }
}

TEST(NotchGeometry, ForcedFloatingHangsBelowTheInset) {
    EXPECT_EQ(NotchGeometry(FakeScreens::notchedLaptop(), true).topGap, 40);
    EXPECT_EQ(NotchGeometry(FakeScreens::notchedLaptop(), true).notchSize, (Size{84, 24}));
    EXPECT_EQ(NotchGeometry(FakeScreens::externalDisplay(), true).topGap, 8);
    auto odd = FakeScreens::notchedLaptop();
    odd.safeAreaInsets.top = -5;
    EXPECT_EQ(NotchGeometry(odd, true).topGap, 8);
    odd.safeAreaInsets.top = std::nan("");
    EXPECT_EQ(NotchGeometry(odd, true).topGap, 8);
    EXPECT_FALSE(NotchGeometry(odd, false).hasNotch);
}

TEST(NotchGeometry, ReadsTheDeveloperSwitchFromTheDefaults) {
    fakes::FakePlatform fake;
    EXPECT_TRUE(NotchGeometry(FakeScreens::notchedLaptop()).hasNotch);
    platform::UserDefaults::standard().setBool("forceFloating", true);
    const NotchGeometry forced(FakeScreens::notchedLaptop());
    EXPECT_TRUE(forced.floating);
    EXPECT_EQ(forced.topGap, 40);
}

}  // namespace
}  // namespace quorlix
