#include "services/update_staging.h"

#include "platform/base64.h"
#include "platform/paths.h"
#include "platform/uuid.h"
#include "services/application_folder.h"

#include <archive.h>
#include <archive_entry.h>
#include <sodium.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace quorlix {

namespace fs = std::filesystem;

namespace {

constexpr const char* topFolder = "Quorlix";

UpdateFailure failure(UpdateError error, std::string detail = {}) { return {error, std::move(detail)}; }

// The archive opened once: the descriptor's length and a read-only mapping of its bytes.
class MappedFile {
public:
    explicit MappedFile(const fs::path& path) {
        // Never waiting in the opening, whatever stands at the path by now.
        fd_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) return;
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return;
        size_ = static_cast<std::size_t>(info.st_size);
        if (size_ == 0) {
            ok_ = true;
            return;
        }
        void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (map == MAP_FAILED) return;
        data_ = static_cast<const std::uint8_t*>(map);
        ok_ = true;
    }
    ~MappedFile() {
        if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
        if (fd_ >= 0) ::close(fd_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool ok() const { return ok_; }
    std::span<const std::uint8_t> bytes() const { return {data_ ? data_ : &empty_, data_ ? size_ : 0}; }

private:
    int fd_ = -1;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool ok_ = false;
    static constexpr std::uint8_t empty_ = 0;
};

// `inner` is `outer` or lies below it (both without links).
bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) continue;  // a trailing separator
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

// An entry's path made relative and plain ("./" and empty parts dropped), or nothing when it
// is absolute, climbs with "..", or lies outside the top folder.
std::optional<fs::path> entryPath(const char* name) {
    if (!name || !*name || name[0] == '/') return std::nullopt;
    fs::path out;
    std::string_view rest(name);
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        out /= std::string(part);
    }
    if (out.empty() || *out.begin() != topFolder) return std::nullopt;
    return out;
}

// A link may only point down from where it lies. A target that climbs with ".." could leave
// the tree through another link in the archive (one that points at the top folder, say), so
// none is accepted.
bool linkStaysInside(const char* target) {
    if (!target || !*target || target[0] == '/') return false;
    std::string_view rest(target);
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        if (rest.substr(0, slash) == "..") return false;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return true;
}

