#pragma once
// Artwork of the playing track: its download, its decoding at the size it is drawn, and the
// accent colour taken from it.

#include "foundation/rgba.h"
#include "platform/http_client.h"
#include "platform/image.h"
#include "platform/image_decoder.h"
#include "platform/screen.h"
#include "platform/work_item.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

struct Artwork {
    // Downloads are refused past these, and so are pictures too large to decode safely.
    static constexpr double downloadTimeout = 15;
    static constexpr std::size_t maxDownloadSize = 10 * 1024 * 1024;
    static constexpr platform::ImageLimits imageLimits{maxDownloadSize, 4096 * 4096};

    // The largest square the artwork is drawn in: the full-artwork lock view's, this share of
    // its screen's height, and never smaller than the island's own largest tile (the music
    // page's, at the tallest island), points.
    static constexpr double lockViewShare = 0.43;
    static constexpr double islandLargestSide = 188;

    // A picture as it is shown: reduced to the largest square it is drawn in, and its colour.
    struct Picture {
        platform::Image image;
        std::optional<RGBA> color;  // `vibrantAverageColor`
    };

    // The colour of the whole picture averaged into one pixel (premultiplied by alpha, as
    // the platform's area average is), kept in hue, made at least fairly bright (0.85) and
    // at most 0.85 saturated (1.3 times the average's saturation below that). Nothing for
    // an empty image.
    static std::optional<RGBA> vibrantAverageColor(const platform::Image& image);

    // Whether `text` is a well-formed address with the scheme exactly "https" and a host.
    static bool isHTTPSAddress(std::string_view text);

    // The side, pixels, of the largest square the artwork is drawn in on any of `screens`, at
    // its scale; with no screen known, that of a screen 2160 pixels tall.
    static int drawnSide(const std::vector<platform::Screen>& screens);

    // Decodes `bytes` within `imageLimits` off the main thread, reduced to fill a square of
    // `side` pixels, and takes its colour there. `done` gets the picture on the main thread, or
    // nothing when the bytes are not a picture within the limits or there is no decoder.
    // Letting the handle go drops the decode (one under way ends on its own thread, unheard).
    static platform::WorkItem decode(platform::ImageDecoder* decoder, std::string bytes, int side,
                                     std::function<void(std::optional<Picture>)> done);

    // Fetches `url`; `done` gets the body on the main thread, or nothing when the transfer
    // fails, the status is not 2xx or the body is too large. A missing client gives nothing.
    // Letting the handle go cancels the download.
    static platform::HttpTask download(platform::HttpClient* http, const std::string& url,
                                       std::function<void(std::optional<std::string>)> done);
};

}  // namespace quorlix
