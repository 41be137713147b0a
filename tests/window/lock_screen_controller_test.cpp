// The lock-screen controller on a fake platform: which windows it shows when, where they go,
// how they fade, stack and take clicks, the sounds it plays and the readings it starts.

#include "window/lock_screen_controller.h"

#include "island_test_support.h"
#include "platform/linux/qt_screens.h"
#include "platform/user_defaults.h"
#include "services/battery_service.h"
#include "services/player_scripts.h"
#include "window/sky_light.h"

#include <QRect>

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using Fade = fakes::FakePanelWindow::Fade;
using Reading = std::function<void(std::optional<std::int64_t>)>;

// The island's services, with the battery and no island.
class LockScreenTest : public testing::IslandTest {
protected:
    BatteryService battery{&fake.powerSources};
    std::vector<Reading> readings;  // started, in order
    std::unique_ptr<LockScreenController> lockScreen;

    LockScreenTest() {
        // The notched laptop, listed after an external display.
        fake.screens.list = {fakes::FakeScreens::externalDisplay(), fakes::FakeScreens::notchedLaptop()};
        fake.soundPlayer.files = {{"candado-cerrar.wav", 0.4}, {"candado-abrir.wav", 0.4}};
    }
    ~LockScreenTest() override {
        lockScreen.reset();
        fake.time.advance(10);  // the sounds' releases, so the next test starts with none
    }

    void make() {
        lockScreen = std::make_unique<LockScreenController>(
            LockScreenServices{settings, nowPlaying, lyrics, volume, weather, battery}, fake.platform(),
            [this](Reading done) { readings.push_back(std::move(done)); });
        fake.time.runPending();
    }
    void lock(bool locked = true) {
        locked ? fake.screenLock.lock() : fake.screenLock.unlock();
        fake.time.runPending();
    }
    void unlock() { lock(false); }
    void play(const std::string& title = "Clandestino") {
        nowPlaying.track = Track{"music:" + title, title, "Manu Chao", "", 148, PlayerSource::music};
        fake.time.runPending();
    }
    void stop() {
        nowPlaying.track = std::nullopt;
        fake.time.runPending();
    }
    // The filled slots: "full info card".
    std::string slots() const {
        std::string out;
        if (lockScreen->fullWindow()) out += "full ";
        if (lockScreen->infoWindow()) out += "info ";
        if (lockScreen->cardWindow()) out += "card ";
        return out.empty() ? out : out.substr(0, out.size() - 1);
    }
    std::vector<std::string> sounds() const {
        std::vector<std::string> out;
        for (const auto& s : fake.soundPlayer.created) out.push_back(s->name);
        return out;
    }
    static fakes::FakePanelWindow& fakeOf(platform::PanelWindow* w) {
        return *static_cast<fakes::FakePanelWindow*>(w);
    }
};

TEST_F(LockScreenTest, WindowsFollowTheLockThePlayerAndTheSettings) {
    struct Row {
        bool locked, track, lockScreenEnabled, mediaEnabled, fullArtwork;
        const char* slots;
    };
    const Row rows[] = {
        {false, true, true, true, true, ""},
        {true, false, true, true, true, "info"},
        {true, true, true, true, false, "info card"},
        {true, true, true, true, true, "full"},
        // The setting governs the player only: the info row stays.
        {true, true, false, true, true, "info"},
        {true, true, true, false, false, "info"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slots);
        settings.lockScreenEnabled = row.lockScreenEnabled;
        settings.mediaEnabled = row.mediaEnabled;
        settings.lockScreenFullArtwork = row.fullArtwork;
        row.track ? play() : stop();
        make();
        if (row.locked) lock();
        EXPECT_EQ(slots(), row.slots);
        for (auto* w : {lockScreen->fullWindow(), lockScreen->infoWindow(), lockScreen->cardWindow()}) {
            if (!w) continue;
            EXPECT_TRUE(w->isVisible());
            // Made invisible, then faded in.
            EXPECT_EQ(fakeOf(w).fades, (std::vector<Fade>{{0, 0, false}, {1, 0.35, false}}));
        }
        lockScreen.reset();
    }
}

TEST_F(LockScreenTest, APlayerComingAndGoingSwapsTheWindowsButANewSongRebuildsNothing) {
    make();
    lock();
    platform::PanelWindow* info = lockScreen->infoWindow();
    play();
    EXPECT_EQ(slots(), "info card");
    EXPECT_EQ(lockScreen->infoWindow(), info) << "a filled slot is not refilled";
    const int made = fake.panelWindows.madeCount;
    play("Desaparecido");
    EXPECT_EQ(fake.panelWindows.madeCount, made);
    stop();
    EXPECT_EQ(slots(), "info");

    settings.lockScreenFullArtwork = true;
    play();
    EXPECT_EQ(slots(), "full");
    stop();
    EXPECT_EQ(slots(), "info");
    EXPECT_NE(lockScreen->infoWindow(), info) << "windows are never reused";
}

TEST_F(LockScreenTest, ALockSoundsReadsAndAsksThePlayerOnceAndOnlyAnUnlockAfterItCounts) {
    fake.workspace.running = {"com.apple.Music"};
    play();
    make();
    unlock();
    EXPECT_TRUE(sounds().empty()) << "no lock to end";
    EXPECT_EQ(fake.panelWindows.madeCount, 0);

    lock();
    lock();
    EXPECT_EQ(sounds(), std::vector<std::string>{"candado-cerrar.wav"});
    EXPECT_NEAR(fake.soundPlayer.created.back()->volume, 0.6, 1e-9);
    EXPECT_EQ(readings.size(), 1u);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::position(PlayerSource::music)), 1);
    EXPECT_EQ(fake.scriptHost.count(PlayerScripts::shuffle(PlayerSource::music)), 1);
    EXPECT_EQ(fake.panelWindows.madeCount, 2);

    unlock();
    EXPECT_EQ(sounds(), (std::vector<std::string>{"candado-cerrar.wav", "candado-abrir.wav"}));
    EXPECT_EQ(slots(), "");
    EXPECT_EQ(readings.size(), 1u);
}

