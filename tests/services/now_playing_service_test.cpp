// The now-playing model: the notification table, the position anchor, live visibility and
// the end of a player.

#include "media_test_support.h"
#include "services/player_scripts.h"

namespace quorlix::testing {
namespace {

class NowPlayingTest : public MediaTest {
protected:
    void SetUp() override { service->start(); }
    const Track& current() const { return *service->track.get(); }
};

// --- the notification table ---------------------------------------------------------------

TEST_F(NowPlayingTest, MusicNotificationBecomesTrackInSeconds) {
    notify(PlayerSource::music, musicInfo("Playing"));
    ASSERT_TRUE(service->track.get());
    EXPECT_EQ(current().id, "com.apple.Music:A1B2");
    EXPECT_EQ(current().title, "Clandestino");
    EXPECT_EQ(current().artist, "Manu Chao");
    EXPECT_EQ(current().album, "Clandestino");
    EXPECT_DOUBLE_EQ(current().duration, 148.0);
    EXPECT_EQ(current().source, PlayerSource::music);
    EXPECT_TRUE(service->isPlaying.get());
    EXPECT_TRUE(service->liveVisible.get());
}

TEST_F(NowPlayingTest, SpotifyReadsDurationKeyAndTrackID) {
    notify(PlayerSource::spotify, spotifyInfo("Playing"));
    EXPECT_EQ(current().id, "com.spotify.client:spotify:track:42");
    EXPECT_DOUBLE_EQ(current().duration, 150.0);
    EXPECT_EQ(current().source, PlayerSource::spotify);
}

TEST_F(NowPlayingTest, IdFallsBackToTheName) {
    auto music = musicInfo("Playing", "Bongo Bong");
    music.erase("PersistentID");
    notify(PlayerSource::music, music);
    EXPECT_EQ(current().id, "com.apple.Music:Bongo Bong");

    // Spotify's id must be text; a number counts as missing.
    auto spotify = spotifyInfo("Playing", "Pienso en tu mirá");
    spotify["Track ID"] = std::int64_t{7};
    notify(PlayerSource::spotify, spotify);
    EXPECT_EQ(current().id, "com.spotify.client:Pienso en tu mirá");

    // Music's id is rendered whatever its type.
    auto numeric = musicInfo("Playing", "Desaparecido");
    numeric["PersistentID"] = std::int64_t{1234567890123};
    notify(PlayerSource::music, numeric);
    EXPECT_EQ(current().id, "com.apple.Music:1234567890123");
}

TEST_F(NowPlayingTest, MissingOrEmptyNameChangesNothing) {
    auto info = musicInfo("Playing");
    info.erase("Name");
    notify(PlayerSource::music, info);
    EXPECT_FALSE(service->track.get());
    EXPECT_FALSE(service->isPlaying.get());

    info["Name"] = std::string();
    notify(PlayerSource::music, info);
    EXPECT_FALSE(service->track.get());

    info["Name"] = std::int64_t{3};  // not text
    notify(PlayerSource::music, info);
    EXPECT_FALSE(service->track.get());
}

TEST_F(NowPlayingTest, DurationNeedsAFiniteNumber) {
    auto info = musicInfo("Playing");
    info["Total Time"] = std::string("148000");  // text is not converted
    notify(PlayerSource::music, info);
    EXPECT_DOUBLE_EQ(current().duration, 0.0);

    info["Name"] = std::string("Otra");
    info["Total Time"] = std::numeric_limits<double>::infinity();
    info["Duration"] = 90000.0;  // the next key stands in
    notify(PlayerSource::music, info);
    EXPECT_DOUBLE_EQ(current().duration, 90.0);

    info["Name"] = std::string("Sin duración");
    info.erase("Total Time");
    info.erase("Duration");
    info["Playback Position"] = 5000.0;
    notify(PlayerSource::music, info);
    EXPECT_DOUBLE_EQ(current().duration, 0.0);
    // Without a duration the position has no upper bound.
    EXPECT_DOUBLE_EQ(service->position(now()), 5000.0);
}

TEST_F(NowPlayingTest, AnotherPlayersStopIsIgnored) {
    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::spotify, {{"Player State", std::string("Stopped")}});
    ASSERT_TRUE(service->track.get());
    EXPECT_EQ(current().source, PlayerSource::music);

