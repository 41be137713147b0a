// Decoding pictures with Qt, within limits, in place or apart on threads nothing waits for.

#include "platform/linux/qt_image_decoder.h"
#include "services/artwork.h"

#include "fakes/thread_gate.h"
#include "fakes/virtual_time.h"
#include "qt_test_support.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

namespace quorlix::platform {
namespace {

using fakes::VirtualTime;

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

// A picture of `width` by `height` whose pixel at (x, y) is `color(x, y)`.
template <class Color>
QImage drawn(int width, int height, QImage::Format format, Color color) {
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) line[x] = color(x, y);
    }
    return image;
}

// The picture's pixels averaged (premultiplied by alpha), red, green and blue, 0...1.
std::array<double, 3> average(const Image& image) {
    std::array<double, 3> sum{};
    const auto& px = *image.pixels;
    for (std::size_t i = 0; i + 3 < px.size(); i += 4)
        for (std::size_t c = 0; c < 3; ++c) sum[c] += px[i + c] * (px[i + 3] / 255.0) / 255.0;
    for (double& channel : sum) channel /= static_cast<double>(image.width) * image.height;
    return sum;
}

TEST(QtImageDecoderTest, APictureReducedToItsDrawnSizeKeepsTheColourOfTheWholeOne) {
    testing::qtApplication();
    // Grain that changes from one pixel to the next, as a photograph's does.
    const auto grain = [](int x, int y) {
        return static_cast<int>(
            (static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u) >> 27);
    };
    const struct {
        const char* picture;
        std::string bytes;
    } pictures[] = {
        {"a photograph's gradients and grain", encode(drawn(1800, 1800, QImage::Format_RGB32,
                                                            [&](int x, int y) {
                                                                return qRgb(x / 8 + grain(x, y), y / 10,
                                                                            (x + y) / 20 + grain(y, x));
                                                            }),
                                                      "JPEG")},
        // Sampled rather than averaged, they would come out red or blue, not purple.
        {"one-pixel stripes",
         encode(drawn(1800, 1800, QImage::Format_RGB32,
                      [](int x, int) { return x % 2 ? qRgb(230, 20, 30) : qRgb(10, 40, 220); }),
                "PNG")},
        {"a fine checkerboard",
         encode(
             drawn(1200, 1200, QImage::Format_RGB32,
                   [](int x, int y) { return (x / 3 + y / 3) % 2 ? qRgb(250, 220, 0) : qRgb(0, 200, 210); }),
             "PNG")},
        {"half transparent", encode(drawn(1500, 1000, QImage::Format_ARGB32,
                                          [](int x, int y) { return qRgba(40, 190, 60, (x + y) % 256); }),
                                    "PNG")},
        {"dark, with a bright patch", encode(drawn(1400, 1400, QImage::Format_RGB32,
                                                   [&](int x, int y) {
                                                       return x > 1050 && y > 1050
                                                                  ? qRgb(240, 30, 20)
                                                                  : qRgb(grain(x, y), grain(y, x), 12);
                                                   }),
                                             "JPEG")},
        {"a wide banner",
         encode(drawn(2400, 900, QImage::Format_RGB32,
                      [](int x, int y) { return qRgb(x * 255 / 2400, 120 + y % 7, 255 - x * 255 / 2400); }),
                "PNG")},
    };
    QtImageDecoder decoder;
    for (const auto& [picture, bytes] : pictures) {
        SCOPED_TRACE(picture);
        const auto whole = decoder.decode(bytes, Artwork::imageLimits);
        ASSERT_TRUE(whole);
        const auto wholeColor = Artwork::vibrantAverageColor(*whole);
        for (const int side : {465, 845}) {
            ImageLimits limits = Artwork::imageLimits;
            limits.fillSide = side;
            const auto reduced = decoder.decode(bytes, limits);
            ASSERT_TRUE(reduced) << side;
            // Its shorter side as long as the square it fills, its shape kept.
            EXPECT_EQ(std::min(reduced->width, reduced->height), side);
            EXPECT_NEAR(static_cast<double>(reduced->width) / reduced->height,
                        static_cast<double>(whole->width) / whole->height, 0.01);
            // The averaged pixel the colour is made from stays within a level of 255 and a half
            // (the reduction rounds down).
            const auto wholeAverage = average(*whole), reducedAverage = average(*reduced);
            for (std::size_t c = 0; c < 3; ++c)
                EXPECT_NEAR(reducedAverage[c], wholeAverage[c], 1.5 / 255) << side;
            // The colour, within that level's rounding as the colour brightens it (a dark
            // picture's up to 0.85).
            const double brightened =
                std::max(1.0, 0.85 / std::max({wholeAverage[0], wholeAverage[1], wholeAverage[2]}));
            const double tolerance = 2 / 255.0 * brightened;
            const auto color = Artwork::vibrantAverageColor(*reduced);
            EXPECT_NEAR(color->red, wholeColor->red, tolerance) << side;
            EXPECT_NEAR(color->green, wholeColor->green, tolerance) << side;
            EXPECT_NEAR(color->blue, wholeColor->blue, tolerance) << side;
        }
    }
}

