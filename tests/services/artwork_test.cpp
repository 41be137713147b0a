// Artwork of the playing track: the accent colour maths, the address rule, and which
// results reach the service.

#include "services/artwork.h"
#include "media_test_support.h"
#include "services/hsb.h"
#include "services/player_scripts.h"

namespace quorlix::testing {
namespace {

using fakes::FakeImageDecoder;
using platform::ScriptValue;

// --- colour maths -------------------------------------------------------------------------

TEST(AccentColorTest, GreyStaysGreyAndBright) {
    const auto mid = Artwork::vibrantAverageColor(FakeImageDecoder::solid(4, 4, 128, 128, 128));
    ASSERT_TRUE(mid);
    const auto hsb = HSB::of(*mid);
    EXPECT_DOUBLE_EQ(hsb.saturation, 0);
    EXPECT_NEAR(hsb.brightness, 0.85, 1e-12);

    const auto light = HSB::of(*Artwork::vibrantAverageColor(FakeImageDecoder::solid(1, 1, 242, 242, 242)));
    EXPECT_NEAR(light.brightness, 242 / 255.0, 1e-12);  // already brighter than 0.85
}

TEST(AccentColorTest, DarkArtworkIsRaisedToTheFloor) {
    const auto color = Artwork::vibrantAverageColor(FakeImageDecoder::solid(3, 2, 40, 10, 10));
    ASSERT_TRUE(color);
    const auto hsb = HSB::of(*color);
    EXPECT_NEAR(hsb.brightness, 0.85, 1e-12);
    EXPECT_NEAR(hsb.hue, 0, 1e-12);
    EXPECT_NEAR(hsb.saturation, 0.85, 1e-12);  // 0.75 × 1.3 is capped
}

TEST(AccentColorTest, SaturationIsBoostedAndCapped) {
    // Average saturation 0.2 becomes 0.26; hue and brightness are kept.
    const auto soft = HSB::of(*Artwork::vibrantAverageColor(FakeImageDecoder::solid(1, 1, 200, 220, 250)));
    const auto source = HSB::of({200 / 255.0, 220 / 255.0, 250 / 255.0, 1});
    EXPECT_NEAR(soft.saturation, source.saturation * 1.3, 1e-12);
    EXPECT_NEAR(soft.hue, source.hue, 1e-12);
    EXPECT_NEAR(soft.brightness, 250 / 255.0, 1e-12);

    const auto strong = HSB::of(*Artwork::vibrantAverageColor(FakeImageDecoder::solid(1, 1, 0, 0, 255)));
    EXPECT_NEAR(strong.saturation, 0.85, 1e-12);
    EXPECT_NEAR(strong.hue, 2.0 / 3.0, 1e-12);
}

TEST(AccentColorTest, AveragesTheWholePicture) {
    // Half red, half blue averages to purple; a transparent half counts as black.
    std::vector<std::uint8_t> px{255, 0, 0, 255, 0, 0, 255, 255};
    const auto purple = HSB::of(*Artwork::vibrantAverageColor(*platform::Image::fromRGBA(2, 1, px)));
    EXPECT_NEAR(purple.hue, 5.0 / 6.0, 1e-12);

    std::vector<std::uint8_t> half{255, 255, 255, 255, 255, 255, 255, 0};
    const auto grey = HSB::of(*Artwork::vibrantAverageColor(*platform::Image::fromRGBA(2, 1, half)));
    EXPECT_NEAR(grey.brightness, 0.85, 1e-12);  // 128/255 raised
    EXPECT_FALSE(Artwork::vibrantAverageColor(platform::Image{}));
}

TEST(ArtworkAddressTest, OnlyHttpsAddressesWithAHost) {
    EXPECT_TRUE(Artwork::isHTTPSAddress("https://i.scdn.co/image/ab67616d0000b273"));
    EXPECT_TRUE(Artwork::isHTTPSAddress("https://example.com:8443/a.png?x=1"));
    EXPECT_FALSE(Artwork::isHTTPSAddress("http://i.scdn.co/image/ab67"));
    EXPECT_FALSE(Artwork::isHTTPSAddress("HTTPS://i.scdn.co/image/ab67"));
    EXPECT_FALSE(Artwork::isHTTPSAddress("file:///home/u/cover.png"));
    EXPECT_FALSE(Artwork::isHTTPSAddress("https:///cover.png"));
    EXPECT_FALSE(Artwork::isHTTPSAddress("https://exa mple.com/a.png"));
    EXPECT_FALSE(Artwork::isHTTPSAddress(""));
}

// --- the size pictures are decoded at -------------------------------------------------------

TEST(ArtworkSizeTest, TheLargestSquareTheArtworkIsDrawnInOnAnyScreen) {
    const auto screen = [](double width, double height, double scale) {
        platform::Screen s;
        s.frame = Rect(0, 0, width, height);
        s.backingScaleFactor = scale;
        return s;
    };
    const struct {
        const char* screens;
        std::vector<platform::Screen> list;
        int side;
    } cases[] = {
        // The full-artwork lock view's square, 0.43 of the screen's height, at its scale.
        {"1080p", {screen(1920, 1080, 1)}, 465},
        {"a laptop at 2x", {fakes::FakeScreens::notchedLaptop()}, 845},
        {"4K at 1x", {screen(3840, 2160, 1)}, 929},
        {"5K at 2x", {screen(2560, 1440, 2)}, 1239},
        // The largest of them.
        {"a laptop and a monitor",
         {fakes::FakeScreens::notchedLaptop(), fakes::FakeScreens::externalDisplay()},
         845},
        // A screen too low for the lock view's square to pass the island's music page.
        {"a short screen", {screen(1024, 400, 1)}, 188},
        {"a short screen at 2x", {screen(1024, 400, 2)}, 376},
        {"an unknown scale", {screen(1920, 1080, 0)}, 465},
        {"no screen known", {}, 929},
        {"past the largest picture", {screen(8000, 6000, 2)}, 4096},
    };
    for (const auto& c : cases) EXPECT_EQ(Artwork::drawnSide(c.list), c.side) << c.screens;
}

// --- artwork of the current track ---------------------------------------------------------

class ArtworkTest : public MediaTest {
protected:
    void SetUp() override {
        service->start();
        fake.imageDecoder.images["red-png"] = FakeImageDecoder::solid(2, 2, 200, 0, 0);
        fake.imageDecoder.images["blue-png"] = FakeImageDecoder::solid(2, 2, 0, 0, 200);
    }
    void artworkURL(const std::string& url) {
        fake.scriptHost.replies[PlayerScripts::spotifyArtworkURL()] = ScriptValue::text(url);
    }
    // A notification, then the settle time after which the track's artwork is looked up.
    void notify(PlayerSource source, const platform::NotificationInfo& info) {
        MediaTest::notify(source, info);
        fake.time.advance(lookupSettleTime);
    }
    // The server answers download `index`; its picture, decoded apart, comes on the main queue.
    void respond(std::size_t index, int status, const std::string& body) {
        fake.httpClient.respond(index, status, body);
        fake.time.runPending();
    }
    static ScriptValue bytes(const std::string& s) { return ScriptValue::bytes({s.begin(), s.end()}); }
};

TEST_F(ArtworkTest, MusicBytesBecomeArtworkAndAccent) {
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] = bytes("red-png");
    notify(PlayerSource::music, musicInfo("Playing"));
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["red-png"]);
    EXPECT_NEAR(HSB::of(service->accentColor.get()).saturation, 0.85, 1e-12);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::musicArtworkData()), 0);
    // The decode is bounded.
    EXPECT_EQ(fake.imageDecoder.limitsSeen.back().maxPixels, Artwork::imageLimits.maxPixels);
}

