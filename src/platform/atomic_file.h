#pragma once
// Writing a file so that readers see either the old contents or the new, never a mix or an
// empty file: write a temporary file beside it, flush it to disk, rename it over the target
// and flush the folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

// The temporary file is ".<name>.tmp-<number>" in the target's folder, locked while the write
// lasts. Creates missing parent folders. Returns an error text on failure (the target
// untouched).
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

struct AtomicWriteOptions {
    // A symbolic link at the path is followed to the file it names, which is replaced; the
    // link itself stays (a user's dotfile may link into a folder of their own).
    bool followSymlinks = false;
    // The permissions of a file that does not exist yet; an existing file keeps its own.
    std::filesystem::perms newFileMode = std::filesystem::perms(0644);
};
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view contents,
                                               const AtomicWriteOptions& options);

// Writes over an existing regular file, for one whose folder takes no new file: the new
// contents from its start, flushed, then the file cut to their length and flushed again. It
// is never empty meanwhile nor shorter than the new contents, but a crash before the end may
// leave the new contents followed by the old ones' tail: a caller keeps a copy to tell.
std::optional<std::string> overwriteFile(const std::filesystem::path& path, std::string_view contents);

// Removes the temporary files that writes of `path` cut short by a kill left beside it: those
// of exactly that name and no write holds. Nothing else there is touched.
void removeLeftoverTemporaries(const std::filesystem::path& path);

// The file a chain of symbolic links at `path` ends in (`path` itself when it is no link).
// Nothing when the chain is too long or a link cannot be read.
std::optional<std::filesystem::path> resolveSymlinks(const std::filesystem::path& path);

// A regular file opened for reading (a descriptor to close), or -1. Whatever else stands at the
// path, a FIFO, a device or a socket, is refused before it is opened, and the opening never
// waits: a FIFO put in the file's place meanwhile is refused too, not waited on for a writer.
int openRegularFile(const std::filesystem::path& path);

// The whole file, or nothing when it is missing, not a regular file, larger than `limit`
// bytes or cannot be read. Opened as `openRegularFile` opens it.
std::optional<std::string> readFile(const std::filesystem::path& path,
                                    std::size_t limit = static_cast<std::size_t>(-1));

}  // namespace quorlix::platform
