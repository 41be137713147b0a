// The indeterminate spinner: its steps, and frames only while it is shown.

#include "live_test_support.h"

#include <algorithm>

namespace quorlix::ui {
namespace {

TEST(ProgressView, StepsItsLeadSpokeClockwiseTenTimesASecondOnlyWhileShown) {
    int frames = 0;
    testing::Live l([&] {
        return If(l.model.flag, View(ProgressView{.controlSize = ControlSize::small}.id("spinner")));
    });
    l.host().onFrame = [&] { ++frames; };
    l.model.flag = true;
    l.advance(0);
    EXPECT_EQ(l.item("spinner").frame.size, (Size{16, 16}));
    // The brightest spoke's direction, degrees clockwise from the top.
    const auto lead = [&] {
        auto spokes = l.shown().findAll([](auto& i) { return std::string_view(i.role) == "opacity"; });
        const auto* brightest = *std::max_element(spokes.begin(), spokes.end(),
                                                  [](auto* a, auto* b) { return a->opacity < b->opacity; });
        const Rect at =
            l.shown().drawnFrame(brightest->find([](auto& i) { return i.kind == DisplayItem::Kind::shape; }));
        const Rect box = l.item("spinner").frame;
        return std::lround(std::atan2(at.midX() - box.midX(), box.midY() - at.midY()) * 180 /
                               std::numbers::pi +
                           360) %
               360;
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
    frames = 0;
    l.advance(2);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(l.host().isFrameScheduled());
}

}  // namespace
}  // namespace quorlix::ui
