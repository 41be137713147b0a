// The script bridge: every script text as the players expect it, the snapshot reply and
// the commands' local effects.

#include "media_test_support.h"
#include "services/player_scripts.h"

namespace quorlix::testing {
namespace {

using platform::ScriptValue;

// --- script texts, byte for byte ----------------------------------------------------------

TEST(PlayerScriptsTest, SnapshotTexts) {
    EXPECT_EQ(
        PlayerScripts::snapshot(PlayerSource::music),
        "tell application \"Music\"\n    if player state is stopped then return \"\"\n    set t to current "
        "track\n    return (player state as text) & \"|~|\" & (name of t) & \"|~|\" & (artist of t) & "
        "\"|~|\" & "
        "(album of t) & \"|~|\" & ((duration of t) as text) & \"|~|\" & ((player position) as text) & "
        "\"|~|\" & "
        "(persistent ID of t)\nend tell");
    EXPECT_EQ(
        PlayerScripts::snapshot(PlayerSource::spotify),
        "tell application \"Spotify\"\n    if player state is stopped then return \"\"\n    set t to current "
        "track\n    return (player state as text) & \"|~|\" & (name of t) & \"|~|\" & (artist of t) & "
        "\"|~|\" & "
        "(album of t) & \"|~|\" & ((duration of t) as text) & \"|~|\" & ((player position) as text) & "
        "\"|~|\" & "
        "(id of t)\nend tell");
}

TEST(PlayerScriptsTest, CommandTexts) {
    EXPECT_EQ(PlayerScripts::position(PlayerSource::music),
              "tell application \"Music\" to get player position");
    EXPECT_EQ(PlayerScripts::position(PlayerSource::spotify),
              "tell application \"Spotify\" to get player position");
    EXPECT_EQ(PlayerScripts::command(PlayerSource::spotify, "next track"),
              "tell application \"Spotify\" to next track");
    EXPECT_EQ(PlayerScripts::setPosition(PlayerSource::music, 61.236),
              "tell application \"Music\" to set player position to 61.24");
    EXPECT_EQ(PlayerScripts::shuffle(PlayerSource::music),
              "tell application \"Music\" to get shuffle enabled");
    EXPECT_EQ(PlayerScripts::shuffle(PlayerSource::spotify), "tell application \"Spotify\" to get shuffling");
    EXPECT_EQ(PlayerScripts::repeating(PlayerSource::music),
              "tell application \"Music\" to return (song repeat is not off)");
    EXPECT_EQ(PlayerScripts::repeating(PlayerSource::spotify),
              "tell application \"Spotify\" to get repeating");
    EXPECT_EQ(PlayerScripts::setShuffle(PlayerSource::music, true),
              "tell application \"Music\" to set shuffle enabled to true");
    EXPECT_EQ(PlayerScripts::setShuffle(PlayerSource::spotify, false),
              "tell application \"Spotify\" to set shuffling to false");
    EXPECT_EQ(PlayerScripts::setRepeating(PlayerSource::music, true),
              "tell application \"Music\" to set song repeat to all");
    EXPECT_EQ(PlayerScripts::setRepeating(PlayerSource::music, false),
              "tell application \"Music\" to set song repeat to off");
    EXPECT_EQ(PlayerScripts::setRepeating(PlayerSource::spotify, true),
              "tell application \"Spotify\" to set repeating to true");
}

TEST(PlayerScriptsTest, FavouriteAndArtworkTexts) {
    EXPECT_EQ(PlayerScripts::musicFavorite(std::nullopt),
              "tell application \"Music\"\n    try\n        return favorited of current track\n    on "
              "error\n        "
              "return loved of current track\n    end try\nend tell");
    EXPECT_EQ(PlayerScripts::musicFavorite(true),
              "tell application \"Music\"\n    try\n        set favorited of current track to true\n    on "
              "error\n      "
              "  set loved of current track to true\n    end try\nend tell");
    EXPECT_EQ(PlayerScripts::musicFavorite(false),
              "tell application \"Music\"\n    try\n        set favorited of current track to false\n    on "
              "error\n     "
              "   set loved of current track to false\n    end try\nend tell");
    EXPECT_EQ(PlayerScripts::musicArtworkRawData(),
              "tell application \"Music\" to get raw data of artwork 1 of current track");
    EXPECT_EQ(PlayerScripts::musicArtworkData(),
              "tell application \"Music\" to get data of artwork 1 of current track");
    EXPECT_EQ(PlayerScripts::spotifyArtworkURL(),
              "tell application \"Spotify\" to get artwork url of current track");
}

// --- the snapshot reply -------------------------------------------------------------------

TEST(PlayerScriptsTest, SnapshotNeedsSevenFieldsAndAName) {
    EXPECT_FALSE(PlayerScripts::parseSnapshot("", PlayerSource::music));
    EXPECT_FALSE(PlayerScripts::parseSnapshot("playing|~||~|a|~|b|~|1|~|2|~|id", PlayerSource::music));
    // A name holding the separator makes eight fields.
    EXPECT_FALSE(PlayerScripts::parseSnapshot("playing|~|A|~|B|~|c|~|d|~|1|~|2|~|id", PlayerSource::music));

    const auto s =
        PlayerScripts::parseSnapshot("paused|~|Tú|~|Artista|~||~|201.5|~|12|~|ABC", PlayerSource::music);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->playing);
    EXPECT_EQ(s->name, "Tú");
    EXPECT_EQ(s->album, "");
    EXPECT_DOUBLE_EQ(s->duration, 201.5);
    EXPECT_DOUBLE_EQ(s->position, 12);
    EXPECT_EQ(s->trackID, "ABC");