    notify(PlayerSource::music, {{"Player State", std::string("Stopped")}});
    EXPECT_FALSE(service->track.get());
    EXPECT_FALSE(service->isPlaying.get());
    EXPECT_FALSE(service->liveVisible.get());
}

TEST_F(NowPlayingTest, AnotherPlayersPauseDoesNotDisturbAPlayingTrack) {
    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::spotify, spotifyInfo("Paused"));
    EXPECT_EQ(current().source, PlayerSource::music);
    EXPECT_TRUE(service->isPlaying.get());

    // Once Music is paused, Spotify's paused track takes over.
    notify(PlayerSource::music, musicInfo("Paused"));
    notify(PlayerSource::spotify, spotifyInfo("Paused"));
    EXPECT_EQ(current().source, PlayerSource::spotify);
    EXPECT_FALSE(service->isPlaying.get());
}

TEST_F(NowPlayingTest, ExcludedSourceIsIgnored) {
    settings().mediaSource = MediaSourcePreference::spotify;
    notify(PlayerSource::music, musicInfo("Playing"));
    EXPECT_FALSE(service->track.get());
    notify(PlayerSource::spotify, spotifyInfo("Playing"));
    EXPECT_TRUE(service->track.get());
}

TEST_F(NowPlayingTest, ReloadDropsATrackTheSettingNowExcludes) {
    notify(PlayerSource::music, musicInfo("Playing"));
    settings().mediaSource = MediaSourcePreference::spotify;
    service->reload();
    EXPECT_FALSE(service->track.get());
}

TEST_F(NowPlayingTest, PositionFromNotificationOrAskedFromThePlayer) {
    fake.workspace.running = {musicID};
    auto info = musicInfo("Playing");
    info["Playback Position"] = 12.5;
    notify(PlayerSource::music, info);
    EXPECT_DOUBLE_EQ(service->position(now()), 12.5);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::position(PlayerSource::music)), 0);

    fake.scriptHost.replies[PlayerScripts::position(PlayerSource::music)] = platform::ScriptValue::number(40);
    notify(PlayerSource::music, musicInfo("Playing"));
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::position(PlayerSource::music)), 1);
    EXPECT_DOUBLE_EQ(service->position(now()), 40.0);
    // A view's clock entry from just before the new position never reads earlier than it.
    EXPECT_DOUBLE_EQ(service->position(now().addingTimeInterval(-0.6)), 40.0);
    EXPECT_DOUBLE_EQ(service->position(now().addingTimeInterval(2)), 42.0);
}

TEST_F(NowPlayingTest, SameTrackTwiceNeitherReloadsArtworkNorResyncs) {
    fake.workspace.running = {musicID};
    const auto shuffle = PlayerScripts::shuffle(PlayerSource::music);
    const auto artwork = PlayerScripts::musicArtworkRawData();
    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::music, musicInfo("Paused"));
    notify(PlayerSource::music, musicInfo("Playing"));
    fake.time.advance(lookupSettleTime);
    EXPECT_EQ(fake.scriptHost.count(shuffle), 1);
    EXPECT_EQ(fake.scriptHost.count(artwork), 1);

    // Another album under the same id is another track (some players keep one id for every
    // file): shuffle and repeat are read again, and so is the artwork.
    auto info = musicInfo("Playing");
    info["Album"] = std::string("Próxima estación: Esperanza");
    notify(PlayerSource::music, info);
    fake.time.advance(lookupSettleTime);
    EXPECT_EQ(fake.scriptHost.count(shuffle), 2);
    EXPECT_EQ(fake.scriptHost.count(artwork), 2);
}

// --- the position anchor ------------------------------------------------------------------

TEST_F(NowPlayingTest, PauseFreezesThePositionAndResumeStartsFromIt) {
    // Anchors are wall-clock dates, precise to well under a microsecond.
    constexpr double precision = 1e-6;
    auto info = musicInfo("Playing");
    info["Playback Position"] = 50.0;
    notify(PlayerSource::music, info);
    fake.time.advance(11.3);
    EXPECT_NEAR(service->position(now()), 61.3, precision);

    notify(PlayerSource::music, musicInfo("Paused"));
    fake.time.advance(600);
    EXPECT_NEAR(service->position(now()), 61.3, precision);

    notify(PlayerSource::music, musicInfo("Playing"));
    EXPECT_NEAR(service->position(now()), 61.3, precision);
    fake.time.advance(2);
    EXPECT_NEAR(service->position(now()), 63.3, precision);
}

