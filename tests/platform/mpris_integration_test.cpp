// The now-playing service against real MPRIS players on a private session bus: commands
// from the bridge reach the player, and the player's own changes come back as track and
// state changes.

#include "fakes/fake_platform.h"
#include "fakes/well_formed_text.h"
#include "foundation/app_settings.h"
#include "platform/capped_text.h"
#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/mpris_player_notifications.h"
#include "platform/linux/mpris_script_host.h"
#include "platform/linux/qt_image_decoder.h"
#include "platform/linux/qt_main_queue.h"
#include "services/hsb.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"
#include "ui/qt/qt_font_engine.h"

#include "mpris_test_player.h"
#include "private_bus.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QUrl>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

const QString musicBusName = QStringLiteral("org.mpris.MediaPlayer2.testplayer");
const QString spotifyBusName = QStringLiteral("org.mpris.MediaPlayer2.spotify");

std::vector<TestTrack> playlist() {
    return {{QStringLiteral("/org/quorlix/track/1"),
             QStringLiteral("Primera"),
             {QStringLiteral("Ana"), QStringLiteral("Beto")},
             QStringLiteral("Disco"),
             180'000'000,
             {}},
            {QStringLiteral("/org/quorlix/track/2"),
             QStringLiteral("Segunda"),
             {QStringLiteral("Ana")},
             QStringLiteral("Disco"),
             240'500'000,
             QStringLiteral("https://example.invalid/cover.png")}};
}

// The scripts Quorlix runs, passed to the real host and counted. Thread-safe.
class CountedScripts final : public platform::ScriptHost {
public:
    explicit CountedScripts(platform::ScriptHost& host) : host_(host) {}
    std::optional<platform::ScriptValue> execute(const std::string& source, double timeLimit) override {
        {
            std::lock_guard lock(mutex_);
            ++counts_[source];
        }
        return host_.execute(source, timeLimit);
    }
    int count(const std::string& source) const {
        std::lock_guard lock(mutex_);
        const auto it = counts_.find(source);
        return it == counts_.end() ? 0 : it->second;
    }

private:
    platform::ScriptHost& host_;
    mutable std::mutex mutex_;
    std::map<std::string, int> counts_;
};

class MprisIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.ready());
        playerConnection = bus.connect(QStringLiteral("player"));
        appConnection = bus.connect(QStringLiteral("quorlix"));
        ASSERT_TRUE(playerConnection.isConnected());
        ASSERT_TRUE(appConnection.isConnected());
        if (watchFromTheStart) watch();
    }

    // Quorlix's side: the watcher of the bus and the backends built on it.
    void watch() {
        mpris = std::make_unique<platform::MprisBus>(appConnection);
        notifications = std::make_unique<platform::MprisPlayerNotifications>(*mpris);
        scriptHost = std::make_unique<platform::MprisScriptHost>(*mpris, &peerCalls);
        counted = std::make_unique<CountedScripts>(*scriptHost);
        workspace = std::make_unique<platform::LinuxWorkspace>(*mpris);
        backends.mainQueue = &mainQueue;
        backends.clock = &clock;
        backends.playerNotifications = notifications.get();
        backends.scriptHost = counted.get();
        backends.workspace = workspace.get();
        platform::install(backends);
    }

    void TearDown() override {
        service.reset();
        platform::install(platform::Platform{});
    }

    // A player on its own connection, already on the bus before Quorlix watches it.
    std::unique_ptr<MprisTestPlayer> runningPlayer(const QString& name, QDBusConnection connection,
                                                   std::function<void(MprisTestPlayer&)> prepare = {}) {
        auto player = std::make_unique<MprisTestPlayer>(connection, name, playlist());
        if (prepare) prepare(*player);
        EXPECT_TRUE(player->publish());
        return player;
    }

    // A player on its own connection, published and announced by the bus watcher.
    std::unique_ptr<MprisTestPlayer> startPlayer(const QString& name, QDBusConnection connection,
                                                 std::function<void(MprisTestPlayer&)> prepare = {}) {
        auto player = std::make_unique<MprisTestPlayer>(connection, name, tracks);
        if (prepare) prepare(*player);
        const std::string notification = platform::MprisPlayerNotifications::notificationName(
            name == spotifyBusName ? "com.spotify.client" : "com.apple.Music");
        bool announced = false;
        auto watch = notifications->observe(notification,
                                            [&](const platform::NotificationInfo&) { announced = true; });
        EXPECT_TRUE(player->publish());
        EXPECT_TRUE(waitUntil([&] { return announced; }));
        return player;
    }

    // Starts the service and waits for its first snapshots.
    void startService() {
        service = std::make_unique<NowPlayingService>(backends, scripts);
        service->start();
        settle();
    }

    // Waits until every script submitted so far has answered (the queue is in order).
    void settle() {
        bool drained = false;
        runScript(scripts, nullptr, "", 1, [&](std::optional<platform::ScriptValue>) { drained = true; });
        ASSERT_TRUE(waitUntil([&] { return drained; }));
        QCoreApplication::processEvents();
    }

    std::optional<std::string> title() const {
        if (!service->track.get()) return std::nullopt;
        return service->track.get()->title;
    }

    bool watchFromTheStart = true;
    // The players' playlist.
    std::vector<TestTrack> tracks = playlist();
    QtApplicationMember application;
    fakes::TempHome home;
    PrivateBus bus;
    QDBusConnection playerConnection{QString()};
    QDBusConnection appConnection{QString()};
    platform::QtMainQueue mainQueue;
    platform::SystemClock clock;
    // As the application has them: a script's calls wait on the script's thread.
    platform::PeerCalls peerCalls;
    std::unique_ptr<platform::MprisBus> mpris;
    std::unique_ptr<platform::MprisPlayerNotifications> notifications;
    std::unique_ptr<platform::MprisScriptHost> scriptHost;
    // What the service's scripts go through.
    std::unique_ptr<CountedScripts> counted;
    std::unique_ptr<platform::LinuxWorkspace> workspace;
    platform::QtImageDecoder decoder;
    platform::Platform backends;
    platform::ThreadSerialQueue scripts;
    std::unique_ptr<NowPlayingService> service;
};

TEST_F(MprisIntegrationTest, BridgeDrivesThePlayerAndItsChangesComeBack) {
    auto player = startPlayer(musicBusName, playerConnection);
    EXPECT_TRUE(workspace->isRunning("com.apple.Music"));
    EXPECT_FALSE(workspace->isRunning("com.spotify.client"));

    // The first snapshot introduces the playing track, durations in seconds.
    startService();
    ASSERT_TRUE(waitUntil([&] { return title() == "Primera"; }));
    const Track& first = *service->track.get();
    EXPECT_EQ(first.id, "com.apple.Music:/org/quorlix/track/1");
    EXPECT_EQ(first.artist, "Ana, Beto");
    EXPECT_EQ(first.album, "Disco");
    EXPECT_DOUBLE_EQ(first.duration, 180);
    EXPECT_EQ(first.source, PlayerSource::music);
    EXPECT_TRUE(service->isPlaying.get());

    // Pause from the island reaches the player, whose own announcement agrees.
    service->togglePlayPause();
    ASSERT_TRUE(waitUntil([&] { return player->playPauseCalls == 1; }));
    EXPECT_EQ(player->status, "Paused");
    EXPECT_FALSE(service->isPlaying.get());

    // The user presses play on the player: the service follows.
    player->setStatus(QStringLiteral("Playing"));
    ASSERT_TRUE(waitUntil([&] { return service->isPlaying.get(); }));

    // Next from the island: the player moves on and its new track comes back.
    service->send("next track");
    ASSERT_TRUE(waitUntil([&] { return title() == "Segunda"; }));
    EXPECT_EQ(player->nextCalls, 1);
    EXPECT_DOUBLE_EQ(service->track.get()->duration, 240.5);

    // Seek sets the player's position on its current track.
    service->seek(42.5);
    ASSERT_TRUE(waitUntil([&] { return player->positionMicroseconds == 42'500'000; }));
    EXPECT_EQ(player->lastSetPositionTrack, "/org/quorlix/track/2");

    // Shuffle and repeat are written, whether or not the sync the new track asked for has
    // answered (an answer older than a toggle leaves it standing), and read back by a sync.
    service->toggleShuffle();
    service->toggleRepeat();
    ASSERT_TRUE(waitUntil([&] { return player->shuffle && player->loopStatus == "Playlist"; }));
    settle();
    EXPECT_TRUE(service->shuffling.get());
    EXPECT_TRUE(service->repeating.get());
    player->shuffle = false;
    service->syncShuffle();
    ASSERT_TRUE(waitUntil([&] { return !service->shuffling.get(); }));
    EXPECT_TRUE(service->repeating.get());

    // Previous, then the player's own skip.
    service->send("previous track");
    ASSERT_TRUE(waitUntil([&] { return title() == "Primera"; }));
    player->skipTo(1);
    ASSERT_TRUE(waitUntil([&] { return title() == "Segunda"; }));

    // The player quits: its track goes.
    player->quit();
    ASSERT_TRUE(waitUntil([&] { return !service->track.get(); }));
    EXPECT_FALSE(workspace->isRunning("com.apple.Music"));
}

