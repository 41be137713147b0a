#pragma once
// The blocking steps of an install, run off the main thread: a private work folder, the
// checks of the application folder, the verification of the downloaded archive, its
// extraction and the staging of the application inside it.
//
//     WorkFolder   $TMPDIR/Quorlix-XXXXXX (0700), made with mkdtemp, holding
//                  Quorlix-update-<UUID>.tar     the download
//                  QuorlixMount-<UUID>/          the archive unpacked, removed after staging
//                  QuorlixUpdate-<UUID>/Quorlix  the staged application folder
//
// The archive is a tar file (plain, gzip or xz) whose one top folder, "Quorlix", is an
// application folder. It is read through one descriptor: its length from that descriptor,
// its digest and signature over a read-only mapping of it, and its entries from the same
// mapping, so what is unpacked is what was verified.

#include "services/update_manifest.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorlix {

// Why an install stopped.
enum class UpdateError {
    // The signing key, the signature or its check.
    badSignature,
    // The download's status, length, digest or contents.
    badFile,
    // The application folder cannot or must not be replaced.
    notWritable,
    // The archive cannot be read.
    mount,
    // The application folder already holds the offered version or a newer one.
    notNewer,
    // Anything else: the network, the file system, starting the swap.
    other,
};

struct UpdateFailure {
    UpdateError error = UpdateError::other;
    // What went wrong, for `other`.
    std::string detail;

    // The case name ("badFile"), or the detail for `other`.
    std::string description() const;
    friend bool operator==(const UpdateFailure&, const UpdateFailure&) = default;
};

// A private folder for one install, removed with its contents, however deeply nested, when
// the object goes (unless kept).
class WorkFolder {
public:
    // A new folder under $TMPDIR (when it names a folder) or /tmp; nothing, with the reason in
    // `error`, when it cannot be made.
    static std::shared_ptr<WorkFolder> create(std::string& error);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Without links, so that unpacking can refuse every link on its way.
    const std::filesystem::path& path() const { return path_; }
    // From now on another owner removes it (the swap, once it has started).
    void keep() { kept_ = true; }
    // Removes it now.
    void remove();

private:
    explicit WorkFolder(std::filesystem::path path) : path_(std::move(path)) {}
    std::filesystem::path path_;
    bool kept_ = false;
};

// Refuses a folder that is no replaceable application folder (no or a foreign
// `app-info.json`, a development build, the user's data folder, a parent we cannot write):
// `notWritable`; or one that already holds `version` or newer: `notNewer`.
std::optional<UpdateFailure> installRefusal(const std::filesystem::path& applicationFolder,
                                            const std::string& version);

// The SHA-256 digest of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::span<const std::uint8_t> bytes);

// Checks the archive's bytes against the manifest: length (when the manifest has one), then
// the SHA-256 digest, then the Ed25519 signature under `publicKey` (base64 of 32 bytes).
std::optional<UpdateError> verifyArchive(std::span<const std::uint8_t> bytes, const UpdateManifest& manifest,
                                         std::string_view publicKey);

struct ExtractionLimits {
    std::uint64_t maxEntries = 100000;
    std::uint64_t maxBytes = 4ull * 1024 * 1024 * 1024;
};

// Unpacks the archive into `destination` (an existing, empty folder), refusing every entry
// that could reach outside it or make anything but folders, regular files and links that
// stay inside: a path that is absolute, climbs with "..", or lies outside "Quorlix/"; a link
// whose target is absolute or climbs with ".."; hard links, devices, FIFOs and sockets; and
// more entries or bytes than `limits` (a file's bytes are its length as written out, holes
// included). Set-id and sticky bits are dropped and ownership is ignored. `mount` when the
// archive cannot be read, `badFile` when it is refused, `other` when writing fails. What was
// unpacked stays for the caller to remove.
std::optional<UpdateFailure> extractArchive(std::span<const std::uint8_t> bytes,
                                            const std::filesystem::path& destination,
                                            const ExtractionLimits& limits = {});

// An unpacked application folder must hold our identifier and `version` in its
// `app-info.json`, and an executable regular file `quorlix`: else `badFile`.
std::optional<UpdateError> checkApplication(const std::filesystem::path& folder, const std::string& version);

struct StageRequest {
    std::filesystem::path archive;
    std::filesystem::path workFolder;
    UpdateManifest manifest;
    std::string publicKey;
    std::filesystem::path applicationFolder;
    ExtractionLimits limits;
};

struct StageResult {
    std::optional<UpdateFailure> failure;
    // "QuorlixUpdate-<UUID>/Quorlix" in the work folder.
    std::filesystem::path staged;
};

// Verifies, unpacks, checks and copies out the application, then checks the application
// folder again. The unpacked tree is removed whatever happens.
StageResult stageUpdate(const StageRequest& request);

}  // namespace quorlix
