#pragma once
// Answers the players' scripts from MPRIS. The two followed players are addressed by their
// scripting names ("Music", "Spotify"); each script text the now-playing service sends is
// recognised exactly and turned into MPRIS calls on the player's bus name:
//
//   snapshot          PlaybackStatus, Metadata, Position  -> "playing|~|name|~|...|~|id"
//   player position   Position                             -> seconds
//   playpause, next track, previous track                  -> PlayPause, Next, Previous
//   set player position to N                               -> SetPosition (or Seek)
//   shuffle, repeat (read and set)                         -> Shuffle, LoopStatus
//   artwork                                                -> mpris:artUrl (Spotify: the
//                                                             address; Music: the bytes of a
//                                                             local file or a data: URL, or
//                                                             the address of a remote picture)
//
// Favourites do not exist in MPRIS, and any other text is unknown: both yield nothing, as a
// failed script does. A player that is not on the bus is never started. Every call waits at
// most for what is left of the script's time limit, and `calls` (when given) cuts the wait
// short at quit.

#include "platform/linux/mpris_bus.h"
#include "platform/linux/peer_calls.h"
#include "platform/script_host.h"

namespace quorlix::platform {

class MprisScriptHost final : public ScriptHost {
public:
    explicit MprisScriptHost(MprisBus& bus, PeerCalls* calls = nullptr) : bus_(bus), calls_(calls) {}
    std::optional<ScriptValue> execute(const std::string& source, double timeLimit) override;
    bool supportsFavorites() const override { return false; }

    // Artwork larger than this (a local file, a data: URL's bytes) is not read.
    static constexpr qint64 maxArtworkFileSize = mpris::maxArtworkSize;

private:
    MprisBus& bus_;
    PeerCalls* calls_;
};

}  // namespace quorlix::platform
