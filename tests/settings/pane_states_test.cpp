// What the panes show for the states of their settings and services: the hide delay's words
// and slider positions, the permission row, the live battery row, the weather card, the lock
// screen's date and lyrics offset, the sound tests on virtual time and the drawn Spotify mark.

#include "services/date_text.h"
#include "services/media_key_interceptor.h"
#include "settings/lock_screen_pane.h"
#include "settings/media_pane.h"
#include "settings/onboarding_steps.h"
#include "settings/weather_pane.h"
#include "settings_test_support.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace pane_states_test {

using S = SettingsSection;
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(MediaPaneTest, TheHideDelayReadsInWordsAndMapsToSliderPositions) {
    struct Case {
        double seconds;
        const char* label;
        int position;
    };
    for (const Case& c : std::vector<Case>{{0, "Al instante", 0},
                                           {5, "5 s", 1},
                                           {20, "20 s", 0},  // no step: the first position
                                           {59.9, "59 s", 0},
                                           {60, "1 min", 4},
                                           {90, "1 min", 0},
                                           {600, "10 min", 0},
                                           {600.5, "Nunca", 0},
                                           {601, "Nunca", 5},
                                           {std::nan(""), "Nunca", 0},
                                           {inf, "Nunca", 0}}) {
        EXPECT_EQ(MediaPane::hideAfterLabel(c.seconds), c.label) << c.seconds;
        EXPECT_EQ(MediaPane::hideAfterPosition(c.seconds), c.position) << c.seconds;
    }
    // A slider value stores the step at the nearest position, halves away from zero.
    EXPECT_EQ(MediaPane::hideAfterSeconds(2.5), 30);
    EXPECT_EQ(MediaPane::hideAfterSeconds(2.49), 15);
    EXPECT_EQ(MediaPane::hideAfterSeconds(5), 601);
}

