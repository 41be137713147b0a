#pragma once
// The lyrics web service's records and requests. A record is one JSON object; every field is
// optional (missing or null gives none, unknown keys are ignored), but a field present with
// another JSON type, or a duration that is not a finite number, makes the reply undecodable.

#include "services/lyrics_service.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorlix {

struct LRCLibRecord {
    std::optional<std::string> syncedLyrics;  // LRC text with time tags
    std::optional<std::string> plainLyrics;   // lyrics without times
    std::optional<bool> instrumental;
    std::optional<double> duration;  // seconds

    // One record ("/api/get"), or nothing when the text is not one.
    static std::optional<LRCLibRecord> decode(std::string_view json);
    // A list of records ("/api/search"), or nothing when the text is not one.
    static std::optional<std::vector<LRCLibRecord>> decodeList(std::string_view json);

    // What the record gives: instrumental first, then synced lines, then plain lyrics.
    LyricsService::Outcome decision() const;
};

struct LRCLibRequest {
    // The duration rounded to whole seconds, halves away from zero, as a decimal integer;
    // nothing when it is not finite or too large for a whole number.
    static std::optional<std::string> roundedDuration(double seconds);
    // The candidate (a record with synced lyrics) whose duration (none counts as 0) is
    // closest to `duration`; the earlier one on equal distances.
    static const LRCLibRecord* closestSynced(const std::vector<LRCLibRecord>& records, double duration);
};

}  // namespace quorlix
