#pragma once
// Packing an application folder as an update: a tar archive compressed with xz whose one top
// folder is "Quorlix/", and the manifest fields that describe it (its SHA-256 digest, its
// Ed25519 signature and its size). A signing key is kept as a file holding the base64 text
// of its 32-byte seed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::pack {

using Bytes = std::vector<std::uint8_t>;

struct KeyPair {
    Bytes seed;       // the secret: 32 bytes
    Bytes publicKey;  // 32 bytes
};

// A fresh key pair, or the pair of a seed.
KeyPair generateKeyPair();
std::optional<KeyPair> keyPairFromSeed(const Bytes& seed);
// The key file's text and back.
std::string keyFileText(const KeyPair& pair);
std::optional<KeyPair> readKeyFile(const std::filesystem::path& file);

// Writes `folder` (folders, regular files and links; anything else is refused) into
// `archive`, each entry under "Quorlix/", in name order, owned by no one. An error text on
// failure.
std::optional<std::string> packFolder(const std::filesystem::path& folder,
                                      const std::filesystem::path& archive);

struct ArchiveFields {
    std::string sha256;     // lower-case hexadecimal
    std::string signature;  // base64
    std::uint64_t size = 0;
};

// The fields describing `bytes`, signed with `key`.
ArchiveFields describe(const Bytes& bytes, const KeyPair& key);

// The manifest for an archive of the application folder `folder`: its version and build
// (from app-info.json), `url` when given, and the archive's fields.
std::string manifestText(const std::filesystem::path& folder, const std::string& url,
                         const ArchiveFields& fields);

}  // namespace quorlix::pack
