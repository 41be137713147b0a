#pragma once
// Image decoding with Qt's image readers (PNG, JPEG, GIF, ...). The declared size is checked
// against the limits before any pixel is decoded. Decodes apart run on threads of their own,
// two at a time, holding nothing of the decoder.

#include "platform/detached_workers.h"
#include "platform/image_decoder.h"

class QImage;

namespace quorlix::platform {

class QtImageDecoder final : public ImageDecoder {
public:
    std::optional<Image> decode(std::string_view bytes, const ImageLimits& limits = {}) override;
    [[nodiscard]] WorkItem decodeDetached(std::string bytes, ImageLimits limits, Finish finish) override;

private:
    // Two: a newer picture never waits behind one whose decode is already under way.
    DetachedWorkers decodes_{2};
};

// A Qt image as our plain RGBA value; nothing for a null image.
std::optional<Image> imageFromQImage(const QImage& image);

}  // namespace quorlix::platform
