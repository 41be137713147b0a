// The Qt HTTP client against a local server of the test's own: lyrics and artwork go
// through the real backend, with its status, size and time rules.

#include "platform/linux/qt_image_decoder.h"
#include "services/artwork.h"
#include "services/hsb.h"
#include "services/lyrics_service.h"

#include "fakes/update_fixtures.h"
#include "local_http_server.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace quorlix::testing {
namespace {

QByteArray png(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGBA8888);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class HttpIntegrationTest : public LocalServerTest {
protected:
    // The picture at `path`, downloaded, then decoded apart to fill a square of `side` pixels.
    std::optional<Artwork::Picture> download(const std::string& path, int side = 4096) {
        std::optional<Artwork::Picture> picture;
        bool done = false;
        platform::WorkItem decoding;
        const auto task =
            Artwork::download(&http, server.base() + path, [&](std::optional<std::string> body) {
                if (!body) {
                    done = true;
                    return;
                }
                decoding = Artwork::decode(&decoder, std::move(*body), side,
                                           [&](std::optional<Artwork::Picture> result) {
                                               picture = std::move(result);
                                               done = true;
                                           });
            });
        EXPECT_TRUE(waitUntil([&] { return done; }));
        return picture;
    }

    platform::QtImageDecoder decoder;
};

TEST_F(HttpIntegrationTest, LyricsComeThroughTheRealClient) {
    server.replies["/api/get"] = {404, R"({"code":404,"name":"TrackNotFound"})"};
    server.replies["/api/search"] = {
        200,
        R"([{"syncedLyrics":"[00:01.00]Uno\n[00:02.50]Dos","duration":199},{"plainLyrics":"x","duration":200}])"};
    platform::ThreadSerialQueue decoder;
    LyricsService lyrics(&http, server.base(), &decoder);

    Track track;
    track.id = "com.apple.Music:1";
    track.title = "Rock & Roll";
    track.artist = "Año 2000";
    track.album = "Éxitos";
    track.duration = 199.5;
    lyrics.load(track);
    ASSERT_TRUE(waitUntil([&] { return lyrics.status.get() != LyricsService::Status::loading; }));

    EXPECT_EQ(lyrics.status.get(), LyricsService::Status::found);
    EXPECT_EQ(lyrics.lines.get(), (std::vector<LyricLine>{{1, "Uno"}, {2.5, "Dos"}}));
    ASSERT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(
        server.requests[0].target,
        "/api/"
        "get?track_name=Rock%20%26%20Roll&artist_name=A%C3%B1o%202000&album_name=%C3%89xitos&duration=200");
    EXPECT_EQ(server.requests[1].target,
              "/api/search?track_name=Rock%20%26%20Roll&artist_name=A%C3%B1o%202000");
    EXPECT_EQ(server.requests[0].userAgent, "Quorlix/0.1 (macOS)");

    // Remembered: no further request.
    lyrics.load(track);
    EXPECT_EQ(lyrics.status.get(), LyricsService::Status::found);
    EXPECT_EQ(server.requests.size(), 2u);
}

TEST_F(HttpIntegrationTest, ArtworkIsDownloadedAndDecoded) {
    server.replies["/cover.png"] = {200, png(64, 48, QColor(20, 40, 200)), "image/png"};
    const auto picture = download("/cover.png");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image.width, 64);
    EXPECT_EQ(picture->image.height, 48);
    ASSERT_TRUE(picture->color);
    EXPECT_EQ(picture->color, Artwork::vibrantAverageColor(picture->image));
    EXPECT_NEAR(HSB::of(*picture->color).saturation, 0.85, 1e-9);
    EXPECT_NEAR(HSB::of(*picture->color).brightness, 0.85, 1e-9);

    // A picture larger than it is drawn comes reduced, still filling the square.
    server.replies["/large.png"] = {200, png(1200, 800, QColor(20, 40, 200)), "image/png"};
    const auto reduced = download("/large.png", 300);
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->image.width, 450);
    EXPECT_EQ(reduced->image.height, 300);
    EXPECT_EQ(reduced->color, picture->color);
}

TEST_F(HttpIntegrationTest, ArtworkNeedsASuccessStatus) {
    server.replies["/gone.png"] = {404, png(8, 8, Qt::red), "image/png"};
    EXPECT_FALSE(download("/gone.png"));
    server.replies["/page"] = {200, "<html>no es una imagen</html>", "text/html"};
    EXPECT_FALSE(download("/page"));
}

