// The lyrics service: requests it builds, how it chooses among the replies, what it
// remembers, and how a newer track supersedes an older one.

#include "services/lyrics_service.h"
#include "fakes/fake_platform.h"
#include "platform/url_query.h"
#include "services/lrclib_record.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quorlix {
namespace {

using Status = LyricsService::Status;

Track track(std::string title, std::string album = "Mal de amores", double duration = 221) {
    Track t;
    t.id = "com.spotify.client:" + title;
    t.title = std::move(title);
    t.artist = "Sílvia Pérez Cruz";
    t.album = std::move(album);
    t.duration = duration;
    t.source = PlayerSource::spotify;
    return t;
}

class LyricsServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeHttpClient& http = fake.httpClient;
    fakes::HeldSerialQueue decoder;
    LyricsService service{&http, "https://lrclib.net", &decoder};

    const std::string& url(std::size_t i) const { return http.requests.at(i).request.url; }
    bool isSearch(std::size_t i) const { return url(i).starts_with("https://lrclib.net/api/search?"); }
    // Answers request `i` and lets its reply be decoded.
    void answer(std::size_t i, int status, const std::string& body) {
        http.respond(i, status, body);
        decode();
    }
    void fail(std::size_t i) {
        http.fail(i);
        decode();
    }
    void decode() {
        fake.time.runPending();
        decoder.runAll();
        fake.time.runPending();
    }
    // Loads `t` and lets it stay current until its lookup starts.
    void load(const std::optional<Track>& t) {
        service.load(t);
        fake.time.advance(lookupSettleTime);
    }
};

const char* synced =
    R"({"syncedLyrics":"[00:01.00]Hola\n[00:03.50]Adiós","plainLyrics":"Hola\nAdiós","duration":221})";
const char* plainOnly = R"({"syncedLyrics":null,"plainLyrics":"Hola\nAdiós","instrumental":false})";

// --- requests -----------------------------------------------------------------------------

TEST_F(LyricsServiceTest, GetRequestHasItsItemsInOrderAndOneHeader) {
    load(track("Estimat", "Granada", 214.5));
    ASSERT_EQ(http.requests.size(), 1u);
    EXPECT_EQ(url(0),
              "https://lrclib.net/api/get?track_name=Estimat&artist_name=S%C3%ADlvia%20P%C3%A9rez%20Cruz"
              "&album_name=Granada&duration=215");
    const auto& request = http.requests[0].request;
    EXPECT_EQ(request.headers,
              (std::vector<std::pair<std::string, std::string>>{{"User-Agent", "Quorlix/0.1 (macOS)"}}));
    EXPECT_DOUBLE_EQ(request.timeout, 10);
    EXPECT_EQ(service.status.get(), Status::loading);
}

