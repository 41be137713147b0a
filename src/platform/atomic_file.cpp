#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {
std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

// The temporary file a write of `path` uses: ".<name>.tmp-<number>" beside it.
constexpr std::string_view temporaryMark = ".tmp-";

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Creates the temporary file of a write of `path` and holds its lock until it is closed: a
// start that finds it locked leaves it to the write under way (another instance's, or this
// one's). A file removed as a leftover between its creation and its lock is made again.
int createTemporary(const fs::path& dir, const fs::path& path, mode_t mode, fs::path& tmp) {
    std::random_device rd;
    for (int attempt = 0;; ++attempt) {
        // Built with append: GCC 12 at -O3 misreads a chain of `+` here as an overlapping copy.
        std::string name = ".";
        name.append(path.filename().string()).append(temporaryMark).append(std::to_string(rd()));
        tmp = dir / name;
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) return fd;
        // A file system without locks writes all the same; no start removes what it cannot lock.
        if (::flock(fd, LOCK_EX) != 0) return fd;
        struct stat opened {};
        struct stat named {};
        if ((::fstat(fd, &opened) == 0 && ::lstat(tmp.c_str(), &named) == 0 && sameFile(opened, named)) ||
            attempt == 3)
            return fd;
        ::close(fd);
    }
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
}  // namespace

std::optional<std::string> writeFileAtomically(const fs::path& path, std::string_view contents) {
    return writeFileAtomically(path, contents, AtomicWriteOptions{});
}

std::optional<fs::path> resolveSymlinks(const fs::path& path) {
    // The kernel's own limit on links followed while resolving a path.
    constexpr int maxLinks = 40;
    fs::path current = path;
    for (int i = 0; i < maxLinks; ++i) {
        std::error_code ec;
        const auto type = fs::symlink_status(current, ec).type();
        if (type == fs::file_type::none) return std::nullopt;  // cannot be looked at
        if (type != fs::file_type::symlink) return current;    // a file, or nothing yet
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) return std::nullopt;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return std::nullopt;
}

std::optional<std::string> writeFileAtomically(const fs::path& requested, std::string_view contents,
                                               const AtomicWriteOptions& options) {
    fs::path path = requested;
    if (options.followSymlinks) {
        const auto target = resolveSymlinks(requested);
        if (!target) return "no se pudo seguir el enlace " + requested.string();
        path = *target;
    }
    std::error_code ec;
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    fs::create_directories(dir, ec);
    if (ec) return "no se pudo crear " + dir.string() + ": " + ec.message();

    // Keep the permissions of the file being replaced (a user's own file may be private).
    auto mode = static_cast<mode_t>(options.newFileMode & fs::perms::mask);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;

    fs::path tmp;
    const int fd = createTemporary(dir, path, mode, tmp);
    if (fd < 0) return errnoText("no se pudo crear " + tmp.string());
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, contents) || ::fsync(fd) != 0) {
        const auto err = errnoText("no se pudo escribir " + tmp.string());
        ::close(fd);
        ::unlink(tmp.c_str());
        return err;
    }
    // Renamed while still open, so locked: closing it (fsync has told any write error) lets
    // the lock go.
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const auto err = errnoText("no se pudo reemplazar " + path.string());
        ::unlink(tmp.c_str());
        ::close(fd);
        return err;
    }
    ::close(fd);
    if (const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return std::nullopt;
}

std::optional<std::string> overwriteFile(const fs::path& path, std::string_view contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errnoText("no se pudo abrir " + path.string());
    struct stat info {};
    std::optional<std::string> error;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "no es un archivo normal: " + path.string();
    } else if (!writeAll(fd, contents) || ::fsync(fd) != 0 ||
               ::ftruncate(fd, static_cast<off_t>(contents.size())) != 0 || ::fsync(fd) != 0) {
        error = errnoText("no se pudo escribir " + path.string());
    }
    if (::close(fd) != 0 && !error) error = errnoText("no se pudo cerrar " + path.string());
    return error;
}

int openRegularFile(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    // What was opened is what counts: the path may name something else by now.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::string> readFile(const fs::path& path, std::size_t limit) {
    const int fd = openRegularFile(path);
    if (fd < 0) return std::nullopt;
    // A file already past the limit is not read at all; one that grows meanwhile stops the read
    // once it passes it.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || static_cast<std::uintmax_t>(info.st_size) > limit) {
        ::close(fd);
        return std::nullopt;
    }
    std::optional<std::string> bytes(std::in_place);
    bytes->reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        // One byte past the limit tells a file that is too large.
        const std::size_t room = limit - bytes->size();
        const ssize_t n = ::read(fd, buffer, room < sizeof buffer ? room + 1 : sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        if (n < 0 || static_cast<std::size_t>(n) > room) {
            bytes.reset();
            break;
        }
        bytes->append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void removeLeftoverTemporaries(const fs::path& path) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string prefix = ".";
    prefix.append(path.filename().string()).append(temporaryMark);
    DIR* entries = ::opendir(folder.c_str());
    if (!entries) return;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || name.size() == prefix.size() || name.size() > prefix.size() + 10 ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string_view::npos)
            continue;
        // Only a file no write holds, and still the one looked at when it goes.
        const fs::path leftover = folder / std::string(name);
        const int fd = ::open(leftover.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::lstat(leftover.c_str(), &named) == 0 && sameFile(opened, named))
            ::unlink(leftover.c_str());
        ::close(fd);
    }
    ::closedir(entries);
}

}  // namespace quorlix::platform
