#pragma once
// Where the system keeps its files. The folders the system names after the macOS layout map
// to their XDG counterparts:
//
//   ~/Library/Logs                  -> $XDG_STATE_HOME   (default ~/.local/state)
//   ~/Library/Application Support   -> $XDG_DATA_HOME    (default ~/.local/share)
//   defaults domain <name>          -> $XDG_CONFIG_HOME/<name>.json (default ~/.config)
//
// Files named outside ~/Library (an agent's ~/.claude/settings.json) keep their paths under
// `home()`. Every answer is read from the environment when asked, so tests that point HOME
// and the XDG variables at a temporary folder see their own tree.

#include <filesystem>
#include <string>

namespace quorlix::platform {

struct Paths {
    static std::filesystem::path home();
    static std::filesystem::path logsDirectory();
    static std::filesystem::path applicationSupportDirectory();
    static std::filesystem::path configDirectory();
    // Files that may be thrown away and made again ($XDG_CACHE_HOME).
    static std::filesystem::path cacheDirectory();
    static std::filesystem::path defaultsFile(const std::string& domain);
    static std::filesystem::path autostartDirectory();
    // The application's read-only resources (sounds): $QUORLIX_RESOURCES when set, else the
    // `resources` folder beside the executable, else the installed share folder.
    static std::filesystem::path resourcesDirectory();
    // The application's icon, a 512 by 512 PNG among the resources.
    static std::filesystem::path applicationIcon();
    // The running executable.
    static std::filesystem::path executable();
};

}  // namespace quorlix::platform
