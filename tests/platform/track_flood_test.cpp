// A player that announces a new track every millisecond, against the real HTTP client and a
// lyrics service of the test's own: only the track that stays is looked up, and the services
// going away (as when Quorlix quits) abort what they have in flight.

#include "fakes/fake_platform.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"

#include "local_http_server.h"
#include "mpris_backends.h"
#include "mpris_test_player.h"
#include "private_bus.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace quorlix::testing {
namespace {

TestTrack numbered(int i) {
    return {QStringLiteral("/org/quorlix/track/%1").arg(i),
            QStringLiteral("Pista %1").arg(i),
            {QStringLiteral("Ana")},
            QStringLiteral("Disco"),
            180'000'000,
            {}};
}

// Whether the server was asked for the lyrics of track `i`.
bool asked(const LocalServer& server, int i) {
    const QByteArray title = "track_name=Pista%20" + QByteArray::number(i) + "&";
    return std::any_of(server.requests.begin(), server.requests.end(),
                       [&](const LocalServer::Request& r) { return r.target.contains(title); });
}

TEST(TrackFloodTest, OnlyTheTrackThatStaysIsLookedUpAndWhatRunsIsAbortedWithTheServices) {
    QtApplicationMember application;
    fakes::TempHome home;
    PrivateBus bus;
    ASSERT_TRUE(bus.ready());
    platform::QtMainQueue mainQueue;
    platform::SystemClock clock;
    LocalServer server;
    ASSERT_TRUE(server.isListening());
    server.replies["/api/get"] = {404, R"({"code":404})"};
    server.replies["/api/search"] = {200, "[]"};

    // The player plays before Quorlix looks.
    MprisTestPlayer player(bus.connect(QStringLiteral("player")),
                           QStringLiteral("org.mpris.MediaPlayer2.flood"), {numbered(0)});
    ASSERT_TRUE(player.publish());

    MprisBackends backends(bus.connect(QStringLiteral("quorlix")), mainQueue, clock);

    FollowedPlayers services(backends.platform, server.base());
    ASSERT_TRUE(waitUntil([&] { return asked(server, 0); }, {&bus})) << "the first track was not looked up";

    // Two thousand tracks, one a millisecond.
    constexpr int flood = 2000;
    int announced = 0;
    QTimer skipper;
    QObject::connect(&skipper, &QTimer::timeout, [&] {
        player.replaceCurrent(numbered(++announced));
        if (announced == flood) skipper.stop();
    });
    skipper.start(1);
    ASSERT_TRUE(waitUntil([&] { return asked(server, flood); }, {&bus}))
        << "the last track was not looked up; " << server.requests.size() << " requests";
    // Its lookup and the first: a handful at most, not one per track.
    EXPECT_LE(server.requests.size(), 8u) << server.requests.size();

    // The lyrics service now answers no more, and the player moves on once: its lookup stays
    // under way until the services go, which hangs it up.
    server.replies["/api/get"].held = true;
    player.replaceCurrent(numbered(flood + 1));
    ASSERT_TRUE(waitUntil([&] { return server.heldOpen() == 1; }, {&bus}));
    services.quit();
    EXPECT_TRUE(waitUntil([&] { return server.heldOpen() == 0; }, {&bus})) << "the lookup was left running";
}

}  // namespace
}  // namespace quorlix::testing
