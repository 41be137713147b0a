// The resting island's live views: the now-playing activity, the countdown and the agent at
// work; their sizes, their clocks and what they cost at rest.

#include "foundation/app_settings.h"
#include "hud_view_test_support.h"
#include "island/agent_live_view.h"
#include "island/equalizer_view.h"
#include "island/live_activity_view.h"
#include "island/timer_live_view.h"

#include <algorithm>
#include <numbers>

namespace quorlix {
namespace {

using namespace ui;

platform::Image picture() { return *platform::Image::fromRGBA(2, 2, std::vector<std::uint8_t>(16, 40)); }
Date today() { return platform::Clock::shared().date(); }

class LiveViewTest : public testing::HUDViewTest {
protected:
    // The artwork tiles drawn (a picture or the placeholder's gradient): the entering or
    // the leaving ones (still drawn, no longer hit).
    std::vector<Rect> tiles(bool leaving = false) {
        std::vector<Rect> out;
        for (const auto* t : shown().findAll([](auto& i) {
                 return i.kind == DisplayItem::Kind::image || (i.fill && i.fill->kind == Paint::Kind::linear);
             })) {
            const auto path = last().pathTo(t);
            if (std::any_of(path.begin(), path.end(), [](auto* s) { return s->inert; }) == leaving)
                out.push_back(drawn(*t));
        }
        return out;
    }
    std::vector<const DisplayItem*> bars() {
        auto found = shown().findAll(
            [](auto& i) { return i.kind == DisplayItem::Kind::shape && i.frame.width() == 2; });
        std::sort(found.begin(), found.end(),
                  [](auto* a, auto* b) { return a->frame.minX() < b->frame.minX(); });
        return found;
    }
    const DisplayItem& ring() {
        return item(find([](auto& i) { return i.shape && i.stroke.lineCap == LineCap::round; }));
    }
    const DisplayItem& clock() {
        return item(find([](auto& i) { return i.kind == DisplayItem::Kind::text; }));
    }
    // Frames drawn: a timeline's entry re-evaluates only its own views, so frames, not
    // builds of the tree, are what the island pays for.
    int framesOver(double seconds) {
        const int before = frames;
        advance(seconds);
        return frames - before;
    }
};

TEST_F(LiveViewTest, TheLiveActivityUsesSmallSizesBelow28Points) {
    for (const auto& [height, tile, radius, equalizer, edge] : {std::tuple(24.0, 15.0, 4.0, 9.0, 5.0),
                                                                {27.9, 18.9, 4.0, 10.0, 5.0},
                                                                {28.0, 19.0, 5.0, 10.0, 6.0},
                                                                {32.0, 20.0, 5.0, 12.0, 6.0}}) {
        const Size notch{187, height};
        showIsland([notch] { return LiveActivityView{.notch = notch, .swipe = 0}; }, 60, notch);
        EXPECT_NEAR(tiles().at(0).width(), tile, 1e-9);
        EXPECT_EQ(tiles().at(0).minX(), edge);
        EXPECT_EQ(find([](auto& i) { return i.clipShape != nullptr; })->clipShape->animatableData(),
                  AnimatableData{radius});
        EXPECT_EQ(bars().size(), 5u);
        const auto* box =
            find([](auto& i) { return std::string_view(i.role) == "frame" && i.frame.width() == 17; });
        EXPECT_EQ(box->frame.height(), equalizer);
        EXPECT_EQ(box->frame.maxX(), 187 + 60 - edge);
        EXPECT_FALSE(host->isFrameScheduled()) << "nothing plays";
    }
}

TEST_F(LiveViewTest, ANewArtworkObjectEntersFromTheSideOfTheLatestSwipe) {
    nowPlaying.artwork = picture();
    showIsland([this] { return LiveActivityView{.notch = {187, 32}, .swipe = int(inputs.value)}; }, 60);
    const double rest = tiles().at(0).midX();
    for (const int swipe : {1, -1, 0}) {
        inputs.value = swipe;
        settle();
        nowPlaying.artwork = picture();  // the same pixels, a new image object
        advance(0.001);
        EXPECT_NEAR(tiles().at(0).midX() - rest, -10 * swipe, 0.2);
        EXPECT_LT(tiles().at(0).width(), 20 * 0.62);
        advance(0.05);
        EXPECT_GE((tiles(true).at(0).midX() - rest) * swipe, 0) << "the old one leaves the other way";
        settle();
        EXPECT_EQ(tiles().size(), 1u);
        EXPECT_TRUE(tiles(true).empty());
    }
    nowPlaying.artwork = nowPlaying.artwork.get();  // the same object again: nothing moves
    advance(0.001);
    EXPECT_FALSE(host->isFrameScheduled());
    nowPlaying.artwork = std::nullopt;  // the placeholder has an identity of its own
    advance(0.001);
    EXPECT_EQ(tiles(true).size(), 1u);
}

TEST_F(LiveViewTest, TheEqualizerFollowsTheClockWhilePlayingAndCostsNothingPaused) {
    nowPlaying.isPlaying = true;
    nowPlaying.accentColor = RGBA{0.2, 0.8, 0.4, 1};
    showIsland([] { return LiveActivityView{.notch = {187, 32}, .swipe = 0}; }, 60);
    const double t = today().timeIntervalSinceReferenceDate();
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(bars().at(i)->frame.height(),
                    12 * EqualizerView::level(EqualizerView::nowPlayingBars()[i], t), 1e-9);
        EXPECT_EQ(bars().at(i)->fill->color, Color::sRGB(0.2, 0.8, 0.4));
    }
    const int playing = framesOver(10);
    EXPECT_LE(playing, 300);
    EXPECT_GE(playing, 250);
    nowPlaying.isPlaying = false;
    settle();
    EXPECT_FALSE(host->isFrameScheduled());
    EXPECT_EQ(framesOver(10), 0);
    AppSettings::shared().tintWithArtwork = false;
    nowPlaying.isPlaying = true;
    advance(0.1);
    EXPECT_EQ(bars().at(0)->fill->color, Color::white);
}

TEST_F(LiveViewTest, TheCountdownRingShowsWhatIsLeftAndStandsStillWhilePaused) {
    timer.start(25);
    showIsland([] { return TimerLiveView{.notch = {187, 32}}; }, 120);
    EXPECT_EQ(ring().shape->animatableData().back(), 1) << "full at the start";
    EXPECT_EQ(ring().strokePaint->color, Color::orange);
    advance(300.2);
    EXPECT_NEAR(ring().shape->animatableData().back(), 0.8, 1e-3);
    EXPECT_EQ(color(text("20:00")), Color::orange);
    // A new date once a second, and the arc shrinking smoothly in between.
    const double before = ring().shape->animatableData().back();
    advance(0.5);
    const double midway = ring().shape->animatableData().back();
    advance(0.6);
    const double after = ring().shape->animatableData().back();
    EXPECT_LT(midway, before);
    EXPECT_GT(midway, after);
    EXPECT_GE(framesOver(10), 10);
    timer.pause();
    advance(1.5);
    EXPECT_FALSE(host->isFrameScheduled());
    const double still = ring().shape->animatableData().back();
    EXPECT_EQ(framesOver(10), 0);
    EXPECT_EQ(ring().shape->animatableData().back(), still);
    EXPECT_EQ(color(clock()), Color::white.opacity(0.6));
    EXPECT_EQ(fontSize(clock()), 13);
    timer.resume();
    advance(2.1);
    EXPECT_LT(ring().shape->animatableData().back(), still);
    EXPECT_EQ(color(clock()), Color::orange);
}

TEST_F(LiveViewTest, TheAgentViewShowsTheEarliestAgentsTimeAndABadgeForSeveral) {
    showIsland([] { return AgentLiveView{.notch = {187, 32}}; }, 120);
    EXPECT_EQ(shown().findRole("Symbol"), nullptr) << "no agent: nothing";
    EXPECT_FALSE(host->isFrameScheduled());

    const Color claude = Color::sRGB(0.85, 0.47, 0.34);
    agents.working = {{AgentKind::claude, today().addingTimeInterval(-252)}};
    advance(0.01);
    EXPECT_NE(shown().findText("4:12"), nullptr);
    EXPECT_EQ(shown().findText("1"), nullptr) << "no badge for one";
    EXPECT_EQ(color(symbol("sparkle")), claude);
    const double angle = shown().findRole("rotationEffect")->effectParameters.at(0) * 180 / std::numbers::pi;
    EXPECT_NEAR(angle, AgentLiveView::sparkleAngle(today().timeIntervalSinceReferenceDate()), 5);

    agents.working = {{AgentKind::codex, today().addingTimeInterval(-30)},
                      {AgentKind::claude, today().addingTimeInterval(-252)}};
    advance(0.01);
    EXPECT_EQ(color(text("2")), Color::black);
    const Rect badge = drawn(text("2"));
    EXPECT_EQ(item(find([claude](auto& i) { return i.fill && i.fill->color == claude; })).frame.width(),
              badge.width() + 10);
    // The sparkle at most 30 times a second, and the time's text once a second.
    const int busy = framesOver(10);
    EXPECT_LE(busy, 300 + 10);
    EXPECT_GE(busy, 250);
    EXPECT_NE(shown().findText("4:22"), nullptr) << "the earliest agent's time";

    agents.working = {{AgentKind::codex, today().addingTimeInterval(-40)}};
    advance(0.01);
    EXPECT_NE(shown().findText("40s"), nullptr);
    EXPECT_EQ(color(symbol("sparkle")), Color::sRGB(0.68, 0.56, 1.0));
    EXPECT_NEAR(AgentLiveView::sparkleAngle(978307200.0 + 1.2), 180, 1e-4);
    EXPECT_NEAR(AgentLiveView::sparkleAngle(-0.6), 270, 1e-6);
}

}  // namespace
}  // namespace quorlix
