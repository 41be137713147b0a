// The music page: the panel's states and sizes, the controls row and the scripts it runs,
// the compact player, the progress row, the lyrics pane, and how often each of them draws.

#include "fakes/linux_texts.h"
#include "foundation/app_settings.h"
#include "island/compact_player.h"
#include "island/controls_row.h"
#include "island/island_environment.h"
#include "island/island_state.h"
#include "island/live_preview.h"
#include "island/lyrics_view.h"
#include "island/music_panel.h"
#include "island/progress_row.h"
#include "island_view_test_support.h"
#include "services/artwork.h"
#include "services/lyrics_service.h"

#include <algorithm>

namespace quorlix {
namespace {

using namespace ui;
using platform::ScriptValue;
using Status = LyricsService::Status;

const Track spotifyTrack{"com.spotify.client:9", "Malamente", "Rosalía",
                         "El mal querer",        150,         PlayerSource::spotify};

class MusicViewsTest : public testing::IslandViewTest {
protected:
    LyricsService lyrics{&fake.httpClient};
    IslandState island;
    AppSettings& settings = AppSettings::shared();
    int outputs = 0;  // output-button presses

    ~MusicViewsTest() override { LivePreview::shared().height = std::nullopt; }

    // `make()` on an expanded island `width` wide whose body is `bodyHeight` tall.
    void showMusic(std::function<View()> make, double width = 600, double bodyHeight = 150) {
        settings.islandWidth = width;
        // The stored height stays within the settings' range; a live preview may go below it.
        settings.islandHeight = bodyHeight;
        LivePreview::shared().height = std::nullopt;
        if (bodyHeight < settings.islandHeight.get()) LivePreview::shared().height = bodyHeight;
        show(
            [this, make] {
                return make()
                    .environment(outputMenuOpen, island.outputMenuOpen.get())
                    .environmentObject(lyrics)
                    .environmentObject(settings)
                    .environmentObject(island);
            },
            {600, 220});
        host->observe(island);
        advance(1);  // entrances
    }
    View row(bool canopy) {
        return ControlsRow{.onOutput = [this] { ++outputs; }, .canopy = canopy}.frame({.width = 240});
    }
    // A glyph's size, from its run (symbols are drawn 1.25 em).
    double glyph(std::string_view name) { return shown().findSymbol(name)->runs.at(0).font.size / 1.25; }
    Color color(std::string_view name) { return shown().findSymbol(name)->textPaint->color; }
    // The frame nearest around a view, as a control's frame.
    Size frameAround(const DisplayItem* item) {
        const auto path = shown().pathTo(item);
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            if (std::string_view((*it)->role) == "frame") return (*it)->frame.size;
        return {};
    }
    void click(const DisplayItem* item) {
        ASSERT_NE(item, nullptr);
        const Point p{item->frame.midX(), item->frame.midY()};
        host->events().pointerPressed(p);
        host->events().pointerReleased(p);
        advance(0.2);
    }
    // The lyrics' texts top to bottom, as laid out now (leaving ones left out).
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        auto items =
            host->graph().displayList().findAll([](auto& i) { return i.kind == DisplayItem::Kind::text; });
        std::sort(items.begin(), items.end(),
                  [](auto* a, auto* b) { return a->frame.minY() < b->frame.minY(); });
        for (const auto* i : items) out.push_back(i->text);
        return out;
    }
};

TEST_F(MusicViewsTest, ThePanelShowsTheFirstStateThatHolds) {
    const char* disabled = "El reproductor está desactivado";
    const char* nothing = "Nada sonando";
    const char* compact = "3:20";  // the compact player's total
    const char* wide = "-3:20";    // the wide player's remaining time
    struct Case {
        bool mediaEnabled;
        bool track;
        double width;
        const char* shows;
    };
    for (const Case c :
         {Case{false, true, 600, disabled}, Case{true, true, 559.9, compact}, Case{true, true, 560, wide},
          Case{true, false, 343, nothing}, Case{true, false, 860, nothing}}) {
        SCOPED_TRACE(std::string(c.shows) + " at " + std::to_string(c.width));
        settings.mediaEnabled = c.mediaEnabled;
        nowPlaying.track =
            c.track ? std::optional(Track{"com.apple.Music:1", "Uno", "Ana", "", 200}) : std::nullopt;
        showMusic([] { return MusicPanel{}; }, c.width);
        for (const char* text : {disabled, nothing, compact, wide})
            EXPECT_EQ(shown().findText(text) != nullptr, text == c.shows) << text;
        // Any MPRIS player plays on Linux: no state sends the user to a Mac's players.
        for (const DisplayItem* text :
             shown().findAll([](auto& i) { return i.kind == DisplayItem::Kind::text; }))
            EXPECT_EQ(testing::anyOf(text->text, testing::macOnly), std::nullopt) << text->text;
    }
}

TEST_F(MusicViewsTest, TheWidePlayersArtworkShrinksWhenTheBodyBecomesTall) {
    struct Case {
        double width, bodyHeight, side, title, artist;
    };
    for (const Case c :
         {Case{600, 149, 99, 12, 10.4}, Case{600, 150, 88, 15, 13}, Case{600, 110, 60, 12, 10.4},
          Case{600, 90, 44, 12, 10.4}, Case{860, 250, 188, 15, 13}}) {
        SCOPED_TRACE(c.bodyHeight);
        nowPlaying.track = Track{"com.apple.Music:1", "Uno", "Ana", "", 200};
        showMusic([] { return MusicPanel{}; }, c.width, c.bodyHeight);
        const auto* tile = find([](auto& i) { return i.fill && i.fill->kind == Paint::Kind::linear; });
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->frame.size, (Size{c.side, c.side}));
        // The tallest island's tile (250 points) still within what covers are decoded to fill.
        EXPECT_LE(c.side, Artwork::islandLargestSide);
        const auto path = shown().pathTo(tile);
        const auto clip =
            std::find_if(path.rbegin(), path.rend(), [](auto* i) { return i->clipShape != nullptr; });
        ASSERT_NE(clip, path.rend());
        EXPECT_NEAR((*clip)->clipShape->animatableData().at(0), 0.17 * c.side, 1e-9);
        EXPECT_EQ(shown().findText("Uno")->runs.at(0).font.size, c.title);
        EXPECT_EQ(shown().findText("Ana")->runs.at(0).font.size, c.artist);
        EXPECT_EQ(host->events().helpAt({tile->frame.midX(), tile->frame.midY()}), "Abrir el reproductor");
    }
    nowPlaying.track = spotifyTrack;
    advance(0);
    const auto* tile = find([](auto& i) { return i.fill && i.fill->kind == Paint::Kind::linear; });
    EXPECT_EQ(host->events().helpAt({tile->frame.midX(), tile->frame.midY()}), "Abrir Spotify");

