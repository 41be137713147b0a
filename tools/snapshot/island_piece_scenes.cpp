// The small pieces the island's views are built from: level bars, battery rings, the seek bar,
// artwork tiles, the equalizer and the island's button style.

#include "island/artwork_view.h"
#include "island/equalizer_view.h"
#include "island/fill_ring.h"
#include "island/island_button_style.h"
#include "island/level_bar.h"
#include "island/marquee_text.h"
#include "island/mini_ring.h"
#include "island/scrub_bar.h"
#include "platform/platform.h"
#include "services/now_playing_service.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

#include <cstdint>
#include <vector>

namespace quorlix::snapshot {

namespace {

using namespace ui;

// The island's black, behind a row of pieces.
View onIsland(View content) {
    return content.padding(16).background(
        RoundedRectangle(18, RoundedCornerStyle::continuous).fill(Color::black));
}

// A picture wider than tall, its colours running from blue to pink, for the crop.
platform::Image widePicture() {
    const int w = 160, h = 90;
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = static_cast<double>(x) / (w - 1);
            rgba.insert(rgba.end(),
                        {static_cast<std::uint8_t>(40 + 215 * t), static_cast<std::uint8_t>(60 + y),
                         static_cast<std::uint8_t>(230 - 80 * t), 255});
        }
    return *platform::Image::fromRGBA(w, h, std::move(rgba));
}

NowPlayingService& nothingPlaying() {
    static struct InlineQueue final : platform::SerialQueue {
        void async(std::function<void()> job) override { job(); }
    } queue;
    static NowPlayingService service{platform::Platform{}, queue};
    return service;
}

const Scene levelBars{
    "level-bars", {260, 130}, [] {
        Views bars;
        for (const auto& [value, tint] : std::vector<std::pair<double, Color>>{
                 {0, Color::white}, {0.35, Color::white}, {0.7, Color::green}, {1.7, Color::orange}})
            bars.push_back(LevelBar{.value = value, .tint = tint}.frame({.width = 180, .height = 5}));
        return onIsland(VStack({.spacing = 14}, std::move(bars)));
    }};

const Scene batteryRings{
    "battery-rings", {300, 100}, [] {
        return onIsland(HStack({.spacing = 18}, {
                                                    MiniRing{.value = 20}.frame({.width = 17, .height = 17}),
                                                    MiniRing{.value = 64}.frame({.width = 17, .height = 17}),
                                                    FillRing{.value = 100, .label = "Izq."},
                                                    FillRing{.value = 21, .label = "Der."},
                                                    FillRing{.value = 15, .label = "Estuche"},
                                                }));
    }};

const Scene scrubBars{
    "scrub-bar", {280, 90}, [] {
        return onIsland(
                   VStack({.spacing = 6},
                          {
                              ScrubBar{.position = 67, .duration = 180, .height = 4}.frame({.width = 220}),
                              ScrubBar{.position = 67, .duration = 0, .height = 5.5}.frame({.width = 220}),
                          }))
            .environmentObject(nothingPlaying());
    }};

const Scene artworkTiles{
    "artwork-tiles", {250, 100}, [] {
        return onIsland(
            HStack({.spacing = 16}, {
                                        ArtworkView{.image = std::nullopt, .size = 56, .radius = 12},
                                        ArtworkView{.image = widePicture(), .size = 56, .radius = 12},
                                        ArtworkView{.image = std::nullopt, .size = 44.8, .radius = 9.6},
                                    }));
    }};

const Scene equalizers{
    "equalizer", {200, 80}, [] {
        const std::vector<EqualizerView::Bar> bars{
            {0.25, 0.6, 0.44}, {0.45, 0.9, 0.33}, {0.55, 1.0, 0.38}, {0.4, 0.85, 0.29}, {0.2, 0.55, 0.41}};
        return onIsland(
            HStack({.spacing = 24},
                   {
                       EqualizerView{.color = Color::quorlixAccent, .playing = true, .bars = bars}.frame(
                           {.width = 22, .height = 12}),
                       EqualizerView{.color = Color::pink, .playing = false, .bars = bars}.frame(
                           {.width = 66, .height = 36}),
                   }));
    }};

const Scene buttonStyle{"island-button-style", {200, 90}, [] {
                            const auto button = [](bool pressed) {
                                const View label = Symbol("forward.fill")
                                                       .font(Font::system(22, FontWeight::semibold))
                                                       .foregroundStyle(Color::white)
                                                       .frame({.width = 44, .height = 44})
                                                       .background(Circle().fill(Color::white.opacity(0.12)));
                                return IslandButtonStyle{}.makeBody({label, pressed});
                            };
                            return onIsland(HStack({.spacing = 30}, {button(false), button(true)}));
                        }};

View marquee(const std::string& text, bool centered) {
    return MarqueeText{.text = text, .font = Font::system(14, FontWeight::semibold), .centered = centered}
        .foregroundStyle(Color::white)
        .frame({.width = 200});
}

const Scene marquees{
    "marquee-text", {260, 110}, [] {
        return onIsland(
            VStack({.spacing = 8}, {
                                       marquee("Clandestino", false),
                                       marquee("Clandestino", true),
                                       marquee("Me llaman calle (versión acústica en directo)", false),
                                   }));
    }};

// A title too long for its space: still for 1.5 s, then sliding left with its copy behind.
const AnimationScene marqueeLoop{
    "marquee-loop",
    {260, 60},
    6,
    [](bool) { return onIsland(marquee("Me llaman calle (versión acústica en directo)", false)); },
    false};

}  // namespace

}  // namespace quorlix::snapshot
