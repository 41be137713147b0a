// A media player on a bare desktop: the resting island shows what it plays, and the music
// page's output menu changes the default output of a private PulseAudio with two outputs,
// read back with pactl.

#include "bare_desktop.h"
#include "platform/private_pulse_server.h"

#include <QUrl>

#include <fcntl.h>
#include <signal.h>

namespace quorlix::testing::bare_desktop {
namespace {

TEST_F(Desktop, AMediaPlayerAlreadyPlayingIsShownByTheRestingIsland) {
    const fs::path said = home().path() / "player.out";
    ChildProcess player({QUORLIX_MEDIA_PLAYER}, {{1, said.string(), O_WRONLY | O_CREAT}});
    player.watch();
    ASSERT_TRUE(waitFor([&] { return firstLine(said) == "ready"; })) << "the player did not reach the bus";

    launch("{}");
    // The resting island shows the live activity: the pill with room for the artwork and the
    // equalizer beside the notch.
    EXPECT_TRUE(shows([](const QImage& image) { return widthIs(image, 84 + 60); }))
        << "the playing track has no live activity; island width " << islandWidth(screen->grab()).value_or(0);
    EXPECT_TRUE(quorlix->running());
}

// How many pixels of the resting island's left or right wing (beside the notch, whose middle
// is the screen's centre) are of a colour.
template <class IsColour>
int wingPixels(const QImage& image, bool left, IsColour isColour) {
    const auto span = darkSpan(image, 15);
    if (!span) return 0;
    int count = 0;
    const int from = left ? span->first : centre + 30, to = left ? centre - 30 : span->second;
    for (int y = 3; y < 28; ++y)
        for (int x = from; x <= to; ++x) count += isColour(image.pixel(x, y));
    return count;
}
bool reddish(QRgb p) { return qRed(p) > 150 && qRed(p) > qGreen(p) + 80 && qRed(p) > qBlue(p) + 80; }
bool bluish(QRgb p) { return qBlue(p) > 150 && qBlue(p) > qRed(p) + 80 && qBlue(p) > qGreen(p) + 60; }

TEST_F(Desktop, APlayerThatKeepsItsTrackIdChangesArtworkAndAccentWithEachFile) {
    // Two files with their covers, played one after the other under one track id (as mpv's
    // MPRIS plugin does for every file).
    const auto cover = [&](const char* name, QRgb colour) {
        const fs::path file = home().path() / name;
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(colour);
        image.save(QString::fromStdString(file.string()));
        return QUrl::fromLocalFile(QString::fromStdString(file.string())).toString().toStdString();
    };
    const std::string red = cover("roja.png", qRgb(220, 30, 30));
    const std::string blue = cover("azul.png", qRgb(30, 60, 230));
    const fs::path said = home().path() / "player.out";
    ChildProcess player({QUORLIX_MEDIA_PLAYER, "Primera", red, "Segunda", blue},
                        {{1, said.string(), O_WRONLY | O_CREAT}});
    player.watch();
    ASSERT_TRUE(waitFor([&] { return firstLine(said) == "ready"; }, {&player}))
        << "the player did not reach the bus";

    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return wingPixels(image, true, reddish) > 20; }))
        << "the first file's cover is not shown";

    ASSERT_EQ(kill(player.pid(), SIGUSR1), 0);
    EXPECT_TRUE(shows([](const QImage& image) {
        return wingPixels(image, true, bluish) > 20 && wingPixels(image, true, reddish) == 0 &&
               wingPixels(image, false, bluish) > 0;
    })) << "the cover and the accent of the second file are not shown";
    std::ifstream lines(said);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(lines), {}), "ready\nchanged\n");
    EXPECT_TRUE(quorlix->running());
}

// Whether two pictures show about the same colour at (x, y).
bool same(const QImage& a, const QImage& b, int x, int y) {
    const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
    return std::abs(qRed(p) - qRed(q)) < 12 && std::abs(qGreen(p) - qGreen(q)) < 12 &&
           std::abs(qBlue(p) - qBlue(q)) < 12;
}

// The PulseAudio server's default output, or nothing.
std::string defaultSink() {
    std::string name = PrivatePulseServer::pactl("get-default-sink").value_or("");
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    return name;
}