    // Without lyrics a spacer stands in their place.
    lyrics.status = Status::notFound;
    advance(0);
    EXPECT_NE(shown().findText("Sin letra para esta canción"), nullptr);
    settings.lyricsEnabled = false;
    advance(0);
    EXPECT_EQ(shown().findText("Sin letra para esta canción"), nullptr);
    EXPECT_EQ(find([](auto& i) { return i.fill && i.fill->kind == Paint::Kind::linear; })->frame.minX(), 0);
}

TEST_F(MusicViewsTest, ControlsScaleWithTheBodyAndTheCanopy) {
    struct Case {
        double width, bodyHeight;
        bool canopy;
        double scale;
    };
    nowPlaying.track = Track{"com.apple.Music:1", "Uno", "Ana", "", 200};
    nowPlaying.isPlaying = true;
    for (const Case c : {Case{600, 140, false, 0.8}, Case{600, 150, false, 1}, Case{343, 125, true, 1},
                         Case{343, 124, true, 0.8}}) {
        SCOPED_TRACE(std::to_string(c.bodyHeight) + (c.canopy ? " canopy" : ""));
        showMusic([this, c] { return row(c.canopy); }, c.width, c.bodyHeight);
        const double s = c.scale;
        EXPECT_DOUBLE_EQ(glyph("pause.fill"), (c.canopy ? 29 : 22) * s);
        EXPECT_DOUBLE_EQ(glyph("backward.fill"), (c.canopy ? 17 : 15) * s);
        EXPECT_DOUBLE_EQ(glyph("shuffle"), (c.canopy ? 18 : 13) * s);
        EXPECT_EQ(frameAround(shown().findSymbol("pause.fill")),
                  (c.canopy ? Size{42 * s, 30 * s} : Size{34 * s, 28 * s}));
        // No output device known: the speaker glyph, larger and dimmer with the canopy.
        EXPECT_DOUBLE_EQ(glyph("hifispeaker.fill"), (c.canopy ? 20 : 13) * s);
        EXPECT_EQ(color("hifispeaker.fill"), Color::white.opacity(c.canopy ? 0.45 : 0.75));
        EXPECT_EQ(frameAround(shown().findSymbol("hifispeaker.fill")),
                  (c.canopy ? Size{42 * s, 30 * s} : Size{30 * s, 28 * s}));
    }
}

