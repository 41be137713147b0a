#include "services/now_playing_service.h"

#include "foundation/app_settings.h"
#include "platform/main_queue.h"
#include "platform/number_text.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

namespace {

Date now() { return platform::Clock::shared().date(); }

const platform::NotificationValue* find(const platform::NotificationInfo& info, const char* key) {
    const auto it = info.find(key);
    return it == info.end() ? nullptr : &it->second;
}

std::optional<std::string> text(const platform::NotificationInfo& info, const char* key) {
    const auto* value = find(info, key);
    if (!value) return std::nullopt;
    if (const auto* s = std::get_if<std::string>(value)) return *s;
    return std::nullopt;
}

// A numeric value (integer or floating point) that is finite; text is not converted.
std::optional<double> number(const platform::NotificationValue* value) {
    if (!value) return std::nullopt;
    if (const auto* i = std::get_if<std::int64_t>(value)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(value)) {
        if (std::isfinite(*d)) return *d;
    }
    return std::nullopt;
}

// Any value as text, the way string interpolation renders it.
std::string describe(const platform::NotificationValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) return platform::formatNumber(*d);
    return std::get<bool>(value) ? "true" : "false";
}

}  // namespace

NowPlayingService::NowPlayingService()
    : NowPlayingService(platform::installed(), AppleScriptQueue::shared()) {}

NowPlayingService::NowPlayingService(const platform::Platform& platform, platform::SerialQueue& scripts)
    : scriptHost_(platform.scriptHost),
      notifications_(platform.playerNotifications),
      workspace_(platform.workspace),
      imageDecoder_(platform.imageDecoder),
      screens_(platform.screens),
      http_(platform.httpClient),
      scripts_(scripts),
      anchorDate(now()) {}

NowPlayingService::~NowPlayingService() = default;

void NowPlayingService::start() {
    if (notifications_) {
        musicObserver_ = notifications_->observe(
            musicNotification,
            [this](const platform::NotificationInfo& info) { handle(info, PlayerSource::music); });
        spotifyObserver_ = notifications_->observe(
            spotifyNotification,
            [this](const platform::NotificationInfo& info) { handle(info, PlayerSource::spotify); });
    }
    if (workspace_) {
        terminationObserver_ =
            workspace_->onApplicationTerminated([this](const std::optional<std::string>& quit) {
                std::optional<std::string> current;
                if (track.get()) current = std::string(rawValue(track.get()->source));
                if (quit == current) clear();
            });
    }
    refresh(PlayerSource::spotify);
    refresh(PlayerSource::music);
}

void NowPlayingService::reload() {
    if (track.get() && !allows(AppSettings::shared().mediaSource.get(), track.get()->source)) clear();
    refresh(PlayerSource::spotify);
    refresh(PlayerSource::music);
}

void NowPlayingService::handle(const platform::NotificationInfo& info, PlayerSource source) {
    if (!allows(AppSettings::shared().mediaSource.get(), source)) return;
    const std::string state = text(info, "Player State").value_or("");
    const auto& current = track.get();

    if (state == "Stopped") {
        // Another player's stop leaves this player's track alone.
        if (current && current->source != source) return;
        clear();
        return;
    }
    const bool playing = state == "Playing";
    // A pause of one player does not disturb the other player's playing track.
    if (!playing && isPlaying.get() && current && current->source != source) return;

    const auto name = text(info, "Name");
    if (!name || name->empty()) return;

    double duration = number(find(info, "Total Time")).value_or(number(find(info, "Duration")).value_or(0));
    duration /= 1000;  // the players report milliseconds

    std::optional<std::string> playerID;
    if (source == PlayerSource::music) {
        if (const auto* value = find(info, "PersistentID")) playerID = describe(*value);
    } else {
        playerID = text(info, "Track ID");
    }

    Track next;
    next.id = std::string(rawValue(source)) + ":" + playerID.value_or(*name);
    next.title = *name;
    next.artist = text(info, "Artist").value_or("");
    next.album = text(info, "Album").value_or("");
    next.duration = duration;
    next.source = source;
    apply(next, playing, text(info, "Artwork URL"));

    if (const auto position = number(find(info, "Playback Position"))) {
        setAnchor(*position);
    } else {
        fetchPosition(source);
    }
}

