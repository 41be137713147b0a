#pragma once
// What plays in the followed media players. (Only the published track so far; the service
// itself is still to come.)

#include "platform/published.h"
#include "services/track.h"

#include <optional>

namespace quorlix {

class NowPlayingService final : public ObservableObject {
public:
    Published<std::optional<Track>> track{this, std::nullopt};
    Published<bool> isPlaying{this, false};
};

}  // namespace quorlix