    const auto spotify = PlayerScripts::parseSnapshot("playing|~|A|~|B|~|C|~|201500|~|3,5|~|spotify:track:1",
                                                      PlayerSource::spotify);
    ASSERT_TRUE(spotify);
    EXPECT_DOUBLE_EQ(spotify->duration, 201.5);
    EXPECT_DOUBLE_EQ(spotify->position, 3.5);
}

TEST(PlayerScriptsTest, SnapshotNumbers) {
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("214,5"), 214.5);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber(" \t12.25 "), 12.25);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("-1.5e2"), -150);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("+7"), 7);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("12abc"), 0);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("1,234.5"), 0);  // two points after the comma rule
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber(""), 0);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("missing value"), 0);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("inf"), 0);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("nan"), 0);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("1e999"), 0);
    EXPECT_DOUBLE_EQ(PlayerScripts::snapshotNumber("++1"), 0);
}

// --- the bridge ---------------------------------------------------------------------------

class PlayerBridgeTest : public MediaTest {
protected:
    void SetUp() override { fake.workspace.running = {musicID, spotifyID}; }

    void reply(const std::string& script, std::optional<ScriptValue> value) {
        fake.scriptHost.replies[script] = std::move(value);
    }
    void snapshot(PlayerSource source, const std::string& text) {
        reply(PlayerScripts::snapshot(source), ScriptValue::text(text));
    }
    // A Music track playing at 10 s of 200 s.
    void playMusic() {
        snapshot(PlayerSource::music, "playing|~|Uno|~|Artista|~|Disco|~|200|~|10|~|M1");
        service->start();
        fake.time.runPending();
        fake.scriptHost.clearExecuted();
    }
    std::vector<std::string> executed() const { return fake.scriptHost.executed(); }
};

TEST_F(PlayerBridgeTest, StartTakesSpotifyThenMusicAndMusicWins) {
    snapshot(PlayerSource::spotify, "playing|~|S|~|A|~|B|~|100000|~|1|~|spotify:track:9");
    snapshot(PlayerSource::music, "playing|~|M|~|A|~|B|~|100|~|2|~|M9");
    service->start();
    const auto scripts = executed();
    ASSERT_GE(scripts.size(), 2u);
    EXPECT_EQ(scripts[0], PlayerScripts::snapshot(PlayerSource::spotify));
    EXPECT_EQ(scripts[1], PlayerScripts::snapshot(PlayerSource::music));
    fake.time.runPending();
    ASSERT_TRUE(service->track.get());
    EXPECT_EQ(service->track.get()->id, "com.apple.Music:M9");
    EXPECT_DOUBLE_EQ(service->position(now()), 2);
}

