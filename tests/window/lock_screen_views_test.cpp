// The info row, the player card and the glass they stand on, as the lock-screen windows host
// them: what they show from the services, what their buttons do, and that a settled view
// asks for no frames.

#include "lock_view_test_support.h"
#include "services/player_scripts.h"
#include "window/liquid_glass.h"
#include "window/lock_screen_card.h"
#include "window/lock_screen_info_row.h"

namespace quorlix {
namespace {

using namespace ui;

class LockScreenViewsTest : public testing::LockViewTest {
protected:
    std::vector<bool> told;  // the card's chooser changes, in order

    void showCard(LockScreenCard card = {}) {
        card.onChoosingOutput = [this](bool open) { told.push_back(open); };
        showLock([card] { return View(card); }, {339, 185});
        advance(3);  // entrances
    }
    std::size_t capsules() {
        return shown()
            .findAll([](auto& i) {
                return i.shape && std::string_view(i.shape->name()).find("Capsule") != std::string_view::npos;
            })
            .size();
    }
    // The card's two times, "0:13 -3:07".
    std::string times() {
        std::string out;
        for (const auto& label : labels())
            if (label.find(':') != std::string::npos) out += (out.empty() ? "" : " ") + label;
        return out;
    }
    std::string joined() {
        std::string out;
        for (const auto& label : labels()) out += (out.empty() ? "" : "|") + label;
        return out;
    }
};

TEST_F(LockScreenViewsTest, TheInfoRowShowsWhatIsKnownCentred) {
    using Snapshot = BatteryService::Snapshot;
    struct Row {
        bool weatherOn;
        std::optional<double> temperature;
        std::optional<Snapshot> battery;
        std::optional<std::int64_t> headphones;
        std::string shown;
    };
    const std::vector<Row> rows{
        {true, 21.5, Snapshot{100, false, true}, 64, "cloud.sun.fill|22°|bolt.fill|100 %|airpodspro|64 %"},
        {true, -0.5, Snapshot{5, false, false}, std::nullopt, "cloud.sun.fill|-1°|battery.75percent|5 %"},
        {true, -0.4, std::nullopt, std::nullopt, "cloud.sun.fill|0°"},
        {false, 21.5, Snapshot{40, true, true}, std::nullopt, "bolt.fill|40 %"},
        {true, std::nullopt, std::nullopt, 7, "airpodspro|7 %"},
        {true, std::nullopt, std::nullopt, std::nullopt, ""},
    };
    for (const Row& row : rows) {
        settings.weatherEnabled = row.weatherOn;
        weather.temperature = row.temperature;
        weather.weatherCode = 2;
        battery.snapshot = row.battery;
        info.headphones = row.headphones;
        showLock([this] { return View(LockScreenInfoRow{.info = &info}); }, {420, 40});
        EXPECT_EQ(joined(), row.shown);
        // The items stand in the middle of the row.
        if (const auto all = labels(); !all.empty()) {
            EXPECT_NEAR((drawn(symbol(all.front())).minX() + drawn(text(all.back())).maxX()) / 2, 210, 1e-6);
        }
    }

    // The row follows its objects: the weather setting, then the headphones read at a lock.
    weather.temperature = 30;
    fake.time.runPending();
    EXPECT_TRUE(has("30°"));
    settings.weatherEnabled = false;
    info.headphones = 55;
    fake.time.runPending();
    EXPECT_EQ(joined(), "airpodspro|55 %");
}

TEST_F(LockScreenViewsTest, TheLeftControlFollowsTheSettingAndThePlayer) {
    struct Row {
        LeftButtonAction setting;
        PlayerSource source;
        bool favorited, shuffling, repeating;
        const char* symbol;  // none: an empty slot
        double brightness;
        const char* script;  // sent by a click, when any
    };
    const Row rows[] = {
        {LeftButtonAction::favorite, PlayerSource::music, true, false, false, "heart.fill", 1, "favorited"},
        {LeftButtonAction::favorite, PlayerSource::music, false, true, false, "heart", 1, "favorited"},
        {LeftButtonAction::favorite, PlayerSource::spotify, false, true, false, "shuffle", 1,
         "set shuffling"},
        {LeftButtonAction::shuffle, PlayerSource::music, false, false, false, "shuffle", 0.5,
         "shuffle enabled"},
        {LeftButtonAction::repeatMode, PlayerSource::music, false, false, true, "repeat", 1, "song repeat"},
        {LeftButtonAction::repeatMode, PlayerSource::music, false, false, false, "repeat", 0.5,
         "song repeat"},
        {LeftButtonAction::none, PlayerSource::music, false, false, false, nullptr, 0, nullptr},
    };
    fake.workspace.running = {"com.apple.Music", "com.spotify.client"};
    std::optional<double> previousX;
    for (const Row& row : rows) {
        settings.leftButton = row.setting;
        nowPlaying.track = Track{"t", "Uno", "Artista", "", 200, row.source};
        nowPlaying.favorited = row.favorited;
        nowPlaying.shuffling = row.shuffling;
        nowPlaying.repeating = row.repeating;
        showCard();
        const std::string label = row.symbol ? row.symbol : "none";
        // Previous, play and next stay where they are whatever the left slot holds.
        const double x = centre(symbol("backward.fill")).x;
        if (previousX) {
            EXPECT_NEAR(x, *previousX, 1e-6) << label;
        }
        previousX = x;
        if (!row.symbol) {
            for (const char* s : {"heart", "heart.fill", "shuffle", "repeat"}) EXPECT_EQ(symbol(s), nullptr);
            continue;
        }
        ASSERT_NE(symbol(row.symbol), nullptr) << label;
        EXPECT_EQ(symbol(row.symbol)->textPaint->color.a, row.brightness) << label;
        fake.scriptHost.clearExecuted();
        click(centre(symbol(row.symbol)));
        const auto& sent = fake.scriptHost.executed();
        EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [&](const std::string& s) {
            return s.find(row.script) != std::string::npos;
        })) << label;
    }
}

