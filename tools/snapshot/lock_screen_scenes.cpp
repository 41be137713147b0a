// The lock screen's views over a wallpaper: the info row, the player card in its forms, the
// full-artwork view with its clock and lyrics, and the glass surface in both styles.
//
// The clock shows the scene's own time, the first seconds of 1970 in the time zone and locale
// the tool runs in (TZ=Etc/GMT+3 LANG=es_MX.UTF-8 reads "mié, 31 dic" and "21:00").

#include "foundation/app_settings.h"
#include "island/island_button_style.h"
#include "platform/platform.h"
#include "services/battery_service.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/weather_service.h"
#include "snapshot/scene.h"
#include "snapshot/scene_audio.h"
#include "ui/ui.h"
#include "window/full_artwork_lock_view.h"
#include "window/liquid_glass.h"
#include "window/lock_screen_card.h"
#include "window/lock_screen_controller.h"
#include "window/lock_screen_info_row.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace quorlix::snapshot {

namespace {

using namespace ui;

// A sunset over the sea: the artwork of the scenes' track.
platform::Image sunset() {
    const int side = 320;
    std::vector<std::uint8_t> rgba;
    rgba.reserve(side * side * 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double t = static_cast<double>(y) / side;
            double r = 0.98 - 0.55 * t, g = 0.55 - 0.35 * t, b = 0.35 + 0.3 * t;
            const double dx = x - side * 0.5, dy = y - side * 0.58;
            if (dx * dx + dy * dy < 60 * 60) r = 1.0, g = 0.86, b = 0.45;  // the sun
            if (y > side * 0.62) {                                         // the sea, striped with light
                r = 0.12 + 0.1 * (1 - t), g = 0.16 + 0.08 * (1 - t), b = 0.36;
                if ((y / 6) % 3 == 0 && std::abs(dx) < 90 - (y - side * 0.62) * 0.5)
                    r = 0.95, g = 0.7, b = 0.4;
            }
            rgba.insert(rgba.end(), {static_cast<std::uint8_t>(r * 255), static_cast<std::uint8_t>(g * 255),
                                     static_cast<std::uint8_t>(b * 255), 255});
        }
    return *platform::Image::fromRGBA(side, side, std::move(rgba));
}

// The objects the lock-screen windows hand down, set as each scene needs.
struct LockWorld {
    struct InlineQueue final : platform::SerialQueue {
        void async(std::function<void()> job) override { job(); }
    } queue;
    NowPlayingService nowPlaying{platform::Platform{}, queue};
    LyricsService lyrics{nullptr};
    WeatherService weather;
    BatteryService battery{nullptr};
    LockScreenInfo info;
    platform::Image artwork = sunset();

    static LockWorld& shared() {
        static LockWorld world;
        return world;
    }

    // A long title playing (or paused), with its artwork and synced lyrics.
    void play(bool playing = true, bool withArtwork = true) {
        AppSettings::shared().leftButton = LeftButtonAction::shuffle;
        nowPlaying.track = Track{
            "music:1", "Luz de neón (Remix con nombre largo)", "Neón Club", "", 196, PlayerSource::music};
        nowPlaying.isPlaying = playing;
        nowPlaying.shuffling = true;
        nowPlaying.artwork = withArtwork ? std::optional(artwork) : std::nullopt;
        nowPlaying.accentColor = RGBA{0.98, 0.62, 0.38, 1};
        // The scenes render at 0 s: the third line is being sung, two stand above it.
        lyrics.lines = {{-2.6, "Las calles brillan de color"}, {-1.4, "y el neón canta su canción"},
                        {-0.2, "bailamos hasta el amanecer"},  {0.8, ""},
                        {2.0, "nadie nos puede detener"},      {3.6, "luces que no se apagan"},
                        {5.2, "la ciudad es nuestra casa"},    {6.8, "esta noche no termina"}};
        lyrics.status = LyricsService::Status::found;
    }
    void status(bool weatherKnown, bool batteryKnown, std::optional<std::int64_t> headphones) {
        weather.temperature = weatherKnown ? std::optional(21.5) : std::nullopt;
        weather.weatherCode = 1;
        weather.isDay = true;
        battery.snapshot =
            batteryKnown
                ? std::optional(BatteryService::Snapshot{.level = 82, .charging = false, .pluggedIn = false})
                : std::nullopt;
        info.headphones = headphones;
    }

