#include "platform/image.h"

namespace quorlix::platform {

std::optional<Image> Image::fromRGBA(int width, int height, std::vector<std::uint8_t> rgba) {
    if (width <= 0 || height <= 0) return std::nullopt;
    // Both factors are below 2^31, so the product cannot overflow.
    if (rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        return std::nullopt;
    Image image;
    image.width = width;
    image.height = height;
    image.pixels = std::make_shared<const std::vector<std::uint8_t>>(std::move(rgba));
    return image;
}

bool operator==(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return false;
    if (a.pixels == b.pixels) return true;
    if (!a.pixels || !b.pixels) return false;
    return *a.pixels == *b.pixels;
}

}  // namespace quorlix::platform
