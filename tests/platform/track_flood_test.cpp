// A player that announces a new track every millisecond, against the real HTTP client and a
// lyrics service of the test's own: only the track that stays is looked up, and the services
// going away (as when Quorlix quits) abort what they have in flight.
//
// A lookup waits for its track to stay a while. Here that while passes only when the test
// says, so the bound is shown by the order of events however fast the flood runs: no lookup
// starts while the announcements keep coming, and one does once the last has stayed.

#include "fakes/fake_platform.h"
#include "fakes/virtual_time.h"
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
#include <set>

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

// The test's event loop for posts; waits fall due only as the test lets time pass.
class HeldWaits final : public platform::MainQueue {
public:
    explicit HeldWaits(platform::MainQueue& loop) : loop_(loop) {}
    void pass(double seconds) { waits_.advance(seconds); }

protected:
    void schedule(double seconds, std::shared_ptr<platform::Job> job) override {
        if (seconds > 0)
            waits_.after(seconds, [job] { job->run(); }).detach();
        else
            loop_.post([job] { job->run(); });
    }
    void scheduleUptime(double seconds, std::shared_ptr<platform::Job> job) override {
        schedule(seconds, job);
    }

private:
    platform::MainQueue& loop_;
    fakes::ManualClock clock_;
    fakes::ManualMainQueue waits_{clock_};
};

// The tracks whose lyrics the server was asked for.
std::set<int> lookedUp(const LocalServer& server) {
    std::set<int> tracks;
    const QByteArray key = "track_name=Pista%20";
    for (const auto& request : server.requests) {
        const qsizetype at = request.target.indexOf(key);
        if (at < 0) continue;
        const qsizetype start = at + key.size();
        tracks.insert(request.target.mid(start, request.target.indexOf('&', start) - start).toInt());
    }
    return tracks;
}

TEST(TrackFloodTest, OnlyTheTrackThatStaysIsLookedUpAndWhatRunsIsAbortedWithTheServices) {
    QtApplicationMember application;
    fakes::TempHome home;
    PrivateBus bus;
    ASSERT_TRUE(bus.ready());
    platform::QtMainQueue loop;
    HeldWaits mainQueue(loop);
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
    const auto playing = [&](int i) {
        return services.last && services.last->title == QStringLiteral("Pista %1").arg(i).toStdString();
    };
    ASSERT_TRUE(waitUntil([&] { return playing(0); }, {&bus}));
    mainQueue.pass(lookupSettleTime);
    ASSERT_TRUE(
        waitUntil([&] { return services.lyrics->status.get() == LyricsService::Status::notFound; }, {&bus}))
        << "the first track was not looked up";

    // Two thousand tracks, one a millisecond, all taken while no time passes for the waits.
    constexpr int flood = 2000;
    int announced = 0;
    QTimer skipper;
    QObject::connect(&skipper, &QTimer::timeout, [&] {
        player.replaceCurrent(numbered(++announced));
        if (announced == flood) skipper.stop();
    });
    skipper.start(1);
    ASSERT_TRUE(waitUntil([&] { return playing(flood); }, {&bus})) << "the last track was not taken";
    EXPECT_EQ(lookedUp(server), std::set<int>{0}) << "a lookup started while the tracks kept coming";
    // The last one stays: its lookup, and only it, starts.
    mainQueue.pass(lookupSettleTime);
    ASSERT_TRUE(
        waitUntil([&] { return services.lyrics->status.get() == LyricsService::Status::notFound; }, {&bus}))
        << "the last track was not looked up";
    EXPECT_EQ(lookedUp(server), (std::set<int>{0, flood}));

    // The lyrics service now answers no more, and the player moves on once: its lookup stays
    // under way until the services go, which hangs it up.
    server.replies["/api/get"].held = true;
    player.replaceCurrent(numbered(flood + 1));
    ASSERT_TRUE(waitUntil([&] { return playing(flood + 1); }, {&bus}));
    mainQueue.pass(lookupSettleTime);
    ASSERT_TRUE(waitUntil([&] { return server.heldOpen() == 1; }, {&bus}));
    services.quit();
    EXPECT_TRUE(waitUntil([&] { return server.heldOpen() == 0; }, {&bus})) << "the lookup was left running";
}

// Quorlix follows the changes it has already received once the main thread gets to them:
// under load a flood outruns it, and every change waiting there used to be followed one by
// one (the track, the lyrics, the views), with a quit asked meanwhile waiting behind them all.
TEST(TrackFloodTest, ChangesWaitingOnTheMainThreadAreAnnouncedOnceAsTheyStand) {
    QtApplicationMember application;
    PrivateBus bus;
    ASSERT_TRUE(bus.ready());
    platform::MprisBus mpris(bus.connect(QStringLiteral("quorlix")));
    std::vector<std::string> announced;
    const Subscription following =
        mpris.onPlayerChanged([&](const std::string&, const platform::MprisBus::PlayerState& state, auto) {
            announced.push_back(state.metadata.value(QStringLiteral("xesam:title")).toString().toStdString());
        });
    // A player that comes on the bus shows what it plays.
    const QDBusConnection playerConnection = bus.connect(QStringLiteral("player"));
    MprisTestPlayer player(playerConnection, QStringLiteral("org.mpris.MediaPlayer2.flood"), {numbered(0)});
    ASSERT_TRUE(player.publish());
    ASSERT_TRUE(waitUntil([&] { return !announced.empty(); }, {&bus}));

    // A burst of changes, all of them received while the main thread is held: the player
    // answers a ping after what it sent before, so once the ping is back they all wait there.
    constexpr int burst = 500;
    for (int i = 1; i <= burst; ++i) player.replaceCurrent(numbered(i));
    const QDBusMessage pong = mpris.connection().call(
        QDBusMessage::createMethodCall(playerConnection.baseService(), QStringLiteral("/"),
                                       QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
        QDBus::Block);
    ASSERT_EQ(pong.type(), QDBusMessage::ReplyMessage) << pong.errorMessage().toStdString();
    announced.clear();
    ASSERT_TRUE(waitUntil([&] { return !announced.empty(); }, {&bus}));
    // One change more: it is announced after anything else the burst makes.
    player.replaceCurrent(numbered(burst + 1));
    const std::string last = "Pista " + std::to_string(burst + 1);
    ASSERT_TRUE(waitUntil([&] { return announced.back() == last; }, {&bus}));
    EXPECT_EQ(announced, (std::vector<std::string>{"Pista " + std::to_string(burst), last}));
}

}  // namespace
}  // namespace quorlix::testing
