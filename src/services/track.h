#pragma once
// The track that is playing.

#include "services/player_source.h"

#include <string>

namespace quorlix {

// Seconds a track must stay current before its lyrics and artwork are looked up, so that a
// player running through tracks (a playlist skipped through, a player gone wild) costs no
// lookups for the tracks it passes.
inline constexpr double lookupSettleTime = 0.35;

struct Track {
    // The player's identifier, a colon, then the player's own id of the track.
    std::string id;
    std::string title;
    std::string artist;
    std::string album;
    double duration = 0;
    PlayerSource source = PlayerSource::music;

    // What tells this track from another: the id together with what the player shows of it.
    // Some players give every file the same id, so a new title, artist or album under the same
    // id is another track. The length is left out: players that load lazily announce a track
    // before they know its length and again once they do, and that is still one song.
    std::string identity() const;

    friend bool operator==(const Track&, const Track&) = default;
};

}  // namespace quorlix