TEST_F(ArtworkTest, MusicFallsBackWhenRawDataIsNoPicture) {
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] = bytes("garbage");
    fake.scriptHost.replies[PlayerScripts::musicArtworkData()] = bytes("blue-png");
    notify(PlayerSource::music, musicInfo("Playing"));
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::musicArtworkData()), 1);
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["blue-png"]);
}

TEST_F(ArtworkTest, NoFallbackOnceTheTrackChanged) {
    // The player moves on while its first picture is being read.
    auto next = musicInfo("Playing", "Segunda");
    next["PersistentID"] = std::string("B2");
    int raw = 0;
    fake.scriptHost.handler = [&](const std::string& source, double) -> std::optional<ScriptValue> {
        if (source == PlayerScripts::musicArtworkRawData() && ++raw == 1)
            fake.playerNotifications.post(NowPlayingService::musicNotification, next);
        if (source == PlayerScripts::musicArtworkRawData()) return bytes("garbage");
        return std::nullopt;
    };
    notify(PlayerSource::music, musicInfo("Playing", "Primera"));
    fake.time.advance(lookupSettleTime);
    // Only the second track's raw reply fell back.
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::musicArtworkRawData()), 2);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::musicArtworkData()), 1);
}

TEST_F(ArtworkTest, ATrackThatDoesNotStayIsNeverLookedUp) {
    artworkURL("https://i.scdn.co/image/1");
    for (int i = 0; i < 50; ++i) {
        auto info = spotifyInfo("Playing", "Pista " + std::to_string(i));
        info["Track ID"] = "spotify:track:" + std::to_string(i);
        MediaTest::notify(PlayerSource::spotify, info);
        fake.time.advance(lookupSettleTime / 2);
    }
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::spotifyArtworkURL()), 0);
    fake.time.advance(lookupSettleTime);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::spotifyArtworkURL()), 1);
    ASSERT_EQ(fake.httpClient.requests.size(), 1u);

    // The download of a track left behind is aborted.
    auto next = spotifyInfo("Playing", "Otra");
    next["Track ID"] = std::string("spotify:track:otra");
    notify(PlayerSource::spotify, next);
    EXPECT_TRUE(fake.httpClient.requests[0].cancelled);
    EXPECT_EQ(fake.httpClient.requests.size(), 2u);
}