TEST(LockScreenPaneTest, TheDateIsMexicanSpanishWhateverTheLocaleAndTheOffsetWholeMilliseconds) {
    const char* saved = std::getenv("LC_ALL");
    const std::string before = saved ? saved : "";
    setenv("LC_ALL", "en_US.UTF-8", 1);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale previous = icu::Locale::getDefault();
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    ASSERT_EQ(currentLocale(), "en_US");
    // Noon on Wednesday 6 January 2027, UTC: the same day in every time zone of the Americas.
    const Date wednesday(1'799'193'600 + 12 * 3600);
    EXPECT_EQ(LockPreview::dateText(wednesday), "Miércoles, 6 de enero");
    icu::Locale::setDefault(previous, status);
    if (saved)
        setenv("LC_ALL", before.c_str(), 1);
    else
        unsetenv("LC_ALL");

    EXPECT_EQ(LockScreenPane::offsetText(0.25), "250");
    EXPECT_EQ(LockScreenPane::offsetText(-0.1), "-100");
    EXPECT_EQ(LockScreenPane::offsetText(1e300), "9223372036854774784");
    EXPECT_EQ(LockScreenPane::offsetText(std::nan("")), "0");
}

TEST(SpotifyLogoTest, DrawsASquareCentredInItsFrame) {
    ui::testing::Layout layout(ui::View(SpotifyLogo{}).frame({.width = 40, .height = 20}).id("logo"),
                               {40, 20});
    const auto* disc = layout.list().find([](const ui::DisplayItem& i) {
        return i.fill && i.fill->color == ui::Color::sRGB(0.118, 0.843, 0.376);
    });
    ASSERT_NE(disc, nullptr);
    EXPECT_RECT(disc->frame, 10, 0, 20, 20);
    // Three arcs, thinner from top to bottom, each one quadratic curve.
    const auto arcs =
        layout.list().findAll([](const ui::DisplayItem& i) { return i.strokePaint.has_value(); });
    ASSERT_EQ(arcs.size(), 3u);
    EXPECT_DOUBLE_EQ(arcs[0]->stroke.lineWidth, 20 * 0.105);
    EXPECT_DOUBLE_EQ(arcs[2]->stroke.lineWidth, 20 * 0.068);
    EXPECT_EQ(arcs[0]->stroke.lineCap, ui::LineCap::round);
    const ui::Path path = SpotifyArc{.y = 0.34, .width = 0.6, .lift = 0.075}.path(Rect(10, 0, 20, 20));
    ASSERT_EQ(path.elements().size(), 2u);
    EXPECT_EQ(path.elements()[1].verb, ui::Path::Verb::quad);
    EXPECT_NEAR(path.elements()[0].p[0].x, 10 + 20 * 0.19, 1e-9);
    EXPECT_NEAR(path.elements()[1].p[1].y, 20 * 0.385, 1e-9);
}

class PaneStatesTest : public testing::SettingsFixture {
protected:
    const ui::DisplayItem* textIn(const std::string& id, const std::string& text) {
        const ui::DisplayItem* box = shown().findId(id);
        return box ? box->findText(text) : nullptr;
    }
    ui::Color colourOf(const ui::DisplayItem* text) {
        return text && text->textPaint ? text->textPaint->color : ui::Color::clear;
    }
};

TEST_F(PaneStatesTest, ThePermissionRowShowsOnlyWhileHidingTheSystemsOverlaysLacksTrust) {
    struct Case {
        bool replace, trusted, row;
    };
    show(S::volume);
    MediaKeyInterceptor& keys = MediaKeyInterceptor::shared();
    for (const Case& c : std::vector<Case>{
             {true, false, true}, {true, true, false}, {false, false, false}, {false, true, false}}) {
        app->settings.replaceSystemHUD = c.replace;
        keys.isTrusted = c.trusted;
        settle();
        EXPECT_EQ(has("permission.row"), c.row) << c.replace << " " << c.trusted;
    }
    // "Dar permiso" asks once; the row goes when the poll finds the trust.
    app->settings.replaceSystemHUD = true;
    keys.isTrusted = false;
    settle();
    click("permission.request");
    EXPECT_EQ(fake.accessibilityTrust.prompts, 1);
    EXPECT_TRUE(has("permission.row"));
    fake.accessibilityTrust.trusted = true;
    fake.time.advance(MediaKeyInterceptor::trustPollInterval);
    settle();
    EXPECT_FALSE(has("permission.row"));
    EXPECT_EQ(fake.accessibilityTrust.prompts, 1);
    // Where it can never be granted, the pane says what does not work and offers no button.
    fake.accessibilityTrust.trusted = false;
    fake.accessibilityTrust.grantable = false;
    keys.isTrusted = false;
    settle();
    EXPECT_FALSE(has("permission.request"));
    EXPECT_NE(shown().findText(PermissionStepTexts::unavailableNote), nullptr);
    // At rest the duration shows what is stored, not a step.
    EXPECT_NE(shown().findText("1.6"), nullptr);
}

TEST_F(PaneStatesTest, TheLiveBatteryRowFollowsThePlugNotTheChargingFlag) {
    struct Case {
        std::optional<BatteryService::Snapshot> snapshot;
        const char* level;
        const char* state;
        bool green, bolt;
    };
    app->settings.batteryStyle = BatteryStyle::outline;  // the look that draws the charging mark
    show(S::battery);
    for (const Case& c :
         std::vector<Case>{{BatteryService::Snapshot{100, true, true}, "100%", "Cargada", true, false},
                           {BatteryService::Snapshot{99, false, true}, "99%", "Cargando", true, true},
                           {BatteryService::Snapshot{40, true, false}, "40%", "Con batería", false, false},
                           {std::nullopt, nullptr, nullptr, false, false}}) {
        app->battery.snapshot = c.snapshot;
        settle();
        EXPECT_EQ(shown().findText("Ahora") != nullptr, c.snapshot.has_value());
        if (!c.snapshot) {
            EXPECT_FALSE(has("battery.live.glyph"));
            continue;
        }
        EXPECT_NE(shown().findText(c.level), nullptr) << c.level;
        const ui::DisplayItem* state = shown().findText(c.state);
        ASSERT_NE(state, nullptr) << c.state;
        EXPECT_EQ(colourOf(state) == ui::Color::green, c.green) << c.state;
        const ui::DisplayItem* glyph = shown().findId("battery.live.glyph");
        ASSERT_NE(glyph, nullptr);
        EXPECT_EQ(glyph->findSymbol("bolt.fill") != nullptr, c.bolt) << c.level;
    }
}

TEST_F(PaneStatesTest, TheWeatherCardShowsWhatTheServiceKnows) {
    struct Case {
        std::optional<double> temperature, high, low;
        const char* shown;
        std::optional<std::string> range;
        bool condition;
    };
    show(S::weather);
    EXPECT_NE(textIn("weather.card", "Tu ubicación"), nullptr);
    // The condition only with a forecast: no sky is made up from the service's first code.
    for (const Case& c :
         std::vector<Case>{{std::nullopt, std::nullopt, std::nullopt, "--°", std::nullopt, false},
                           {-0.4, 3.5, -2.5, "0°", "Máx. 4°  Mín. -3°", true},
                           {21.5, 24.2, std::nullopt, "22°", std::nullopt, true},
                           {std::nan(""), 1e300, 12, "--°", "Máx. 9223372036854774784°  Mín. 12°", false}}) {
        app->weather.temperature = c.temperature;
        app->weather.high = c.high;
        app->weather.low = c.low;
        settle();
        EXPECT_NE(textIn("weather.card", c.shown), nullptr) << c.shown;
        EXPECT_EQ(has("weather.range"), c.range.has_value()) << c.shown;
        EXPECT_EQ(textIn("weather.card", "Despejado") != nullptr, c.condition) << c.shown;
        EXPECT_EQ(shown().findSymbol("sun.max.fill") != nullptr, c.condition) << c.shown;
        if (c.range) {
            EXPECT_NE(textIn("weather.range", *c.range), nullptr) << *c.range;
        }
    }
    // Night: the place found, the night symbol and the dark gradient.
    const auto gradientStart = [&] {
        const ui::DisplayItem* fill = shown().findId("weather.card")->find([](const ui::DisplayItem& i) {
            return i.fill && i.fill->kind == ui::Paint::Kind::linear;
        });
        return fill ? fill->fill->stops.front().color : ui::Color::clear;
    };
    EXPECT_EQ(gradientStart(), ui::Color::sRGB(0.27, 0.55, 0.95));
    app->weather.isDay = false;
    app->weather.place = "Lima";
    app->weather.temperature = 14;
    settle();
    EXPECT_EQ(gradientStart(), ui::Color::sRGB(0.10, 0.12, 0.30));
    EXPECT_NE(shown().findSymbol("moon.stars.fill"), nullptr);
    EXPECT_NE(textIn("weather.card", "Lima"), nullptr);
    // Denied location: the note says so at once.
    app->weather.locationDenied = true;
    settle();
    EXPECT_NE(shown().findText("Quorlix no tiene permiso de ubicación. Escribe tu ciudad o actívalo en los "
                               "ajustes de privacidad del escritorio."),
              nullptr);
}

TEST_F(PaneStatesTest, TheSoundTestsPlayOnTheMainQueueAtTheVolumesOfTheirMoment) {
    app->settings.soundVolume = 0.3;
    app->settings.timerSound = false;
    show(S::lockScreen);
    reveal("sound.test");
    click("sound.test");
    ASSERT_EQ(fake.soundPlayer.created.size(), 1u);
    EXPECT_EQ(fake.soundPlayer.created[0]->name, "Pop");  // the lock sound's fallback
    EXPECT_DOUBLE_EQ(fake.soundPlayer.created[0]->volume, 0.3);
    // The window closes and the volume changes before the second sound.
    window().close();
    app->settings.soundVolume = 0.8;
    fake.time.advance(LockScreenPane::unlockSoundDelay - 0.01);
    EXPECT_EQ(fake.soundPlayer.created.size(), 1u);
    fake.time.advance(0.01);
    ASSERT_EQ(fake.soundPlayer.created.size(), 2u);
    EXPECT_EQ(fake.soundPlayer.created[1]->name, "Glass");
    EXPECT_DOUBLE_EQ(fake.soundPlayer.created[1]->volume, 0.8);

    // The timer's test: at full volume, whatever its switch says.
    show(S::timer);
    click("timer.test");
    ASSERT_EQ(fake.soundPlayer.created.size(), 3u);
    EXPECT_DOUBLE_EQ(fake.soundPlayer.created[2]->volume, 1.0);
    fake.time.advance(10);  // every sound released
}

TEST_F(PaneStatesTest, TheMusicPreviewIsTheAppsIconWhenThereIsOne) {
    show(S::media);
    EXPECT_NE(textIn("picker.strip", "Música"), nullptr);
    EXPECT_NE(shown().findId("picker.strip")->findSymbol("music.note"), nullptr);
    fake.workspace.locations["com.apple.Music"] = "/apps/music";
    fake.workspace.icons["/apps/music"] = fakes::FakeImageDecoder::solid(64, 64, 250, 60, 90);
    app->settings.mediaSource = MediaSourcePreference::music;  // any change draws it again
    settle();
    EXPECT_EQ(shown().findId("picker.strip")->findSymbol("music.note"), nullptr);
    EXPECT_NE(shown().findId("picker.strip")->find([](const ui::DisplayItem& i) {
        return i.kind == ui::DisplayItem::Kind::image;
    }),
              nullptr);
}

}  // namespace pane_states_test
}  // namespace
}  // namespace quorlix
