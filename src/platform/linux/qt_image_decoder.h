#pragma once
// Image decoding with Qt's image readers (PNG, JPEG, GIF, ...). The declared size is checked
// against the limits before any pixel is decoded.

#include "platform/image_decoder.h"

class QImage;

namespace quorlix::platform {

class QtImageDecoder final : public ImageDecoder {
public:
    std::optional<Image> decode(std::string_view bytes, const ImageLimits& limits = {}) override;
};

// A Qt image as our plain RGBA value; nothing for a null image.
std::optional<Image> imageFromQImage(const QImage& image);

}  // namespace quorlix::platform