TEST(QtImageDecoderTest, APictureWithinTheSquareOrOverTheLimitsIsNotReduced) {
    testing::qtApplication();
    QtImageDecoder decoder;
    const std::string small =
        encode(drawn(300, 200, QImage::Format_RGB32, [](int, int) { return qRgb(1, 2, 3); }), "PNG");
    const auto kept = decoder.decode(small, {.fillSide = 465});
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->width, 300);
    EXPECT_EQ(kept->height, 200);
    // A picture that declares more pixels than allowed is refused, reduced or not.
    const std::string large =
        encode(drawn(1000, 1000, QImage::Format_RGB32, [](int, int) { return qRgb(1, 2, 3); }), "PNG");
    EXPECT_FALSE(decoder.decode(large, {.maxPixels = 1000 * 1000 - 1, .fillSide = 100}));
    EXPECT_TRUE(decoder.decode(large, {.maxPixels = 1000 * 1000, .fillSide = 100}));
}

// Decodes apart whose `finish` waits at a gate, on a small picture.
class DecodeApartTest : public ::testing::Test {
protected:
    // Waits at the gate on the decoding thread, then hands the picture's width over.
    ImageDecoder::Finish finish() {
        return [wait = gate.waiter(), this](std::optional<Image> image) -> std::function<void()> {
            ++started;
            wait();
            return [this, width = image ? image->width : 0] { delivered.push_back(width); };
        };
    }

    QCoreApplication& application = testing::qtApplication();
    VirtualTime time;
    const std::string bytes =
        encode(drawn(64, 32, QImage::Format_RGB32, [](int, int) { return qRgb(9, 9, 9); }), "PNG");
    std::vector<int> delivered;
    std::atomic<int> started{0};
    fakes::Gate gate;
};

TEST(QtImageDecoderTest, ADecodeApartIsMadeOnAnotherThreadAndHandedOverOnTheMainQueue) {
    testing::qtApplication();
    VirtualTime time;
    QtImageDecoder decoder;
    const std::string bytes =
        encode(drawn(1200, 800, QImage::Format_RGB32, [](int, int) { return qRgb(9, 9, 9); }), "PNG");
    std::optional<Image> result;
    std::thread::id decodedOn;
    ImageLimits limits;
    limits.fillSide = 300;
    const auto decoding = decoder.decodeDetached(
        bytes, limits, [&decodedOn, &result](std::optional<Image> image) -> std::function<void()> {
            decodedOn = std::this_thread::get_id();
            return [&result, image = std::move(image)] { result = image; };
        });
    ASSERT_TRUE(testing::waitFor([&] { return result.has_value(); }, {}, [&] { fakes::pump(time); }));
    EXPECT_NE(decodedOn, std::this_thread::get_id());
    EXPECT_EQ(result->width, 450);
    EXPECT_EQ(result->height, 300);
}

TEST_F(DecodeApartTest, AHandleGivenUpDropsItsResultAndADecodeNotBegunNeverStarts) {
    {
        QtImageDecoder decoder;
        // Both threads held, one of them for a decode nobody wants any more by its end.
        auto given = decoder.decodeDetached(bytes, {}, finish());
        const auto kept = decoder.decodeDetached(bytes, {}, finish());
        ASSERT_TRUE(testing::waitFor([&] { return started == 2; }));
        // One waits for a thread; given up, it never starts.
        auto waiting = decoder.decodeDetached(bytes, {}, finish());
        waiting.cancel();
        given.cancel();
        gate.open();
        ASSERT_TRUE(testing::waitFor([&] { return !delivered.empty(); }, {}, [&] { fakes::pump(time); }));
        // The waiting decode's turn has come and gone once a later one is handed over.
        const auto later = decoder.decodeDetached(bytes, {}, finish());
        ASSERT_TRUE(testing::waitFor([&] { return delivered.size() == 2; }, {}, [&] { fakes::pump(time); }));
    }
    time.runPending();
    EXPECT_EQ(delivered, (std::vector<int>{64, 64}));
    EXPECT_EQ(started, 3);
}

TEST_F(DecodeApartTest, TheDecoderGoesWithoutWaitingForADecodeUnderWay) {
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> finished = token;
    WorkItem decoding;
    {
        QtImageDecoder decoder;
        decoding = decoder.decodeDetached(
            bytes, {}, [finish = finish(), token = std::move(token)](std::optional<Image> image) {
                return finish(std::move(image));
            });
        ASSERT_TRUE(testing::waitFor([&] { return started == 1; }));
    }
    // Gone while its decode was held: let out, the decode ends and its result is dropped.
    gate.open();
    ASSERT_TRUE(testing::waitFor([&] { return finished.expired(); }));
    time.runPending();
    EXPECT_TRUE(delivered.empty());
}

}  // namespace
}  // namespace quorlix::platform