TEST_F(LockScreenTest, OnlyTheLatestHeadphoneReadingCounts) {
    make();
    lock();
    unlock();
    lock();
    ASSERT_EQ(readings.size(), 2u);
    readings[1](80);
    readings[0](20);  // older, finishing last
    EXPECT_EQ(lockScreen->info().headphones.get(), 80);
    unlock();
    lock();
    readings[2](std::nullopt);
    EXPECT_EQ(lockScreen->info().headphones.get(), std::nullopt);
}

TEST_F(LockScreenTest, PreviewShowsTheWindowsOnTheDesktopAndFreezesThemWithoutTheBridge) {
    ::testing::internal::CaptureStderr();
    make();
    lockScreen->preview();
    EXPECT_EQ(slots(), "info card");
    EXPECT_EQ(readings.size(), 1u);
    EXPECT_TRUE(sounds().empty());
    auto& card = fakeOf(lockScreen->cardWindow());
    EXPECT_EQ(card.belowScreenLockers, false);
    EXPECT_EQ(card.inputAreas, std::vector{Rect(0, 0, 339, 185)});

    // Lock notices still sound and read; the windows stay.
    const int made = fake.panelWindows.madeCount;
    unlock();
    play();
    lock();
    stop();
    fake.time.advance(1);
    EXPECT_EQ(sounds(), (std::vector<std::string>{"candado-abrir.wav", "candado-cerrar.wav"}));
    EXPECT_EQ(readings.size(), 2u);
    EXPECT_EQ(slots(), "info card");
    EXPECT_EQ(fake.panelWindows.madeCount, made);
    EXPECT_EQ(fake.panelWindows.live.size(), 2u);
    EXPECT_FALSE(SkyLight::exists());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    lockScreen.reset();
    platform::UserDefaults::standard().setBool("previewFullArtwork", true);
    make();
    lockScreen->preview();
    EXPECT_EQ(slots(), "full");
}

TEST_F(LockScreenTest, WindowsGoOnTheNotchedScreenElseOnTheMainOne) {
    play();
    make();
    lock();
    const auto expectNear = [](const Rect& a, const Rect& b) {
        EXPECT_NEAR(a.minX(), b.minX(), 1e-9);
        EXPECT_NEAR(a.minY(), b.minY(), 1e-9);
        EXPECT_EQ(a.size, b.size);
    };
    expectNear(lockScreen->infoWindow()->frame(), Rect(546, 687.04, 420, 40));
    expectNear(lockScreen->cardWindow()->frame(), Rect(586.5, 202.1, 339, 185));
    // As X11 places them, from the top left of the 982 point high primary screen.
    EXPECT_EQ(platform::toQtGeometry(lockScreen->infoWindow()->frame(), 982), QRect(546, 255, 420, 40));
    EXPECT_EQ(platform::toQtGeometry(lockScreen->cardWindow()->frame(), 982), QRect(587, 595, 339, 185));
    unlock();

    fake.screens.list = {fakes::FakeScreens::externalDisplay(), fakes::FakeScreens::externalDisplay(0)};
    settings.lockScreenFullArtwork = true;
    lock();
    EXPECT_EQ(lockScreen->fullWindow()->frame(), Rect(1512, 0, 2560, 1440));
}

TEST_F(LockScreenTest, HidingEmptiesTheSlotAtOnceAndClosesTheWindowAfterItsFade) {
    make();
    lock();
    auto& info = fakeOf(lockScreen->infoWindow());
    unlock();
    EXPECT_EQ(slots(), "");
    EXPECT_EQ(info.fades.back(), (Fade{0, 0.25, true}));
    fake.time.advance(0.249);
    EXPECT_TRUE(info.isVisible());
    fake.time.advance(0.001);
    EXPECT_TRUE(fake.panelWindows.live.empty()) << "closed and released";
}

TEST_F(LockScreenTest, WithoutTheBridgeLockWindowsStayBelowLockersLetClicksThroughAndSaySoOnce) {
    ::testing::internal::CaptureStderr();
    play();
    make();
    lock();
    for (auto* w : {lockScreen->infoWindow(), lockScreen->cardWindow()}) {
        EXPECT_EQ(fakeOf(w).belowScreenLockers, true);
        EXPECT_TRUE(fakeOf(w).inputAreas.empty()) << "every click reaches the desktop";
    }
    unlock();
    lock();
    EXPECT_EQ(fake.lockScreenSpace.createCalls, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string(SkyLight::unavailableMessage) + "\n");

    // A bridge, where there is one, takes the windows and lets them be clicked.
    lockScreen.reset();
    SkyLight::resetShared();
    fake.lockScreenSpace.available = true;
    stop();
    make();
    lock();
    EXPECT_EQ(fake.lockScreenSpace.added, std::vector{lockScreen->infoWindow()});
    EXPECT_EQ(fakeOf(lockScreen->infoWindow()).inputAreas, std::vector{Rect(0, 0, 420, 40)});
}

}  // namespace
}  // namespace quorlix
