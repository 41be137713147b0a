#include "settings/application_icon.h"

#include "platform/atomic_file.h"
#include "platform/image_decoder.h"
#include "platform/paths.h"
#include "platform/platform.h"

#include <system_error>

namespace quorlix {

namespace {

// The icon is 512 pixels square; anything far larger in its place is not ours to decode.
constexpr std::uintmax_t maxIconBytes = 8 * 1024 * 1024;

// Empty until the first read; then the icon, or nothing when there is none.
std::optional<std::optional<platform::Image>>& cached() {
    static std::optional<std::optional<platform::Image>> icon;
    return icon;
}

}  // namespace

const std::optional<platform::Image>& ApplicationIcon::image() {
    auto& icon = cached();
    if (!icon) icon.emplace(load(platform::Paths::applicationIcon(), platform::installed().imageDecoder));
    return *icon;
}

void ApplicationIcon::resetShared() { cached().reset(); }

void ApplicationIcon::setImage(std::optional<platform::Image> image) { cached().emplace(std::move(image)); }

std::optional<platform::Image> ApplicationIcon::load(const std::filesystem::path& file,
                                                     platform::ImageDecoder* decoder) {
    if (!decoder) return std::nullopt;
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size == 0 || size > maxIconBytes) return std::nullopt;
    // The limit again: the file may have grown since.
    const auto bytes = platform::readFile(file, maxIconBytes);
    if (!bytes) return std::nullopt;
    platform::ImageLimits limits;
    limits.maxBytes = maxIconBytes;
    limits.maxPixels = 1024 * 1024;
    return decoder->decode(*bytes, limits);
}

}  // namespace quorlix