TEST_F(ArtworkTest, APlayerThatKeepsOneIdForEveryFileStillChangesArtwork) {
    // Some players (mpv's MPRIS plugin) give every file the same track id; players that load
    // lazily announce a track before they know its length.
    const auto raw = PlayerScripts::musicArtworkRawData();
    fake.scriptHost.replies[raw] = bytes("red-png");
    auto info = musicInfo("Playing", "Primera");
    info.erase("Total Time");
    notify(PlayerSource::music, info);
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["red-png"]);
    int placeholders = 0;
    Subscription watching = service->artwork.sink([&](const std::optional<platform::Image>& artwork) {
        if (!artwork) ++placeholders;
    });

    struct Step {
        const char* change;
        std::function<void(platform::NotificationInfo&)> edit;
        bool newLookup;
    };
    const std::vector<Step> steps = {
        {"a length arriving", [](auto& i) { i["Total Time"] = std::int64_t{148000}; }, false},
        {"another length", [](auto& i) { i["Total Time"] = std::int64_t{150000}; }, false},
        {"another title", [](auto& i) { i["Name"] = std::string("Segunda"); }, true},
        {"the same again", [](auto&) {}, false},
        {"another artist", [](auto& i) { i["Artist"] = std::string("Ana"); }, true},
        {"another album", [](auto& i) { i["Album"] = std::string("Otro"); }, true},
        {"a picture's address first said", [](auto& i) { i["Artwork URL"] = std::string("file:///a.png"); },
         false},
        {"another picture", [](auto& i) { i["Artwork URL"] = std::string("file:///b.png"); }, true},
        {"the same picture", [](auto&) {}, false},
    };
    bool blue = false;
    for (const auto& step : steps) {
        const int before = fake.scriptHost.count(raw);
        placeholders = 0;
        if (step.newLookup) {
            blue = !blue;
            fake.scriptHost.replies[raw] = bytes(blue ? "blue-png" : "red-png");
        }
        step.edit(info);
        notify(PlayerSource::music, info);
        EXPECT_EQ(service->track.get()->id, "com.apple.Music:A1B2") << step.change;
        EXPECT_EQ(fake.scriptHost.count(raw), before + (step.newLookup ? 1 : 0)) << step.change;
        // Only a new song drops to the placeholder on its way to its own picture.
        EXPECT_EQ(placeholders, step.newLookup ? 1 : 0) << step.change;
        ASSERT_TRUE(service->artwork.get()) << step.change;
        EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images[blue ? "blue-png" : "red-png"])
            << step.change;
        EXPECT_NEAR(HSB::of(service->accentColor.get()).hue, blue ? 2.0 / 3.0 : 0.0, 1e-12) << step.change;
    }
}

