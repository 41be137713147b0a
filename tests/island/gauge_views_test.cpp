// The HUDs' gauges and their entrances: the level bar, the battery rings and the pop-in.

#include "island/fill_ring.h"
#include "island/level_bar.h"
#include "island/mini_ring.h"
#include "island/pop_in.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;
using testing::IslandViewTest;

class GaugeViewTest : public IslandViewTest {
protected:
    double fillWidth() {
        return find([](auto& i) { return i.fill && i.fill->color == Color::green; })->frame.width();
    }
    // A ring's arc, `index`th in the tree: its colour and the part of the circle it covers.
    std::pair<Color, double> arc(std::size_t index = 0) {
        const auto arcs =
            shown().findAll([](auto& i) { return i.shape && i.stroke.lineCap == LineCap::round; });
        return {arcs.at(index)->strokePaint->color, arcs.at(index)->shape->animatableData().back()};
    }
};

TEST_F(GaugeViewTest, LevelBarIsEmptyUntilItsEntranceThenClamped) {
    for (const auto& [value, width] :
         std::vector<std::pair<double, double>>{{-0.2, 0}, {0, 0}, {0.5, 50}, {1.7, 100}}) {
        show([value] {
            return LevelBar{.value = value, .tint = Color::green}.frame({.width = 100, .height = 6});
        });
        advance(0.11);
        EXPECT_EQ(fillWidth(), 0) << value;
        advance(2);
        EXPECT_NEAR(fillWidth(), width, 1e-6) << value;
        EXPECT_FALSE(host->isFrameScheduled());
    }
}

TEST_F(GaugeViewTest, RingsAreRedUpTo20AndFillRingsKeepTheirFirstArc) {
    inputs.value = 20;
    show([this] {
        const int level = static_cast<int>(inputs.value);
        return HStack({MiniRing{.value = level}.frame({.width = 17, .height = 17}), MiniRing{.value = 21},
                       FillRing{.value = level, .label = "Izq.", .delay = 0.3}});
    });
    advance(0.19);
    EXPECT_EQ(arc(0).second, 0);
    advance(3);
    EXPECT_EQ(arc(0), std::pair(Color::red, 0.2));
    EXPECT_EQ(arc(1), std::pair(Color::green, 0.21));
    EXPECT_EQ(arc(2).second, 0.2);

    inputs.value = 100;
    advance(0.1);
    EXPECT_GT(arc(0).second, 0.3) << "a new level springs in without delay";
    advance(3);
    EXPECT_EQ(arc(0), std::pair(Color::green, 1.0));
    EXPECT_EQ(arc(2).second, 0.2) << "the number follows, the arc does not";
    EXPECT_NE(shown().findText("100"), nullptr);
}

TEST_F(GaugeViewTest, PopInShowsAfterItsDelayPlusALeadAndPartsShownTogetherKeepTheirOwn) {
    show([] {
        return HStack({popIn(Color::red.frame({.width = 20, .height = 10}).id("lead"), 0),
                       popIn(Color::red.frame({.width = 20, .height = 10}).id("next"), 0.18),
                       FillRing{.value = 50, .delay = 0}, FillRing{.value = 50, .delay = 0.3}});
    });
    const DisplayItem* next = shown().findId("next");
    EXPECT_NEAR(shown().drawnFrame(next).width(), 11, 1e-6);
    double blur = 0;
    for (const auto* step : shown().pathTo(next)) blur += step->blurRadius;
    EXPECT_EQ(blur, 6);
    advance(0.2);
    EXPECT_GT(opacity("lead"), 0.5);
    EXPECT_EQ(opacity("next"), 0);
    EXPECT_GT(arc(0).second, 0);
    EXPECT_EQ(arc(1).second, 0);
    advance(0.039);
    EXPECT_EQ(opacity("next"), 0) << "hidden until 0.18 + 0.06 s";
    advance(0.02);
    EXPECT_GT(opacity("next"), 0);
    advance(3);
    EXPECT_EQ(opacity("next"), 1);
    EXPECT_NEAR(shown().drawnFrame(shown().findId("next")).width(), 20, 1e-6);
    EXPECT_FALSE(host->isFrameScheduled()) << "settled entrances draw nothing more";
}

}  // namespace
}  // namespace quorlix