TEST_F(LyricsServiceTest, DurationRoundsHalvesAwayFromZero) {
    EXPECT_EQ(LRCLibRequest::roundedDuration(214.5), "215");
    EXPECT_EQ(LRCLibRequest::roundedDuration(214.49), "214");
    EXPECT_EQ(LRCLibRequest::roundedDuration(0.5), "1");
    EXPECT_EQ(LRCLibRequest::roundedDuration(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(LRCLibRequest::roundedDuration(1e300), std::nullopt);
}

TEST_F(LyricsServiceTest, WithoutAlbumOrDurationOnlySearch) {
    load(track("Sin disco", ""));
    load(track("Sin duración", "Disco", 0));
    load(track("Infinita", "Disco", std::numeric_limits<double>::infinity()));
    ASSERT_EQ(http.requests.size(), 3u);
    EXPECT_EQ(
        url(0),
        "https://lrclib.net/api/search?track_name=Sin%20disco&artist_name=S%C3%ADlvia%20P%C3%A9rez%20Cruz");
    EXPECT_TRUE(isSearch(1));
    EXPECT_TRUE(isSearch(2));
}

TEST_F(LyricsServiceTest, QueryValuesCannotBreakTheQuery) {
    EXPECT_EQ(platform::percentEncode("Rock & Roll + Más=1#?/~._-"),
              "Rock%20%26%20Roll%20%2B%20M%C3%A1s%3D1%23%3F%2F~._-");
    load(track("A&artist_name=B", ""));
    EXPECT_EQ(url(0),
              "https://lrclib.net/api/"
              "search?track_name=A%26artist_name%3DB&artist_name=S%C3%ADlvia%20P%C3%A9rez%20Cruz");
}

// --- choosing -----------------------------------------------------------------------------

TEST_F(LyricsServiceTest, SyncedRecordFromGetIsFoundWithoutSearch) {
    load(track("Estimat"));
    answer(0, 200, synced);
    EXPECT_EQ(http.requests.size(), 1u);
    EXPECT_EQ(service.status.get(), Status::found);
    EXPECT_EQ(service.lines.get(), (std::vector<LyricLine>{{1, "Hola"}, {3.5, "Adiós"}}));
}

TEST_F(LyricsServiceTest, NotFoundFromGetLeadsToSearch) {
    load(track("Estimat"));
    answer(0, 404, R"({"code":404,"name":"TrackNotFound"})");
    ASSERT_EQ(http.requests.size(), 2u);
    EXPECT_TRUE(isSearch(1));
    answer(1, 200, std::string("[") + synced + "]");
    EXPECT_EQ(service.status.get(), Status::found);
}

TEST_F(LyricsServiceTest, PlainRecordFromGetWinsWhenSearchHasNoSyncedRecord) {
    load(track("Estimat"));
    answer(0, 200, plainOnly);
    answer(1, 200, R"([{"plainLyrics":"otra"}])");
    EXPECT_EQ(service.status.get(), Status::unsynced);
    EXPECT_TRUE(service.lines.get().empty());
}

TEST_F(LyricsServiceTest, SyncedLyricsWithOnlyMetadataDecideWithoutSearch) {
    load(track("Uno"));
    answer(0, 200, R"({"syncedLyrics":"[ar:x]\n[ti:y]","plainLyrics":"letra"})");
    EXPECT_EQ(service.status.get(), Status::unsynced);

    load(track("Dos"));
    answer(1, 200, R"({"syncedLyrics":"[ar:x]","plainLyrics":""})");
    EXPECT_EQ(service.status.get(), Status::notFound);
    EXPECT_EQ(http.requests.size(), 2u);  // no search for either
}

TEST_F(LyricsServiceTest, ClosestDurationAmongSyncedCandidates) {
    load(track("Estimat", ""));  // 221 s
    answer(0, 200,
           R"([{"plainLyrics":"sin tiempos","duration":221},
               {"syncedLyrics":"[00:01]doscientos","duration":200},
               {"syncedLyrics":"[00:01]doscientos cuarenta","duration":240}])");
    EXPECT_EQ(service.lines.get().at(0).text, "doscientos cuarenta");

    load(track("Empate", ""));
    answer(1, 200,
           R"([{"syncedLyrics":"[00:01]primero","duration":211},
               {"syncedLyrics":"[00:01]segundo","duration":231}])");
    EXPECT_EQ(service.lines.get().at(0).text, "primero");

    // A candidate without a duration counts as lasting 0 seconds.
    load(track("Cero", "", 10));
    answer(2, 200,
           R"([{"syncedLyrics":"[00:01]lejos","duration":100},{"syncedLyrics":"[00:01]sin duración"}])");
    EXPECT_EQ(service.lines.get().at(0).text, "sin duración");
}

TEST_F(LyricsServiceTest, InstrumentalWinsOverLyrics) {
    load(track("Instrumental"));
    answer(0, 200, R"({"instrumental":true,"syncedLyrics":"[00:01]la"})");
    EXPECT_EQ(service.status.get(), Status::instrumental);
    EXPECT_TRUE(service.lines.get().empty());
}

TEST_F(LyricsServiceTest, FirstSearchRecordDecidesWithoutCandidates) {
    load(track("Solo texto", ""));
    answer(0, 200, R"([{"plainLyrics":"uno"},{"instrumental":true}])");
    EXPECT_EQ(service.status.get(), Status::unsynced);

    load(track("Nada", ""));
    answer(1, 200, "[]");
    EXPECT_EQ(service.status.get(), Status::notFound);
}

TEST(LRCLibRecordTest, WrongTypesMakeTheReplyUndecodable) {
    EXPECT_TRUE(LRCLibRecord::decode(R"({"duration":201,"id":5,"extra":[1]})"));
    EXPECT_FALSE(LRCLibRecord::decode(R"({"duration":"201"})"));
    EXPECT_FALSE(LRCLibRecord::decode(R"({"instrumental":1})"));
    EXPECT_FALSE(LRCLibRecord::decode(R"({"syncedLyrics":5})"));
    EXPECT_FALSE(LRCLibRecord::decode(R"({"duration":1e999})"));
    EXPECT_FALSE(LRCLibRecord::decode("[]"));
    EXPECT_FALSE(LRCLibRecord::decode("<html>"));
    EXPECT_FALSE(LRCLibRecord::decodeList(R"({"syncedLyrics":"x"})"));
    EXPECT_FALSE(LRCLibRecord::decodeList(R"([{"plainLyrics":"x"}, 3])"));
}

// --- remembering --------------------------------------------------------------------------

