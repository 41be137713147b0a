#pragma once
// The desktop picture on Linux.
//
// GNOME: the "org.gnome.desktop.background" settings name it, "picture-uri-dark" while
// "org.gnome.desktop.interface" "color-scheme" is "prefer-dark", else "picture-uri"; only
// file addresses count, and a background description (an XML file, Debian's default) stands
// for the first picture it lists.
// KDE Plasma: the "Image" of the first desktop containment's org.kde.image wallpaper in
// plasma-org.kde.plasma.desktop-appletsrc; a wallpaper package (a folder) stands for the
// largest picture in its contents/images.
// In a Plasma session KDE's file is read first, elsewhere GNOME's settings.

#include "platform/desktop_picture.h"

#include <string_view>

namespace quorlix::platform {

class LinuxDesktopPicture final : public DesktopPicture {
public:
    std::optional<std::filesystem::path> picturePath() override;

    // The steps, for tests.
    static std::optional<std::filesystem::path> fromGnomeSettings();
    // `appletsrc`: KDE's desktop configuration file.
    static std::optional<std::filesystem::path> fromKdeConfig(const std::filesystem::path& appletsrc);
    // A local path from a `file://` address (percent-decoded), or a plain absolute path.
    static std::optional<std::filesystem::path> localPath(std::string_view address);
    // The first picture of a GNOME background description.
    static std::optional<std::filesystem::path> firstFileOfBackground(const std::filesystem::path& xml);
    // The largest picture of a Plasma wallpaper package.
    static std::optional<std::filesystem::path> largestImageOfPackage(const std::filesystem::path& package);
};

}  // namespace quorlix::platform