    // `view` as a lock-screen window shows it: every object handed down, in the dark scheme.
    View window(View view) {
        return view.environmentObject(nowPlaying)
            .environmentObject(lyrics)
            .environmentObject(AppSettings::shared())
            .environmentObject(threeOutputs())
            .environmentObject(weather)
            .environmentObject(battery)
            .environmentObject(info)
            .colorScheme(ColorScheme::dark);
    }
};

// A dusk wallpaper behind the lock screen.
View onWallpaper(View content) {
    return ZStack({LinearGradient({Color::sRGB(0.29, 0.33, 0.47), Color::sRGB(0.55, 0.42, 0.48)},
                                  UnitPoint::top, UnitPoint::bottom),
                   content});
}

View card(std::function<void(LockWorld&)> setUp, bool showArtwork = true, bool choosingOutput = false) {
    LockWorld& w = LockWorld::shared();
    w.play();
    setUp(w);
    return onWallpaper(w.window(LockScreenCard{
        .sample = std::nullopt, .showArtwork = showArtwork, .choosingOutput = choosingOutput}));
}

View full(std::function<void(LockWorld&)> setUp, bool showingLyrics = false, bool collapsed = false) {
    LockWorld& w = LockWorld::shared();
    w.play();
    w.status(true, true, 64);
    setUp(w);
    return onWallpaper(w.window(
        FullArtworkLockView{.info = &w.info, .showingLyrics = showingLyrics, .collapsed = collapsed}));
}

constexpr Size cardSize{339, 185};
constexpr Size screen{1440, 900};

const Scene infoRow{"lock-info-row", {420, 40}, [] {
                        LockWorld& w = LockWorld::shared();
                        w.status(true, true, 64);
                        return onWallpaper(w.window(LockScreenInfoRow{.info = &w.info}));
                    }};
const Scene infoRowHeadphones{"lock-info-row-headphones", {420, 40}, [] {
                                  LockWorld& w = LockWorld::shared();
                                  w.status(false, false, 64);
                                  return onWallpaper(w.window(LockScreenInfoRow{.info = &w.info}));
                              }};

const Scene cardPlaying{"lock-card-playing", cardSize, [] { return card([](LockWorld&) {}); }};
const Scene cardPaused{"lock-card-paused", cardSize, [] {
                           return card([](LockWorld& w) {
                               w.nowPlaying.isPlaying = false;
                               w.nowPlaying.track =
                                   Track{"music:2", "Clandestino", "Manu Chao", "", 148, PlayerSource::music};
                           });
                       }};
const Scene cardNoLeftButton{
    "lock-card-left-button-none", cardSize,
    [] { return card([](LockWorld&) { AppSettings::shared().leftButton = LeftButtonAction::none; }); }};
const Scene cardChooser{"lock-card-chooser", cardSize, [] { return card([](LockWorld&) {}, true, true); }};
const Scene cardWithoutArtwork{
    "lock-card-without-artwork", {339, 144}, [] { return card([](LockWorld&) {}, false); }};

const Scene fullExpanded{"lock-full-artwork", screen, [] { return full([](LockWorld&) {}); }};
const Scene fullLyrics{"lock-full-artwork-lyrics", screen, [] { return full([](LockWorld&) {}, true); }};
const Scene fullCollapsed{"lock-full-artwork-collapsed", screen,
                          [] { return full([](LockWorld&) {}, false, true); }};
const Scene fullWithoutArtwork{"lock-full-artwork-without-artwork", screen, [] {
                                   return full([](LockWorld& w) { w.nowPlaying.artwork = std::nullopt; });
                               }};

// A corner button's disc and a card-sized pane, in one style.
View glass(GlassStyle style) {
    const View disc = glassSurface(Symbol("quote.bubble.fill")
                                       .font(Font::system(14, FontWeight::semibold))
                                       .foregroundStyle(Color::white)
                                       .frame({.width = 42, .height = 42}),
                                   21, style);
    const View pane = glassSurface(Text(style == GlassStyle::frosted ? "Esmerilado" : "Transparente")
                                       .font(Font::system(14, FontWeight::semibold))
                                       .foregroundStyle(Color::white)
                                       .frame({.width = 200, .height = 90}),
                                   26, style);
    return onWallpaper(HStack({.spacing = 24}, {disc, pane}).colorScheme(ColorScheme::dark));
}

const Scene glassClear{"lock-glass-clear", {320, 130}, [] { return glass(GlassStyle::clear); }};
const Scene glassFrosted{"lock-glass-frosted", {320, 130}, [] { return glass(GlassStyle::frosted); }};

}  // namespace

}  // namespace quorlix::snapshot
