// Decoding pictures with Qt, within limits.

#include "platform/linux/qt_image_decoder.h"

#include "qt_test_support.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

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

TEST(QtImageDecoderTest, AThumbnailComesUprightAtMost900PixelsLongWhateverItsDeclaredSize) {
    testing::qtApplication();
    // Stored sideways: red on the left, blue on the right, with an orientation of "rotate 90°
    // clockwise to show". Shown upright, red is on top.
    QImage stored(1800, 1200, QImage::Format_RGB32);
    stored.fill(Qt::blue);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 900; ++x) stored.setPixelColor(x, y, Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(stored));
    const std::string jpeg = bytes.toStdString();

    QtImageDecoder decoder;
    // 1800 × 1200 breaks an ordinary decode's pixel limit, not a thumbnail's.
    ImageLimits limits{.maxBytes = jpeg.size(), .maxPixels = 1000 * 1000, .thumbnailMaxSide = 900};
    EXPECT_FALSE(decoder.decode(jpeg, {jpeg.size(), 1000 * 1000}));
    const auto thumbnail = decoder.decode(jpeg, limits);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width, 600);
    EXPECT_EQ(thumbnail->height, 900);
    const auto at = [&](int x, int y) {
        const std::size_t i = (static_cast<std::size_t>(y) * thumbnail->width + x) * 4;
        return std::vector<int>{(*thumbnail->pixels)[i], (*thumbnail->pixels)[i + 2]};  // red, blue
    };
    EXPECT_GT(at(300, 100)[0], 200);  // top: red
    EXPECT_GT(at(300, 800)[1], 200);  // bottom: blue
    // A small picture is not enlarged.
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::green);
    const auto kept = decoder.decode(encode(small, "PNG"), {.thumbnailMaxSide = 900});
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->width, 40);
}

}  // namespace
}  // namespace quorlix::platform
