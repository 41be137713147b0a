#pragma once
// The user's trash: what goes there can be put back from the file manager. On Linux, the
// freedesktop trash of the item's file system. Main thread only.

#include <filesystem>
#include <optional>
#include <string>

namespace quorlix::platform {

class Trash {
public:
    virtual ~Trash() = default;
    // Moves the file or folder at `path` (a symbolic link itself, not what it names) to the
    // trash. Nothing when it is there now; else why not, with the item left where it was.
    virtual std::optional<std::string> moveToTrash(const std::filesystem::path& path) = 0;
};

}  // namespace quorlix::platform
