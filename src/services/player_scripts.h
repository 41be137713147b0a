#pragma once
// The texts of every script sent to the two players and the reading of the snapshot reply.
// A player's own texts name it by its application name ("Music", "Spotify"); where the two
// players' vocabularies differ, each gets its own wording.

#include "services/player_source.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

// One player's state as the snapshot script reports it.
struct PlayerSnapshot {
    bool playing = false;
    std::string name;
    std::string artist;
    std::string album;
    double duration = 0;  // seconds
    double position = 0;  // seconds
    std::string trackID;
};

struct PlayerScripts {
    // State, track and position in one text of seven fields separated by "|~|"; empty text
    // when the player is stopped.
    static std::string snapshot(PlayerSource source);
    static std::string position(PlayerSource source);
    // "tell application \"Music\" to " followed by `command` ("playpause", "next track").
    static std::string command(PlayerSource source, std::string_view command);
    // Moves the position to `seconds`, written with two decimals.
    static std::string setPosition(PlayerSource source, double seconds);
    static std::string shuffle(PlayerSource source);
    static std::string repeating(PlayerSource source);
    static std::string setShuffle(PlayerSource source, bool on);
    static std::string setRepeating(PlayerSource source, bool on);
    // Music only: reads the current track's favourite flag (`set` none) or writes it,
    // trying the property "favorited" first and "loved" when that fails.
    static std::string musicFavorite(std::optional<bool> set);
    // Music only: the artwork bytes, raw first and plain as the fallback.
    static std::string musicArtworkRawData();
    static std::string musicArtworkData();
    // Spotify only: the address of the artwork.
    static std::string spotifyArtworkURL();

    // Reads a snapshot reply: exactly seven fields and a name, or nothing. Spotify's
    // duration comes in milliseconds and is turned into seconds.
    static std::optional<PlayerSnapshot> parseSnapshot(std::string_view reply, PlayerSource source);
    // A number field of the snapshot: a decimal comma reads as a point, spaces and tabs
    // around it are ignored, and anything that is not a finite number reads as 0.
    static double snapshotNumber(std::string_view field);
};

}  // namespace quorlix