TEST_F(MusicViewsTest, TheLeftButtonFollowsTheSettingTheTrackAndTheFlags) {
    const Track music{"com.apple.Music:1", "Uno", "Ana", "", 200};
    struct Case {
        LeftButtonAction left;
        Track track;
        bool hostFavorites;
        bool flag;  // favourite, shuffle or repeat, whichever the button shows
        bool canopy;
        const char* glyph;  // none: the clear placeholder
        Color color;
    };
    const Color dim = Color::white.opacity(0.5);
    for (const Case& c : {
             Case{LeftButtonAction::favorite, spotifyTrack, true, false, false, "shuffle", dim},
             Case{LeftButtonAction::favorite, music, true, true, false, "heart.fill", Color::pink},
             Case{LeftButtonAction::favorite, music, true, false, false, "heart", Color::white},
             Case{LeftButtonAction::favorite, music, false, false, false, "shuffle", dim},
             Case{LeftButtonAction::shuffle, music, true, false, true, "shuffle", Color::white.opacity(0.45)},
             Case{LeftButtonAction::shuffle, music, true, true, false, "shuffle", Color::white},
             Case{LeftButtonAction::repeatMode, music, true, false, false, "repeat", dim},
             Case{LeftButtonAction::repeatMode, music, true, true, true, "repeat", Color::white},
             Case{LeftButtonAction::none, music, true, false, false, nullptr, {}},
             Case{LeftButtonAction::none, music, true, false, true, nullptr, {}},
         }) {
        SCOPED_TRACE(std::string(rawValue(c.left)) + " " + c.track.title + (c.canopy ? " canopy" : ""));
        settings.leftButton = c.left;
        fake.scriptHost.favorites = c.hostFavorites;
        nowPlaying.track = c.track;
        nowPlaying.favorited = c.flag;
        nowPlaying.shuffling = c.flag;
        nowPlaying.repeating = c.flag;
        showMusic([this, c] { return row(c.canopy); });
        for (const char* other : {"heart", "heart.fill", "shuffle", "repeat"}) {
            const bool shows = c.glyph && std::string_view(other) == c.glyph;
            EXPECT_EQ(shown().findSymbol(other) != nullptr, shows) << other;
        }
        if (c.glyph) {
            EXPECT_EQ(color(c.glyph), c.color);
        } else {
            const Size placeholder = c.canopy ? Size{42, 28} : Size{30, 28};
            EXPECT_NE(find([&](auto& i) {
                          return i.fill && i.fill->color == Color::clear && i.frame.size == placeholder;
                      }),
                      nullptr);
        }
    }
}

TEST_F(MusicViewsTest, EachControlRunsItsScriptAndTheRowSyncsOncePerAppearance) {
    playMusic();
    settings.leftButton = LeftButtonAction::favorite;
    const auto syncs = [&] { return fake.scriptHost.count(PlayerScripts::shuffle(PlayerSource::music)); };
    showMusic([this] { return If(!inputs.flag.get(), row(false)); });
    EXPECT_EQ(syncs(), 1);
    fake.scriptHost.clearExecuted();

    for (const char* control : {"heart", "backward.fill", "pause.fill", "forward.fill", "hifispeaker.fill"})
        click(shown().findSymbol(control));
    EXPECT_EQ(fake.scriptHost.executed(),
              (std::vector<std::string>{PlayerScripts::musicFavorite(true),
                                        PlayerScripts::command(PlayerSource::music, "previous track"),
                                        PlayerScripts::command(PlayerSource::music, "playpause"),
                                        PlayerScripts::command(PlayerSource::music, "next track")}));
    EXPECT_EQ(outputs, 1);

    fake.scriptHost.clearExecuted();
    settings.leftButton = LeftButtonAction::shuffle;
    advance(0);
    click(shown().findSymbol("shuffle"));
    settings.leftButton = LeftButtonAction::repeatMode;
    advance(0);
    click(shown().findSymbol("repeat"));
    EXPECT_EQ(fake.scriptHost.executed(),
              (std::vector<std::string>{PlayerScripts::setShuffle(PlayerSource::music, true),
                                        PlayerScripts::setRepeating(PlayerSource::music, true)}));

    // Re-rendered in place it does not sync again; put on screen anew, it does.
    EXPECT_EQ(syncs(), 0);
    inputs.flag = true;
    advance(0);
    inputs.flag = false;
    advance(0);
    EXPECT_EQ(syncs(), 1);
}

