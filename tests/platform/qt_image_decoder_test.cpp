// Decoding pictures with Qt, within limits.

#include "platform/linux/qt_image_decoder.h"

#include "qt_test_support.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

std::string encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

TEST(QtImageDecoderTest, DecodesToStraightRGBA) {
    testing::qtApplication();
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 255));
    image.setPixelColor(2, 1, QColor(200, 100, 50, 128));
    QtImageDecoder decoder;
    const auto decoded = decoder.decode(encode(image, "PNG"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 3);
    EXPECT_EQ(decoded->height, 2);
    const auto& px = *decoded->pixels;
    EXPECT_EQ((std::vector<std::uint8_t>(px.begin(), px.begin() + 4)),
              (std::vector<std::uint8_t>{10, 20, 30, 255}));
    const std::size_t last = (1 * 3 + 2) * 4;
    EXPECT_EQ(px[last + 3], 128);
    EXPECT_NEAR(px[last], 200, 1);  // straight, not premultiplied
}

TEST(QtImageDecoderTest, RefusesWhatBreaksTheLimits) {
    testing::qtApplication();
    QtImageDecoder decoder;
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const std::string bytes = encode(image, "PNG");
    EXPECT_TRUE(decoder.decode(bytes, {bytes.size(), 100 * 100}));
    EXPECT_FALSE(decoder.decode(bytes, {bytes.size() - 1, 100 * 100}));
    EXPECT_FALSE(decoder.decode(bytes, {bytes.size(), 100 * 100 - 1}));
    EXPECT_FALSE(decoder.decode("definitely not a picture"));
    EXPECT_FALSE(decoder.decode(""));
}

}  // namespace
}  // namespace quorlix::platform