TEST_F(ArtworkTest, AnAddressToldAfterTheLookupFoundNothingIsLookedUp) {
    // Players that find their covers after announcing the track tell the address later, alone
    // or with the length they learnt meanwhile.
    const auto raw = PlayerScripts::musicArtworkRawData();
    const struct {
        const char* told;
        bool withLength;
    } cases[] = {{"alone", false}, {"with a late length", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told);
        auto info = musicInfo("Playing", std::string("Sin portada ") + c.told);
        if (c.withLength) info.erase("Total Time");
        fake.scriptHost.replies.erase(raw);
        const int before = fake.scriptHost.count(raw);
        notify(PlayerSource::music, info);
        EXPECT_EQ(fake.scriptHost.count(raw), before + 1);
        EXPECT_FALSE(service->artwork.get());

        fake.scriptHost.replies[raw] = bytes("red-png");
        info["Artwork URL"] = std::string("file:///tmp/portada.png");
        if (c.withLength) info["Total Time"] = std::int64_t{150000};
        notify(PlayerSource::music, info);
        EXPECT_EQ(fake.scriptHost.count(raw), before + 2);
        ASSERT_TRUE(service->artwork.get());
        EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["red-png"]);
        EXPECT_NEAR(HSB::of(service->accentColor.get()).hue, 0, 1e-12);

        // Told again, it is the picture shown.
        notify(PlayerSource::music, info);
        EXPECT_EQ(fake.scriptHost.count(raw), before + 2);
    }

    // Told before the lookup ran, the lookup reads it itself, once, when the song has settled.
    fake.scriptHost.replies[raw] = bytes("blue-png");
    auto info = musicInfo("Playing", "Portada temprana");
    const int before = fake.scriptHost.count(raw);
    MediaTest::notify(PlayerSource::music, info);
    fake.time.advance(lookupSettleTime / 2);
    info["Artwork URL"] = std::string("file:///tmp/temprana.png");
    MediaTest::notify(PlayerSource::music, info);
    fake.time.advance(lookupSettleTime / 2);
    EXPECT_EQ(fake.scriptHost.count(raw), before + 1);
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["blue-png"]);
    fake.time.advance(lookupSettleTime);
    EXPECT_EQ(fake.scriptHost.count(raw), before + 1);

    // A Spotify address told late is downloaded.
    auto spotify = spotifyInfo("Playing");
    notify(PlayerSource::spotify, spotify);
    EXPECT_TRUE(fake.httpClient.requests.empty());
    artworkURL("https://i.scdn.co/image/tarde");
    spotify["Artwork URL"] = std::string("https://i.scdn.co/image/tarde");
    notify(PlayerSource::spotify, spotify);
    ASSERT_EQ(fake.httpClient.requests.size(), 1u);
    respond(0, 200, "blue-png");
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["blue-png"]);
}

TEST_F(ArtworkTest, AnAddressToldLateForASongThePlayerHasLeftIsNotShownWithTheNext) {
    fake.imageDecoder.holdDetached = true;
    const auto raw = PlayerScripts::musicArtworkRawData();
    // The player keeps one id for every file, so only the title tells the songs apart.
    auto first = musicInfo("Playing", "Primera");
    notify(PlayerSource::music, first);
    fake.scriptHost.replies[raw] = bytes("red-png");
    first["Artwork URL"] = std::string("file:///tmp/primera.png");
    notify(PlayerSource::music, first);
    ASSERT_EQ(fake.imageDecoder.detached.size(), 1u);

    // The next song, without a picture of its own, comes while the first one's is decoded.
    fake.scriptHost.replies.erase(raw);
    notify(PlayerSource::music, musicInfo("Playing", "Segunda"));
    fake.imageDecoder.finishDetached(0);
    fake.time.runPending();
    EXPECT_FALSE(service->artwork.get());
    EXPECT_EQ(service->accentColor.get(), NowPlayingService::white);
}