// Removes a folder and everything below it, however deep: it walks down and up by open
// folders rather than by paths, which stop at the system's path length (an archive's folders
// nested hundreds deep pass it). One folder is open at a time. False when anything stays.
bool removeTree(const fs::path& root) {
    struct stat info {};
    if (::lstat(root.c_str(), &info) != 0) return errno == ENOENT;
    if (!S_ISDIR(info.st_mode)) return ::unlink(root.c_str()) == 0;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    // The names walked down through, below the root.
    std::vector<std::string> trail;
    for (;;) {
        // Everything but folders goes; the first folder found is walked into.
        std::optional<std::string> folder;
        const int listing = ::dup(fd);
        DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
        if (!dir) {
            if (listing >= 0) ::close(listing);
            ::close(fd);
            return false;
        }
        bool stuck = false;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            struct stat child {};
            if (::fstatat(fd, name.c_str(), &child, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(child.st_mode)) {
                folder = name;
                break;
            }
            if (::unlinkat(fd, name.c_str(), 0) != 0) stuck = true;
        }
        ::closedir(dir);
        if (stuck) {
            ::close(fd);
            return false;
        }
        if (folder) {
            // A folder unpacked without permissions is still ours to list and empty.
            ::fchmodat(fd, folder->c_str(), S_IRWXU, 0);
            const int below = ::openat(fd, folder->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ::close(fd);
            if (below < 0) return false;
            fd = below;
            trail.push_back(std::move(*folder));
            continue;
        }
        // Empty: back up one level and remove it there.
        if (trail.empty()) break;
        const int above = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        if (above < 0) return false;
        fd = above;
        const bool removed = ::unlinkat(fd, trail.back().c_str(), AT_REMOVEDIR) == 0;
        trail.pop_back();
        if (!removed) {
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return ::rmdir(root.c_str()) == 0;
}

struct ArchiveReadDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct ArchiveWriteDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};

std::string archiveError(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "error de archivo";
}

}  // namespace

std::string UpdateFailure::description() const {
    switch (error) {
        case UpdateError::badSignature: return "badSignature";
        case UpdateError::badFile: return "badFile";
        case UpdateError::notWritable: return "notWritable";
        case UpdateError::mount: return "mount";
        case UpdateError::notNewer: return "notNewer";
        case UpdateError::other: break;
    }
    return detail;
}

std::shared_ptr<WorkFolder> WorkFolder::create(std::string& error) {
    fs::path base = "/tmp";
    std::error_code ec;
    if (const char* t = std::getenv("TMPDIR"); t && *t == '/' && fs::is_directory(t, ec)) base = t;
    std::string name = (base / "Quorlix-XXXXXX").string();
    if (!::mkdtemp(name.data())) {
        error = std::string("mkdtemp: ") + std::strerror(errno);
        return nullptr;
    }
    auto folder = std::shared_ptr<WorkFolder>(new WorkFolder(name));
    const fs::path real = fs::canonical(name, ec);
    if (ec) {
        error = "mkdtemp: " + ec.message();
        return nullptr;
    }
    folder->path_ = real;
    return folder;
}

WorkFolder::~WorkFolder() {
    if (!kept_) remove();
}

void WorkFolder::remove() { removeTree(path_); }

std::optional<UpdateFailure> installRefusal(const fs::path& applicationFolder, const std::string& version) {
    std::error_code ec;
    const fs::path folder = fs::canonical(applicationFolder, ec);
    if (ec) return failure(UpdateError::notWritable);
    // The user's data is never an application folder, whatever it holds.
    const fs::path data =
        fs::weakly_canonical(platform::Paths::applicationSupportDirectory() / "Quorlix", ec);
    if (!ec && isWithin(folder, data)) return failure(UpdateError::notWritable);
    const auto info = AppInfo::read(folder);
    if (!info || info->identifier != ApplicationFolder::identifier) return failure(UpdateError::notWritable);
    if (ApplicationFolder::isDevelopmentBuild(folder)) return failure(UpdateError::notWritable);
    if (::access(folder.parent_path().c_str(), W_OK) != 0) return failure(UpdateError::notWritable);
    if (compareVersions(info->version, version) >= 0) return failure(UpdateError::notNewer);
    return std::nullopt;
}

std::string sha256Hex(std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::uint8_t digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, bytes.data(), bytes.size());
    std::string out;
    for (const std::uint8_t byte : digest) {
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 0xF]);
    }
    return out;
}

std::optional<UpdateError> verifyArchive(std::span<const std::uint8_t> bytes, const UpdateManifest& manifest,
                                         std::string_view publicKey) {
    if (sodium_init() < 0) return UpdateError::badSignature;
    if (manifest.size && static_cast<std::uint64_t>(*manifest.size) != bytes.size())
        return UpdateError::badFile;
    // Compared as written: an upper-case digest is not ours.
    if (!manifest.sha256 || *manifest.sha256 != sha256Hex(bytes)) return UpdateError::badFile;

    const auto key = platform::decodeBase64(publicKey);
    if (!key || key->size() != crypto_sign_PUBLICKEYBYTES) return UpdateError::badSignature;
    if (!manifest.signature) return UpdateError::badSignature;
    const auto signature = platform::decodeBase64(*manifest.signature);
    if (!signature || signature->size() != crypto_sign_BYTES) return UpdateError::badSignature;
    if (crypto_sign_verify_detached(signature->data(), bytes.data(), bytes.size(), key->data()) != 0) {
        return UpdateError::badSignature;
    }
    return std::nullopt;
}

