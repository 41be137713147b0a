#include "platform/linux/scroll_gesture.h"

#include "fakes/virtual_time.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorlix::platform {
namespace {

TEST(ScrollGesture, QuickScrollsMakeOneGestureThatEndsAfterAQuietMoment) {
    struct Case {
        const char* name;
        bool precise;
        double step;
    };
    // Wheel clicks of xdotool come a few milliseconds apart, a trackpad's every 10 ms or so.
    for (const Case& c : {Case{"wheel", false, 0.005}, Case{"trackpad", true, 0.01}}) {
        fakes::VirtualTime time;
        std::vector<ScrollDetail> seen;
        ScrollGesture gesture([&](const ScrollDetail& s) { seen.push_back(s); });

        for (int i = 0; i < 3; ++i) {
            gesture.scroll(-4, 1, c.precise, true);
            time.advance(c.step);
        }
        ASSERT_EQ(seen.size(), 3u) << c.name;
        EXPECT_EQ(seen[0].phase, ScrollPhase::began) << c.name;
        EXPECT_EQ(seen[2].phase, ScrollPhase::changed) << c.name;
        EXPECT_EQ(seen[2].deltaX, -4);
        EXPECT_EQ(seen[2].hasPreciseScrollingDeltas, c.precise);
        EXPECT_TRUE(seen[2].isDirectionInvertedFromDevice);
        EXPECT_FALSE(seen[2].isMomentum());

        // Quiet for a little less than the period after the last scroll: still going.
        time.advance(ScrollGesture::quietPeriod - c.step - 0.01);
        EXPECT_EQ(seen.size(), 3u) << c.name;
        time.advance(0.02);
        ASSERT_EQ(seen.size(), 4u) << c.name;
        EXPECT_EQ(seen[3].phase, ScrollPhase::ended);
        EXPECT_EQ(seen[3].deltaX, 0);
        EXPECT_EQ(seen[3].hasPreciseScrollingDeltas, c.precise);
        // Nothing waits between gestures.
        EXPECT_LT(time.queue.nextDueIn(), 0) << c.name;

        gesture.scroll(0, 1, c.precise, false);
        EXPECT_EQ(seen.back().phase, ScrollPhase::began) << c.name;
        // A pause the main queue had no turn to notice still ends the gesture before the next.
        time.clock.setNow(time.now() + 1);
        gesture.scroll(0, 1, c.precise, false);
        ASSERT_EQ(seen.size(), 7u) << c.name;
        EXPECT_EQ(seen[5].phase, ScrollPhase::ended) << c.name;
        EXPECT_EQ(seen[6].phase, ScrollPhase::began) << c.name;
    }
}

}  // namespace
}  // namespace quorlix::platform
