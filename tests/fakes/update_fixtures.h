#pragma once
// Material for the updater's tests: application folders, archives made entry by entry
// (hostile ones included), signed manifests, and a scoped environment variable.

#include "pack/update_pack.h"
#include "platform/atomic_file.h"
#include "services/application_folder.h"
#include "services/update_manifest.h"

#include <archive.h>
#include <archive_entry.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <sys/sysmacros.h>

namespace quorlix::testing {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& path, const std::string& contents, fs::perms mode = fs::perms(0644)) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    fs::permissions(path, mode);
}

inline std::string readText(const fs::path& path) { return platform::readFile(path).value_or(""); }

inline std::string appInfoText(const std::string& version,
                               const std::string& identifier = ApplicationFolder::identifier) {
    return nlohmann::json{{"identifier", identifier}, {"version", version}, {"build", "7"}}.dump();
}

// An application folder holding `program` as its executable `quorlix`.
inline void writeApplication(const fs::path& folder, const std::string& version,
                             const std::string& program = "#!/bin/sh\nexit 0\n") {
    writeFile(folder / ApplicationFolder::infoFile, appInfoText(version));
    writeFile(folder / ApplicationFolder::programFile, program, fs::perms(0755));
    writeFile(folder / "resources" / "Sounds" / "timbre.wav", "RIFF");
}

// One entry of a hand-made archive.
struct Entry {
    std::string path;
    unsigned type = AE_IFREG;
    unsigned perm = 0644;
    std::string contents;
    std::string link;  // a link's target
    bool hardlink = false;
    // A sparse regular file this long: `contents` at its start, the rest a hole.
    std::int64_t holes = 0;
};

// A gzip-compressed tar archive of `entries`, in order.
inline std::string makeArchive(const std::vector<Entry>& entries) {
    std::string out;
    archive* writer = archive_write_new();
    archive_write_add_filter_gzip(writer);
    archive_write_set_format_pax_restricted(writer);
    archive_write_set_bytes_in_last_block(writer, 1);
    archive_write_open(
        writer, &out, nullptr,
        [](archive*, void* data, const void* buffer, size_t length) -> la_ssize_t {
            static_cast<std::string*>(data)->append(static_cast<const char*>(buffer), length);
            return static_cast<la_ssize_t>(length);
        },
        nullptr);
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path.c_str());
        archive_entry_set_filetype(entry, e.type);
        archive_entry_set_perm(entry, e.perm);
        if (e.type == AE_IFLNK) archive_entry_set_symlink(entry, e.link.c_str());
        if (e.hardlink) archive_entry_set_hardlink(entry, e.link.c_str());
        if (e.type == AE_IFCHR) archive_entry_set_rdev(entry, makedev(1, 3));
        if (e.type == AE_IFREG && !e.hardlink)
            archive_entry_set_size(entry, static_cast<la_int64_t>(e.contents.size()));
        if (e.holes > 0) {
            archive_entry_set_size(entry, e.holes);
            archive_entry_sparse_add_entry(entry, 0, static_cast<la_int64_t>(e.contents.size()));
        }
        archive_write_header(writer, entry);
        if (!e.contents.empty()) archive_write_data(writer, e.contents.data(), e.contents.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return out;
}

// The entries of a good update to `version`.
inline std::vector<Entry> applicationEntries(const std::string& version,
                                             const std::string& identifier = ApplicationFolder::identifier) {
    return {
        {"Quorlix/", AE_IFDIR, 0755},
        {"Quorlix/app-info.json", AE_IFREG, 0644, appInfoText(version, identifier)},
        {"Quorlix/quorlix", AE_IFREG, 0755, "#!/bin/sh\nexit 0\n"},
        {"Quorlix/resources/", AE_IFDIR, 0755},
        {"Quorlix/resources/quorlix.png", AE_IFREG, 0644, "PNG"},
        {"Quorlix/lib/", AE_IFDIR, 0755},
        {"Quorlix/lib/libdemo.so.1", AE_IFREG, 0644, "ELF"},
        {"Quorlix/lib/libdemo.so", AE_IFLNK, 0777, {}, "libdemo.so.1"},
    };
}

// A manifest for `bytes`, signed with `key`.
inline UpdateManifest signedManifest(const std::string& bytes, const pack::KeyPair& key,
                                     const std::string& version,
                                     const std::string& url = "https://quorlix.halvik.com/Quorlix.tar.gz") {
    const auto fields = pack::describe(pack::Bytes(bytes.begin(), bytes.end()), key);
    UpdateManifest manifest;
    manifest.version = version;
    manifest.url = url;
    manifest.sha256 = fields.sha256;
    manifest.signature = fields.signature;
    manifest.size = static_cast<std::int64_t>(fields.size);
    return manifest;
}

inline std::string manifestJSON(const UpdateManifest& m) {
    nlohmann::json j{{"version", m.version}};
    if (m.url) j["url"] = *m.url;
    if (m.notes) j["notes"] = *m.notes;
    if (m.sha256) j["sha256"] = *m.sha256;
    if (m.signature) j["signature"] = *m.signature;
    if (m.size) j["size"] = *m.size;
    return j.dump();
}

// Sets an environment variable for the object's life.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// What a folder holds, as paths relative to it.
inline std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        out.push_back(it->path().lexically_relative(folder).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace quorlix::testing
