#include "services/player_scripts.h"

#include "platform/number_text.h"

#include <vector>

namespace quorlix {

namespace {

constexpr std::string_view separator = "|~|";

std::string tell(PlayerSource source) {
    return "tell application \"" + std::string(applicationName(source)) + "\"";
}
std::string tellTo(PlayerSource source) { return tell(source) + " to "; }
const char* truth(bool on) { return on ? "true" : "false"; }

std::vector<std::string_view> split(std::string_view text, std::string_view by) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(by);
        if (at == std::string_view::npos) break;
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + by.size());
    }
    parts.push_back(text);
    return parts;
}

}  // namespace

std::string PlayerScripts::snapshot(PlayerSource source) {
    const char* trackID = source == PlayerSource::music ? "persistent ID of t" : "id of t";
    return tell(source) +
           "\n    if player state is stopped then return \"\"\n    set t to current track\n    return "
           "(player state "
           "as text) & \"|~|\" & (name of t) & \"|~|\" & (artist of t) & \"|~|\" & (album of t) & \"|~|\" & "
           "((duration of t) as text) & \"|~|\" & ((player position) as text) & \"|~|\" & (" +
           trackID + ")\nend tell";
}

std::string PlayerScripts::position(PlayerSource source) { return tellTo(source) + "get player position"; }

std::string PlayerScripts::command(PlayerSource source, std::string_view command) {
    return tellTo(source) + std::string(command);
}

std::string PlayerScripts::setPosition(PlayerSource source, double seconds) {
    return tellTo(source) + "set player position to " + platform::formatNumber(seconds, 2);
}

std::string PlayerScripts::shuffle(PlayerSource source) {
    return tellTo(source) + (source == PlayerSource::music ? "get shuffle enabled" : "get shuffling");
}

std::string PlayerScripts::repeating(PlayerSource source) {
    return tellTo(source) +
           (source == PlayerSource::music ? "return (song repeat is not off)" : "get repeating");
}

std::string PlayerScripts::setShuffle(PlayerSource source, bool on) {
    return tellTo(source) +
           (source == PlayerSource::music ? "set shuffle enabled to " : "set shuffling to ") + truth(on);
}

std::string PlayerScripts::setRepeating(PlayerSource source, bool on) {
    if (source == PlayerSource::music) return tellTo(source) + "set song repeat to " + (on ? "all" : "off");
    return tellTo(source) + "set repeating to " + truth(on);
}

std::string PlayerScripts::musicFavorite(std::optional<bool> set) {
    if (!set) {
        return "tell application \"Music\"\n    try\n        return favorited of current track\n    on "
               "error\n"
               "        return loved of current track\n    end try\nend tell";
    }
    const std::string value = truth(*set);
    return "tell application \"Music\"\n    try\n        set favorited of current track to " + value +
           "\n    on error\n        set loved of current track to " + value + "\n    end try\nend tell";
}

std::string PlayerScripts::musicArtworkRawData() {
    return tellTo(PlayerSource::music) + "get raw data of artwork 1 of current track";
}

std::string PlayerScripts::musicArtworkData() {
    return tellTo(PlayerSource::music) + "get data of artwork 1 of current track";
}

std::string PlayerScripts::spotifyArtworkURL() {
    return tellTo(PlayerSource::spotify) + "get artwork url of current track";
}

double PlayerScripts::snapshotNumber(std::string_view field) {
    std::string text(field);
    for (char& c : text)
        if (c == ',') c = '.';
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const auto last = text.find_last_not_of(" \t");
    return platform::parseNumber(std::string_view(text).substr(first, last - first + 1)).value_or(0);
}

std::optional<PlayerSnapshot> PlayerScripts::parseSnapshot(std::string_view reply, PlayerSource source) {
    const auto fields = split(reply, separator);
    if (fields.size() != 7 || fields[1].empty()) return std::nullopt;
    PlayerSnapshot s;
    s.playing = fields[0] == "playing";
    s.name = fields[1];
    s.artist = fields[2];
    s.album = fields[3];
    s.duration = snapshotNumber(fields[4]);
    if (source == PlayerSource::spotify) s.duration /= 1000;
    s.position = snapshotNumber(fields[5]);
    s.trackID = fields[6];
    return s;
}

}  // namespace quorlix
