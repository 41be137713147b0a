#pragma once
// What plays in the two followed media players, Music and Spotify, as one observable model:
// the current track, whether it plays, its artwork and accent colour, the player's shuffle,
// repeat and favourite flags, a position that advances by itself between updates, and
// whether the now-playing activity beside the closed island may show.
//
// Events arrive as the players' own notifications; everything else (a snapshot at start,
// the exact position, commands, artwork) goes through scripts that run one at a time on
// `AppleScriptQueue::shared()` and answer on the main thread. A reply that arrives after
// the service is gone is dropped.
//
//     NowPlayingService nowPlaying;          // backends of the installed platform
//     nowPlaying.start();                    // observe the players, take a first snapshot
//     nowPlaying.position(clock.date());     // where playback is now
//
// Main thread only.

#include "foundation/rgba.h"
#include "platform/clock.h"
#include "platform/image.h"
#include "platform/platform.h"
#include "platform/published.h"
#include "platform/work_item.h"
#include "services/apple_script_queue.h"
#include "services/artwork.h"
#include "services/lifetime.h"
#include "services/track.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorlix {

class NowPlayingService final : public ObservableObject {
public:
    // Names of the players' notifications.
    static constexpr const char* musicNotification = "com.apple.Music.playerInfo";
    static constexpr const char* spotifyNotification = "com.spotify.client.PlaybackStateChanged";
    // The accent colour while nothing better is known.
    static constexpr RGBA white{1, 1, 1, 1};

    // Uses the backends of the installed platform and the shared script queue.
    NowPlayingService();
    NowPlayingService(const platform::Platform& platform, platform::SerialQueue& scripts);
    ~NowPlayingService() override;

    Published<std::optional<Track>> track{this, std::nullopt};
    Published<bool> isPlaying{this, false};
    Published<std::optional<platform::Image>> artwork{this, std::nullopt};
    // White while nothing better is known.
    Published<RGBA> accentColor{this, white};
    Published<bool> shuffling{this, false};
    Published<bool> repeating{this, false};
    Published<bool> favorited{this, false};
    // The now-playing activity may show beside the closed island.
    Published<bool> liveVisible{this, false};

    // Observes the players' notifications and the end of applications, then takes a first
    // snapshot of Spotify and of Music (Music last, so it wins when both play). Once.
    void start();
    // Drops a track whose player the media-source setting now excludes, then takes new
    // snapshots.
    void reload();
    // Recomputes `liveVisible` from the play state and the pause settings.
    void updateLiveVisibility();
    // The playback position at `date`, seconds: frozen while paused, never below 0 and never
    // past a known duration.
    double position(Date date) const;

    // Player commands. Each goes to the current track's player and does nothing without a
    // track or while that player is not running, so no script ever launches a player.
    // Re-reads the position of `source`'s player.
    void fetchPosition(PlayerSource source);
    // Sends "playpause", "next track" or "previous track".
    void send(const std::string& command);
    // Flips the play state at once, before the player confirms, and sends "playpause".
    void togglePlayPause();
    void seek(double seconds);
    // Reads shuffle, repeat and favourite from the player. An answer never undoes a toggle
    // made after the read was asked.
    void syncShuffle();
    void toggleShuffle();
    void toggleRepeat();
    void toggleFavorite();
    // The current track comes from Music (the only player with favourites) and the script
    // host can mark favourites.
    bool canFavorite() const;
    // Launches the current track's player or brings it forward.
    void openPlayer();

    // The accent colour when tinting with the artwork is on, else white.
    RGBA displayColor() const;

    // How long one script may take, seconds.
    double scriptTimeLimit = AppleScriptQueue::timeLimit;

private:
    using ScriptCompletion = std::function<void(std::optional<platform::ScriptValue>)>;

    void handle(const platform::NotificationInfo& info, PlayerSource source);
    // `artworkAddress`: where the player says the track's picture is, when it says.
    void apply(const Track& newTrack, bool playing, const std::optional<std::string>& artworkAddress = {});
    void setPlaying(bool playing);
    void clear();
    // Moves the position anchor to `seconds` now and tells observers.
    void setAnchor(double seconds);

    // The script bridge.
    void run(std::string source, ScriptCompletion completion);
    bool isRunning(PlayerSource source) const;
    void refresh(PlayerSource source);
    void applySnapshot(const std::string& reply, PlayerSource source);
    // Sets `flag` from a read's answer, unless the flag was toggled (`toggles` counts the
    // toggles) after the read was asked.
    ScriptCompletion readBack(Published<bool>& flag, const unsigned& toggles);

    // Artwork. Each lookup is a request numbered by `artworkRequest_`; only the latest may
    // show its result.
    void fetchArtwork(const Track& forTrack);
    // Drops the lookup under way, whatever stage it is at.
    void forgetArtworkLookup();
    void fetchMusicArtwork(std::uint64_t request, bool raw);
    // Downloads the picture at an https address for the request, if still current.
    void downloadArtwork(std::uint64_t request, const std::string& address);
    // Decodes the picture for the request off the main thread, at the size it is drawn on
    // the screens there are now; `otherwise` follows, if the request is still current, when
    // the bytes are no picture.
    void decodeArtwork(std::uint64_t request, std::string bytes, std::function<void()> otherwise = {});
    void setArtwork(Artwork::Picture picture);
    bool isCurrent(std::uint64_t request) const;

    platform::ScriptHost* scriptHost_;
    platform::PlayerNotifications* notifications_;
    platform::Workspace* workspace_;
    platform::ImageDecoder* imageDecoder_;
    platform::Screens* screens_;
    platform::HttpClient* http_;
    platform::SerialQueue& scripts_;

    // Reads of the player that wait for its answer, and whether another was asked meanwhile.
    struct Pending {
        bool waiting = false;
        bool again = false;
    };
    Pending shuffleSync_;
    Pending positionRead_[2];  // Music, Spotify

    platform::WorkItem hideLiveTask;
    double anchorPosition = 0;
    Date anchorDate;
    // The identity (`Track::identity`) of the track whose artwork was last asked for, and the
    // picture address the player gave with it (none: not said).
    std::optional<std::string> artworkTrackID;
    unsigned shuffleToggles_ = 0;
    unsigned repeatToggles_ = 0;
    unsigned favoriteToggles_ = 0;
    std::optional<std::string> artworkAddress_;
    std::uint64_t artworkRequest_ = 0;
    // The lookup waiting for its track to settle, its download and its decode.
    platform::WorkItem artworkWork_;
    platform::HttpTask artworkDownload_;
    platform::WorkItem artworkDecode_;

    Subscription musicObserver_;
    Subscription spotifyObserver_;
    Subscription terminationObserver_;
    Lifetime lifetime_;
};

}  // namespace quorlix
