#include "services/lrclib_record.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <limits>

namespace quorlix {

namespace {

using Json = nlohmann::json;

// Reads `key` of `object` into `out` when it is of the wanted type; false when it holds
// another type (null and missing leave `out` empty).
template <class T>
bool read(const Json& object, const char* key, std::optional<T>& out) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return true;
    if constexpr (std::is_same_v<T, std::string>) {
        if (!it->is_string()) return false;
        out = it->template get<std::string>();
    } else if constexpr (std::is_same_v<T, bool>) {
        if (!it->is_boolean()) return false;
        out = it->template get<bool>();
    } else {
        if (!it->is_number()) return false;
        const double value = it->template get<double>();
        if (!std::isfinite(value)) return false;
        out = value;
    }
    return true;
}

std::optional<LRCLibRecord> fromJson(const Json& object) {
    if (!object.is_object()) return std::nullopt;
    LRCLibRecord record;
    if (!read(object, "syncedLyrics", record.syncedLyrics) ||
        !read(object, "plainLyrics", record.plainLyrics) ||
        !read(object, "instrumental", record.instrumental) || !read(object, "duration", record.duration)) {
        return std::nullopt;
    }
    return record;
}

Json parse(std::string_view text) { return Json::parse(text.begin(), text.end(), nullptr, false); }

}  // namespace

std::optional<LRCLibRecord> LRCLibRecord::decode(std::string_view json) { return fromJson(parse(json)); }

std::optional<std::vector<LRCLibRecord>> LRCLibRecord::decodeList(std::string_view json) {
    const Json list = parse(json);
    if (!list.is_array()) return std::nullopt;
    std::vector<LRCLibRecord> records;
    records.reserve(list.size());
    for (const auto& item : list) {
        auto record = fromJson(item);
        if (!record) return std::nullopt;
        records.push_back(std::move(*record));
    }
    return records;
}

LyricsService::Outcome LRCLibRecord::decision() const {
    using Status = LyricsService::Status;
    if (instrumental.value_or(false)) return {Status::instrumental, {}};
    if (syncedLyrics) {
        auto lines = LyricsService::parse(*syncedLyrics);
        if (!lines.empty()) return {Status::found, std::move(lines)};
    }
    if (plainLyrics && !plainLyrics->empty()) return {Status::unsynced, {}};
    return {Status::notFound, {}};
}

std::optional<std::string> LRCLibRequest::roundedDuration(double seconds) {
    if (!std::isfinite(seconds)) return std::nullopt;
    const double rounded = std::round(seconds);  // halves away from zero
    // 2^63 is exactly representable; anything at or past it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (rounded >= limit || rounded < -limit) return std::nullopt;
    return std::to_string(static_cast<std::int64_t>(rounded));
}

const LRCLibRecord* LRCLibRequest::closestSynced(const std::vector<LRCLibRecord>& records, double duration) {
    const LRCLibRecord* best = nullptr;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const auto& record : records) {
        if (!record.syncedLyrics) continue;
        const double distance = std::abs(record.duration.value_or(0) - duration);
        if (!best || distance < bestDistance) {
            best = &record;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace quorlix