TEST_F(HttpIntegrationTest, BodyOverTheCapIsRefused) {
    server.replies["/big"] = {200, QByteArray(64 * 1024, 'x'), "application/octet-stream"};
    std::optional<platform::HttpResult> result;
    platform::HttpRequest request{server.base() + "/big", {}, 5, 1024};
    auto task = http.get(request, [&](platform::HttpResult r) { result = std::move(r); });
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_FALSE(result->response);
    EXPECT_FALSE(result->error.empty());

    // Within the cap the same reply comes through whole.
    result.reset();
    request.maxBodySize = 64 * 1024;
    task = http.get(request, [&](platform::HttpResult r) { result = std::move(r); });
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    ASSERT_TRUE(result->response);
    EXPECT_EQ(result->response->statusCode, 200);
    EXPECT_EQ(result->response->body.size(), 64u * 1024u);
}

TEST_F(HttpIntegrationTest, SilentServerTimesOut) {
    server.replies["/slow"] = {200, "", "text/plain", true};
    std::optional<platform::HttpResult> result;
    QElapsedTimer timer;
    timer.start();
    const auto task = http.get({server.base() + "/slow", {}, 0.3, 1024},
                               [&](platform::HttpResult r) { result = std::move(r); });
    // The server neither answers nor hangs up: only the client's own limit can end the request.
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_FALSE(result->response);
    EXPECT_FALSE(result->error.empty());
    EXPECT_GE(timer.elapsed(), 250) << "gave up before its limit";
}

TEST_F(HttpIntegrationTest, OnlyWebAddressesAreFetched) {
    std::vector<platform::HttpResult> results;
    std::vector<platform::HttpTask> tasks;
    for (const char* url : {"file:///etc/passwd", "ftp://127.0.0.1/x", "not an address", "https://"}) {
        tasks.push_back(
            http.get({url, {}, 1, 1024}, [&](platform::HttpResult r) { results.push_back(std::move(r)); }));
    }
    ASSERT_TRUE(waitUntil([&] { return results.size() == 4; }));
    for (const auto& r : results) EXPECT_FALSE(r.response);
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(HttpIntegrationTest, DownloadsStreamToANewFileWithinTheirLimits) {
    QByteArray big(300 * 1024, 'q');
    server.replies["/big"] = {200, big, "application/octet-stream"};
    server.replies["/missing"] = {404, "no está", "text/plain"};
    server.replies["/slow"] = {200, "", "text/plain", true};
    const std::filesystem::path folder = home.path() / "descargas";
    std::filesystem::create_directories(folder);
    writeFile(folder / "ocupado", "mío");
    std::filesystem::create_symlink(folder / "ocupado", folder / "enlace");

    struct Case {
        const char* name;
        std::string path;
        std::string file;
        std::uint64_t maxSize = 1 << 20;
        double idleTimeout = 10;
        std::optional<int> status;  // none: the download fails
        bool tooLarge = false;
    };
    const std::vector<Case> cases = {
        {"whole body", "/big", "a", 1 << 20, 10, 200},
        {"body of exactly the cap", "/big", "b", 300 * 1024, 10, 200},
        {"any status, with its body", "/missing", "c", 1 << 20, 10, 404},
        {"one byte over the cap", "/big", "d", 300 * 1024 - 1, 10, std::nullopt, true},
        {"silence", "/slow", "e", 1 << 20, 0.3, std::nullopt},
        {"a file already there", "/big", "ocupado", 1 << 20, 10, std::nullopt},
        {"a link already there", "/big", "enlace", 1 << 20, 10, std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<platform::HttpDownloadResult> result;
        platform::HttpDownloadRequest request;
        request.url = server.base() + c.path;
        request.destination = folder / c.file;
        request.maxSize = c.maxSize;
        request.idleTimeout = c.idleTimeout;
        const auto task =
            http.download(request, [&](platform::HttpDownloadResult r) { result = std::move(r); });
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); })) << c.name;
        EXPECT_EQ(result->statusCode, c.status) << c.name << ": " << result->error;
        EXPECT_EQ(result->tooLarge, c.tooLarge) << c.name;
        if (c.status) {
            EXPECT_EQ(readText(request.destination), server.replies[c.path.c_str()].body.toStdString())
                << c.name;
            EXPECT_EQ(std::filesystem::status(request.destination).permissions(),
                      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        } else {
            EXPECT_FALSE(result->error.empty()) << c.name;
        }
    }
    // Failed downloads leave nothing; what was there before stays as it was.
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"a", "b", "c", "enlace", "ocupado"}));
    EXPECT_EQ(readText(folder / "ocupado"), "mío");
}

}  // namespace
}  // namespace quorlix::testing