TEST_F(NowPlayingTest, PositionIsClampedToTheTrack) {
    auto info = musicInfo("Playing");  // 148 s
    info["Playback Position"] = 140.0;
    notify(PlayerSource::music, info);
    fake.time.advance(30);
    EXPECT_DOUBLE_EQ(service->position(now()), 148.0);

    info["Playback Position"] = -3.0;
    notify(PlayerSource::music, info);
    EXPECT_DOUBLE_EQ(service->position(now()), 0.0);

    notify(PlayerSource::music, {{"Player State", std::string("Stopped")}});
    EXPECT_DOUBLE_EQ(service->position(now()), 0.0);
}

TEST_F(NowPlayingTest, AnchorWritesAnnounceTheChange) {
    int announcements = 0;
    auto subscription = service->objectWillChange.connect([&] { ++announcements; });
    auto info = musicInfo("Playing");
    info["Playback Position"] = 10.0;
    notify(PlayerSource::music, info);
    const int afterFirst = announcements;
    notify(PlayerSource::music, info);  // same track: only the anchor moves
    EXPECT_EQ(announcements, afterFirst + 1);
}

// --- live visibility ----------------------------------------------------------------------

TEST_F(NowPlayingTest, PauseHidesAtOnceByDefault) {
    notify(PlayerSource::music, musicInfo("Playing"));
    EXPECT_TRUE(service->liveVisible.get());
    notify(PlayerSource::music, musicInfo("Paused"));
    EXPECT_FALSE(service->liveVisible.get());
}

TEST_F(NowPlayingTest, PauseHidesAfterTheDelayUnlessResumed) {
    settings().hideAfterPause = 5;
    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::music, musicInfo("Paused"));
    fake.time.advance(4.9);
    EXPECT_TRUE(service->liveVisible.get());
    fake.time.advance(0.2);
    EXPECT_FALSE(service->liveVisible.get());

    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::music, musicInfo("Paused"));
    fake.time.advance(3);
    notify(PlayerSource::music, musicInfo("Playing"));
    fake.time.advance(10);
    EXPECT_TRUE(service->liveVisible.get());
}

TEST_F(NowPlayingTest, PauseDelayCountsWhileTheMachineSleeps) {
    settings().hideAfterPause = 30;
    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::music, musicInfo("Paused"));
    fake.time.advance(2);
    fake.time.suspend(27);
    EXPECT_TRUE(service->liveVisible.get());
    fake.time.suspend(2);
    EXPECT_FALSE(service->liveVisible.get());
}

TEST_F(NowPlayingTest, LongDelayNeverHidesAndCollapseOffKeepsTheActivity) {
    settings().hideAfterPause = 601;
    notify(PlayerSource::music, musicInfo("Playing"));
    notify(PlayerSource::music, musicInfo("Paused"));
    fake.time.advance(3600);
    EXPECT_TRUE(service->liveVisible.get());
    EXPECT_EQ(fake.time.queue.nextDueIn(), -1);  // nothing left waiting

    settings().hideAfterPause = 0;
    settings().collapseOnPause = false;
    service->updateLiveVisibility();
    EXPECT_TRUE(service->liveVisible.get());
}

TEST_F(NowPlayingTest, PausedTrackArrivingWhileStoppedKeepsVisibility) {
    settings().collapseOnPause = false;
    notify(PlayerSource::music, musicInfo("Paused"));
    EXPECT_TRUE(service->track.get());
    EXPECT_FALSE(service->liveVisible.get());
}

// --- the end of a player ------------------------------------------------------------------

TEST_F(NowPlayingTest, QuittingTheCurrentPlayerClearsTheTrack) {
    notify(PlayerSource::music, musicInfo("Playing"));
    fake.workspace.terminate(std::string(spotifyID));
    EXPECT_TRUE(service->track.get());
    fake.workspace.terminate(std::nullopt);
    EXPECT_TRUE(service->track.get());
    fake.workspace.terminate(std::string(musicID));
    EXPECT_FALSE(service->track.get());
    EXPECT_FALSE(service->artwork.get());
}

TEST_F(NowPlayingTest, NotificationsAfterTheServiceIsGoneDoNothing) {
    service.reset();
    EXPECT_EQ(fake.playerNotifications.observerCount(NowPlayingService::musicNotification), 0u);
    notify(PlayerSource::music, musicInfo("Playing"));
    fake.workspace.terminate(std::string(musicID));
}

}  // namespace
}  // namespace quorlix::testing