TEST_F(MusicViewsTest, TheOutputButtonFlipsTheMenuInASpringAndShowsABackdropWhileItIsOpen) {
    nowPlaying.track = Track{"com.apple.Music:1", "Uno", "Ana", "", 200};
    std::vector<std::shared_ptr<const Animation>> flips;
    const Subscription watch =
        island.outputMenuOpen.sink([&](bool) { flips.push_back(Transaction::current().animation); });
    showMusic([] { return MusicPanel{}; });
    const auto backdrop = [&] {
        return host->graph().displayList().find(
            [](auto& i) { return i.fill && i.fill->color == Color::white.opacity(0.12); });
    };
    EXPECT_EQ(backdrop(), nullptr);
    click(shown().findSymbol("hifispeaker.fill"));
    EXPECT_TRUE(island.outputMenuOpen.get());
    EXPECT_NE(backdrop(), nullptr);
    click(shown().findSymbol("hifispeaker.fill"));
    EXPECT_FALSE(island.outputMenuOpen.get());
    EXPECT_EQ(backdrop(), nullptr);
    ASSERT_EQ(flips.size(), 2u);
    for (const auto& animation : flips) EXPECT_TRUE(animation && *animation == Animation::spring(0.3, 0.82));
}

TEST_F(MusicViewsTest, TheCompactPlayerScalesWithTheBodyAndShowsTheEqualizerOnlyWhilePlaying) {
    playMusic();
    nowPlaying.accentColor = RGBA{Color::orange.r, Color::orange.g, Color::orange.b, 1};
    const auto equalizer = [&] {
        return find([](auto& i) { return i.fill && i.fill->color == Color::orange; });
    };
    struct Case {
        double bodyHeight, side, radius, title, times;
    };
    for (const Case c : {Case{124, 44.8, 9.6, 10.8, 7.6}, Case{125, 56, 12, 13.5, 9.5}}) {
        showMusic([this] { return CompactPlayer{.track = *nowPlaying.track.get(), .onOutput = [] {}}; }, 343,
                  c.bodyHeight);
        const auto* tile = find([](auto& i) { return i.fill && i.fill->kind == Paint::Kind::linear; });
        EXPECT_NEAR(tile->frame.width(), c.side, 1e-9);
        EXPECT_NEAR(shown().findText("Uno")->runs.at(0).font.size, c.title, 1e-9);
        EXPECT_NEAR(shown().findText("3:20")->runs.at(0).font.size, c.times, 1e-9);
        EXPECT_NE(equalizer(), nullptr);
    }
    nowPlaying.togglePlayPause();
    advance(1);
    EXPECT_EQ(equalizer(), nullptr);
}

TEST_F(MusicViewsTest, TheProgressRowShowsElapsedAndRemainingOrTheDraggedTime) {
    playMusic(180);
    nowPlaying.togglePlayPause();  // so the times stand still
    showMusic([] { return ProgressRow{.duration = 180}.frame({.width = 200}); });
    EXPECT_NE(shown().findText("0:10"), nullptr);
    EXPECT_NE(shown().findText("-2:50"), nullptr);

    // A drag shows where it is, and the player's time again once it ends (the player has
    // quit meanwhile, so the seek changes nothing).
    fake.workspace.running = {};
    auto& events = host->events();
    events.pointerPressed({2, 6});
    events.pointerMoved({100, 6});
    advance(0.5);
    EXPECT_NE(shown().findText("1:30"), nullptr);
    EXPECT_NE(shown().findText("-1:30"), nullptr);
    events.pointerReleased({100, 6});
    advance(0.5);
    EXPECT_NE(shown().findText("0:10"), nullptr);

    // At and past the end nothing remains.
    fake.workspace.running = {"com.apple.Music"};
    nowPlaying.seek(500);
    advance(0);
    EXPECT_NE(shown().findText("3:00"), nullptr);
    EXPECT_NE(shown().findText("-0:00"), nullptr);
}

