#include "services/update_manifest.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace quorlix {

namespace {

using Json = nlohmann::json;

// How a key fared: absent (missing or null), present with its type, or of another type.
enum class Field { absent, present, wrongType };

Field readString(const Json& object, const char* key, std::optional<std::string>& out) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return Field::absent;
    if (!it->is_string()) return Field::wrongType;
    out = it->get<std::string>();
    return Field::present;
}

// The parser keeps numbers without fraction or exponent as integers; those too large for a
// signed 64-bit integer arrive unsigned (or as doubles, past 64 bits).
Field readInteger(const Json& object, const char* key, std::optional<std::int64_t>& out) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return Field::absent;
    if (it->is_number_integer() && !it->is_number_unsigned()) {
        out = it->get<std::int64_t>();
        return Field::present;
    }
    if (it->is_number_unsigned()) {
        const auto value = it->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return Field::wrongType;
        out = static_cast<std::int64_t>(value);
        return Field::present;
    }
    return Field::wrongType;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<UpdateManifest> UpdateManifest::decode(std::string_view json) {
    const Json root = Json::parse(json.begin(), json.end(), nullptr, /*allow_exceptions=*/false);
    if (!root.is_object()) return std::nullopt;
    UpdateManifest manifest;
    std::optional<std::string> version;
    const Field fields[] = {
        readString(root, "version", version),        readInteger(root, "build", manifest.build),
        readString(root, "url", manifest.url),       readString(root, "notes", manifest.notes),
        readString(root, "sha256", manifest.sha256), readString(root, "signature", manifest.signature),
        readInteger(root, "size", manifest.size),
    };
    for (const Field field : fields) {
        if (field == Field::wrongType) return std::nullopt;
    }
    if (!version) return std::nullopt;
    if (manifest.size && *manifest.size < 0) return std::nullopt;
    manifest.version = std::move(*version);
    return manifest;
}

std::strong_ordering compareVersions(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compared by value without converting, so no run is too long: leading zeros
            // dropped, then the longer run is the larger number, else the digits decide.
            const auto run = [](std::string_view s, std::size_t& k) {
                while (k < s.size() && s[k] == '0') ++k;
                const std::size_t start = k;
                while (k < s.size() && isDigit(s[k])) ++k;
                return s.substr(start, k - start);
            };
            // A run of zeros only is the empty string: value 0.
            const std::string_view x = run(a, i), y = run(b, j);
            if (x.size() != y.size()) return x.size() <=> y.size();
            if (const int c = x.compare(y); c != 0) return c <=> 0;
            continue;
        }
        // UTF-8 bytes order as their code points do.
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
        if (x != y) return x <=> y;
        ++i;
        ++j;
    }
    return (a.size() - i) <=> (b.size() - j);
}

}  // namespace quorlix