TEST_F(ArtworkTest, MusicArtworkAtAnHttpsAddressIsDownloaded) {
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] =
        ScriptValue::text("https://cdn.example/a");
    notify(PlayerSource::music, musicInfo("Playing"));
    ASSERT_EQ(fake.httpClient.requests.size(), 1u);
    const auto& request = fake.httpClient.requests[0].request;
    EXPECT_EQ(request.url, "https://cdn.example/a");
    EXPECT_EQ(request.maxBodySize, Artwork::maxDownloadSize);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::musicArtworkData()), 0);
    respond(0, 200, "red-png");
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["red-png"]);

    // A plain "http" address is not fetched; the other script is asked instead.
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] = ScriptValue::text("http://cdn.example/b");
    fake.scriptHost.replies[PlayerScripts::musicArtworkData()] = bytes("blue-png");
    auto next = musicInfo("Playing", "Otra");
    next["PersistentID"] = std::string("C3");
    notify(PlayerSource::music, next);
    EXPECT_EQ(fake.httpClient.requests.size(), 1u);
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["blue-png"]);
}

TEST_F(ArtworkTest, SpotifyDownloadsOnlyHttpsAddresses) {
    artworkURL("http://i.scdn.co/image/1");
    notify(PlayerSource::spotify, spotifyInfo("Playing"));
    EXPECT_TRUE(fake.httpClient.requests.empty());
    EXPECT_FALSE(service->artwork.get());
    EXPECT_EQ(service->accentColor.get(), NowPlayingService::white);
}

TEST_F(ArtworkTest, SpotifyDownloadIsBoundedAndNeeds2xx) {
    artworkURL("https://i.scdn.co/image/1");
    notify(PlayerSource::spotify, spotifyInfo("Playing"));
    ASSERT_EQ(fake.httpClient.requests.size(), 1u);
    const auto& request = fake.httpClient.requests[0].request;
    EXPECT_EQ(request.url, "https://i.scdn.co/image/1");
    EXPECT_DOUBLE_EQ(request.timeout, Artwork::downloadTimeout);
    EXPECT_EQ(request.maxBodySize, Artwork::maxDownloadSize);

    respond(0, 404, "red-png");  // an error page, even one that decodes
    EXPECT_FALSE(service->artwork.get());
    EXPECT_EQ(service->accentColor.get(), NowPlayingService::white);
}

TEST_F(ArtworkTest, SpotifyDownloadSetsArtwork) {
    artworkURL("https://i.scdn.co/image/1");
    notify(PlayerSource::spotify, spotifyInfo("Playing"));
    respond(0, 200, "blue-png");
    ASSERT_TRUE(service->artwork.get());
    EXPECT_NEAR(HSB::of(service->accentColor.get()).hue, 2.0 / 3.0, 1e-12);
}

TEST_F(ArtworkTest, LateArtworkOfThePreviousTrackIsDropped) {
    artworkURL("https://i.scdn.co/image/1");
    notify(PlayerSource::spotify, spotifyInfo("Playing", "Primera"));
    auto next = spotifyInfo("Playing", "Segunda");
    next["Track ID"] = std::string("spotify:track:43");
    notify(PlayerSource::spotify, next);
    ASSERT_EQ(fake.httpClient.requests.size(), 2u);

    respond(0, 200, "red-png");
    EXPECT_FALSE(service->artwork.get());
    respond(1, 200, "blue-png");
    ASSERT_TRUE(service->artwork.get());
    EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["blue-png"]);
}

TEST_F(ArtworkTest, NewTrackResetsArtworkAndAccent) {
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] = bytes("red-png");
    notify(PlayerSource::music, musicInfo("Playing"));
    ASSERT_TRUE(service->artwork.get());
    fake.scriptHost.replies.clear();
    auto next = musicInfo("Playing", "Otra");
    next["PersistentID"] = std::string("C3");
    notify(PlayerSource::music, next);
    EXPECT_FALSE(service->artwork.get());
    EXPECT_EQ(service->accentColor.get(), NowPlayingService::white);
}

