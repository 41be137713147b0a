// The full-artwork lock view on a 1440 by 900 screen: its layouts and the springs between
// them, the corner buttons, the lyrics column, the clock, and the backdrop blurred once.

#include "window/full_artwork_lock_view.h"
#include "foundation/app_actions.h"
#include "lock_view_test_support.h"
#include "services/date_text.h"
#include "window/artwork_backdrop.h"
#include "window/full_lyrics_column.h"
#include "window/lock_clock.h"

#include <cmath>

namespace quorlix {
namespace {

using namespace ui;
using Status = LyricsService::Status;

constexpr Size screen{1440, 900};

class FullArtworkLockViewTest : public testing::LockViewTest {
protected:
    platform::Image cover = testing::picture(300, 300, {200, 80, 40, 255});

    // At 10 s of a 200 s track, paused: positions move only when a test seeks.
    void SetUp() override {
        playMusic(200);
        nowPlaying.togglePlayPause();
        nowPlaying.artwork = cover;
        fake.time.runPending();
    }
    // Lyrics run 0.3 s ahead of the position.
    void at(double lyricsTime) {
        nowPlaying.seek(lyricsTime - 0.3);
        fake.time.runPending();
    }
    void showFull(FullArtworkLockView view = {}) {
        view.info = &info;
        showLock([view] { return View(view); }, screen);
        advance(3);
    }
    void findLyrics(std::vector<LyricLine> lines) {
        lyrics.lines = std::move(lines);
        lyrics.status = Status::found;
        fake.time.runPending();
    }
    // Ten lines, a new one every 4 s from 20 s; the sixth has no words.
    static std::vector<LyricLine> song() {
        std::vector<LyricLine> lines;
        for (int i = 0; i < 10; ++i)
            lines.push_back({20.0 + 4 * i, i == 5 ? "" : "línea " + std::to_string(i)});
        return lines;
    }
    const DisplayItem* artwork() {
        return shown().find(
            [this](auto& i) { return i.kind == DisplayItem::Kind::image && i.image.pixels == cover.pixels; });
    }
    const DisplayItem* backdrop() {
        return shown().find(
            [this](auto& i) { return i.kind == DisplayItem::Kind::image && i.image.pixels != cover.pixels; });
    }
    bool lyricsShown() { return has("línea 0"); }
    Point lyricsButton() { return centre(symbol("quote.bubble.fill")); }
    void clickArtwork() {
        click(centre(artwork()));
        advance(3);  // the spring
    }
};

TEST_F(FullArtworkLockViewTest, TheExpandedLayoutScalesWithTheScreen) {
    findLyrics(song());
    showFull();
    // The artwork: 0.43 of the height, its top at 0.29, centred.
    EXPECT_EQ(drawn(artwork()), Rect(720 - 193.5, 261, 387, 387));
    EXPECT_FALSE(lyricsShown());
    EXPECT_NEAR(drawn(text("Artista")).midX(), 720, 1e-6);

    click(lyricsButton());
    advance(3);
    ASSERT_TRUE(lyricsShown());
    EXPECT_NEAR(centre(artwork()).x, 0.286 * 1440, 1e-6) << "beside the lyrics";
    EXPECT_NEAR(drawn(text("Artista")).midX(), 0.286 * 1440, 1e-6) << "the card follows the artwork";
    const DisplayItem* line = text("línea 2");
    EXPECT_NEAR(line->runs.front().font.size, 36.9, 1e-9);
    const DisplayItem* column = shown().find([](auto& i) {
        return std::string_view(i.role) == "frame" && std::abs(i.frame.width() - 633.6) < 1e-9;
    });
    ASSERT_NE(column, nullptr) << "min(0.44 × 1440, 760) wide";
    EXPECT_NEAR(column->frame.height(), 387 + 144, 1e-9);
    EXPECT_NEAR(drawn(column).minX(), 0.508 * 1440, 1e-9);
}

TEST_F(FullArtworkLockViewTest, CollapsingShrinksTheArtworkIntoTheCardAndDropsTheLyricsRequest) {
    findLyrics(song());
    showFull();
    click(lyricsButton());
    advance(3);
    ASSERT_TRUE(lyricsShown());
    EXPECT_NE(symbol("gearshape.fill"), nullptr);

    clickArtwork();
    EXPECT_EQ(drawn(artwork()), Rect(602.5 - 30, 589.5 - 30, 60, 60));
    EXPECT_FALSE(lyricsShown());
    EXPECT_EQ(symbol("gearshape.fill"), nullptr) << "no corner buttons";
    EXPECT_TRUE(has("Artista"));
    EXPECT_EQ(opacityOf(backdrop()), 0);

    clickArtwork();
    EXPECT_FALSE(lyricsShown()) << "asked for again after expanding";
    EXPECT_NEAR(centre(artwork()).x, 720, 1e-6);
    EXPECT_EQ(opacityOf(backdrop()), 1);
}

TEST_F(FullArtworkLockViewTest, TheLyricsButtonIsDimmedAndInertWithoutLyrics) {
    struct Row {
        bool media, lyricsOn;
        Status status;
        bool available;
    };
    const Row rows[] = {{true, true, Status::found, true},
                        {false, true, Status::found, false},
                        {true, false, Status::found, false},
                        {true, true, Status::notFound, false},
                        {true, true, Status::unsynced, false}};
    for (const Row& row : rows) {
        settings.mediaEnabled = row.media;
        settings.lyricsEnabled = row.lyricsOn;
        lyrics.lines = song();
        lyrics.status = row.status;
        showFull();
        EXPECT_EQ(opacityOf(symbol("quote.bubble.fill")), row.available ? 1 : 0.45);
        click(lyricsButton());
        advance(3);
        EXPECT_EQ(lyricsShown(), row.available);
        EXPECT_NEAR(centre(artwork()).x, row.available ? 0.286 * 1440 : 720, 1e-6);
    }

    // A click without lyrics asked for nothing; a request outlives the lyrics, which go with a
    // new track and come back by themselves.
    lyrics.status = Status::found;
    advance(3);
    EXPECT_FALSE(lyricsShown());
    click(lyricsButton());
    advance(3);
    ASSERT_TRUE(lyricsShown());
    lyrics.status = Status::notFound;
    advance(3);
    EXPECT_FALSE(lyricsShown());
    EXPECT_NEAR(centre(artwork()).x, 720, 1e-6);
    lyrics.status = Status::found;
    advance(3);
    EXPECT_TRUE(lyricsShown());
}

TEST_F(FullArtworkLockViewTest, UnderTheOpenChooserTheSmallArtworkNeitherShowsNorTakesClicks) {
    std::optional<SettingsSection> opened;
    AppActions::openSettingsSection = [&](SettingsSection s) { opened = s; };
    showFull();
    click(centre(symbol("gearshape.fill")));
    EXPECT_EQ(opened, SettingsSection::general);
    AppActions::reset();

    clickArtwork();
    const Point small = centre(artwork());
    click(centre(symbol("hifispeaker.fill")));
    advance(1);
    ASSERT_TRUE(has("Salida de audio"));
    EXPECT_EQ(opacityOf(artwork()), 0);
    click(small);
    advance(3);
    EXPECT_EQ(symbol("gearshape.fill"), nullptr) << "still collapsed";
    click(centre(symbol("xmark")));
    advance(1);
    EXPECT_EQ(opacityOf(artwork()), 1);
    clickArtwork();
    EXPECT_NE(symbol("gearshape.fill"), nullptr);
}

TEST_F(FullArtworkLockViewTest, WithoutArtworkTheLockScreenShowsThroughAVeil) {
    nowPlaying.artwork = std::nullopt;
    showFull();
    EXPECT_EQ(backdrop(), nullptr);
    EXPECT_NE(shown().find([](auto& i) { return i.fill && i.fill->color == Color::black.opacity(0.35); }),
              nullptr);
    // The artwork's own placeholder, where the artwork stands.
    EXPECT_NEAR(centre(symbol("music.note")).x, 720, 1e-6);
    EXPECT_NEAR(centre(symbol("music.note")).y, 261 + 387 / 2.0, 1e-6);
}

TEST_F(FullArtworkLockViewTest, TheBackdropIsBlurredOnceAndDrawnAsAPicture) {
    findLyrics(song());
    showFull({.showingLyrics = true});
    const platform::Image first = backdrop()->image;
    EXPECT_EQ(drawn(backdrop()), Rect(0, 0, 1440, 900));
    nowPlaying.togglePlayPause();
    at(23.5);
    advance(1);  // lyric frames, a new line among them
    EXPECT_NEAR(opacityOf(text("línea 1")), 1, 1e-9);
    EXPECT_EQ(backdrop()->image.pixels, first.pixels);
    // The screen-wide blur is never left to the frame.
    EXPECT_EQ(shown().find([](auto& i) { return i.blurRadius > 3; }), nullptr);

    nowPlaying.artwork = testing::picture(300, 300, {20, 80, 200, 255});
    fake.time.runPending();
    EXPECT_NE(backdrop()->image.pixels, first.pixels);
}

TEST(ArtworkBackdrop, TheArtworkFillsTheScreenBlurredAndSaturated) {
    const auto pixel = [](const platform::Image& image, int x, int y) {
        const auto* p = image.pixels->data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
        return std::array<int, 4>{p[0], p[1], p[2], p[3]};
    };
    // One colour: only the saturation shows (the luminance-keeping matrix at 1.3).
    const auto plain = *ArtworkBackdrop::make(testing::picture(50, 50, {200, 100, 50, 255}), screen);
    EXPECT_EQ(plain.width, 247);
    EXPECT_EQ(plain.height, 155);
    EXPECT_EQ(pixel(plain, 123, 77), (std::array<int, 4>{225, 95, 30, 255}));

    // Black left, white right, 100 pixels: the edge blurs over about a hundred points each
    // side, and the enlarged picture still covers the whole screen.
    std::vector<std::uint8_t> halves;
    for (int i = 0; i < 100 * 100; ++i) {
        const std::uint8_t v = i % 100 < 50 ? 0 : 255;
        halves.insert(halves.end(), {v, v, v, 255});
    }
    const auto split = *ArtworkBackdrop::make(*platform::Image::fromRGBA(100, 100, halves), screen);
    const int middle = split.width / 2;
    EXPECT_NEAR(pixel(split, middle, 77)[0], 128, 3);
    EXPECT_GT(pixel(split, middle + 5, 77)[0], 150) << "a gradual edge";
    EXPECT_LT(pixel(split, middle + 5, 77)[0], 250);
    EXPECT_EQ(pixel(split, split.width - 1, 0), (std::array<int, 4>{255, 255, 255, 255}));
    EXPECT_EQ(pixel(split, 0, split.height - 1), (std::array<int, 4>{0, 0, 0, 255}));

    EXPECT_FALSE(ArtworkBackdrop::make(platform::Image{}, screen));
    EXPECT_FALSE(ArtworkBackdrop::make(plain, {0, 900}));
}

TEST_F(FullArtworkLockViewTest, LyricLinesAroundTheCurrentOne) {
    findLyrics(song());
    showFull({.showingLyrics = true});
    // Before the first line at 20 s: the first four, dimmed as following lines, none filled.
    const double before[] = {0.32, 0.18, 0.08, 0.08};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(opacityOf(text("línea " + std::to_string(i))), before[i], 1e-9) << i;
    EXPECT_FALSE(has("línea 4"));
    EXPECT_EQ(shown().find([](auto& i) {
        return i.mask != nullptr && i.kind == DisplayItem::Kind::group && !i.children.empty() &&
               i.children.front().text.starts_with("línea");
    }),
              nullptr);

    // At 27 s line 1 has sung 3 of its 4 s; lines 0 to 5 stand around it.
    at(27);
    advance(3);
    EXPECT_FALSE(has("línea 6"));
    const double around[] = {0.32, 1, 0.32, 0.18, 0.08};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(opacityOf(text("línea " + std::to_string(i))), around[i], 1e-9) << i;
    EXPECT_NEAR(opacityOf(symbol("music.note")), 0.08, 1e-9) << "a line without words";
    const auto fill = [this] {
        const DisplayItem* masked = shown().find(
            [](auto& i) { return i.mask != nullptr && i.find([](auto& t) { return t.text == "línea 1"; }); });
        return masked->mask->find([](auto& i) { return i.fill.has_value(); })->fill->stops;
    };
    EXPECT_NEAR(fill()[1].location, 0.75 - 0.04, 1e-6);
    EXPECT_NEAR(fill()[2].location, 0.75 + 0.04, 1e-6);

    // Paused, the column stands still.
    const double held = fill()[1].location;
    advance(2);
    EXPECT_EQ(fill()[1].location, held);
}

TEST(FullLyricsColumnProgress, EachLineFillsUntilTheNextOne) {
    const std::vector<LyricLine> lines{{10, "a"}, {12, "b"}, {12, "c"}, {20, "d"}};
    const struct {
        int index;
        double time, fill;
    } cases[] = {
        {0, 11, 0.5},    {0, 9, 0},  {0, 30, 1},  // two seconds to the next line, clamped
        {1, 12.05, 0.5},                          // two lines at one time: 0.1 s
        {3, 22, 0.5},    {3, 24, 1},              // the last line takes 4 s
        {-1, 11, 0},     {4, 11, 0},              // no such line
    };
    for (const auto& c : cases)
        EXPECT_NEAR(FullLyricsColumn::progress(lines, c.index, c.time), c.fill, 1e-9)
            << c.index << " " << c.time;
}

TEST(LockClockText, TheHourFollowsTheLocaleAndTheDateLosesItsDots) {
    const Date evening = *parseDate("2027-01-15T21:15", "yyyy-MM-dd'T'HH:mm");
    EXPECT_EQ(LockClock::timeText(evening, "en_US"), "9:15");
    EXPECT_EQ(LockClock::timeText(evening, "es_ES"), "21:15");
    EXPECT_EQ(LockClock::timeText(evening, "de_DE"), "21:15");
    for (const char* locale : {"de_DE", "es_ES", "en_US"}) {
        const std::string date = LockClock::dateText(evening, locale);
        EXPECT_NE(date.find("15"), std::string::npos) << locale;
        EXPECT_EQ(date.find('.'), std::string::npos) << date;
    }
    EXPECT_NE(LockClock::dateText(evening, "es_ES").find("ene"), std::string::npos);
}

TEST_F(FullArtworkLockViewTest, TheClockWakesOnlyForTheMinute) {
    findLyrics(song());
    showFull({.showingLyrics = true});
    EXPECT_EQ(shown()
                  .findAll([](auto& i) {
                      return i.kind == DisplayItem::Kind::text && i.runs.size() > 0 &&
                             i.runs.front().font.size == 0.135 * 900;
                  })
                  .size(),
              1u);
    const double toMinute = 60 - std::fmod(fake.time.clock.date().secondsSince1970, 60);
    ASSERT_GT(toMinute, 1);
    const int before = frames;
    advance(toMinute - 0.5);
    EXPECT_EQ(frames, before) << "nothing moves within the minute";
    advance(1);
    EXPECT_GT(frames, before) << "the new minute";
}

}  // namespace
}  // namespace quorlix