// How many missing glyphs' boxes a picture shows: shapes of bright pixels, the size of a
// letter, that fill their bounds (the densest glyph of a script leaves gaps; an emoji is not
// bright all over).
int boxes(const QImage& image) {
    std::vector<bool> seen(static_cast<std::size_t>(image.width() * image.height()));
    // Whether `p` is a bright pixel not yet seen; it is seen now.
    const auto take = [&](QPoint p) {
        const auto at = static_cast<std::size_t>(p.y() * image.width() + p.x());
        if (!image.rect().contains(p) || seen[at]) return false;
        seen[at] = true;
        return qGray(image.pixel(p)) > 100;
    };
    int found = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // The shape's pixels, touching sideways or up and down, and its bounds.
            std::vector<QPoint> shape;
            if (take({x, y})) shape.emplace_back(x, y);
            QRect bounds;
            for (std::size_t i = 0; i < shape.size(); ++i) {
                bounds |= QRect(shape[i], QSize(1, 1));
                for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                    if (take(shape[i] + step)) shape.push_back(shape[i] + step);
            }
            found += bounds.width() >= 5 && bounds.height() >= 8 &&
                     shape.size() == static_cast<std::size_t>(bounds.width() * bounds.height());
        }
    return found;
}

TEST_F(Desktop, TheMusicPagesOutputMenuMakesTheOtherOutputTheDefaultAndCloses) {
    for (const char* program : {"pulseaudio", "pactl"})
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    PrivatePulseServer pulse;
    ASSERT_TRUE(pulse.ready());
    const std::string before = defaultSink();
    ASSERT_TRUE(before == "a" || before == "b") << before;
    const std::string other = before == "a" ? "b" : "a";

    // A player already playing on the session's bus, a track titled in Japanese, Arabic and emoji.
    const fs::path ready = home().path() / "player-ready";
    ChildProcess player({QUORLIX_MPRIS_PLAYER, ready.string(), "夜に駆ける مرحبا 💔✨"},
                        {{2, (home().path() / "player.log").string(), O_WRONLY | O_CREAT | O_TRUNC}});
    player.watch();
    ASSERT_TRUE(waitFor([&] { return fs::exists(ready); })) << "the media player did not come on the bus";

    launch(R"({"previewTab": "music", "islandWidth": 600})");
    // The wide page, 600 points wide, with the player's artwork tile (no artwork: the grey
    // placeholder) at its leading edge; the island's body is 140 points tall, so the tile is
    // 90 points square, 22 points in, centred in the page between 35 and 163 points down.
    const int left = centre - 300;
    QImage closed;
    ASSERT_TRUE(shows(
        [&](const QImage& image) {
            const auto span = darkSpan(image, 100);
            const int tile = qGray(image.pixel(left + 22 + 15, 99 - 30));
            return span && std::abs(span->second - span->first + 1 - 600) <= 2 && tile > 40 && tile < 90;
        },
        &closed))
        << "the music page did not show";
    // The title heads the 200-point column beside the tile (18 points from it), high in the page.
    const int column = left + 22 + 90 + 18;
    QImage title;
    ASSERT_TRUE(atRest(display(), {column - 10, 25, 220, 70}, &title, [](const QImage& image) {
        return brightPixels(image, 0, 0, image.width(), image.height()) > 30;
    })) << "the music page's title never came to rest";
    EXPECT_EQ(boxes(title), 0) << "characters drawn as boxes";
    int coloured = 0;
    for (int y = 0; y < title.height(); ++y)
        for (int x = 0; x < title.width(); ++x) coloured += QColor(title.pixel(x, y)).hsvSaturation() > 120;
    EXPECT_GT(coloured, 20) << "no emoji drawn in colour";
    save("music-scripts.png");

    // The output button ends the 200-point column beside the tile, on the page's last row:
    // the island's window takes the click.
    ASSERT_EQ(xdotool({"mousemove", std::to_string(column + 200 - 12), "152", "click", "1"}), 0);
    const xcb_window_t island = screen->pointerWindow();
    ASSERT_NE(island, XCB_WINDOW_NONE);
    ASSERT_TRUE(shows([&](const QImage& image) { return !same(image, closed, centre + 150, 210); }))
        << "the output menu did not open";

    // The menu hangs 4 points under the button, with a row of 29 points per output, in the
    // server's order: "a", then "b". It is clicked once it has sprung open (two pictures in
    // a row alike) and the island's window takes the pointer over it.
    const int row = other == "a" ? 0 : 1;
    const int y = 163 + 4 + 5 + 29 * row + 14;
    ASSERT_TRUE(atRest(display(), {centre - 100, 150, 400, 120})) << "the output menu never came to rest";
    ASSERT_TRUE(waitFor([&] { return screen->takesPointer(island, centre + 60, y); }))
        << "the island's window does not take the pointer over the menu";
    ASSERT_EQ(xdotool({"mousemove", std::to_string(centre + 60), std::to_string(y), "click", "1"}), 0);
    EXPECT_TRUE(waitFor([&] { return defaultSink() == other; }))
        << "the default output is still " << defaultSink();
    EXPECT_TRUE(shows([&](const QImage& image) { return same(image, closed, centre + 150, 210); }))
        << "the output menu did not close";
    EXPECT_TRUE(quorlix->running());
}

}  // namespace
}  // namespace quorlix::testing::bare_desktop