TEST_F(ArtworkTest, APictureIsDecodedApartAtTheSizeItIsDrawnWhileTheMainThreadGoesOn) {
    fake.screens.list = {fakes::FakeScreens::notchedLaptop(), fakes::FakeScreens::externalDisplay()};
    fake.imageDecoder.holdDetached = true;
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] = bytes("red-png");
    artworkURL("https://i.scdn.co/image/1");
    const struct {
        PlayerSource source;
        platform::NotificationInfo info;
    } players[] = {{PlayerSource::music, musicInfo("Playing")},
                   {PlayerSource::spotify, spotifyInfo("Playing")}};
    for (std::size_t i = 0; i < std::size(players); ++i) {
        const auto& [source, info] = players[i];
        SCOPED_TRACE(rawValue(source));
        notify(source, info);
        if (source == PlayerSource::spotify) respond(fake.httpClient.requests.size() - 1, 200, "red-png");
        // Asked of the decoder apart, to fill the largest square the artwork is drawn in.
        ASSERT_EQ(fake.imageDecoder.detached.size(), i + 1);
        const auto& limits = fake.imageDecoder.detached[i].limits;
        EXPECT_EQ(limits.fillSide, 845);
        EXPECT_EQ(limits.maxPixels, Artwork::imageLimits.maxPixels);
        EXPECT_EQ(limits.maxBytes, Artwork::imageLimits.maxBytes);
        EXPECT_EQ(fake.imageDecoder.decodedInPlace, 0);
        EXPECT_FALSE(service->artwork.get());

        // Meanwhile the player pauses, and the service hears it.
        auto paused = info;
        paused["Player State"] = std::string("Paused");
        MediaTest::notify(source, paused);
        EXPECT_FALSE(service->isPlaying.get());
        EXPECT_FALSE(service->artwork.get());

        // The picture and its colour come together, on the main queue.
        fake.imageDecoder.finishDetached(i);
        EXPECT_FALSE(service->artwork.get());
        fake.time.runPending();
        ASSERT_TRUE(service->artwork.get());
        EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["red-png"]);
        EXPECT_NEAR(HSB::of(service->accentColor.get()).hue, 0, 1e-12);
    }
}

TEST_F(ArtworkTest, ANewerTracksPictureWinsOverAnOlderDecodeThatFinishesLater) {
    fake.imageDecoder.holdDetached = true;
    const auto raw = PlayerScripts::musicArtworkRawData();
    // The next song under another id, or under the same one (a player that gives every file one).
    const struct {
        const char* next;
        const char* id;
    } cases[] = {{"another id", "C3"}, {"the same id", "A1B2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.next);
        const std::size_t first = fake.imageDecoder.detached.size();
        fake.scriptHost.replies[raw] = bytes("red-png");
        notify(PlayerSource::music, musicInfo("Playing", std::string("Primera ") + c.next));
        fake.scriptHost.replies[raw] = bytes("blue-png");
        auto next = musicInfo("Playing", std::string("Segunda ") + c.next);
        next["PersistentID"] = std::string(c.id);
        notify(PlayerSource::music, next);
        ASSERT_EQ(fake.imageDecoder.detached.size(), first + 2);
        EXPECT_FALSE(fake.imageDecoder.isDetachedWanted(first)) << "the older decode is dropped";

        fake.imageDecoder.finishDetached(first + 1);
        fake.time.runPending();
        fake.imageDecoder.finishDetached(first);
        fake.time.runPending();
        ASSERT_TRUE(service->artwork.get());
        EXPECT_EQ(*service->artwork.get(), fake.imageDecoder.images["blue-png"]);
        EXPECT_NEAR(HSB::of(service->accentColor.get()).hue, 2.0 / 3.0, 1e-12);
    }

    // A picture decoded before the next song came, still on its way to the main thread, is
    // not shown either.
    fake.scriptHost.replies[raw] = bytes("red-png");
    notify(PlayerSource::music, musicInfo("Playing", "Tercera"));
    fake.imageDecoder.finishDetached(fake.imageDecoder.detached.size() - 1);
    auto fourth = musicInfo("Playing", "Cuarta");
    fourth["PersistentID"] = std::string("D4");
    fake.scriptHost.replies[raw] = std::nullopt;
    notify(PlayerSource::music, fourth);
    EXPECT_FALSE(service->artwork.get());
    EXPECT_EQ(service->accentColor.get(), NowPlayingService::white);
}

TEST_F(ArtworkTest, DisplayColorFollowsTheTintSetting) {
    fake.scriptHost.replies[PlayerScripts::musicArtworkRawData()] = bytes("red-png");
    notify(PlayerSource::music, musicInfo("Playing"));
    EXPECT_EQ(service->displayColor(), service->accentColor.get());
    EXPECT_NE(service->displayColor(), NowPlayingService::white);
    settings().tintWithArtwork = false;
    EXPECT_EQ(service->displayColor(), NowPlayingService::white);
}

}  // namespace
}  // namespace quorlix::testing
