// The HUDs' small gauges and their entrances: the level bar, the two battery rings and the
// pop-in effect.

#include "island/fill_ring.h"
#include "island/level_bar.h"
#include "island/mini_ring.h"
#include "island/pop_in.h"
#include "island/ring_gauge.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;
using testing::IslandViewTest;

class GaugeViewTest : public IslandViewTest {
protected:
    // The width of the fill of a bar tinted `tint`, as shown now.
    double fillWidth(const Color& tint) {
        const DisplayItem* fill = find([&](const DisplayItem& i) { return i.fill && i.fill->color == tint; });
        EXPECT_NE(fill, nullptr);
        return fill ? fill->frame.width() : -1;
    }
    // The arc of a ring: its colour and how much of the circle it covers, as shown now.
    struct Arc {
        Color color;
        double length = -1;
    };
    Arc arc() {
        const DisplayItem* a = find([](const DisplayItem& i) {
            return i.strokePaint && i.stroke.lineCap == LineCap::round && i.shape;
        });
        if (!a) return {};
        return {a->strokePaint->color, a->shape->animatableData().back()};
    }
};

TEST_F(GaugeViewTest, LevelBarIsEmptyUntilItsEntranceThenClampedAndEasedToNewValues) {
    const Color tint = Color::green;
    for (const double value : {-0.2, 0.0, 0.5, 1.7}) {
        show(
            [&, value] { return LevelBar{.value = value, .tint = tint}.frame({.width = 100, .height = 6}); });
        EXPECT_EQ(fillWidth(tint), 0) << value;
        advance(0.11);
        EXPECT_EQ(fillWidth(tint), 0) << value << " before the entrance";
        advance(2);
        EXPECT_NEAR(fillWidth(tint), value <= 0 ? 0 : value > 1 ? 100 : 50, 1e-6) << value;
        EXPECT_FALSE(host->isFrameScheduled()) << value;
    }

    inputs.value = 0.5;
    show([&] { return LevelBar{.value = inputs.value, .tint = tint}.frame({.width = 100, .height = 6}); });
    advance(2);
    inputs.value = 0.8;
    advance(0.075);
    const double halfway = fillWidth(tint);
    EXPECT_GT(halfway, 50);
    EXPECT_LT(halfway, 80);
    advance(0.1);
    EXPECT_NEAR(fillWidth(tint), 80, 1e-6);
}

TEST_F(GaugeViewTest, MiniRingIsRedUpTo20AndSpringsToNewLevelsWithoutDelay) {
    for (const int level : {20, 21}) {
        show([level] { return MiniRing{.value = level}.frame({.width = 17, .height = 17}); });
        EXPECT_EQ(arc().length, 0);
        advance(0.19);
        EXPECT_EQ(arc().length, 0) << "the arc waits 0.2 s";
        advance(3);
        EXPECT_EQ(arc().color, level == 20 ? Color::red : Color::green);
        EXPECT_NEAR(arc().length, level / 100.0, 1e-6);
    }
    EXPECT_EQ(ringColor(20), Color::red);
    EXPECT_EQ(ringColor(21), Color::green);

    inputs.value = 40;
    show(
        [&] { return MiniRing{.value = static_cast<int>(inputs.value)}.frame({.width = 17, .height = 17}); });
    advance(3);
    inputs.value = 90;
    advance(0.1);
    EXPECT_GT(arc().length, 0.45);
    advance(3);
    EXPECT_NEAR(arc().length, 0.9, 1e-6);
    EXPECT_FALSE(host->isFrameScheduled());
}

TEST_F(GaugeViewTest, FillRingGrowsOnceAfterItsDelayAndThenOnlyItsNumberFollows) {
    inputs.value = 100;
    show([&] { return FillRing{.value = static_cast<int>(inputs.value), .label = "Estuche", .delay = 0.3}; });
    const DisplayItem* ring = find([](const DisplayItem& i) { return std::string_view(i.role) == "frame"; });
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->frame.size, (Size{32, 32}));
    advance(0.44);
    EXPECT_EQ(arc().length, 0) << "the arc waits delay + 0.15 s";
    advance(3);
    EXPECT_EQ(arc().color, Color::green);
    EXPECT_NEAR(arc().length, 1, 1e-6);
    EXPECT_NE(shown().findText("100"), nullptr);
    EXPECT_NE(shown().findText("Estuche"), nullptr);

    inputs.value = 15;
    advance(3);
    EXPECT_NE(shown().findText("15"), nullptr);
    EXPECT_NEAR(arc().length, 1, 1e-6);
}

TEST_F(GaugeViewTest, PopInShowsItsContentAfterItsDelayPlusALead) {
    show([] { return popIn(Color::red.frame({.width = 20, .height = 10}).id("content"), 0.12); });
    const auto now = [&] { return look(byId("content")); };
    EXPECT_EQ(now().opacity, 0);
    EXPECT_EQ(now().blur, 6);
    EXPECT_NEAR(now().drawn.width(), 11, 1e-6);
    advance(0.179);
    EXPECT_EQ(now().opacity, 0) << "hidden until 0.12 + 0.06 s";
    advance(0.05);
    EXPECT_GT(now().opacity, 0);
    advance(3);
    EXPECT_EQ(now().opacity, 1);
    EXPECT_EQ(now().blur, 0);
    EXPECT_NEAR(now().drawn.width(), 20, 1e-6);
    EXPECT_FALSE(host->isFrameScheduled()) << "a settled entrance draws nothing more";
}

TEST_F(GaugeViewTest, PartsAppearingTogetherEachKeepTheirOwnDelay) {
    show([] {
        return HStack({
            popIn(Color::red.frame({.width = 10, .height = 10}).id("lead"), 0),
            popIn(Color::red.frame({.width = 10, .height = 10}).id("follower"), 0.18),
            FillRing{.value = 50, .label = "Izq.", .delay = 0}.id("left"),
            FillRing{.value = 50, .label = "Der.", .delay = 0.3}.id("right"),
        });
    });
    const auto arcOf = [&](const char* ring) {
        const DisplayItem* a =
            byId(ring)->find([](const DisplayItem& i) { return i.stroke.lineCap == LineCap::round; });
        return a->shape->animatableData().back();
    };
    advance(0.2);
    EXPECT_GT(look(byId("lead")).opacity, 0.5);
    EXPECT_EQ(look(byId("follower")).opacity, 0);
    EXPECT_GT(arcOf("left"), 0);
    EXPECT_EQ(arcOf("right"), 0);
    advance(0.2);
    EXPECT_GT(look(byId("follower")).opacity, 0);
    EXPECT_EQ(arcOf("right"), 0);
    advance(0.1);
    EXPECT_GT(arcOf("right"), 0);
}

}  // namespace
}  // namespace quorlix
