#pragma once
// The two media players the system follows, and their raw values.

#include <optional>
#include <string_view>

namespace quorlix {

enum class PlayerSource { music, spotify };

// The raw value is the player's application identifier.
inline std::string_view rawValue(PlayerSource s) {
    return s == PlayerSource::music ? "com.apple.Music" : "com.spotify.client";
}
// The application name used in scripts sent to the player.
inline std::string_view applicationName(PlayerSource s) {
    return s == PlayerSource::music ? "Music" : "Spotify";
}

}  // namespace quorlix
