#include "platform/linux/scroll_gesture.h"

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

TEST(ScrollGesture, ATrackpadGestureBeginsAfterAQuietMomentAndEndsWithOne) {
    ScrollGesture gesture;
    EXPECT_EQ(gesture.trackpad(-3, 0, true, 10.0).phase, ScrollPhase::began);
    const ScrollDetail next = gesture.trackpad(-4, 1, true, 10.05);
    EXPECT_EQ(next.phase, ScrollPhase::changed);
    EXPECT_TRUE(next.hasPreciseScrollingDeltas);
    EXPECT_TRUE(next.isDirectionInvertedFromDevice);
    EXPECT_EQ(next.deltaX, -4);
    EXPECT_FALSE(next.isMomentum());

    EXPECT_FALSE(gesture.endIfQuiet(10.1).has_value());
    const auto end = gesture.endIfQuiet(10.05 + ScrollGesture::quietPeriod);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->phase, ScrollPhase::ended);
    EXPECT_EQ(end->deltaX, 0);
    EXPECT_TRUE(end->isDirectionInvertedFromDevice);
    EXPECT_FALSE(gesture.endIfQuiet(20).has_value()) << "one end per gesture";

    EXPECT_EQ(gesture.trackpad(1, 0, false, 20.0).phase, ScrollPhase::began);
    // A pause the timer did not report yet still starts a new gesture.
    EXPECT_EQ(gesture.trackpad(1, 0, false, 20.5).phase, ScrollPhase::began);
}

TEST(ScrollGesture, WheelsScrollInLinesWithoutPhases) {
    const ScrollDetail wheel = ScrollGesture::wheel(0, 1, false);
    EXPECT_FALSE(wheel.hasPreciseScrollingDeltas);
    EXPECT_EQ(wheel.phase, ScrollPhase::none);
    EXPECT_EQ(wheel.deltaY, 1);
}

}  // namespace
}  // namespace quorlix::platform
