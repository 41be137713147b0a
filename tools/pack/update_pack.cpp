#include "pack/update_pack.h"

#include "platform/atomic_file.h"
#include "platform/base64.h"
#include "services/application_folder.h"
#include "services/update_staging.h"

#include <archive.h>
#include <archive_entry.h>
#include <sodium.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <algorithm>
#include <fstream>
#include <memory>

namespace quorlix::pack {

namespace fs = std::filesystem;

namespace {

struct WriterDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

// Writes one entry (and a regular file's bytes); an error text on failure.
std::optional<std::string> addEntry(archive* writer, const fs::path& source, const std::string& name) {
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0) return "no se puede leer " + source.string();
    std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname(entry.get(), name.c_str());
    archive_entry_set_perm(entry.get(), info.st_mode & 0777);
    archive_entry_set_mtime(entry.get(), info.st_mtim.tv_sec, 0);
    std::string contents;
    if (S_ISDIR(info.st_mode)) {
        archive_entry_set_filetype(entry.get(), AE_IFDIR);
    } else if (S_ISLNK(info.st_mode)) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(source, ec);
        if (ec) return "no se puede leer el enlace " + source.string();
        archive_entry_set_filetype(entry.get(), AE_IFLNK);
        archive_entry_set_symlink(entry.get(), target.c_str());
    } else if (S_ISREG(info.st_mode)) {
        const auto bytes = platform::readFile(source);
        if (!bytes) return "no se puede leer " + source.string();
        contents = *bytes;
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(contents.size()));
    } else {
        return "no es un archivo, una carpeta ni un enlace: " + source.string();
    }
    if (archive_write_header(writer, entry.get()) != ARCHIVE_OK) return archive_error_string(writer);
    if (!contents.empty() && archive_write_data(writer, contents.data(), contents.size()) !=
                                 static_cast<la_ssize_t>(contents.size())) {
        return archive_error_string(writer);
    }
    return std::nullopt;
}

}  // namespace

KeyPair generateKeyPair() {
    Bytes seed(crypto_sign_SEEDBYTES);
    if (sodium_init() >= 0) randombytes_buf(seed.data(), seed.size());
    return *keyPairFromSeed(seed);
}

std::optional<KeyPair> keyPairFromSeed(const Bytes& seed) {
    if (sodium_init() < 0 || seed.size() != crypto_sign_SEEDBYTES) return std::nullopt;
    KeyPair pair{seed, Bytes(crypto_sign_PUBLICKEYBYTES)};
    std::uint8_t secret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(pair.publicKey.data(), secret, seed.data());
    sodium_memzero(secret, sizeof secret);
    return pair;
}

std::string keyFileText(const KeyPair& pair) { return platform::encodeBase64(pair.seed) + "\n"; }

std::optional<KeyPair> readKeyFile(const fs::path& file) {
    auto text = platform::readFile(file);
    if (!text) return std::nullopt;
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
    const auto seed = platform::decodeBase64(*text);
    return seed ? keyPairFromSeed(*seed) : std::nullopt;
}

std::optional<std::string> packFolder(const fs::path& folder, const fs::path& archive) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "no es una carpeta: " + folder.string();
    std::vector<fs::path> items;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        items.push_back(it->path());
    }
    if (ec) return "no se puede recorrer " + folder.string() + ": " + ec.message();
    // Name order puts every folder before what it holds.
    std::sort(items.begin(), items.end());

    std::unique_ptr<::archive, WriterDeleter> writer(archive_write_new());
    archive_write_add_filter_xz(writer.get());
    archive_write_set_format_pax_restricted(writer.get());
    if (archive_write_open_filename(writer.get(), archive.c_str()) != ARCHIVE_OK) {
        return archive_error_string(writer.get());
    }
    if (auto error = addEntry(writer.get(), folder, "Quorlix/")) return error;
    for (const auto& item : items) {
        const std::string name = "Quorlix/" + item.lexically_relative(folder).string();
        if (auto error = addEntry(writer.get(), item, name)) return error;
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) return archive_error_string(writer.get());
    return std::nullopt;
}

ArchiveFields describe(const Bytes& bytes, const KeyPair& key) {
    ArchiveFields fields;
    if (sodium_init() < 0) return fields;
    fields.sha256 = sha256Hex(bytes);

    std::uint8_t publicKey[crypto_sign_PUBLICKEYBYTES];
    std::uint8_t secret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secret, key.seed.data());
    Bytes signature(crypto_sign_BYTES);
    crypto_sign_detached(signature.data(), nullptr, bytes.data(), bytes.size(), secret);
    sodium_memzero(secret, sizeof secret);
    fields.signature = platform::encodeBase64(signature);
    fields.size = bytes.size();
    return fields;
}

std::string manifestText(const fs::path& folder, const std::string& url, const ArchiveFields& fields) {
    nlohmann::ordered_json manifest = nlohmann::ordered_json::object();
    const auto info = AppInfo::read(folder);
    manifest["version"] = info ? info->version : "dev";
    if (info && !info->build.empty() &&
        std::all_of(info->build.begin(), info->build.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        info->build.size() < 18) {
        manifest["build"] = std::stoll(info->build);
    }
    if (!url.empty()) manifest["url"] = url;
    manifest["sha256"] = fields.sha256;
    manifest["signature"] = fields.signature;
    manifest["size"] = fields.size;
    return manifest.dump(2) + "\n";
}

}  // namespace quorlix::pack
