#include "services/artwork.h"

#include "platform/main_queue.h"
#include "services/hsb.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorlix {

std::optional<RGBA> Artwork::vibrantAverageColor(const platform::Image& image) {
    if (image.isEmpty()) return std::nullopt;
    const auto& px = *image.pixels;
    double sum[3] = {0, 0, 0};
    for (std::size_t i = 0; i + 3 < px.size(); i += 4) {
        const double alpha = px[i + 3] / 255.0;
        for (int c = 0; c < 3; ++c) sum[c] += px[i + c] * alpha;
    }
    const double count = static_cast<double>(image.width) * static_cast<double>(image.height);
    // The average is rendered into one RGBA8 pixel, then read back as sRGB.
    double channel[3];
    for (int c = 0; c < 3; ++c) channel[c] = std::clamp(std::round(sum[c] / count), 0.0, 255.0) / 255.0;
    const HSB average = HSB::of({channel[0], channel[1], channel[2], 1});
    return HSB{average.hue, std::min(average.saturation * 1.3, 0.85), std::max(average.brightness, 0.85)}
        .color();
}

bool Artwork::isHTTPSAddress(std::string_view text) {
    constexpr std::string_view prefix = "https://";
    if (!text.starts_with(prefix)) return false;
    // Characters an address may not hold unescaped.
    for (const unsigned char c : text) {
        if (c <= 0x20 || c >= 0x7F) return false;
        if (std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    const auto rest = text.substr(prefix.size());
    const auto hostEnd = rest.find_first_of("/?#");
    const auto authority = rest.substr(0, hostEnd);
    const auto at = authority.rfind('@');
    const auto host = at == std::string_view::npos ? authority : authority.substr(at + 1);
    return !host.empty() && host.front() != ':';
}

int Artwork::drawnSide(const std::vector<platform::Screen>& screens) {
    double pixels = 0;
    for (const auto& screen : screens) {
        const double scale = screen.backingScaleFactor > 0 ? screen.backingScaleFactor : 1;
        pixels = std::max(pixels, std::max(lockViewShare * screen.frame.height(), islandLargestSide) * scale);
    }
    if (!(pixels > 0) || !std::isfinite(pixels)) pixels = lockViewShare * 2160;
    // Past the largest picture decoded, nothing is reduced anyway.
    return static_cast<int>(std::ceil(std::min(pixels, 4096.0)));
}

platform::WorkItem Artwork::decode(platform::ImageDecoder* decoder, std::string bytes, int side,
                                   std::function<void(std::optional<Picture>)> done) {
    if (!decoder)
        return platform::MainQueue::shared().async([done = std::move(done)] { done(std::nullopt); });
    platform::ImageLimits limits = imageLimits;
    limits.fillSide = side;
    // `done` stays with the handle, on the main thread; the decoding thread holds only the slot
    // it fills and, weakly, the work that hands it over. The decode's own handle goes with it.
    auto picture = std::make_shared<std::optional<Picture>>();
    auto decoding = std::make_shared<platform::WorkItem>();
    auto delivery = std::make_shared<platform::Job>(
        [picture, decoding, done = std::move(done)] { done(std::move(*picture)); });
    // On the decoding thread: the colour too is taken there.
    auto finish = [picture, weak = std::weak_ptr(delivery)](
                      std::optional<platform::Image> image) -> std::function<void()> {
        if (image) {
            const auto color = vibrantAverageColor(*image);
            *picture = Picture{std::move(*image), color};
        }
        return [weak] {
            if (const auto delivery = weak.lock()) delivery->run();
        };
    };
    *decoding = decoder->decodeDetached(std::move(bytes), limits, std::move(finish));
    return platform::WorkItem(delivery);
}

platform::HttpTask Artwork::download(platform::HttpClient* http, const std::string& url,
                                     std::function<void(std::optional<std::string>)> done) {
    if (!http) {
        platform::MainQueue::shared().post([done = std::move(done)] { done(std::nullopt); });
        return {};
    }
    platform::HttpRequest request;
    request.url = url;
    request.timeout = downloadTimeout;
    request.maxBodySize = maxDownloadSize;
    return http->get(std::move(request), [done = std::move(done)](platform::HttpResult result) {
        auto& response = result.response;
        if (!response || response->statusCode < 200 || response->statusCode > 299) {
            done(std::nullopt);
            return;
        }
        done(std::move(response->body));
    });
}

}  // namespace quorlix
