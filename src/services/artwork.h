#pragma once
// Artwork of the playing track: its download and the accent colour taken from it.

#include "foundation/rgba.h"
#include "platform/http_client.h"
#include "platform/image.h"
#include "platform/image_decoder.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

struct Artwork {
    // Downloads are refused past these, and so are pictures too large to decode safely.
    static constexpr double downloadTimeout = 15;
    static constexpr std::size_t maxDownloadSize = 10 * 1024 * 1024;
    static constexpr platform::ImageLimits imageLimits{maxDownloadSize, 4096 * 4096};

    // The colour of the whole picture averaged into one pixel (premultiplied by alpha, as
    // the platform's area average is), kept in hue, made at least fairly bright (0.85) and
    // at most 0.85 saturated (1.3 times the average's saturation below that). Nothing for
    // an empty image.
    static std::optional<RGBA> vibrantAverageColor(const platform::Image& image);

    // Whether `text` is a well-formed address with the scheme exactly "https" and a host.
    static bool isHTTPSAddress(std::string_view text);

    // Fetches `url` and decodes it; `done` gets the picture on the main thread, or nothing
    // when the transfer fails, the status is not 2xx, the body is too large or is not a
    // picture within `imageLimits`. Missing backends give nothing. Letting the handle go
    // cancels the download.
    static platform::HttpTask download(platform::HttpClient* http, platform::ImageDecoder* decoder,
                                       const std::string& url,
                                       std::function<void(std::optional<platform::Image>)> done);
};

}  // namespace quorlix
