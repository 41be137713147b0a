#pragma once
// The application folder, Linux's counterpart of an application bundle: the folder of the
// running program, holding the program `quorlix`, its `resources/` and `app-info.json`, which
// the build writes:
//
//     {"identifier": "com.halvik.quorlix", "version": "1.0.0", "build": "0"}
//
// A user's copy lives in ~/Applications/Quorlix (or a system place such as /opt/Quorlix). A
// build tree marks itself with `resources/.devbuild`; a program without `app-info.json` (a
// distribution's package) is no application folder at all. Neither is ever replaced.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quorlix {

struct AppInfo {
    std::string identifier;
    std::string version;
    std::string build;

    // The folder's `app-info.json`; nothing when it is missing, unreadable, larger than
    // `ApplicationFolder::maxInfoSize` or lacks the identifier or the version.
    static std::optional<AppInfo> read(const std::filesystem::path& folder);
};

struct ApplicationFolder {
    static constexpr const char* identifier = "com.halvik.quorlix";
    static constexpr const char* infoFile = "app-info.json";
    // A few lines; a larger file is none, and is never read whole.
    static constexpr std::size_t maxInfoSize = 64 * 1024;
    static constexpr const char* programFile = "quorlix";
    static constexpr const char* developmentMarker = "resources/.devbuild";

    // The folder of the running program (links resolved).
    static std::filesystem::path running();
    static bool isDevelopmentBuild(const std::filesystem::path& folder);
};

}  // namespace quorlix
