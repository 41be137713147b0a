#pragma once
// Notifications that media players broadcast to every application when their state changes
// (the player state, the track's name, artist, album, duration, id, position). Each carries
// a dictionary of loosely typed values; readers check every type themselves.
//
// The Linux backend turns MPRIS property changes on the session bus into these dictionaries.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

namespace quorlix::platform {

using NotificationValue = std::variant<std::string, std::int64_t, double, bool>;
using NotificationInfo = std::map<std::string, NotificationValue>;

class PlayerNotifications {
public:
    virtual ~PlayerNotifications() = default;
    // Calls `handler` on the main thread with the dictionary of every notification named
    // `name` (an empty one when it has none), until the subscription ends.
    [[nodiscard]] virtual Subscription observe(const std::string& name,
                                               std::function<void(const NotificationInfo&)> handler) = 0;
};

}  // namespace quorlix::platform