TEST_F(MusicViewsTest, TheLyricsShowAMessageASpinnerOrTheLinesAroundTheCurrentOne) {
    struct Case {
        Status status;
        const char* message;  // none: a spinner and no text
    };
    for (const Case c :
         {Case{Status::idle, "Sin letra para esta canción"},
          Case{Status::notFound, "Sin letra para esta canción"}, Case{Status::instrumental, "♪ Instrumental"},
          Case{Status::unsynced, "Esta letra no está sincronizada"}, Case{Status::loading, nullptr}}) {
        lyrics.status = c.status;
        showMusic([] { return LyricsView{}; });
        EXPECT_EQ(texts(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        if (!c.message) {
            EXPECT_TRUE(host->isFrameScheduled());
        }
    }

    // Playing from 10 s (11 s once shown): the lines turn 0.3 s before their time.
    playMusic();
    lyrics.status = Status::found;
    lyrics.lines = {{12, "Uno"}, {15, ""}, {18, "Tres"}};
    showMusic([] { return LyricsView{}; });
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "♪", "Uno"}));
    advance(0.9);  // 11.9 s
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "Uno", ""}));
    advance(3);  // 14.9 s: a line without words
    EXPECT_EQ(texts(), (std::vector<std::string>{"Uno", "♪", "Tres"}));
    advance(13);  // past the last line
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "Tres", ""}));
}

TEST_F(MusicViewsTest, TheLyricsOffsetMovesEveryLine) {
    // The first line (14 s) is still to come at `before` and shown at `after`: 1.2 s late with
    // an offset of -1.5 s, 1.8 s early with +1.5 s.
    struct Case {
        double offset, before, after;
    };
    for (const Case c : {Case{0, 13.6, 13.9}, Case{-1.5, 15.1, 15.4}, Case{1.5, 12.1, 12.4}}) {
        SCOPED_TRACE(c.offset);
        settings.lyricsOffset = c.offset;
        playMusic();
        lyrics.status = Status::found;
        lyrics.lines = {{14, "Uno"}, {30, "Dos"}};
        showMusic([] { return LyricsView{}; });  // a second on from 10 s
        advance(c.before - 11);
        EXPECT_EQ(texts().at(1), "♪");
        advance(c.after - c.before);
        EXPECT_EQ(texts().at(1), "Uno");
    }
}

TEST_F(MusicViewsTest, EachTimelineDrawsAtItsOwnRateAndAPausedPageNotAtAll) {
    struct Case {
        const char* name;
        std::function<View()> make;
        double width;
        bool playing;
        // Frames in ten seconds. Each second's new time eases the seek bar for 0.15 s at the
        // display's 60 frames a second, between the compact player's 30 equalizer frames.
        int least, most;
    };
    const auto compact = [this] {
        return View(CompactPlayer{.track = *nowPlaying.track.get(), .onOutput = [] {}});
    };
    for (const Case& c : std::vector<Case>{
             {"progress row", [] { return View(ProgressRow{.duration = 200}); }, 600, true, 100, 115},
             {"lyrics", [] { return View(LyricsView{}); }, 600, true, 38, 41},
             {"compact player", compact, 343, true, 300, 360},
             {"paused compact player", compact, 343, false, 0, 0},
             {"paused wide page", [] { return View(MusicPanel{}); }, 600, false, 0, 0},
         }) {
        SCOPED_TRACE(c.name);
        playMusic();
        if (!c.playing) nowPlaying.togglePlayPause();
        lyrics.status = Status::found;
        lyrics.lines = {{1, "Uno"}, {2, "Dos"}, {3, "Tres"}};
        showMusic(c.make, c.width);
        advance(2);
        frames = 0;
        advance(10);
        EXPECT_GE(frames, c.least);
        EXPECT_LE(frames, c.most);
        if (!c.playing) {
            EXPECT_FALSE(host->isFrameScheduled());
        }
    }
}

}  // namespace
}  // namespace quorlix
