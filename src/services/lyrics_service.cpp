#include "services/lyrics_service.h"

namespace quorlix {

void LyricsService::load(const std::optional<Track>& track) {
    status = track ? Status::notFound : Status::idle;
    lines = {};
}

void LyricsService::clear() {
    status = Status::idle;
    lines = {};
}

}  // namespace quorlix
