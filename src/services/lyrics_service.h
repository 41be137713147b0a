#pragma once
// Time-synced lyrics for the playing track, from the public LRCLIB web service.
//
// `load` asks "/api/get" for the exact track (when its album and duration are known) and
// falls back to "/api/search"; the reply's LRC text becomes timed lines, decoded off the main
// thread. Real answers are remembered (the least recently used forgotten first once they weigh
// `cacheByteLimit`), so returning to a track costs no request; a failed transfer is not
// remembered, so the next load of that track asks again.
//
// A lookup starts once its track has stayed current for `lookupSettleTime`, and a newer
// `load` (or `clear`) stops the older one at once, its request aborted: a player running
// through tracks costs no requests, and at most one lookup is ever under way.
//
// Main thread only.

#include "platform/http_client.h"
#include "platform/lru_cache.h"
#include "platform/published.h"
#include "platform/serial_queue.h"
#include "platform/work_item.h"
#include "services/lifetime.h"
#include "services/track.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

struct LyricLine {
    double time = 0;  // seconds from the start of the track
    std::string text;
    friend bool operator==(const LyricLine&, const LyricLine&) = default;
};

class LyricsService final : public ObservableObject {
public:
    enum class Status { idle, loading, found, instrumental, unsynced, notFound };

    // The lyrics service's address: scheme and host, no path.
    static constexpr const char* defaultBaseAddress = "https://lrclib.net";
    static constexpr const char* userAgent = "Quorlix/0.1 (macOS)";
    static constexpr double requestTimeout = 10;
    static constexpr std::size_t maxReplySize = 4 * 1024 * 1024;
    // What the remembered outcomes may weigh together: hundreds of tracks' lyrics.
    static constexpr std::size_t cacheByteLimit = 8 * 1024 * 1024;
    // What one track's lines may hold: far more than any song has.
    static constexpr std::size_t maxLines = 5000;
    static constexpr std::size_t maxTextSize = 1024 * 1024;

    // Uses the installed platform's HTTP client and its utility queue.
    LyricsService();
    // Replies are decoded on `decoder`; without one, on the main thread. Remembered outcomes
    // weigh at most `cacheBytes`.
    explicit LyricsService(platform::HttpClient* http, std::string baseAddress = defaultBaseAddress,
                           platform::SerialQueue* decoder = nullptr, std::size_t cacheBytes = cacheByteLimit);
    ~LyricsService() override;

    Published<Status> status{this, Status::idle};
    // Sorted by time; non-empty only while `status` is `found`.
    Published<std::vector<LyricLine>> lines{this, {}};

    // Starts finding the lyrics of `track` (none: nothing is followed); returns at once and
    // publishes the outcome later on the main queue. A remembered track answers at once.
    void load(const std::optional<Track>& track);
    // Forgets the current track; remembered outcomes stay.
    void clear();
    // The index of the line current at `time` seconds: the last one that starts at or before
    // it; nothing before the first line or without lines.
    std::optional<std::size_t> index(double time) const;

    // The timed lines of an LRC text, sorted by time (lines with equal times keep their
    // order). The lines take at most a few times the text's size: a long line with very many
    // time tags keeps only its first times. Only the lines of the text's first time tags are
    // kept, at most `maxLines` of them with at most `maxTextSize` bytes of text together. A
    // line's text is capped to what a screen can show (platform/capped_text.h).
    static std::vector<LyricLine> parse(std::string_view lrc);

    // The outcome of one lookup. `remembered` is false when a request failed in transit or
    // was not answered as the service answers, so the outcome may differ next time.
    struct Outcome {
        Status status = Status::notFound;
        std::vector<LyricLine> lines;
        bool remembered = true;
    };

    // One lookup under way (its requests and what they gave so far).
    struct Lookup;

private:
    struct Entry {
        Status status;
        std::vector<LyricLine> lines;
    };
    // The bytes a remembered outcome holds.
    static std::size_t weight(const std::string& id, const Entry& entry);

    void fetch(const Track& track, std::function<void(Outcome)> done);
    // Drops the lookup waiting for its track to settle, or under way.
    void stopLookup();

    platform::HttpClient* http_;
    std::string baseAddress_;
    platform::SerialQueue* decoder_;
    // The identity (`Track::identity`) of the track whose lyrics are wanted now; outcomes are
    // remembered by it.
    std::optional<std::string> currentID;
    LruCache<std::string, Entry> cache;
    platform::WorkItem settleWork_;
    std::shared_ptr<Lookup> lookup_;
};

}  // namespace quorlix
