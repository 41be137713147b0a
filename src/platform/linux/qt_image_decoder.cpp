#include "platform/linux/qt_image_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <memory>

namespace quorlix::platform {

namespace {
bool withinPixels(QSize size, std::size_t maxPixels) {
    return static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()) <= maxPixels;
}

bool longerThan(QSize size, int side) { return size.width() > side || size.height() > side; }

bool shorterSideLongerThan(QSize size, int side) { return std::min(size.width(), size.height()) > side; }

// Uses nothing but its arguments: it runs on threads that may outlive the decoder.
std::optional<Image> decodeImage(std::string_view bytes, const ImageLimits& limits) {
    if (bytes.empty() || bytes.size() > limits.maxBytes) return std::nullopt;
    const QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
    QImageReader reader(&buffer);
    const QSize declared = reader.size();
    const int side = limits.thumbnailMaxSide;
    if (side > 0) {
        // The decoder itself reduces the picture (JPEG decodes at a fraction of its scale), so
        // no full-size copy is ever made. The longer side is the same whichever way it turns.
        reader.setAutoTransform(true);
        if (declared.isValid() && longerThan(declared, side))
            reader.setScaledSize(declared.scaled(side, side, Qt::KeepAspectRatio));
    } else if (declared.isValid() && !withinPixels(declared, limits.maxPixels)) {
        // Refuse what declares itself too large before decoding it. A format that cannot tell
        // its size up front stays within Qt's own allocation limit and is checked afterwards.
        return std::nullopt;
    }
    const int fill = side > 0 ? 0 : limits.fillSide;
    if (fill > 0 && declared.isValid() && shorterSideLongerThan(declared, fill))
        reader.setScaledSize(declared.scaled(fill, fill, Qt::KeepAspectRatioByExpanding));
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    if (side > 0 && longerThan(image.size(), side))
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!withinPixels(image.size(), limits.maxPixels)) return std::nullopt;
    // A format that ignores the scaled size reads whole.
    if (fill > 0 && shorterSideLongerThan(image.size(), fill))
        image = image.scaled(fill, fill, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return imageFromQImage(image);
}

}  // namespace

std::optional<Image> QtImageDecoder::decode(std::string_view bytes, const ImageLimits& limits) {
    return decodeImage(bytes, limits);
}

WorkItem QtImageDecoder::decodeDetached(std::string bytes, ImageLimits limits, Finish finish) {
    auto handOver = std::make_shared<std::function<void()>>();
    auto delivery = std::make_shared<Job>([handOver] {
        if (*handOver) (*handOver)();
    });
    // Held weakly off the main thread: the caller's handle keeps it, so a result nobody wants
    // any more is dropped, and a decode nobody wants by the time its turn comes never starts.
    decodes_.async([bytes = std::move(bytes), limits, finish = std::move(finish), handOver,
                    weak = std::weak_ptr<Job>(delivery)]() -> std::function<void()> {
        if (weak.expired()) return {};
        *handOver = finish(decodeImage(bytes, limits));
        if (!*handOver) return {};
        return [weak] {
            if (const auto delivery = weak.lock()) delivery->run();
        };
    });
    return WorkItem(delivery);
}

std::optional<Image> imageFromQImage(const QImage& source) {
    if (source.isNull()) return std::nullopt;
    const QImage image = source.convertToFormat(QImage::Format_RGBA8888);
    const int width = image.width();
    const int height = image.height();
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels.data() + rowBytes * y, image.constScanLine(y), rowBytes);
    return Image::fromRGBA(width, height, std::move(pixels));
}

}  // namespace quorlix::platform