TEST_F(LockScreenViewsTest, TheCardFollowsThePlayerAndItsTimesFollowADrag) {
    playMusic(200);  // at 10 s, playing
    fake.audio.add(3, {.name = "AirPods Pro de Ana", .transport = AudioOutput::bluetooth});
    fake.audio.defaultOutput = 3;
    volume.start();
    showCard();
    EXPECT_NE(symbol("pause.fill"), nullptr);
    EXPECT_EQ(symbol("airpodspro")->textPaint->color.a, 0.5) << "the output button is always dimmed";
    const std::size_t bars = capsules();
    EXPECT_EQ(times(), "0:13 -3:07");
    advance(2);
    EXPECT_EQ(times(), "0:15 -3:05");

    // Both times follow the finger along the bar, then the player again.
    const Rect bar =
        drawn(shown().find([](auto& i) { return i.fill && i.fill->color == Color::white.opacity(0.18); }));
    auto& events = host->events();
    events.pointerPressed({bar.minX() + 1, bar.midY()});
    events.pointerMoved({bar.midX(), bar.midY()});
    advance(0.01);
    EXPECT_EQ(times(), "1:40 -1:40");
    events.pointerMoved({bar.maxX() + 40, bar.midY()});
    advance(0.01);
    EXPECT_EQ(times(), "3:20 -0:00") << "at the end";
    events.pointerReleased({bar.maxX() + 40, bar.midY()});
    advance(0.01);
    EXPECT_EQ(times(), "3:20 -0:00") << "sought to the end";

    // Paused: the play symbol, no level indicator, and still times.
    nowPlaying.togglePlayPause();
    fake.time.runPending();
    EXPECT_NE(symbol("play.fill"), nullptr);
    EXPECT_EQ(capsules(), bars - 5) << "the equalizer's five bars are gone";
    const auto still = times();
    advance(5);
    EXPECT_EQ(times(), still);
}

TEST_F(LockScreenViewsTest, TheOutputButtonSwapsTheCardForTheChooserAndTellsOnlyChanges) {
    playMusic();
    showCard();
    ASSERT_NE(symbol("hifispeaker.fill"), nullptr) << "no current output";
    click(centre(symbol("hifispeaker.fill")));
    advance(1);
    EXPECT_TRUE(has("Salida de audio"));
    EXPECT_EQ(symbol("pause.fill"), nullptr) << "the chooser replaces the whole card";
    click(centre(symbol("xmark")));
    advance(1);
    EXPECT_FALSE(has("Salida de audio"));
    EXPECT_NE(symbol("pause.fill"), nullptr);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));

    // A card that starts with the chooser open tells nothing for it.
    told.clear();
    showCard({.choosingOutput = true});
    EXPECT_TRUE(has("Salida de audio"));
    EXPECT_TRUE(told.empty());

    // With nothing playing: the sample, else nothing at all.
    nowPlaying.track = std::nullopt;
    showCard({.sample = Track{"sample", "Muestra", "Neón Club", "", 196, PlayerSource::music}});
    EXPECT_EQ(times(), "0:00 -3:16");
    showCard();
    EXPECT_TRUE(labels().empty());
}

TEST_F(LockScreenViewsTest, TheGlassFollowsItsSettingAtOnce) {
    showLock([] { return liquidGlass(Symbol("gearshape.fill").frame({.width = 42, .height = 42}), 21); },
             {42, 42});
    const auto surface = [this] { return shown().find([](auto& i) { return i.fill && i.shape; }); };
    const auto border = [this] { return shown().find([](auto& i) { return i.strokePaint.has_value(); }); };
    EXPECT_EQ(surface()->fill->color.a, 0.45) << "the ultra-thin material";
    EXPECT_EQ(border()->strokePaint->color, Color::white.opacity(0.18));
    EXPECT_EQ(border()->stroke.lineWidth, 0.7);
    EXPECT_TRUE(border()->strokeInside);
    // A radius of half the side: a disc.
    EXPECT_TRUE(surface()->path.contains({21, 1}));
    EXPECT_FALSE(surface()->path.contains({2, 2}));

    settings.lockGlassStyle = GlassStyle::frosted;
    fake.time.runPending();
    EXPECT_EQ(surface()->fill->color.a, 0.72) << "the regular material";
}

TEST_F(LockScreenViewsTest, SettledViewsAskForNoFrames) {
    weather.temperature = 20;
    info.headphones = 50;
    showLock([this] { return View(LockScreenInfoRow{.info = &info}); }, {420, 40});
    advance(3);
    EXPECT_FALSE(host->isFrameScheduled()) << "info row";

    playMusic();
    nowPlaying.togglePlayPause();
    showCard();
    EXPECT_FALSE(host->isFrameScheduled()) << "paused card";
    const int drawnFrames = frames;
    advance(30);
    EXPECT_EQ(frames, drawnFrames);
}

}  // namespace
}  // namespace quorlix
