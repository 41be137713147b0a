#include "platform/linux/qt_image_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstring>

namespace quorlix::platform {

namespace {
bool withinPixels(QSize size, std::size_t maxPixels) {
    return static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()) <= maxPixels;
}
}  // namespace

std::optional<Image> QtImageDecoder::decode(std::string_view bytes, const ImageLimits& limits) {
    if (bytes.empty() || bytes.size() > limits.maxBytes) return std::nullopt;
    const QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
    QImageReader reader(&buffer);
    // Refuse what declares itself too large before decoding it. A format that cannot tell
    // its size up front stays within Qt's own allocation limit and is checked afterwards.
    const QSize declared = reader.size();
    if (declared.isValid() && !withinPixels(declared, limits.maxPixels)) return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull() || !withinPixels(image.size(), limits.maxPixels)) return std::nullopt;
    return imageFromQImage(image);
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