TEST_F(LyricsServiceTest, RealAnswersAreRemembered) {
    load(track("Estimat"));
    answer(0, 200, synced);
    load(track("Otra", ""));
    answer(1, 200, "[]");
    EXPECT_EQ(service.status.get(), Status::notFound);

    load(track("Estimat"));
    EXPECT_EQ(service.status.get(), Status::found);
    EXPECT_EQ(service.lines.get().size(), 2u);
    load(track("Otra", ""));
    EXPECT_EQ(service.status.get(), Status::notFound);
    EXPECT_EQ(http.requests.size(), 2u);
}

TEST_F(LyricsServiceTest, GetNotFoundAndEmptySearchAreRemembered) {
    load(track("Inexistente"));
    answer(0, 404, "");
    answer(1, 200, "[]");
    load(track("Inexistente"));
    EXPECT_EQ(service.status.get(), Status::notFound);
    EXPECT_EQ(http.requests.size(), 2u);
}

TEST_F(LyricsServiceTest, FailuresPublishNotFoundButAreAskedAgain) {
    load(track("Sin red"));
    fail(0);
    ASSERT_EQ(http.requests.size(), 2u);  // a failed get still falls back to search
    fail(1);
    EXPECT_EQ(service.status.get(), Status::notFound);

    load(track("Sin red"));
    EXPECT_EQ(service.status.get(), Status::loading);
    EXPECT_EQ(http.requests.size(), 3u);
}

TEST_F(LyricsServiceTest, ServerErrorsAndGarbageAreNotRemembered) {
    load(track("Error", ""));
    answer(0, 500, "");
    EXPECT_EQ(service.status.get(), Status::notFound);
    load(track("Portal", ""));
    answer(1, 200, "<html>login</html>");
    EXPECT_EQ(service.status.get(), Status::notFound);

    load(track("Error", ""));
    load(track("Portal", ""));
    EXPECT_EQ(http.requests.size(), 4u);

    // A get that failed in transit leaves even a found result unremembered.
    load(track("Parcial"));
    fail(4);
    answer(5, 200, std::string("[") + synced + "]");
    EXPECT_EQ(service.status.get(), Status::found);
    load(track("Parcial"));
    EXPECT_EQ(http.requests.size(), 7u);
}

TEST_F(LyricsServiceTest, RememberedOutcomesKeepWithinTheirBytes) {
    // A service that remembers 256 KiB of outcomes, and tracks of about 24 KB of lines each.
    constexpr std::size_t limit = 256 * 1024;
    LyricsService small{&http, "https://lrclib.net", &decoder, limit};
    const auto loadAndAnswer = [&](const std::string& title, const std::string& reply) {
        small.load(track(title, ""));
        fake.time.advance(lookupSettleTime);
        answer(http.requests.size() - 1, 200, reply);
    };
    std::string lrc;
    for (int i = 0; i < 200; ++i) lrc += "[0:" + std::to_string(i) + "]" + std::string(80, 'a') + "\n";
    const std::string heavy = "[" + nlohmann::json{{"syncedLyrics", lrc}}.dump() + "]";
    const std::size_t tracks = limit / (200 * (80 + sizeof(LyricLine))) + 2;
    for (std::size_t i = 0; i < tracks; ++i) loadAndAnswer("Pesada " + std::to_string(i), heavy);
    ASSERT_EQ(small.lines.get().size(), 200u);

    small.load(track("Pesada " + std::to_string(tracks - 1), ""));
    EXPECT_EQ(http.requests.size(), tracks);
    small.load(track("Pesada 0", ""));
    EXPECT_EQ(small.status.get(), Status::loading) << "the oldest heavy outcome was not forgotten";

    // Light outcomes weigh little: more of them are kept than any count of tracks would.
    for (int i = 0; i < 600; ++i)
        loadAndAnswer("Ligera " + std::to_string(i), std::string("[") + synced + "]");
    const std::size_t asked = http.requests.size();
    small.load(track("Ligera 0", ""));
    EXPECT_EQ(small.status.get(), Status::found);
    EXPECT_EQ(http.requests.size(), asked);
}

TEST_F(LyricsServiceTest, RepliesAreDecodedOffTheMainThread) {
    load(track("Estimat"));
    http.respond(0, 200, synced);
    fake.time.runPending();
    EXPECT_EQ(service.status.get(), Status::loading) << "the reply was decoded on the main thread";
    ASSERT_EQ(decoder.jobs.size(), 1u);
    decoder.runAll();
    fake.time.runPending();
    EXPECT_EQ(service.status.get(), Status::found);

    // Superseded while its reply is decoded, a lookup neither publishes nor remembers.
    load(track("Primera", ""));
    http.respond(1, 200, std::string("[") + synced + "]");
    load(track("Segunda", ""));
    decode();
    EXPECT_EQ(service.status.get(), Status::loading);
    load(track("Primera", ""));
    EXPECT_EQ(service.status.get(), Status::loading);
    EXPECT_EQ(http.requests.size(), 4u);
}

