#include "services/lyrics_service.h"

#include "platform/main_queue.h"
#include "platform/platform.h"
#include "platform/url_query.h"
#include "services/lrclib_record.h"

#include <memory>
#include <utility>

namespace quorlix {

using Reply = std::optional<platform::HttpResponse>;

// One lookup in flight: the track, the record "/api/get" gave without synced lyrics, whether
// every answer so far was a real one, and the request under way. The service holds the only
// strong reference: dropping it aborts the request, and no answer comes back.
struct LyricsService::Lookup {
    platform::HttpClient* http = nullptr;
    std::string base;
    Track track;
    std::function<void(LyricsService::Outcome)> done;
    std::optional<LRCLibRecord> kept;
    bool remembered = true;
    platform::HttpTask request;
};

namespace {

using Lookup = LyricsService::Lookup;

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

void finish(const std::shared_ptr<Lookup>& lookup, LyricsService::Outcome outcome) {
    outcome.remembered = lookup->remembered;
    lookup->done(std::move(outcome));
}

void search(const std::shared_ptr<Lookup>& lookup) {
    const platform::QueryItems items{{"track_name", lookup->track.title},
                                     {"artist_name", lookup->track.artist}};
    request(lookup, "/api/search", items, [](const std::shared_ptr<Lookup>& lookup, Reply reply) {
        std::vector<LRCLibRecord> records;
        std::optional<std::vector<LRCLibRecord>> decoded;
        if (reply && reply->statusCode == 200) decoded = LRCLibRecord::decodeList(reply->body);
        if (decoded) {
            records = std::move(*decoded);
        } else {
            lookup->remembered = false;  // a failed search counts as an empty list
        }
        if (const auto* best = LRCLibRequest::closestSynced(records, lookup->track.duration)) {
            finish(lookup, best->decision());
        } else if (lookup->kept) {
            finish(lookup, lookup->kept->decision());
        } else if (!records.empty()) {
            finish(lookup, records.front().decision());
        } else {
            finish(lookup, {LyricsService::Status::notFound, {}});
        }
    });
}

}  // namespace

LyricsService::LyricsService() : LyricsService(platform::installed().httpClient) {}

LyricsService::LyricsService(platform::HttpClient* http, std::string baseAddress)
    : http_(http), baseAddress_(std::move(baseAddress)) {}

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
        std::optional<LRCLibRecord> record;
        if (reply && reply->statusCode == 200) {
            record = LRCLibRecord::decode(reply->body);
            if (!record) lookup->remembered = false;
        } else if (!reply || reply->statusCode != 404) {
            lookup->remembered = false;  // 404 is the service's real "no such track"
        }
        if (record && record->syncedLyrics) {
            finish(lookup, record->decision());
            return;
        }
        lookup->kept = std::move(record);
        search(lookup);
    });
}

}  // namespace quorlix
