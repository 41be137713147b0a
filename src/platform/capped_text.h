#pragma once
// Text from outside that the island draws on a line or two (a player's title, artist and
// album, a lyric line, a calendar event's title and place, an output's name) is capped where
// it enters, so that laying it out, comparing it and keeping it cost what a screen can show,
// whatever a player or a web page hands over.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorlix::platform {

// No screen shows more of one such text. An 8K screen is 7680 points wide; at the smallest
// size text is drawn (10 points) the narrowest glyphs ("i", "l", a space) take about 2.5
// points, so a line across the whole screen holds about 3000 code points, and the island's
// boxes of a line or two hold far fewer.
inline constexpr std::size_t shownTextLimit = 4096;

// `text` as valid UTF-8 of at most `limit` code points: cut after a whole character (a letter
// with its marks, a joined emoji, a flag: platform/grapheme_clusters.h), never inside one
// unless the first character alone is longer than the limit (then its base and the marks that
// fit stay), and each byte that starts no well-formed sequence replaced by U+FFFD.
std::string cappedText(std::string_view text, std::size_t limit = shownTextLimit);

}  // namespace quorlix::platform
