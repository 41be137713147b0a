// Lock notices from real buses: a private bus stands for the system bus with a stand-in
// logind (its manager, this process's session and another one), a private session bus carries
// stand-in screen savers, and on an X server of the test's own a stand-in locker window ends a
// lock that nothing else announces. Time is virtual: a Lock waits for its locker only as long
// as the test advances it.

#include "platform/linux/session_lock_notifications.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "platform/linux/x11_screen_lockers.h"
#include "services/apple_script_queue.h"
#include "services/battery_service.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "window/lock_screen_controller.h"

#include "dbus_stand_in.h"
#include "private_bus.h"
#include "virtual_display.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <unistd.h>

namespace quorlix::testing {
namespace {

const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
const QString session = QStringLiteral("org.freedesktop.login1.Session");
const QString ownSession = QStringLiteral("/org/freedesktop/login1/session/_31");
const QString otherSession = QStringLiteral("/org/freedesktop/login1/session/_32");
const QString displaySession = QStringLiteral("/org/freedesktop/login1/session/c2");
const QString userPath = QStringLiteral("/org/freedesktop/login1/user/_1000");
const QString lockedHint = QStringLiteral("LockedHint");

using Notice = platform::ScreenLockNotice;
using Notices = std::vector<Notice>;

class SessionLockTest : public ::testing::Test, public QtApplicationMember {
protected:
    fakes::FakePlatform fake;
    PrivateBus systemBus;
    PrivateBus sessionBus;
    std::optional<StandInService> logind, freedesktopSaver, gnomeSaver;
    std::unique_ptr<platform::SessionLockNotifications> notices;
    Notices heard;
    Subscription listening;

