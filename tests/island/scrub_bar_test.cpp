// The seek bar: what a drag shows, tells and seeks, and a bar without duration.

#include "island/scrub_bar.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;

class ScrubBarTest : public testing::IslandViewTest {
protected:
    std::vector<std::optional<double>> scrubbed;

    // 200 points wide at the top-leading corner, 14 tall: its middle at y 7.
    void showBar(double position, double duration) {
        playMusic(200);
        show([this, position, duration] {
            return ScrubBar{.position = position,
                            .duration = duration,
                            .height = 4,
                            .onScrub = [this](auto t) { scrubbed.push_back(t); }}
                .frame({.width = 200});
        });
        advance(2);  // the bar's own entrance
    }
    double fill() {
        return find([](auto& i) { return i.fill && i.fill->color == Color::white; })->frame.width();
    }
    void drag(std::vector<Point> path) {
        host->events().pointerPressed(path.front());
        for (std::size_t i = 1; i < path.size(); ++i) host->events().pointerMoved(path[i]), advance(0.5);
        host->events().pointerReleased(path.back());
        advance(0.5);
    }
    std::vector<std::string> seeks() const {
        std::vector<std::string> out;
        for (const auto& s : fake.scriptHost.executed())
            if (s.find("set player position") != std::string::npos) out.push_back(s);
        return out;
    }
};

TEST_F(ScrubBarTest, ADragShowsAndTellsTheTimeUnderThePointerAndSeeksOnceWhenItEnds) {
    showBar(30, 120);  // 25 %, on a bar shorter than the track
    EXPECT_NEAR(fill(), 50, 1e-6);
    drag({{50, 7}, {52, 9}});  // under 3 points: no drag
    EXPECT_TRUE(scrubbed.empty());

    auto& events = host->events();
    events.pointerPressed({50, 7});
    events.pointerMoved({100, 7});
    advance(0.5);
    EXPECT_NEAR(fill(), 100, 1e-6) << "the bar follows the drag";
    events.pointerMoved({260, 30});  // past the right end, off the bar
    advance(0.5);
    EXPECT_TRUE(seeks().empty());
    events.pointerReleased({260, 30});
    advance(0.5);
    EXPECT_EQ(seeks(),
              std::vector<std::string>{"tell application \"Music\" to set player position to 120.00"});
    EXPECT_EQ(scrubbed, (std::vector<std::optional<double>>{60, 120, std::nullopt}));
    EXPECT_NEAR(fill(), 50, 1e-6) << "back to the position given";
    // A bar a point wide or less reads the raw position.
    EXPECT_DOUBLE_EQ(ScrubBar::fraction(0.3, 0.5), 0.3);
}

TEST_F(ScrubBarTest, ABarWithoutDurationShowsNothingAndNeverSeeks) {
    for (const double duration : {0.0, -5.0}) {
        showBar(30, duration);
        drag({{50, 7}, {150, 7}});
        EXPECT_EQ(fill(), 0);
        EXPECT_TRUE(scrubbed.empty());
        EXPECT_TRUE(seeks().empty());
    }
}

}  // namespace
}  // namespace quorlix