TEST_F(PlayerBridgeTest, SnapshotsOfPlayersNotRunningOrExcludedAreNotTaken) {
    fake.workspace.running = {spotifyID};
    settings().mediaSource = MediaSourcePreference::music;
    service->start();
    EXPECT_TRUE(executed().empty());
}

TEST_F(PlayerBridgeTest, StoppedPlayerChangesNothing) {
    snapshot(PlayerSource::music, "");
    service->start();
    fake.time.runPending();
    EXPECT_FALSE(service->track.get());
}

TEST_F(PlayerBridgeTest, PausedSnapshotOnlyWhenNothingShows) {
    snapshot(PlayerSource::music, "paused|~|Pausada|~|A|~|B|~|100|~|30|~|P1");
    service->start();
    fake.time.runPending();
    ASSERT_TRUE(service->track.get());
    EXPECT_FALSE(service->isPlaying.get());
    EXPECT_DOUBLE_EQ(service->position(now()), 30);

    // With a track showing, a paused snapshot of another track is dropped.
    snapshot(PlayerSource::music, "paused|~|Otra|~|A|~|B|~|100|~|5|~|P2");
    service->reload();
    fake.time.runPending();
    EXPECT_EQ(service->track.get()->id, "com.apple.Music:P1");
    EXPECT_DOUBLE_EQ(service->position(now()), 30);
}

TEST_F(PlayerBridgeTest, CommandsGoToTheCurrentPlayer) {
    playMusic();
    service->send("next track");
    service->send("previous track");
    EXPECT_EQ(executed(), (std::vector<std::string>{"tell application \"Music\" to next track",
                                                    "tell application \"Music\" to previous track"}));
}

TEST_F(PlayerBridgeTest, TogglePlayPauseFlipsAtOnceEvenWithoutThePlayer) {
    playMusic();
    service->togglePlayPause();
    EXPECT_FALSE(service->isPlaying.get());
    EXPECT_EQ(executed(), std::vector<std::string>{"tell application \"Music\" to playpause"});

    fake.workspace.running.clear();
    fake.scriptHost.clearExecuted();
    service->togglePlayPause();
    EXPECT_TRUE(service->isPlaying.get());
    EXPECT_TRUE(executed().empty());
}

TEST_F(PlayerBridgeTest, WithoutThePlayerRunningNothingChanges) {
    playMusic();
    fake.workspace.running.clear();
    service->send("next track");
    service->seek(50);
    service->toggleShuffle();
    service->toggleRepeat();
    service->toggleFavorite();
    service->syncShuffle();
    fake.time.runPending();
    EXPECT_TRUE(executed().empty());
    EXPECT_FALSE(service->shuffling.get());
    EXPECT_FALSE(service->repeating.get());
    EXPECT_FALSE(service->favorited.get());
    EXPECT_DOUBLE_EQ(service->position(now()), 10);
}

TEST_F(PlayerBridgeTest, SeekClampsAndWritesTwoDecimals) {
    playMusic();
    service->seek(-4);
    EXPECT_DOUBLE_EQ(service->position(now()), 0);
    service->seek(500);
    EXPECT_DOUBLE_EQ(service->position(now()), 200);
    service->seek(61.236);
    EXPECT_EQ(executed(),
              (std::vector<std::string>{"tell application \"Music\" to set player position to 0.00",
                                        "tell application \"Music\" to set player position to 200.00",
                                        "tell application \"Music\" to set player position to 61.24"}));
}

