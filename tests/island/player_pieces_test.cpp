// The equalizer and the artwork tile.

#include "island/artwork_view.h"
#include "island/equalizer_view.h"
#include "island_view_test_support.h"

namespace quorlix {
namespace {

using namespace ui;

class PlayerPiecesTest : public testing::IslandViewTest {
protected:
    std::vector<double> heights() {
        std::vector<double> out;
        for (auto* b : shown().findAll([](auto& i) { return i.fill && i.fill->color == Color::orange; }))
            out.push_back(b->frame.height());
        return out;
    }
};

TEST_F(PlayerPiecesTest, TheEqualizerFollowsTheClockAtMostThirtyTimesASecondAndStandsStillWhilePaused) {
    fake.time.clock.setWallStart(978307200 - fake.time.now());  // the reference date, now
    inputs.flag = true;
    show([this] {
        return EqualizerView{
            .color = Color::orange, .playing = inputs.flag, .bars = {{0.25, 0.6, 0.6}, {0.2, 1.0, 0.3}}}
            .frame({.width = 22, .height = 12});
    });
    const auto expect = [&](double a, double b) {
        EXPECT_NEAR(heights().at(0), a, 1e-6);
        EXPECT_NEAR(heights().at(1), b, 1e-6);
    };
    expect(3, 2.4);  // both low
    advance(0.301);  // frames come every 1/30 s: one falls on 0.3 s
    expect(12 * 0.425, 12);
    frames = 0;
    advance(10);
    EXPECT_LE(frames, 300);
    EXPECT_GE(frames, 290);

    inputs.flag = false;
    advance(0);
    const auto frozen = heights();
    frames = 0;
    advance(5);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(host->isFrameScheduled());
    EXPECT_EQ(heights(), frozen);
}

TEST_F(PlayerPiecesTest, ArtworkFillsTheTileOrShowsThePlaceholder) {
    show([] { return ArtworkView{.image = std::nullopt, .size = 50, .radius = 10}; });
    EXPECT_DOUBLE_EQ(shown().findSymbol("music.note")->runs.at(0).font.size,
                     20 * 1.25);  // icon glyphs: 1.25 em
    EXPECT_EQ(find([](auto& i) { return i.fill && i.fill->kind == Paint::Kind::linear; })
                  ->fill->stops.front()
                  .color,
              Color::gray(0.25));
    show([] {
        return ArtworkView{
            .image = fakes::FakeImageDecoder::solid(200, 100, 255, 0, 0), .size = 50, .radius = 10};
    });
    EXPECT_EQ(find([](auto& i) { return i.kind == DisplayItem::Kind::image; })->imageRect,
              (Rect{-25, 0, 100, 50}));
    EXPECT_EQ(find([](auto& i) { return i.clip.has_value(); })->clip->controlBounds(), (Rect{0, 0, 50, 50}));
}

}  // namespace
}  // namespace quorlix