// A browser's player passes on whatever a page sets: a title, artists and album of megabytes
// arrive cut to what a screen can show, whole code points, by the first snapshot and by the
// player's announcement of its next track.
TEST_F(MprisIntegrationTest, HugeTextsFromAPlayerArriveCapped) {
    QString huge = QStringLiteral("Título ");
    while (huge.size() < 400'000) huge += QStringLiteral("ñ東😀 ");
    QStringList crowd;
    for (int i = 0; i < 20'000; ++i) crowd << QStringLiteral("Artista %1").arg(i);
    tracks[0].title = huge;
    tracks[0].artists = crowd;
    tracks[0].album = huge;
    tracks[1].title = QStringLiteral("Otra ") + huge;
    tracks[1].artists = {huge};
    auto player = startPlayer(musicBusName, playerConnection);

    const auto expectCapped = [&](const std::string& text, const QString& whole) {
        EXPECT_EQ(wellFormedLength(text), platform::shownTextLimit);
        EXPECT_TRUE(whole.toStdString().starts_with(text));
    };
    startService();
    ASSERT_TRUE(waitUntil([&] { return title().value_or("").starts_with("Título"); }));
    expectCapped(service->track.get()->title, huge);
    expectCapped(service->track.get()->album, huge);
    const std::string& artists = service->track.get()->artist;
    EXPECT_TRUE(artists.starts_with("Artista 0, Artista 1, "));
    EXPECT_LE(wellFormedLength(artists).value_or(0), platform::shownTextLimit);
    EXPECT_GT(wellFormedLength(artists).value_or(0), platform::shownTextLimit / 2);

    player->skipTo(1);
    ASSERT_TRUE(waitUntil([&] { return title().value_or("").starts_with("Otra"); }));
    expectCapped(service->track.get()->title, tracks[1].title);
    expectCapped(service->track.get()->artist, huge);
}

// A title the system's fonts draw comes to the main thread laid out: the island's first look
// at it takes that layout instead of making its own. So does the next track's.
TEST_F(MprisIntegrationTest, ATitleInAnotherScriptArrivesLaidOut) {
    tracks[0].title = QStringLiteral("ཀུན་ཏུ་བཟང་པོ ལམ་");
    tracks[1].title = QStringLiteral("မင်္ဂလာပါ သီချင်း");
    auto player = startPlayer(musicBusName, playerConnection);
    const ui::ResolvedFont titleFont = ui::ResolvedFont::of(ui::Font::system(14, ui::FontWeight::semibold));
    const auto takesItsLayout = [&](const QString& expected) {
        const auto taken = ui::qt::QtFontEngine::keptAhead().taken;
        ui::qt::QtFontEngine island;
        island.advance(titleFont, expected.toStdString());
        return ui::qt::QtFontEngine::keptAhead().taken == taken + 1;
    };
    startService();
    ASSERT_TRUE(waitUntil([&] { return title() == tracks[0].title.toStdString(); }));
    EXPECT_TRUE(takesItsLayout(tracks[0].title));
    player->skipTo(1);
    ASSERT_TRUE(waitUntil([&] { return title() == tracks[1].title.toStdString(); }));
    EXPECT_TRUE(takesItsLayout(tracks[1].title));
}

TEST_F(MprisIntegrationTest, PositionIsReadFromThePlayerAfterANotification) {
    auto player = startPlayer(musicBusName, playerConnection,
                              [](MprisTestPlayer& p) { p.positionMicroseconds = 30'000'000; });
    startService();
    ASSERT_TRUE(waitUntil([&] { return title() == "Primera"; }));
    EXPECT_NEAR(service->position(clock.date()), 30, 1);

    // A skip announces no position; the service asks the player for it.
    player->positionMicroseconds = 0;
    player->skipTo(1);
    player->positionMicroseconds = 90'000'000;
    ASSERT_TRUE(waitUntil([&] { return service->position(clock.date()) > 80; }));
}

TEST_F(MprisIntegrationTest, SpotifyIsItsOwnPlayer) {
    QDBusConnection spotifyConnection = bus.connect(QStringLiteral("spotify"));
    auto music = startPlayer(musicBusName, playerConnection,
                             [](MprisTestPlayer& p) { p.status = QStringLiteral("Paused"); });
    auto spotify = startPlayer(spotifyBusName, spotifyConnection, [](MprisTestPlayer& p) { p.current = 1; });

    startService();
    ASSERT_TRUE(waitUntil([&] { return title() == "Segunda"; }));
    const Track& track = *service->track.get();
    EXPECT_EQ(track.source, PlayerSource::spotify);
    EXPECT_EQ(track.id, "com.spotify.client:/org/quorlix/track/2");
    EXPECT_DOUBLE_EQ(track.duration, 240.5);  // milliseconds on the Spotify road, seconds here

    // Spotify's artwork script answers the player's address.
    std::optional<platform::ScriptValue> artwork;
    bool answered = false;
    runScript(scripts, scriptHost.get(), PlayerScripts::spotifyArtworkURL(), 2, [&](auto value) {
        artwork = value;
        answered = true;
    });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    ASSERT_TRUE(artwork);
    EXPECT_EQ(artwork->stringValue(), "https://example.invalid/cover.png");

    // Music has no favourites over MPRIS: the script yields nothing.
    answered = false;
    runScript(scripts, scriptHost.get(), PlayerScripts::musicFavorite(std::nullopt), 2, [&](auto value) {
        artwork = value;
        answered = true;
    });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_FALSE(artwork);

    // Quitting Music leaves Spotify's track alone.
    music->quit();
    ASSERT_TRUE(waitUntil([&] { return !workspace->isRunning("com.apple.Music"); }));
    EXPECT_EQ(title(), "Segunda");
}

TEST_F(MprisIntegrationTest, MusicArtworkComesFromDataURLsAndRemoteAddresses) {
    auto player = startPlayer(musicBusName, playerConnection);
    const auto artwork = [&](const QString& url) {
        player->setArtURL(url);
        std::optional<platform::ScriptValue> value;
        bool answered = false;
        runScript(scripts, scriptHost.get(), PlayerScripts::musicArtworkRawData(), 5, [&](auto v) {
            value = v;
            answered = true;
        });
        EXPECT_TRUE(waitUntil([&] { return answered; }));
        return value;
    };
    const auto bytes = [](const std::string& s) {
        return platform::ScriptValue::bytes({s.begin(), s.end()});
    };
    const std::string cap(platform::MprisScriptHost::maxArtworkFileSize, 'a');

    EXPECT_EQ(artwork(QStringLiteral("data:image/png;base64,iVBORw0KGgo=")), bytes("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(artwork(QStringLiteral("data:,hola%20mundo")), bytes("hola mundo"));
    EXPECT_EQ(artwork(QStringLiteral("data:,") + QString::fromStdString(cap)), bytes(cap));
    EXPECT_FALSE(artwork(QStringLiteral("data:,") + QString::fromStdString(cap + "a"))) << "past the cap";
    EXPECT_FALSE(artwork(QStringLiteral("data:image/png;base64,iVBOR*0KGgo="))) << "not base64";
    EXPECT_FALSE(artwork(QStringLiteral("data:image/png;base64"))) << "no data";
    // Remote pictures are the caller's to fetch, under its own rules.
    EXPECT_EQ(artwork(QStringLiteral("https://127.0.0.1/cover.png")),
              platform::ScriptValue::text("https://127.0.0.1/cover.png"));
    EXPECT_EQ(artwork(QStringLiteral("http://127.0.0.1/cover.png")),
              platform::ScriptValue::text("http://127.0.0.1/cover.png"));
    EXPECT_FALSE(artwork(QStringLiteral("ftp://127.0.0.1/cover.png")));
}

TEST_F(MprisIntegrationTest, MusicArtworkIsReadOnlyFromARegularFileWithinTheLimit) {
    const fs::path folder = home.path() / "portadas";
    fs::create_directories(folder / "carpeta");
    std::ofstream(folder / "portada.png", std::ios::binary) << "\x89PNG bytes";
    // A FIFO nobody writes to: opening it to read would wait for a writer for ever.
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"portada.png", "\x89PNG bytes"},
        {"fifo", std::nullopt},
        {"carpeta", std::nullopt},
        {"falta.png", std::nullopt}};
    // One track per case.
    tracks.clear();
    for (const auto& [name, expected] : cases) {
        tracks.push_back(playlist()[0]);
        tracks.back().id += QString::number(tracks.size());
        tracks.back().artURL =
            QUrl::fromLocalFile(QString::fromStdString((folder / name).string())).toString();
    }
    auto player = startPlayer(musicBusName, playerConnection);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, expected] = cases[i];
        SCOPED_TRACE(name);
        player->skipTo(i);
        // The artwork, then a script behind it: both answer although nobody ever writes to
        // the FIFO.
        std::optional<platform::ScriptValue> artwork;
        bool answered = false, next = false;
        runScript(scripts, scriptHost.get(), PlayerScripts::musicArtworkRawData(), 1, [&](auto value) {
            artwork = value;
            answered = true;
        });
        runScript(scripts, scriptHost.get(), PlayerScripts::position(PlayerSource::music), 1,
                  [&](auto) { next = true; });
        const auto done = waitUntil([&] { return answered && next; });
        // A writer opened without waiting finds a reader only if one still waits on the FIFO;
        // that lets it go too, so that a failure cannot hang the test.
        const int writer = ::open((folder / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
        ASSERT_TRUE(done);
        EXPECT_LT(writer, 0) << "a reader was left waiting on the FIFO";
        const auto bytes = artwork ? artwork->data() : std::nullopt;
        EXPECT_EQ(
            bytes ? std::optional<std::string>(std::string(bytes->begin(), bytes->end())) : std::nullopt,
            expected);
    }
}

TEST_F(MprisIntegrationTest, UnknownScriptsAndAbsentPlayersYieldNothing) {
    auto player = startPlayer(musicBusName, playerConnection);
    EXPECT_FALSE(scriptHost->execute("tell application \"Music\" to delete every track", 2));
    EXPECT_FALSE(scriptHost->execute("tell application \"Spotify\" to get player position", 2));
    EXPECT_FALSE(scriptHost->execute("do shell script \"true\"", 2));
}

TEST_F(MprisIntegrationTest, UnansweredScriptGivesUpAtItsLimit) {
    auto player = startPlayer(musicBusName, playerConnection);
    // The player answers on this thread, which the call blocks: the call gives up at its limit
    // before the player has even read the question, which reaches it only afterwards.
    const int reads = player->propertyReads;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(scriptHost->execute(PlayerScripts::snapshot(PlayerSource::music), 0.3));
    EXPECT_GE(timer.elapsed(), 250) << "gave up before its limit";
    EXPECT_EQ(player->propertyReads, reads);
    EXPECT_TRUE(waitUntil([&] { return player->propertyReads > reads; })) << "the question was never sent";
}

// A user's desktop: the players were there, and playing, before Quorlix started.
class MprisLaunchTest : public MprisIntegrationTest {
protected:
    MprisLaunchTest() { watchFromTheStart = false; }
    bool playing(const char* expected) { return title() == expected && service->isPlaying.get(); }
};

TEST_F(MprisLaunchTest, APlayerPlayingBeforeLaunchIsInTheFirstSnapshot) {
    auto player = runningPlayer(musicBusName, playerConnection,
                                [](MprisTestPlayer& p) { p.positionMicroseconds = 30'000'000; });
    watch();
    EXPECT_TRUE(workspace->isRunning("com.apple.Music")) << "known as soon as the watcher exists";

    startService();
    ASSERT_TRUE(waitUntil([&] { return playing("Primera"); }));
    EXPECT_NEAR(service->position(clock.date()), 30, 1);
}

TEST_F(MprisLaunchTest, MusicIsThePlayerThatPlayedLast) {
    QDBusConnection browserConnection = bus.connect(QStringLiteral("browser"));
    auto browser = runningPlayer(QStringLiteral("org.mpris.MediaPlayer2.aaa"), browserConnection,
                                 [](MprisTestPlayer& p) { p.status = QStringLiteral("Paused"); });
    auto player = runningPlayer(QStringLiteral("org.mpris.MediaPlayer2.zzz"), playerConnection,
                                [](MprisTestPlayer& p) { p.current = 1; });
    watch();
    startService();
    // A paused tab first in name order does not hide the player that plays.
    ASSERT_TRUE(waitUntil([&] { return playing("Segunda"); }));

    browser->setStatus(QStringLiteral("Playing"));
    ASSERT_TRUE(waitUntil([&] { return playing("Primera"); }));
    // Paused again while the other still plays: the one playing now.
    browser->setStatus(QStringLiteral("Paused"));
    ASSERT_TRUE(waitUntil([&] { return playing("Segunda"); }));

    // The player pauses: it played last, so it keeps the role, and commands go to it.
    player->setStatus(QStringLiteral("Paused"));
    ASSERT_TRUE(waitUntil([&] { return !service->isPlaying.get(); }));
    settle();  // what the pause asked of the players has been answered: nothing else comes
    EXPECT_EQ(title(), "Segunda");
    service->togglePlayPause();
    ASSERT_TRUE(waitUntil([&] { return player->playPauseCalls == 1; }));
    EXPECT_EQ(browser->playPauseCalls, 0);

    // It quits: the browser, the only one left, shows its track.
    player->quit();
    ASSERT_TRUE(waitUntil([&] { return title() == "Primera"; }));
    EXPECT_FALSE(service->isPlaying.get());

    // A player that appears with a track already playing is shown like a change.
    QDBusConnection lateConnection = bus.connect(QStringLiteral("late"));
    auto late = runningPlayer(QStringLiteral("org.mpris.MediaPlayer2.mmm"), lateConnection,
                              [](MprisTestPlayer& p) { p.current = 1; });
    ASSERT_TRUE(waitUntil([&] { return playing("Segunda"); }));
    settle();
}

TEST_F(MprisLaunchTest, ACoverToldAfterTheLookupFoundNoneIsShown) {
    // A player that finds its covers after announcing the track, already playing one with no
    // cover yet and no length either.
    tracks[0].lengthMicroseconds = 0;
    auto player = std::make_unique<MprisTestPlayer>(playerConnection, musicBusName, tracks);
    ASSERT_TRUE(player->publish());
    watch();
    backends.imageDecoder = &decoder;
    const auto cover = [&](const char* name, QColor color) {
        QImage image(640, 640, QImage::Format_RGB32);
        image.fill(color);
        const fs::path file = home.path() / name;
        EXPECT_TRUE(image.save(QString::fromStdString(file.string())));
        return QUrl::fromLocalFile(QString::fromStdString(file.string())).toString();
    };
    const auto red = cover("roja.png", QColor(220, 20, 20));
    const auto blue = cover("azul.png", QColor(20, 20, 220));

    startService();
    ASSERT_TRUE(waitUntil([&] { return playing("Primera"); }));
    // The lookup ran, and its fallback: no picture.
    ASSERT_TRUE(waitUntil([&] { return counted->count(PlayerScripts::musicArtworkData()) == 1; }));
    settle();
    EXPECT_FALSE(service->artwork.get());

    // The cover is found, told together with the length the player has learnt meanwhile.
    player->amendCurrent([&](TestTrack& t) {
        t.artURL = red;
        t.lengthMicroseconds = 180'000'000;
    });
    ASSERT_TRUE(waitUntil([&] { return service->artwork.get().has_value(); }));
    EXPECT_DOUBLE_EQ(service->track.get()->duration, 180);
    EXPECT_NEAR(HSB::of(service->accentColor.get()).hue, 0, 0.01);

    // Another cover for the same song replaces it.
    player->amendCurrent([&](TestTrack& t) { t.artURL = blue; });
    ASSERT_TRUE(waitUntil([&] {
        return service->artwork.get() && std::abs(HSB::of(service->accentColor.get()).hue - 2.0 / 3.0) < 0.01;
    }));

    // The next song, whose cover comes late too, gets its own, not the one before.
    player->amendCurrent([&](TestTrack& t) {
        t.title = QStringLiteral("Otra");
        t.artURL.clear();
    });
    ASSERT_TRUE(waitUntil([&] { return title() == "Otra"; }));
    EXPECT_FALSE(service->artwork.get());
    ASSERT_TRUE(waitUntil([&] { return counted->count(PlayerScripts::musicArtworkData()) == 2; }));
    settle();
    EXPECT_FALSE(service->artwork.get());
    player->amendCurrent([&](TestTrack& t) { t.artURL = red; });
    ASSERT_TRUE(waitUntil(
        [&] { return service->artwork.get() && std::abs(HSB::of(service->accentColor.get()).hue) < 0.01; }));
}

// A page may hand over a cover of any size as a data: address. One longer than any cover read
// (40 MB) is left out where the metadata is read; one within the limit stays.
TEST(MprisNotificationTest, ACoverAddressPastTheLargestReadIsLeftOut) {
    platform::MprisBus::PlayerState state;
    for (const auto& [address, kept] :
         {std::pair{QStringLiteral("data:image/png;base64,iVBORw0KGgo="), true},
          std::pair{QStringLiteral("data:image/png;base64,") + QString(40'000'000, QLatin1Char('A')),
                    false}}) {
        state.metadata[QStringLiteral("mpris:artUrl")] = address;
        const auto info = platform::MprisPlayerNotifications::info("com.apple.Music", state, std::nullopt);
        EXPECT_EQ(info.count("Artwork URL") > 0, kept) << address.size();
    }
}

TEST(MprisNotificationTest, PlayerStateBecomesThePlayersDictionary) {
    platform::MprisBus::PlayerState state;
    state.playbackStatus = QStringLiteral("Playing");
    state.metadata[QStringLiteral("xesam:title")] = QStringLiteral("Canción");
    state.metadata[QStringLiteral("xesam:artist")] =
        QStringList{QStringLiteral("Uno"), QStringLiteral("Dos")};
    state.metadata[QStringLiteral("mpris:length")] = qlonglong(215'500'000);
    state.metadata[QStringLiteral("mpris:trackid")] = QStringLiteral("/t/7");

    const auto music = platform::MprisPlayerNotifications::info("com.apple.Music", state, std::nullopt);
    EXPECT_EQ(std::get<std::string>(music.at("Player State")), "Playing");
    EXPECT_EQ(std::get<std::string>(music.at("Name")), "Canción");
    EXPECT_EQ(std::get<std::string>(music.at("Artist")), "Uno, Dos");
    EXPECT_EQ(std::get<std::int64_t>(music.at("Total Time")), 215500);
    EXPECT_EQ(std::get<std::string>(music.at("PersistentID")), "/t/7");
    EXPECT_FALSE(music.count("Album"));
    EXPECT_FALSE(music.count("Playback Position"));

    const auto spotify = platform::MprisPlayerNotifications::info("com.spotify.client", state, 12.5);
    EXPECT_EQ(std::get<std::int64_t>(spotify.at("Duration")), 215500);
    EXPECT_EQ(std::get<std::string>(spotify.at("Track ID")), "/t/7");
    EXPECT_DOUBLE_EQ(std::get<double>(spotify.at("Playback Position")), 12.5);
    EXPECT_EQ(platform::MprisPlayerNotifications::notificationName("com.spotify.client"),
              "com.spotify.client.PlaybackStateChanged");
    EXPECT_EQ(platform::MprisPlayerNotifications::notificationName("com.apple.Music"),
              "com.apple.Music.playerInfo");
}

}  // namespace
}  // namespace quorlix::testing
