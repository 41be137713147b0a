#pragma once
// Turns encoded image bytes (PNG, JPEG, ...) into an `Image`. Pictures come from other
// applications and from the network, so every decode has limits: bytes over `maxBytes`, or a
// picture whose declared size exceeds `maxPixels`, are refused before anything is decoded.
//
// In thumbnail mode (`thumbnailMaxSide` > 0) a picture of any declared size is decoded at a
// reduced scale, its longer side at most that many pixels, with the orientation its file
// records applied; `maxPixels` then bounds the thumbnail. Otherwise `fillSide` > 0 decodes a
// picture within the limits at a reduced scale that still fills a square of that many pixels:
// its shorter side at most that long, never enlarged.
//
// A large picture takes a long while to decode (a 4096 × 4096 PNG, most of a second), so
// pictures the main thread waits for are decoded apart with `decodeDetached`:
//
//     decoding_ = decoder.decodeDetached(std::move(bytes), limits,
//         [](std::optional<Image> image) -> std::function<void()> {
//             const auto size = image ? image->width : 0;    // on the decoding thread
//             return [size] { show(size); };                 // on the main thread
//         });

#include "platform/image.h"
#include "platform/work_item.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

struct ImageLimits {
    std::size_t maxBytes = 20 * 1024 * 1024;
    std::size_t maxPixels = 4096 * 4096;
    int thumbnailMaxSide = 0;
    int fillSide = 0;
};

class ImageDecoder {
public:
    // What a decode apart makes of its picture (nothing: the bytes are not a picture within
    // the limits), on the decoding thread: it returns the work that hands the result over on
    // the main thread, or nothing. It must own all it uses, as it may outlive its caller.
    using Finish = std::function<std::function<void()>(std::optional<Image>)>;

    virtual ~ImageDecoder() = default;
    // The picture in `bytes`, or nothing when they are not a picture or break a limit.
    virtual std::optional<Image> decode(std::string_view bytes, const ImageLimits& limits = {}) = 0;
    // Decodes `bytes` off the main thread, on a thread nothing waits for, and runs `finish`
    // there; the work it returns follows once on the main thread. Destroying the handle first
    // means that work never comes, and a decode that has not begun never does. A decode still
    // running when the decoder goes ends on its own, its result dropped. Main thread only.
    [[nodiscard]] virtual WorkItem decodeDetached(std::string bytes, ImageLimits limits, Finish finish) = 0;
};

}  // namespace quorlix::platform
