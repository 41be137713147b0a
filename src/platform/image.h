#pragma once
// A decoded picture as a plain value: its size and its pixels, four bytes each (red, green,
// blue, alpha; straight alpha), rows from the top. Copies share the pixels, which are never
// changed after creation, so images are cheap to publish and hand to the view layer.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace quorlix::platform {

struct Image {
    int width = 0;
    int height = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> pixels;

    // An image of `width` by `height` from RGBA bytes, or nothing when the sizes do not
    // match or are not positive.
    static std::optional<Image> fromRGBA(int width, int height, std::vector<std::uint8_t> rgba);

    bool isEmpty() const { return width <= 0 || height <= 0 || !pixels; }
    // Same size and same pixel values.
    friend bool operator==(const Image& a, const Image& b);
};

}  // namespace quorlix::platform
