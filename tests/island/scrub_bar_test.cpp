// The seek bar: drags, the one seek at the end, hover, and a bar without duration.

#include "island/scrub_bar.h"
#include "island_view_test_support.h"

#include <optional>

namespace quorlix {
namespace {

using namespace ui;
using testing::IslandViewTest;

class ScrubBarTest : public IslandViewTest {
protected:
    std::vector<std::optional<double>> scrubbed;

    // A bar 200 points wide at the canvas's top-leading corner: 14 points tall, its middle at y 7.
    void showBar(double position, double duration) {
        show([this, position, duration] {
            return ScrubBar{.position = position,
                            .duration = duration,
                            .height = 4,
                            .onScrub = [this](std::optional<double> t) { scrubbed.push_back(t); }}
                .frame({.width = 200});
        });
        advance(2);  // the bar's own entrance
    }
    const DisplayItem* fill() {
        return find([](const DisplayItem& i) { return i.fill && i.fill->color == Color::white; });
    }
    EventRouter& events() { return host->events(); }
};

TEST_F(ScrubBarTest, AMoveUnderThreePointsIsNoDrag) {
    playMusic();
    showBar(50, 200);
    events().pointerPressed({50, 7});
    events().pointerMoved({52, 9});  // 2.8 points away
    advance(0.5);
    events().pointerReleased({52, 9});
    advance(0.5);
    EXPECT_TRUE(scrubbed.empty());
    EXPECT_TRUE(seeks().empty());
}

TEST_F(ScrubBarTest, ADragFollowsThePointerAndSeeksOnceWhenItEnds) {
    playMusic(200);
    showBar(30, 120);  // at 25 %, on a bar shorter than the track
    ASSERT_NE(fill(), nullptr);
    EXPECT_NEAR(fill()->frame.width(), 50, 1e-6);

    events().pointerPressed({50, 7});
    events().pointerMoved({100, 7});
    advance(0.5);
    EXPECT_NEAR(fill()->frame.width(), 100, 1e-6) << "the bar follows the drag, not the position";
    events().pointerMoved({260, 30});  // past the right end, off the bar
    advance(0.5);
    EXPECT_NEAR(fill()->frame.width(), 200, 1e-6);
    EXPECT_TRUE(seeks().empty()) << "nothing is sought while dragging";

    events().pointerReleased({260, 30});
    advance(0.5);
    EXPECT_EQ(seeks(),
              std::vector<std::string>{"tell application \"Music\" to set player position to 120.00"});
    ASSERT_EQ(scrubbed.size(), 3u);
    EXPECT_DOUBLE_EQ(*scrubbed[0], 60);
    EXPECT_DOUBLE_EQ(*scrubbed[1], 120);
    EXPECT_EQ(scrubbed[2], std::nullopt);
    EXPECT_NEAR(fill()->frame.width(), 50, 1e-6) << "back to the position given";
}

TEST_F(ScrubBarTest, ABarWithoutDurationShowsNothingAndNeverSeeks) {
    playMusic();
    for (const double duration : {0.0, -5.0}) {
        scrubbed.clear();
        showBar(30, duration);
        EXPECT_EQ(fill()->frame.width(), 0);
        events().pointerPressed({50, 7});
        events().pointerMoved({150, 7});
        advance(0.5);
        events().pointerReleased({150, 7});
        advance(0.5);
        EXPECT_TRUE(scrubbed.empty()) << duration;
        EXPECT_TRUE(seeks().empty()) << duration;
        EXPECT_EQ(fill()->frame.width(), 0);
    }
}

TEST_F(ScrubBarTest, TheBarThickensUnderThePointer) {
    showBar(30, 120);
    const auto thickness = [&] { return fill()->frame.height(); };
    EXPECT_NEAR(thickness(), 4, 1e-6);
    events().pointerMoved({100, 12});  // on the taller target, below the visible bar
    advance(1);
    EXPECT_NEAR(thickness(), 6.5, 1e-6);
    events().pointerMoved({100, 40});
    advance(1);
    EXPECT_NEAR(thickness(), 4, 1e-6);
}

TEST(ScrubBarFraction, DividesByTheWidthButNeverByLessThanAPoint) {
    EXPECT_DOUBLE_EQ(ScrubBar::fraction(50, 200), 0.25);
    EXPECT_DOUBLE_EQ(ScrubBar::fraction(-10, 200), 0);
    EXPECT_DOUBLE_EQ(ScrubBar::fraction(260, 200), 1);
    EXPECT_DOUBLE_EQ(ScrubBar::fraction(0.3, 0.5), 0.3);
    EXPECT_DOUBLE_EQ(ScrubBar::fraction(0.3, 0), 0.3);
}

}  // namespace
}  // namespace quorlix
