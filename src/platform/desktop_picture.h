#pragma once
// Where the desktop's picture (the wallpaper) is, as the desktop itself records it.
// On Linux: GNOME's settings, or KDE Plasma's desktop configuration.

#include <filesystem>
#include <optional>

namespace quorlix::platform {

class DesktopPicture {
public:
    virtual ~DesktopPicture() = default;
    // The picture file of the main screen, or nothing when the desktop names none that is a
    // local file. Blocking (reads the desktop's settings); main thread.
    virtual std::optional<std::filesystem::path> picturePath() = 0;
};

}  // namespace quorlix::platform
