#include "services/track.h"

namespace quorlix {

std::string Track::identity() const {
    // A unit separator cannot stand in a title, so no two field lists give one text.
    constexpr char separator = '\x1f';
    return id + separator + title + separator + artist + separator + album;
}

}  // namespace quorlix
