#pragma once
// Turns encoded image bytes (PNG, JPEG, ...) into an `Image`. Pictures come from other
// applications and from the network, so every decode has limits: bytes over `maxBytes`, or a
// picture whose declared size exceeds `maxPixels`, are refused before anything is decoded.
//
// In thumbnail mode (`thumbnailMaxSide` > 0) a picture of any declared size is decoded at a
// reduced scale, its longer side at most that many pixels, with the orientation its file
// records applied; `maxPixels` then bounds the thumbnail.

#include "platform/image.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorlix::platform {

struct ImageLimits {
    std::size_t maxBytes = 20 * 1024 * 1024;
    std::size_t maxPixels = 4096 * 4096;
    int thumbnailMaxSide = 0;
};

class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // The picture in `bytes`, or nothing when they are not a picture or break a limit.
    virtual std::optional<Image> decode(std::string_view bytes, const ImageLimits& limits = {}) = 0;
};

}  // namespace quorlix::platform