    // The peers run first, as on a desktop; logind knows this process in `sessionPath` or in
    // no session at all.
    void start(std::optional<QString> sessionPath, platform::X11ScreenLockers* lockers = nullptr) {
        ASSERT_TRUE(systemBus.ready());
        ASSERT_TRUE(sessionBus.ready());
        logind.emplace(systemBus.connect("logind"), QStringLiteral("org.freedesktop.login1"));
        freedesktopSaver.emplace(sessionBus.connect("saver"), QStringLiteral("org.freedesktop.ScreenSaver"));
        gnomeSaver.emplace(sessionBus.connect("shell"), QStringLiteral("org.gnome.ScreenSaver"));
        for (const QString& path : {ownSession, otherSession, displaySession})
            logind->add(path, session, {{lockedHint, false}});
        logind->handle(manager, QStringLiteral("GetSessionByPID"), [sessionPath](const QDBusMessage& call) {
            if (sessionPath && call.arguments().value(0).toUInt() == static_cast<quint32>(::getpid()))
                return call.createReply(QVariant::fromValue(QDBusObjectPath(*sessionPath)));
            return call.createErrorReply(QStringLiteral("org.freedesktop.login1.NoSessionForPID"), QString());
        });
        notices = std::make_unique<platform::SessionLockNotifications>(
            systemBus.connect("quorlix-system"), sessionBus.connect("quorlix-session"), lockers);
        listening = notices->observe([this](Notice notice) { heard.push_back(notice); });
    }
    ::testing::AssertionResult following(const QString& path) {
        return waitUntil([&] { return notices->sessionPath() == path; });
    }
    ::testing::AssertionResult hear(std::size_t count) {
        return waitUntil([&] { return heard.size() >= count; });
    }
    // A Lock request to `path` is heard, or its withdrawal.
    ::testing::AssertionResult requested(const QString& path, bool lock = true) {
        logind->signal(path, session, lock ? QStringLiteral("Lock") : QStringLiteral("Unlock"));
        return waitUntil([&] { return notices->state().isLockRequested() == lock; });
    }
    // The freedesktop screen saver turns active or not, and is heard.
    ::testing::AssertionResult saver(bool active) {
        freedesktopSaver->signal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                                 "ActiveChanged", {active});
        return waitUntil([&] { return notices->state().isScreenSaverActive() == active; });
    }
};

TEST_F(SessionLockTest, HearsItsOwnSessionAndBothScreenSaversButNotAnotherSession) {
    start(ownSession);
    ASSERT_TRUE(following(ownSession));
    // One connection sends in order: once the own session's lock is heard, the other's would have been.
    logind->signal(otherSession, session, QStringLiteral("Lock"));
    logind->set(otherSession, session, lockedHint, true);
    ASSERT_TRUE(requested(ownSession));
    ASSERT_TRUE(requested(ownSession, false));
    EXPECT_TRUE(heard.empty()) << "a Lock request alone is no lock";
    logind->set(ownSession, session, lockedHint, true);
    ASSERT_TRUE(hear(1));
    logind->set(ownSession, session, lockedHint, false);
    ASSERT_TRUE(hear(2));
    // The GNOME screen saver carries out a Lock, and ends it (the freedesktop one blanks below).
    ASSERT_TRUE(requested(ownSession));
    gnomeSaver->signal("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", {true});
    ASSERT_TRUE(hear(3));
    fake.time.advance(60);
    gnomeSaver->signal("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", {false});
    ASSERT_TRUE(hear(4));
    EXPECT_EQ(heard, (Notices{Notice::locked, Notice::unlocked, Notice::locked, Notice::unlocked}));
}

TEST_F(SessionLockTest, OutsideAnySessionFollowsTheUsersDisplaySession) {
    start(std::nullopt);
    logind->handle(manager, QStringLiteral("GetUser"), [](const QDBusMessage& call) {
        return call.createReply(QVariant::fromValue(QDBusObjectPath(userPath)));
    });
    QDBusArgument display;
    display.beginStructure();
    display << QStringLiteral("c2") << QDBusObjectPath(displaySession);
    display.endStructure();
    logind->add(userPath, QStringLiteral("org.freedesktop.login1.User"),
                {{"Display", QVariant::fromValue(display)}});
    ASSERT_TRUE(following(displaySession));
    ASSERT_TRUE(requested(displaySession));
}

TEST_F(SessionLockTest, TheControllerHearsNeitherABlankNorALockNothingCarriesOutButSoundsARealLock) {
    start(ownSession);
    ASSERT_TRUE(following(ownSession));
    fake.screens.list = {fakes::FakeScreens::notchedLaptop()};
    fake.soundPlayer.files = {{"candado-cerrar.wav", 0.4}, {"candado-abrir.wav", 0.4}};
    platform::Platform backends = fake.platform();
    backends.screenLock = notices.get();
    platform::install(backends);
    fakes::InlineSerialQueue scripts;
    AppleScriptQueue::install(&scripts);
    {
        NowPlayingService nowPlaying(backends, scripts);
        LyricsService lyrics(&fake.httpClient);
        WeatherService weather;
        VolumeService volume(&fake.audio);
        BatteryService battery(&fake.powerSources);
        LockScreenController lockScreen({AppSettings::shared(), nowPlaying, lyrics, volume, weather, battery},
                                        backends);
        fake.time.runPending();
        const auto sounds = [&] {
            fake.time.runPending();
            std::vector<std::string> names;
            for (const auto& sound : fake.soundPlayer.created) names.push_back(sound->name);
            return names;
        };

        // An idle blank on a desktop that does not lock.
        ASSERT_TRUE(saver(true));
        fake.time.advance(60);
        ASSERT_TRUE(saver(false));
        EXPECT_TRUE(heard.empty());
        EXPECT_EQ(lockScreen.infoWindow(), nullptr);

        // A Lock no locker carries out passes unseen and unheard, and lapses.
        ASSERT_TRUE(requested(ownSession));
        EXPECT_FALSE(lockScreen.isLocked());
        EXPECT_EQ(lockScreen.infoWindow(), nullptr);
        fake.time.advance(platform::SessionLockState::confirmSeconds);
        EXPECT_FALSE(notices->state().isLockRequested());
        EXPECT_TRUE(heard.empty());
        EXPECT_TRUE(sounds().empty());
        EXPECT_EQ(fake.bluetoothDevices.reportCount(), 0);

        // A real lock, asked for and confirmed by the hint, sounds and stays.
        ASSERT_TRUE(requested(ownSession));
        logind->set(ownSession, session, lockedHint, true);
        ASSERT_TRUE(hear(1));
        EXPECT_TRUE(lockScreen.isLocked());
        EXPECT_NE(lockScreen.infoWindow(), nullptr);
        fake.time.advance(60);
        EXPECT_TRUE(lockScreen.isLocked());
        logind->set(ownSession, session, lockedHint, false);
        ASSERT_TRUE(hear(2));
        EXPECT_EQ(heard, (Notices{Notice::locked, Notice::unlocked}));
        EXPECT_EQ(sounds(), (std::vector<std::string>{"candado-cerrar.wav", "candado-abrir.wav"}));
        EXPECT_EQ(fake.bluetoothDevices.reportCount(), 1);
    }
    fake.time.advance(10);
    AppleScriptQueue::install(nullptr);
}

TEST_F(SessionLockTest, ALockerWindowGoingAwayEndsALockNothingElseAnnounced) {
    if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay display("640x480x24");
    ASSERT_TRUE(display.ready());
    xcb_connection_t* own = xcb_connect(display.name().c_str(), nullptr);
    xcb_connection_t* locker = xcb_connect(display.name().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(own) || xcb_connection_has_error(locker));
    auto lockers = platform::X11ScreenLockers::open(xcb_get_setup(own)->resource_id_base, {}, display.name());
    ASSERT_NE(lockers, nullptr);
    start(ownSession, lockers.get());
    ASSERT_TRUE(following(ownSession));
    ASSERT_TRUE(requested(ownSession));
    EXPECT_TRUE(heard.empty());

    // The locker covers the screen, and quits once the user has unlocked.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(locker)).data;
    const xcb_window_t window = xcb_generate_id(locker);
    const std::uint32_t overrideRedirect = 1;
    xcb_create_window(locker, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 640, 480, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_OVERRIDE_REDIRECT,
                      &overrideRedirect);
    xcb_map_window(locker, window);
    xcb_flush(locker);
    ASSERT_TRUE(waitUntil([&] { return notices->state().lockerWindow() == window; }));
    EXPECT_EQ(heard, Notices{Notice::locked});  // a locker window carries the Lock out
    fake.time.advance(60);
    EXPECT_EQ(heard, Notices{Notice::locked});
    xcb_disconnect(locker);
    ASSERT_TRUE(hear(2));
    EXPECT_EQ(heard, (Notices{Notice::locked, Notice::unlocked}));
    notices.reset();
    xcb_disconnect(own);
}

}  // namespace
}  // namespace quorlix::testing