// --- supersession -------------------------------------------------------------------------

TEST_F(LyricsServiceTest, NewerTrackStopsAnOlderLookup) {
    load(track("A", ""));
    load(track("B", ""));
    ASSERT_EQ(http.requests.size(), 2u);
    EXPECT_TRUE(http.requests[0].cancelled);  // A's request is aborted, its reply goes nowhere
    answer(0, 200, std::string("[") + synced + "]");
    EXPECT_EQ(service.status.get(), Status::loading);
    answer(1, 200, R"([{"plainLyrics":"be"}])");
    EXPECT_EQ(service.status.get(), Status::unsynced);

    load(track("A", ""));  // A was never remembered
    EXPECT_EQ(service.status.get(), Status::loading);
    EXPECT_EQ(http.requests.size(), 3u);
}

TEST_F(LyricsServiceTest, OnlyATrackThatStaysCurrentIsLookedUp) {
    // A player running through a hundred tracks: nothing is asked until one stays.
    for (int i = 0; i < 100; ++i) {
        service.load(track("Pista " + std::to_string(i), ""));
        fake.time.advance(lookupSettleTime / 2);
    }
    EXPECT_TRUE(http.requests.empty());
    EXPECT_EQ(service.status.get(), Status::loading);
    fake.time.advance(lookupSettleTime);
    ASSERT_EQ(http.requests.size(), 1u);
    EXPECT_NE(url(0).find("Pista%2099"), std::string::npos) << url(0);

    // Asked again while its lookup runs, the same track waits for that lookup.
    load(track("Pista 99", ""));
    EXPECT_EQ(http.requests.size(), 1u);
    std::vector<Status> published;
    auto subscription = service.status.sink([&](Status s) { published.push_back(s); });
    answer(0, 200, "[]");
    EXPECT_EQ(published, (std::vector<Status>{Status::notFound}));
}

TEST_F(LyricsServiceTest, ATrackWithTheSameIdButAnotherTitleIsAnotherTrack) {
    // Some players give every file one id.
    Track first = track("Primera", "");
    Track second = track("Segunda", "");
    second.id = first.id;
    load(first);
    answer(0, 200, std::string("[") + synced + "]");
    ASSERT_EQ(service.status.get(), Status::found);
    load(second);
    ASSERT_EQ(http.requests.size(), 2u);
    EXPECT_EQ(service.status.get(), Status::loading);
    answer(1, 200, "[]");
    EXPECT_EQ(service.status.get(), Status::notFound);
    // Each keeps its own remembered outcome.
    load(first);
    EXPECT_EQ(service.status.get(), Status::found);
    EXPECT_EQ(http.requests.size(), 2u);
}

TEST_F(LyricsServiceTest, ClearWhileLoadingDropsTheResult) {
    load(track("Borrada", ""));
    service.clear();
    EXPECT_TRUE(http.requests[0].cancelled);
    answer(0, 200, std::string("[") + synced + "]");
    EXPECT_EQ(service.status.get(), Status::idle);
    EXPECT_TRUE(service.lines.get().empty());

    // Cleared before it settled, a track is never asked for.
    service.load(track("Pasajera", ""));
    service.clear();
    fake.time.advance(lookupSettleTime);
    EXPECT_EQ(http.requests.size(), 1u);
}

TEST_F(LyricsServiceTest, NoTrackIsIdle) {
    load(track("Estimat"));
    answer(0, 200, synced);
    load(std::nullopt);
    EXPECT_EQ(service.status.get(), Status::idle);
    EXPECT_TRUE(service.lines.get().empty());
}

TEST(LyricsServiceWithoutClientTest, FinishesAsynchronouslyWithNotFound) {
    fakes::FakePlatform fake;
    LyricsService service{nullptr};
    service.load(track("Sin cliente"));
    EXPECT_EQ(service.status.get(), Status::loading);
    fake.time.advance(lookupSettleTime);
    EXPECT_EQ(service.status.get(), Status::notFound);
}

TEST(LyricsServiceLifetimeTest, ReplyAfterTheServiceIsGoneIsIgnored) {
    fakes::FakePlatform fake;
    auto service = std::make_unique<LyricsService>(&fake.httpClient);
    service->load(track("Tarde", ""));
    fake.time.advance(lookupSettleTime);
    ASSERT_EQ(fake.httpClient.requests.size(), 1u);
    service.reset();
    EXPECT_TRUE(fake.httpClient.requests[0].cancelled);
    fake.httpClient.respond(0, 200, "[]");  // the sanitizers catch a touch of the dead service
    EXPECT_EQ(fake.httpClient.pendingCount(), 0u);
}

}  // namespace
}  // namespace quorlix
