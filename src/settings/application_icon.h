#pragma once
// The application's own icon, the picture among its resources, for the views that show it
// beside the application's name. Decoded once, on first use, with the installed platform's
// decoder; a missing or undecodable file leaves no icon for the rest of the process.
//
//     if (const auto& icon = ApplicationIcon::image()) Image(*icon).resizable()
//
// Main thread only.

#include "platform/image.h"

#include <filesystem>
#include <optional>

namespace quorlix {

namespace platform {
class ImageDecoder;
}  // namespace platform

struct ApplicationIcon {
    // The icon of `platform::Paths::applicationIcon()`, read on first use.
    static const std::optional<platform::Image>& image();
    // Forgets it, so the next `image()` reads again (tests only).
    static void resetShared();
    // Puts an icon in place without reading the resources (tests and tools).
    static void setImage(std::optional<platform::Image> image);
    // The picture in `file`, or nothing.
    static std::optional<platform::Image> load(const std::filesystem::path& file,
                                               platform::ImageDecoder* decoder);
};

}  // namespace quorlix
