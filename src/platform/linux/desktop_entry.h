#pragma once
// Installed applications as the freedesktop desktop entries describe them: where an
// application's entry lives, its icon name and the command that launches it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix::platform {

struct DesktopEntry {
    // Entries are a few kilobytes; a larger file is none, and is never read whole.
    static constexpr std::size_t maxFileSize = 1024 * 1024;

    std::string name;
    std::string exec;
    std::string icon;

    // The [Desktop Entry] group of a file's text; nothing without that group.
    static std::optional<DesktopEntry> parse(std::string_view text);
    static std::optional<DesktopEntry> read(const std::filesystem::path& file);
    // The entry file with this desktop id ("spotify.desktop") in the applications folders
    // of $XDG_DATA_HOME and $XDG_DATA_DIRS, the first one found.
    static std::optional<std::filesystem::path> find(const std::string& desktopID);

    // The launch command as program and arguments: quoting undone, field codes ("%U",
    // "%f", ...) dropped, "%%" read as "%". Empty when there is no command.
    std::vector<std::string> command() const;

    // A program's path as the first word of an Exec= value, as the entry file holds it. It is
    // quoted only where the entry rules ask for it, when it holds a reserved character (a
    // space, a quote, "$", ...): xdg-open without a desktop takes the line's first word as it
    // stands, quotes and all, and runs nothing. Inside quotes ", `, $ and the backslash are
    // escaped; "%" is doubled; then the file's own escapes apply, so a backslash the quoting
    // added is doubled once more.
    static std::string execArgument(const std::filesystem::path& program);
};

}  // namespace quorlix::platform