void NowPlayingService::apply(const Track& newTrack, bool playing,
                              const std::optional<std::string>& artworkAddress) {
    if (track.get() != newTrack) {
        track = newTrack;
        platform::MainQueue::shared().post(lifetime_.guard([this] { syncShuffle(); }));
    }
    setPlaying(playing);
    // A player that keeps one id for every file is known to move on by what it shows: the
    // title, artist, album, or the picture's address. A length arriving is the same song.
    const std::string identity = newTrack.identity();
    const bool newPicture = artworkAddress && artworkAddress_ && *artworkAddress != *artworkAddress_;
    // Players that find their covers after announcing the track (fetching them, a browser
    // loading its page) tell the address once the lookup has run and found none: an address
    // first told then is a picture to look up. Before the lookup runs, it reads the address
    // itself.
    const bool lateAddress =
        artworkAddress && !artworkAddress_ && !artwork.get() && !artworkWork_.isPending();
    if (artworkTrackID != identity || newPicture) {
        artworkTrackID = identity;
        artworkAddress_ = artworkAddress;
        artwork = std::nullopt;
        accentColor = white;
        fetchArtwork(newTrack);
    } else if (lateAddress) {
        artworkAddress_ = artworkAddress;
        fetchArtwork(newTrack);
    } else if (artworkAddress) {
        artworkAddress_ = artworkAddress;
    }
}

void NowPlayingService::setPlaying(bool playing) {
    if (playing == isPlaying.get()) return;
    // Taken with the old play state, so a pause freezes the position where it was.
    const Date at = now();
    anchorPosition = position(at);
    anchorDate = at;
    isPlaying = playing;
    updateLiveVisibility();
}

void NowPlayingService::clear() {
    track = std::nullopt;
    isPlaying = false;
    liveVisible = false;
    artwork = std::nullopt;
    artworkTrackID = std::nullopt;
    artworkAddress_ = std::nullopt;
    forgetArtworkLookup();
    accentColor = white;
}

void NowPlayingService::setAnchor(double seconds) {
    anchorPosition = seconds;
    anchorDate = now();
    objectWillChange.emit();
}

double NowPlayingService::position(Date date) const {
    if (!track.get()) return 0;
    double p = anchorPosition;
    // A date before the anchor (a view's clock entry made just before a seek) shows the
    // anchor itself, never a time before the position the player last reported.
    if (isPlaying.get()) p += std::max(date.timeIntervalSince(anchorDate), 0.0);
    if (!(p > 0)) p = 0;
    const double duration = track.get()->duration;
    if (duration > 0 && duration < p) p = duration;
    return p;
}

void NowPlayingService::updateLiveVisibility() {
    hideLiveTask.cancel();
    if (!track.get()) {
        liveVisible = false;
        return;
    }
    auto& settings = AppSettings::shared();
    if (isPlaying.get() || !settings.collapseOnPause.get()) {
        liveVisible = true;
        return;
    }
    const double h = settings.hideAfterPause.get();
    if (h > 600) {
        liveVisible = true;  // never hidden
    } else if (!(h > 0)) {
        liveVisible = false;
    } else {
        liveVisible = true;
        // The delay keeps counting while the machine sleeps.
        hideLiveTask = platform::MainQueue::shared().afterUptime(h, [this] {
            if (!isPlaying.get()) liveVisible = false;
        });
    }
}

RGBA NowPlayingService::displayColor() const {
    return AppSettings::shared().tintWithArtwork.get() ? accentColor.get() : white;
}

}  // namespace quorlix
