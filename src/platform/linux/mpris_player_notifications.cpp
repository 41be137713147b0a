#include "platform/linux/mpris_player_notifications.h"

namespace quorlix::platform {

MprisPlayerNotifications::MprisPlayerNotifications(MprisBus& bus) {
    busSubscription_ =
        bus.onPlayerChanged([this](const std::string& identifier, const MprisBus::PlayerState& state,
                                   std::optional<double> seekedTo) {
            const auto it = signals_.find(notificationName(identifier));
            if (it != signals_.end()) it->second->emit(info(identifier, state, seekedTo));
        });
}

Subscription MprisPlayerNotifications::observe(const std::string& name,
                                               std::function<void(const NotificationInfo&)> handler) {
    auto& signal = signals_[name];
    if (!signal) signal = std::make_unique<Signal<NotificationInfo>>();
    return signal->connect(std::move(handler));
}

std::string MprisPlayerNotifications::notificationName(const std::string& identifier) {
    if (identifier == mpris::spotifyIdentifier) return "com.spotify.client.PlaybackStateChanged";
    return "com.apple.Music.playerInfo";
}

NotificationInfo MprisPlayerNotifications::info(const std::string& identifier,
                                                const MprisBus::PlayerState& state,
                                                std::optional<double> seekedTo) {
    const bool spotify = identifier == mpris::spotifyIdentifier;
    const auto track = mpris::Track::from(state.metadata);
    NotificationInfo info;
    if (!state.playbackStatus.isEmpty()) info["Player State"] = state.playbackStatus.toStdString();
    if (!track.title.isEmpty()) info["Name"] = track.title.toStdString();
    if (!track.artists.isEmpty()) info["Artist"] = track.artist().toStdString();
    if (!track.album.isEmpty()) info["Album"] = track.album.toStdString();
    if (track.lengthMicroseconds) {
        info[spotify ? "Duration" : "Total Time"] =
            static_cast<std::int64_t>(*track.lengthMicroseconds / 1000);
    }
    if (!track.trackID.isEmpty() && track.trackID != mpris::noTrack) {
        info[spotify ? "Track ID" : "PersistentID"] = track.trackID.toStdString();
    }
    // Some players keep one track id for every file; a new picture tells the files apart too.
    if (!track.artURL.isEmpty()) info["Artwork URL"] = track.artURL.toStdString();
    if (seekedTo) info["Playback Position"] = *seekedTo;
    return info;
}

}  // namespace quorlix::platform
