#pragma once
// The track that is playing.

#include "services/player_source.h"

#include <string>

namespace quorlix {

struct Track {
    // The player's identifier, a colon, then the player's own id of the track.
    std::string id;
    std::string title;
    std::string artist;
    std::string album;
    double duration = 0;
    PlayerSource source = PlayerSource::music;

    friend bool operator==(const Track&, const Track&) = default;
};

}  // namespace quorlix
