#pragma once
// The players' notifications from MPRIS: every change of a followed player's playback
// state or track, and every jump of its position, becomes the notification that player
// would post, with the keys it would use:
//
//   Music   ("com.apple.Music.playerInfo"):               "Player State", "Name", "Artist",
//           "Album", "Total Time" (ms), "PersistentID"
//   Spotify ("com.spotify.client.PlaybackStateChanged"):  "Player State", "Name", "Artist",
//           "Album", "Duration" (ms), "Track ID"
//
// and, for both, "Artwork URL" (the track's mpris:artUrl) when the player gives one, and
// "Playback Position" (seconds) after a jump.

#include "platform/linux/mpris_bus.h"
#include "platform/player_notifications.h"

#include <map>
#include <memory>

namespace quorlix::platform {

class MprisPlayerNotifications final : public PlayerNotifications {
public:
    explicit MprisPlayerNotifications(MprisBus& bus);
    Subscription observe(const std::string& name,
                         std::function<void(const NotificationInfo&)> handler) override;

    // The notification name and dictionary a player's state stands for.
    static std::string notificationName(const std::string& identifier);
    static NotificationInfo info(const std::string& identifier, const MprisBus::PlayerState& state,
                                 std::optional<double> seekedTo);

private:
    std::map<std::string, std::unique_ptr<Signal<NotificationInfo>>> signals_;
    Subscription busSubscription_;
};

}  // namespace quorlix::platform
