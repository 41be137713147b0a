#pragma once
// The update manifest the maker's site serves ("version.json"), and the order of version
// strings.
//
// Decoding is strict: `version` is required and every key present must have its type
// (strings are strings; integers are JSON numbers without fraction or exponent that fit a
// signed 64-bit integer; `size` is not negative). A JSON null counts as absent; unknown keys
// are ignored. Anything else refuses the whole manifest.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

struct UpdateManifest {
    std::string version;
    // Carried, not used by the updater.
    std::optional<std::int64_t> build;
    // Where the update's archive is fetched.
    std::optional<std::string> url;
    // Release notes.
    std::optional<std::string> notes;
    // The archive's SHA-256 digest: 64 lower-case hexadecimal digits.
    std::optional<std::string> sha256;
    // The base64 Ed25519 signature of the archive's bytes.
    std::optional<std::string> signature;
    // The archive's length in bytes.
    std::optional<std::int64_t> size;

    static std::optional<UpdateManifest> decode(std::string_view json);

    friend bool operator==(const UpdateManifest&, const UpdateManifest&) = default;
};

// Orders version strings as people read them: runs of ASCII digits compare by their value
// ("1.10" after "1.9"), every other character by its code point; when one string is a
// prefix of the other, the shorter comes first.
std::strong_ordering compareVersions(std::string_view a, std::string_view b);

}  // namespace quorlix
