// The pieces the player views share: the artwork tile, the equalizer and the island's button
// style.

#include "fakes/fake_media.h"
#include "island/artwork_view.h"
#include "island/equalizer_view.h"
#include "island/island_button_style.h"
#include "island_view_test_support.h"

#include <algorithm>

namespace quorlix {
namespace {

using namespace ui;
using testing::IslandViewTest;

class PlayerPiecesTest : public IslandViewTest {
protected:
    // The heights of the equalizer's bars, left to right, as shown now.
    std::vector<double> barHeights() {
        auto bars =
            shown().findAll([](const DisplayItem& i) { return i.fill && i.fill->color == Color::orange; });
        std::sort(bars.begin(), bars.end(), [](auto* a, auto* b) { return a->frame.x() < b->frame.x(); });
        std::vector<double> out;
        for (const auto* b : bars) out.push_back(b->frame.height());
        return out;
    }
    void expectHeights(const std::vector<double>& expected, const char* when) {
        const auto got = barHeights();
        ASSERT_EQ(got.size(), expected.size()) << when;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], expected[i], 1e-6) << when << ", bar " << i;
    }
    void showEqualizer(std::vector<EqualizerView::Bar> bars) {
        show([this, bars] {
            return EqualizerView{.color = Color::orange, .playing = inputs.flag, .bars = bars}.frame(
                {.width = 22, .height = 12});
        });
    }
};

TEST_F(PlayerPiecesTest, EqualizerBarsFollowTheClockFromTheReferenceDateWhilePlaying) {
    // The first frame falls on 1 January 2001, 00:00 UTC.
    fake.time.clock.setWallStart(978307200 - fake.time.now());
    inputs.flag = true;
    showEqualizer({{0.25, 0.6, 0.6}, {0.5, 0.5, 0.3}, {0.2, 1.0, 0.3}});
    expectHeights({3, 6, 2.4}, "at the reference date");
    // Frames come every 1/30 s: one falls on 0.3 s and one on 0.6 s.
    advance(0.301);
    expectHeights({12 * 0.425, 6, 12}, "0.3 s later");
    advance(0.3);
    expectHeights({7.2, 6, 2.4}, "0.6 s later");
    // Bars stand side by side 1.6 points apart, centred in the view.
    auto bars =
        shown().findAll([](const DisplayItem& i) { return i.fill && i.fill->color == Color::orange; });
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_NEAR(bars[0]->frame.x(), (22 - 3 * 2 - 2 * 1.6) / 2, 1e-6);
    EXPECT_NEAR(bars[1]->frame.midY(), 6, 1e-6);
}

TEST_F(PlayerPiecesTest, EqualizerDrawsAtMostThirtyTimesASecondWhilePlayingAndNeverWhilePaused) {
    inputs.flag = true;
    showEqualizer({{0.25, 0.6, 0.44}, {0.45, 0.9, 0.33}});
    advance(0);
    frames = 0;
    advance(10);
    EXPECT_LE(frames, 300);
    EXPECT_GE(frames, 290);

    inputs.flag = false;
    advance(0);
    const auto frozen = barHeights();
    EXPECT_FALSE(host->isFrameScheduled());
    frames = 0;
    advance(5);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(barHeights(), frozen);

    // Playing again, the bars go on from the clock as it is now.
    inputs.flag = true;
    advance(0);
    const double t = fake.time.clock.date().timeIntervalSinceReferenceDate();
    expectHeights(
        {12 * EqualizerView::level({0.25, 0.6, 0.44}, t), 12 * EqualizerView::level({0.45, 0.9, 0.33}, t)},
        "after the pause");
    EXPECT_TRUE(host->isFrameScheduled());
}

TEST_F(PlayerPiecesTest, EqualizerWithoutBarsDrawsNothing) {
    inputs.flag = true;
    showEqualizer({});
    EXPECT_EQ(find([](const DisplayItem& i) { return i.kind == DisplayItem::Kind::shape; }), nullptr);
}

TEST_F(PlayerPiecesTest, ArtworkFillsTheTileOrShowsThePlaceholder) {
    show([] { return ArtworkView{.image = std::nullopt, .size = 50, .radius = 10}.id("tile"); });
    const DisplayItem* tile = byId("tile");
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->frame.size, (Size{50, 50}));
    const DisplayItem* note = shown().findSymbol("music.note");
    ASSERT_NE(note, nullptr);
    ASSERT_FALSE(note->runs.empty());
    EXPECT_DOUBLE_EQ(note->runs.front().font.size, 20 * 1.25);  // 0.4 of the tile; icon glyphs are 1.25 em
    EXPECT_EQ(note->textPaint->color, Color::white.opacity(0.4));
    const DisplayItem* gradient =
        find([](const DisplayItem& i) { return i.fill && i.fill->kind == Paint::Kind::linear; });
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->fill->stops.front().color, Color::gray(0.25));
    EXPECT_EQ(gradient->fill->stops.back().color, Color::gray(0.12));

    // A wide picture is centred and cut to the square.
    const platform::Image wide = fakes::FakeImageDecoder::solid(200, 100, 255, 0, 0);
    show([wide] { return ArtworkView{.image = wide, .size = 50, .radius = 10}.id("tile"); });
    const DisplayItem* picture =
        find([](const DisplayItem& i) { return i.kind == DisplayItem::Kind::image; });
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->imageRect, (Rect{-25, 0, 100, 50}));
    EXPECT_EQ(shown().findSymbol("music.note"), nullptr);
    const DisplayItem* clip = find([](const DisplayItem& i) { return i.clip.has_value(); });
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->clip->controlBounds(), (Rect{0, 0, 50, 50}));
}

TEST_F(PlayerPiecesTest, IslandButtonsShrinkAndDimWhilePressedAndTakeClicksAnywhereInTheirBounds) {
    int taps = 0;
    show([&] {
        return Button(HStack({.spacing = 20}, {Color::red.frame({.width = 10, .height = 10}),
                                               Color::red.frame({.width = 10, .height = 10}).id("right")}),
                      [&] { ++taps; })
            .buttonStyle(IslandButtonStyle{});
    });
    const auto right = [&] { return look(byId("right")); };
    host->events().pointerPressed({15, 5});  // between the two squares
    advance(0.2);
    EXPECT_NEAR(right().opacity, 0.7, 1e-6);
    EXPECT_NEAR(right().drawn.width(), 8.6, 1e-6);
    host->events().pointerReleased({15, 5});
    EXPECT_EQ(taps, 1);
    advance(0.06);
    EXPECT_GT(right().opacity, 0.7);
    EXPECT_LT(right().opacity, 1);
    advance(0.07);
    EXPECT_EQ(right().opacity, 1);
    EXPECT_NEAR(right().drawn.width(), 10, 1e-6);
    EXPECT_EQ(Color::quorlixAccent, Color::sRGB(0.04, 0.52, 1.0));
}

}  // namespace
}  // namespace quorlix
