// The indeterminate spinner: its sizes, its steps, and frames only while it is shown.

#include "live_test_support.h"

#include <algorithm>

namespace quorlix::ui {
namespace {

using testing::Live;

TEST(ProgressView, StepsItsLeadSpokeClockwiseTenTimesASecondOnlyWhileShown) {
    int frames = 0;
    Live l([&] {
        return If(l.model.flag, View(ProgressView{.controlSize = ControlSize::small}.id("spinner")));
    });
    l.host().onFrame = [&] { ++frames; };
    EXPECT_FALSE(l.host().isFrameScheduled());

    l.model.flag = true;
    l.advance(0);
    ASSERT_TRUE(l.has("spinner"));
    EXPECT_EQ(l.item("spinner").frame.size, (Size{16, 16}));
    // The brightest spoke's direction, degrees clockwise from the top.
    const auto lead = [&] {
        auto spokes =
            l.shown().findAll([](const DisplayItem& i) { return std::string_view(i.role) == "opacity"; });
        EXPECT_EQ(spokes.size(), 8u);
        const auto* brightest = *std::max_element(spokes.begin(), spokes.end(),
                                                  [](auto* a, auto* b) { return a->opacity < b->opacity; });
        const Rect drawn = l.shown().drawnFrame(
            brightest->find([](const DisplayItem& i) { return i.kind == DisplayItem::Kind::shape; }));
        const Rect box = l.item("spinner").frame;
        const double angle =
            std::atan2(drawn.midX() - box.midX(), box.midY() - drawn.midY()) * 180 / std::numbers::pi;
        return std::lround(angle + 360) % 360;
    };
    const long first = lead();
    frames = 0;
    l.advance(0.15);
    EXPECT_EQ(lead(), (first + 45) % 360);
    l.advance(0.9);
    EXPECT_EQ(lead(), (first + 45 * 10) % 360);
    EXPECT_GE(frames, 9);
    EXPECT_LE(frames, 11);

    l.model.flag = false;
    l.advance(0);
    EXPECT_FALSE(l.has("spinner"));
    frames = 0;
    l.advance(2);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(l.host().isFrameScheduled());
}

TEST(ProgressView, SizesAndFading) {
    EXPECT_EQ(ProgressView::side(ControlSize::mini), 10);
    EXPECT_EQ(ProgressView::side(ControlSize::small), 16);
    EXPECT_EQ(ProgressView::side(ControlSize::regular), 32);
    EXPECT_EQ(ProgressView::spokeOpacity(3, 3), 1);
    EXPECT_NEAR(ProgressView::spokeOpacity(2, 3), 0.9, 1e-9);  // just behind the lead
    EXPECT_NEAR(ProgressView::spokeOpacity(4, 3), 0.3, 1e-9);  // just ahead: the dimmest
    EXPECT_NEAR(ProgressView::spokeOpacity(7, 0), 0.9, 1e-9);
}

}  // namespace
}  // namespace quorlix::ui