TEST_F(PlayerBridgeTest, SeekWithoutDurationIsUnboundedButMustBeFinite) {
    snapshot(PlayerSource::music, "playing|~|Radio|~|A|~|B|~|0|~|10|~|R");
    service->start();
    fake.time.runPending();
    fake.scriptHost.clearExecuted();
    service->seek(5000);
    EXPECT_DOUBLE_EQ(service->position(now()), 5000);
    service->seek(std::numeric_limits<double>::infinity());
    service->seek(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(executed(),
              std::vector<std::string>{"tell application \"Music\" to set player position to 5000.00"});
    EXPECT_DOUBLE_EQ(service->position(now()), 5000);
}

TEST_F(PlayerBridgeTest, SyncShuffleReadsTheThreeFlagsInOrder) {
    reply(PlayerScripts::shuffle(PlayerSource::music), ScriptValue::boolean(true));
    reply(PlayerScripts::repeating(PlayerSource::music), ScriptValue::boolean(true));
    reply(PlayerScripts::musicFavorite(std::nullopt), ScriptValue::boolean(true));
    playMusic();  // the new track schedules a sync
    EXPECT_TRUE(service->shuffling.get());
    EXPECT_TRUE(service->repeating.get());
    EXPECT_TRUE(service->favorited.get());

    fake.scriptHost.clearExecuted();
    service->syncShuffle();
    EXPECT_EQ(executed(), (std::vector<std::string>{PlayerScripts::shuffle(PlayerSource::music),
                                                    PlayerScripts::repeating(PlayerSource::music),
                                                    PlayerScripts::musicFavorite(std::nullopt)}));
}

TEST_F(PlayerBridgeTest, APlayerThatAnnouncesFasterThanItAnswersIsReadOnceMoreNotEachTime) {
    reply(PlayerScripts::position(PlayerSource::music), ScriptValue::number(7));
    playMusic();
    // Fifty new tracks, none with its position, before the player has answered a script.
    for (int i = 0; i < 50; ++i) {
        // Appended, not prefixed: GCC 12 at -O3 warns falsely of an overlapping copy in
        // `"P" + std::to_string(i)`.
        const std::string number = std::to_string(i);
        auto info = musicInfo("Playing", std::string("Pista ").append(number));
        info["PersistentID"] = std::string("P").append(number);
        fake.playerNotifications.post(NowPlayingService::musicNotification, info);
    }
    fake.time.runPending();
    const auto scripts = executed();
    const auto count = [&](const std::string& script) {
        return std::count(scripts.begin(), scripts.end(), script);
    };
    // The read under way, then one more for all that came meanwhile.
    EXPECT_EQ(count(PlayerScripts::position(PlayerSource::music)), 2);
    EXPECT_EQ(count(PlayerScripts::shuffle(PlayerSource::music)), 2);
    EXPECT_EQ(count(PlayerScripts::musicFavorite(std::nullopt)), 2);
    EXPECT_DOUBLE_EQ(service->position(now()), 7);
}

TEST_F(PlayerBridgeTest, FailedReadsKeepTheFlags) {
    playMusic();
    service->toggleShuffle();
    ASSERT_TRUE(service->shuffling.get());
    service->syncShuffle();  // no replies: every script fails
    fake.time.runPending();
    EXPECT_TRUE(service->shuffling.get());
}

TEST_F(PlayerBridgeTest, AReadAskedBeforeAToggleNeverUndoesIt) {
    // The player has all three off. Scripts run in turn: a read asked just before a toggle
    // answers the player's state from before it, once the toggle has flipped the flag.
    reply(PlayerScripts::shuffle(PlayerSource::music), ScriptValue::boolean(false));
    reply(PlayerScripts::repeating(PlayerSource::music), ScriptValue::boolean(false));
    reply(PlayerScripts::musicFavorite(std::nullopt), ScriptValue::boolean(false));
    playMusic();
    struct Case {
        const char* name;
        void (NowPlayingService::*toggle)();
        Published<bool> NowPlayingService::*flag;
    };
    const Case cases[] = {
        {"shuffle", &NowPlayingService::toggleShuffle, &NowPlayingService::shuffling},
        {"repeat", &NowPlayingService::toggleRepeat, &NowPlayingService::repeating},
        {"favourite", &NowPlayingService::toggleFavorite, &NowPlayingService::favorited},
    };
    for (const auto& c : cases) {
        service->syncShuffle();
        ((*service).*c.toggle)();
        fake.time.runPending();
        EXPECT_TRUE(((*service).*c.flag).get()) << c.name;
        // A read asked after the toggle is the player's word again.
        service->syncShuffle();
        fake.time.runPending();
        EXPECT_FALSE(((*service).*c.flag).get()) << c.name;
    }
}

TEST_F(PlayerBridgeTest, SpotifyHasNoFavourites) {
    snapshot(PlayerSource::spotify, "playing|~|S|~|A|~|B|~|100000|~|1|~|spotify:track:9");
    fake.workspace.running = {spotifyID};
    service->start();
    fake.time.runPending();
    EXPECT_FALSE(service->canFavorite());
    fake.scriptHost.clearExecuted();

    service->toggleFavorite();
    EXPECT_TRUE(executed().empty());

    // A favourite left over from a Music track is reset by the sync.
    service->favorited = true;
    service->syncShuffle();
    EXPECT_FALSE(service->favorited.get());
    EXPECT_EQ(executed(), (std::vector<std::string>{"tell application \"Spotify\" to get shuffling",
                                                    "tell application \"Spotify\" to get repeating"}));
}

TEST_F(PlayerBridgeTest, AHostWithoutFavouritesMarksNoMusicTrack) {
    fake.scriptHost.favorites = false;
    playMusic();
    EXPECT_FALSE(service->canFavorite());
    fake.scriptHost.clearExecuted();

    service->toggleFavorite();
    EXPECT_TRUE(executed().empty());
    EXPECT_FALSE(service->favorited.get());

    // As for Spotify, the sync reads no favourite and clears a stale one.
    service->favorited = true;
    service->syncShuffle();
    EXPECT_FALSE(service->favorited.get());
    EXPECT_EQ(executed(), (std::vector<std::string>{PlayerScripts::shuffle(PlayerSource::music),
                                                    PlayerScripts::repeating(PlayerSource::music)}));
}

TEST_F(PlayerBridgeTest, TogglesFlipThenTellThePlayer) {
    playMusic();
    service->toggleRepeat();
    service->toggleRepeat();
    service->toggleShuffle();
    service->toggleFavorite();
    EXPECT_FALSE(service->repeating.get());
    EXPECT_TRUE(service->shuffling.get());
    EXPECT_TRUE(service->favorited.get());
    EXPECT_EQ(executed(),
              (std::vector<std::string>{"tell application \"Music\" to set song repeat to all",
                                        "tell application \"Music\" to set song repeat to off",
                                        "tell application \"Music\" to set shuffle enabled to true",
                                        PlayerScripts::musicFavorite(true)}));
}

TEST_F(PlayerBridgeTest, PositionForAnotherPlayerIsIgnored) {
    playMusic();
    reply(PlayerScripts::position(PlayerSource::spotify), ScriptValue::number(99));
    reply(PlayerScripts::position(PlayerSource::music), ScriptValue::text("not a number"));
    service->fetchPosition(PlayerSource::spotify);
    service->fetchPosition(PlayerSource::music);
    fake.time.runPending();
    EXPECT_DOUBLE_EQ(service->position(now()), 10);

    reply(PlayerScripts::position(PlayerSource::music), ScriptValue::number(77.5));
    service->fetchPosition(PlayerSource::music);
    fake.time.runPending();
    EXPECT_DOUBLE_EQ(service->position(now()), 77.5);
}

TEST_F(PlayerBridgeTest, OpenPlayerUsesTheInstalledApplication) {
    playMusic();
    service->openPlayer();
    EXPECT_TRUE(fake.workspace.opened.empty());
    fake.workspace.locations[musicID] = "/usr/share/applications/music.desktop";
    fake.workspace.running.clear();  // opening launches a player that is not running
    service->openPlayer();
    EXPECT_EQ(fake.workspace.opened, std::vector<std::string>{"/usr/share/applications/music.desktop"});
}

TEST_F(PlayerBridgeTest, RepliesAfterTheServiceIsGoneAreDropped) {
    snapshot(PlayerSource::music, "playing|~|Uno|~|A|~|B|~|200|~|10|~|M1");
    service->start();
    service.reset();
    // The reply and its follow-ups would touch the destroyed service without the guard
    // (the sanitizers report it).
    fake.time.runPending();
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::snapshot(PlayerSource::music)), 1);
    EXPECT_EQ(fake.time.queue.nextDueIn(), -1);  // nothing live left waiting
}

}  // namespace
}  // namespace quorlix::testing
