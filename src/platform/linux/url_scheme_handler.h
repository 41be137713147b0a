#pragma once
// Makes this executable the user's handler of `quorlix://` addresses, as the platform does for
// an application it has seen run: a desktop entry in the user's applications folder that
// declares the scheme and launches this program with the address, which a second launch then
// hands to the running instance.
//
// The entry is written only when it is missing or names another program; the desktop's own
// tools are then asked to take it in (and to make it the scheme's default, through xdg-mime,
// where they are installed). Main thread only.

#include <filesystem>
#include <string>

namespace quorlix::platform {

struct UrlSchemeHandler {
    static constexpr const char* desktopID = "com.halvik.quorlix.desktop";
    static constexpr const char* mimeType = "x-scheme-handler/quorlix";

    // The entry's file, in $XDG_DATA_HOME/applications.
    static std::filesystem::path entryFile();
    // The entry that launches `executable`.
    static std::string entry(const std::filesystem::path& executable);
    // True when the entry was written now; false when it was up to date or could not be
    // written (which is logged).
    static bool registerExecutable(const std::filesystem::path& executable);
};

}  // namespace quorlix::platform