std::optional<UpdateFailure> extractArchive(std::span<const std::uint8_t> bytes, const fs::path& destination,
                                            const ExtractionLimits& limits) {
    std::unique_ptr<archive, ArchiveReadDeleter> reader(archive_read_new());
    std::unique_ptr<archive, ArchiveWriteDeleter> writer(archive_write_disk_new());
    if (!reader || !writer) return failure(UpdateError::other, "libarchive");
    archive_read_support_filter_gzip(reader.get());
    archive_read_support_filter_xz(reader.get());
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        return failure(UpdateError::mount);
    }
    // Our own checks come first; these catch a path that runs through a link unpacked
    // earlier, and never replace what is already there.
    archive_write_disk_set_options(
        writer.get(), ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                          ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_NO_OVERWRITE);

    std::uint64_t entries = 0, total = 0;
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return failure(UpdateError::mount);
        if (++entries > limits.maxEntries) return failure(UpdateError::badFile);

        const auto path = entryPath(archive_entry_pathname(entry));
        if (!path || archive_entry_hardlink(entry)) return failure(UpdateError::badFile);
        const auto type = archive_entry_filetype(entry);
        if (type == AE_IFLNK) {
            if (!linkStaysInside(archive_entry_symlink(entry))) return failure(UpdateError::badFile);
        } else if (type != AE_IFREG && type != AE_IFDIR) {
            return failure(UpdateError::badFile);
        }
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0 &&
            static_cast<std::uint64_t>(archive_entry_size(entry)) > limits.maxBytes - total) {
            return failure(UpdateError::badFile);
        }
        archive_entry_set_pathname(entry, (destination / *path).c_str());
        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
        const int written = archive_write_header(writer.get(), entry);
        if (written != ARCHIVE_OK && written != ARCHIVE_WARN) {
            return failure(UpdateError::badFile, archiveError(writer.get()));
        }
        if (type == AE_IFREG) {
            // What the file takes once written out: up to its furthest byte, holes included,
            // since the staging copy writes holes out as zeros.
            std::uint64_t end = 0;
            const auto grow = [&](std::uint64_t to) {
                if (to <= end) return true;
                total += to - end;
                end = to;
                return total <= limits.maxBytes;
            };
            for (;;) {
                const void* block = nullptr;
                std::size_t size = 0;
                la_int64_t offset = 0;
                const int read = archive_read_data_block(reader.get(), &block, &size, &offset);
                if (read == ARCHIVE_EOF) break;
                if (read != ARCHIVE_OK && read != ARCHIVE_WARN) return failure(UpdateError::mount);
                if (offset < 0 || !grow(static_cast<std::uint64_t>(offset) + size))
                    return failure(UpdateError::badFile);
                if (archive_write_data_block(writer.get(), block, size, offset) < ARCHIVE_WARN) {
                    return failure(UpdateError::other, archiveError(writer.get()));
                }
            }
            // A hole at the end still makes the file that long.
            if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0 &&
                !grow(static_cast<std::uint64_t>(archive_entry_size(entry)))) {
                return failure(UpdateError::badFile);
            }
        }
        if (archive_write_finish_entry(writer.get()) < ARCHIVE_WARN) {
            return failure(UpdateError::other, archiveError(writer.get()));
        }
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        return failure(UpdateError::other, archiveError(writer.get()));
    return std::nullopt;
}

std::optional<UpdateError> checkApplication(const fs::path& folder, const std::string& version) {
    const auto info = AppInfo::read(folder);
    if (!info || info->identifier != ApplicationFolder::identifier || info->version != version) {
        return UpdateError::badFile;
    }
    struct stat program {};
    if (::lstat((folder / ApplicationFolder::programFile).c_str(), &program) != 0 ||
        !S_ISREG(program.st_mode) || !(program.st_mode & S_IXUSR)) {
        return UpdateError::badFile;
    }
    return std::nullopt;
}

StageResult stageUpdate(const StageRequest& request) {
    const auto fail = [](UpdateFailure f) { return StageResult{std::move(f), {}}; };
    const MappedFile file(request.archive);
    if (!file.ok()) return fail(failure(UpdateError::badFile));
    if (const auto error = verifyArchive(file.bytes(), request.manifest, request.publicKey)) {
        return fail(failure(*error));
    }

    const fs::path mount = request.workFolder / ("QuorlixMount-" + platform::newUUID());
    if (::mkdir(mount.c_str(), 0700) != 0) return fail(failure(UpdateError::other, std::strerror(errno)));
    // Detaching: the unpacked tree goes, whatever happens.
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> detach(
        &mount, [](const fs::path* p) { removeTree(*p); });
    if (auto refused = extractArchive(file.bytes(), mount, request.limits)) return fail(std::move(*refused));
    const fs::path unpacked = mount / topFolder;
    if (const auto error = checkApplication(unpacked, request.manifest.version)) return fail(failure(*error));

    const fs::path staging = request.workFolder / ("QuorlixUpdate-" + platform::newUUID());
    if (::mkdir(staging.c_str(), 0700) != 0) return fail(failure(UpdateError::other, std::strerror(errno)));
    std::error_code ec;
    fs::copy(unpacked, staging / topFolder, fs::copy_options::recursive | fs::copy_options::copy_symlinks,
             ec);
    if (ec) return fail(failure(UpdateError::badFile, ec.message()));

    if (auto refused = installRefusal(request.applicationFolder, request.manifest.version)) {
        return fail(std::move(*refused));
    }
    return {std::nullopt, staging / topFolder};
}

}  // namespace quorlix
