#include "services/lyrics_service.h"

#include "platform/main_queue.h"
#include "platform/platform.h"
#include "platform/url_query.h"
#include "services/lrclib_record.h"

#include <memory>
#include <utility>

namespace quorlix {

using Reply = std::optional<platform::HttpResponse>;
using Outcome = LyricsService::Outcome;

// One lookup in flight: the track, the decision of the record "/api/get" gave without synced
// lyrics, whether every answer so far was a real one, and the request under way. The service
// holds the only strong reference: dropping it aborts the request, and no answer comes back.
struct LyricsService::Lookup {
    platform::HttpClient* http = nullptr;
    platform::SerialQueue* decoder = nullptr;
    std::string base;
    Track track;
    std::function<void(Outcome)> done;
    std::optional<Outcome> kept;
    bool remembered = true;
    platform::HttpTask request;
};

namespace {

using Lookup = LyricsService::Lookup;

// What a reply's body gave, worked out off the main thread.
struct Decoded {
    bool valid = false;   // the body was what the service sends
    bool synced = false;  // its record carried synced lyrics
    std::optional<Outcome> decision;
};

void request(const std::shared_ptr<Lookup>& lookup, std::string_view path, const platform::QueryItems& items,
             std::function<void(const std::shared_ptr<Lookup>&, Reply)> done) {
    const std::weak_ptr<Lookup> weak = lookup;
    if (!lookup->http) {
        platform::MainQueue::shared().post([weak, done = std::move(done)] {
            if (const auto l = weak.lock()) done(l, std::nullopt);
        });
        return;
    }
    platform::HttpRequest r;
    r.url = platform::addressWithQuery(lookup->base, path, items);
    r.headers = {{"User-Agent", LyricsService::userAgent}};
    r.timeout = LyricsService::requestTimeout;
    r.maxBodySize = LyricsService::maxReplySize;
    lookup->request =
        lookup->http->get(std::move(r), [weak, done = std::move(done)](platform::HttpResult result) {
            if (const auto l = weak.lock()) done(l, std::move(result.response));
        });
}

// Works out `decode` (which touches no lookup) on the lookup's decoder, then hands its result
// to `done` on the main thread while the lookup lasts.
void decode(const std::shared_ptr<Lookup>& lookup, std::function<Decoded()> decode,
            std::function<void(const std::shared_ptr<Lookup>&, Decoded)> done) {
    if (!lookup->decoder) {
        done(lookup, decode());
        return;
    }
    lookup->decoder->run<Decoded>(
        std::move(decode),
        [weak = std::weak_ptr<Lookup>(lookup), done = std::move(done)](std::optional<Decoded> decoded) {
            if (const auto l = weak.lock(); l && decoded) done(l, std::move(*decoded));
        });
}

void finish(const std::shared_ptr<Lookup>& lookup, Outcome outcome) {
    outcome.remembered = lookup->remembered;
    lookup->done(std::move(outcome));
}

// The record of a "/api/get" body and its decision.
Decoded decodeRecord(std::string_view body) {
    const auto record = LRCLibRecord::decode(body);
    if (!record) return {};
    return {true, record->syncedLyrics.has_value(), record->decision()};
}

// The decision a "/api/search" body leads to, given the one "/api/get" kept.
Decoded decodeSearch(std::string_view body, double duration, const std::optional<Outcome>& kept) {
    Decoded decoded;
    std::vector<LRCLibRecord> records;
    if (auto list = LRCLibRecord::decodeList(body)) {
        decoded.valid = true;
        records = std::move(*list);
    }  // a failed search counts as an empty list
    if (const auto* best = LRCLibRequest::closestSynced(records, duration)) {
        decoded.decision = best->decision();
    } else if (kept) {
        decoded.decision = kept;
    } else if (!records.empty()) {
        decoded.decision = records.front().decision();
    } else {
        decoded.decision = Outcome{LyricsService::Status::notFound, {}};
    }
    return decoded;
}

void search(const std::shared_ptr<Lookup>& lookup) {
    const platform::QueryItems items{{"track_name", lookup->track.title},
                                     {"artist_name", lookup->track.artist}};
    request(lookup, "/api/search", items, [](const std::shared_ptr<Lookup>& lookup, Reply reply) {
        std::string body;
        if (reply && reply->statusCode == 200) body = std::move(reply->body);
        decode(
            lookup,
            [body = std::move(body), duration = lookup->track.duration, kept = lookup->kept] {
                return decodeSearch(body, duration, kept);
            },
            [](const std::shared_ptr<Lookup>& lookup, Decoded decoded) {
                if (!decoded.valid) lookup->remembered = false;
                // A search always decides; nothing found is its own decision.
                finish(lookup, std::move(decoded.decision).value_or(Outcome{}));
            });
    });
}

}  // namespace

LyricsService::LyricsService()
    : LyricsService(platform::installed().httpClient, defaultBaseAddress,
                    platform::installed().utilityQueue) {}

LyricsService::LyricsService(platform::HttpClient* http, std::string baseAddress,
                             platform::SerialQueue* decoder, std::size_t cacheBytes)
    : http_(http), baseAddress_(std::move(baseAddress)), decoder_(decoder), cache(cacheBytes, weight) {}

LyricsService::~LyricsService() = default;

void LyricsService::load(const std::optional<Track>& track) {
    if (!track) {
        clear();
        return;
    }
    const std::string id = track->identity();
    // Asked again while its own lookup waits or runs: that lookup answers.
    if (currentID == id && (settleWork_.isPending() || lookup_)) return;
    stopLookup();
    currentID = id;
    if (const Entry* cached = cache.find(id)) {
        status = cached->status;
        lines = cached->lines;
        return;
    }
    status = Status::loading;
    lines = {};
    settleWork_ = platform::MainQueue::shared().after(lookupSettleTime, [this, track = *track, id] {
        fetch(track, [this, id](Outcome outcome) {
            lookup_.reset();
            // The service was cleared meanwhile (another track stops this lookup first).
            if (currentID != id) return;
            if (outcome.remembered) cache.insert(id, Entry{outcome.status, outcome.lines});
            status = outcome.status;
            lines = std::move(outcome.lines);
        });
    });
}

std::size_t LyricsService::weight(const std::string& id, const Entry& entry) {
    std::size_t bytes = id.size() + entry.lines.capacity() * sizeof(LyricLine);
    for (const auto& line : entry.lines) bytes += line.text.size();
    return bytes;
}

void LyricsService::stopLookup() {
    settleWork_.cancel();
    lookup_.reset();
}

void LyricsService::clear() {
    stopLookup();
    currentID = std::nullopt;
    status = Status::idle;
    lines = {};
}

std::optional<std::size_t> LyricsService::index(double time) const {
    const auto& all = lines.get();
    if (all.empty() || !(time >= all.front().time)) return std::nullopt;
    std::size_t low = 0;
    std::size_t high = all.size() - 1;
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (all[mid].time <= time) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return low;
}

void LyricsService::fetch(const Track& track, std::function<void(Outcome)> done) {
    auto lookup = std::make_shared<Lookup>();
    lookup->http = http_;
    lookup->decoder = decoder_;
    lookup->base = baseAddress_;
    lookup->track = track;
    lookup->done = std::move(done);
    lookup_ = lookup;

    const auto duration = LRCLibRequest::roundedDuration(track.duration);
    if (track.album.empty() || !(track.duration > 0) || !duration) {
        search(lookup);
        return;
    }
    const platform::QueryItems items{{"track_name", track.title},
                                     {"artist_name", track.artist},
                                     {"album_name", track.album},
                                     {"duration", *duration}};
    request(lookup, "/api/get", items, [](const std::shared_ptr<Lookup>& lookup, Reply reply) {
        if (!reply || reply->statusCode != 200) {
            if (!reply || reply->statusCode != 404) lookup->remembered = false;  // 404: no such track
            search(lookup);
            return;
        }
        decode(
            lookup, [body = std::move(reply->body)] { return decodeRecord(body); },
            [](const std::shared_ptr<Lookup>& lookup, Decoded decoded) {
                if (!decoded.valid) lookup->remembered = false;
                if (decoded.synced) return finish(lookup, std::move(*decoded.decision));
                lookup->kept = std::move(decoded.decision);
                search(lookup);
            });
    });
}

}  // namespace quorlix
