#pragma once
// Time-synced lyrics for the current track. (Interface only so far; the service itself is
// still to come.)

#include "platform/published.h"
#include "services/track.h"

#include <optional>
#include <string>
#include <vector>

namespace quorlix {

struct LyricLine {
    double time = 0;
    std::string text;
    friend bool operator==(const LyricLine&, const LyricLine&) = default;
};

class LyricsService final : public ObservableObject {
public:
    enum class Status { idle, loading, found, instrumental, unsynced, notFound };

    Published<Status> status{this, Status::idle};
    Published<std::vector<LyricLine>> lines{this, {}};

    // Starts finding the lyrics of `track` (none: nothing is followed); returns at once.
    void load(const std::optional<Track>& track);
    void clear();
};

}  // namespace quorlix
